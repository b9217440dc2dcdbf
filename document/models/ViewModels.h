// Settings of the loop view and of the workflow view.
#pragma once

#include "document/models/ModelBase.h"

namespace Sistra
{

// Which regressions the loop view shows and fits, its ticked items and the end-systolic points.
class LoopView final : public ModelBase<ModelKind::LoopView>
{
public:
    LoopView(ModelOwner* owner, ModelRole role);

    bool Load(Orv::BinIStream& in, int version) override;
    void Save(Orv::BinOStream& out) const override;
    bool LoadSettings(Orv::BinIStream& in, int version) override;
    void SaveSettings(Orv::BinOStream& out) const override;

    static constexpr int EsPointTypeVersion = 20;

private:
    bool showEdpvr_ = true;
    bool showEspvr_ = true;
    int32_t espvrType_ = 0;
    int32_t edpvrType_ = 1;
    IntSet checkedItems_;
    int32_t esPointType_ = 0;
};

// The workflow view's current step and whether it tiles the views. Not named after its kind: the
// workflow view's window is Sistra::WorkflowView, and two classes of one name in one module share
// one vtable.
class WorkflowViewModel final : public ModelBase<ModelKind::WorkflowView>
{
public:
    WorkflowViewModel(ModelOwner* owner, ModelRole role);

    bool Load(Orv::BinIStream& in, int version) override;
    void Save(Orv::BinOStream& out) const override;

private:
    int32_t currentStep_ = 1;
    bool autoTile_ = true;
};

} // namespace Sistra
