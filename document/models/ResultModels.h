// Settings of the results: the rows and flags of the hemodynamics table, and the Tau fit.
#pragma once

#include "document/models/ModelBase.h"

namespace Sistra
{

// Parameter indices 1 to 31 shown as rows of the hemodynamics table, and its two display flags.
class HemoTable final : public ModelBase<ModelKind::HemoTable>
{
public:
    HemoTable(ModelOwner* owner, ModelRole role);

    bool Load(Orv::BinIStream& in, int version) override;
    void Save(Orv::BinOStream& out) const override;

    static constexpr int32_t LastParameter = 31;
    // Indices 30 and 31 are in records from this version on.
    static constexpr int LateParametersVersion = 20;

private:
    ParameterSet parameters_;
    bool showSummary_ = true;
    bool keepLatestRow_ = false;
};

// The Tau curve-fit model the loop analyzer uses.
class TauModel final : public ModelBase<ModelKind::TauModel>
{
public:
    TauModel(ModelOwner* owner, ModelRole role);

    // Always true; a stream that already failed stays failed for the document to see.
    bool Load(Orv::BinIStream& in, int version) override;
    void Save(Orv::BinOStream& out) const override;

private:
    int32_t tauModel_ = 0;
};

} // namespace Sistra
