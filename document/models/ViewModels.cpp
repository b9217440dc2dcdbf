#include "document/models/ViewModels.h"

#include "document/models/ModelFactory.h"
#include "document/models/ModelRecords.h"

namespace Sistra
{
namespace
{

const ModelClassObj<LoopView> loopViewFactory;
const ModelClassObj<WorkflowViewModel> workflowViewFactory;

} // namespace

LoopView::LoopView(ModelOwner* owner, ModelRole role) : ModelBase(owner, role)
{
    using enum PropertyType;
    RegisterProperty<Bool>(PropertyId::ShowEdpvrRegression, &showEdpvr_);
    RegisterProperty<Bool>(PropertyId::ShowEspvrRegression, &showEspvr_);
    RegisterProperty<Int>(PropertyId::EspvrRegressionType, &espvrType_);
    RegisterProperty<Int>(PropertyId::EdpvrRegressionType, &edpvrType_);
    RegisterProperty<IntSet>(PropertyId::CheckedItems, &checkedItems_);
    RegisterProperty<Int>(PropertyId::EsPointType, &esPointType_);
}

bool LoopView::Load(Orv::BinIStream& in, int version)
{
    Records::ReadBool(in, showEspvr_);
    Records::ReadBool(in, showEdpvr_);
    Records::ReadInt(in, espvrType_);
    Records::ReadInt(in, edpvrType_);
    if (version >= EsPointTypeVersion)
        Records::ReadInt(in, esPointType_);
    return in.IsGood();
}

void LoopView::Save(Orv::BinOStream& out) const
{
    Records::WriteBool(out, showEspvr_);
    Records::WriteBool(out, showEdpvr_);
    Records::WriteInt(out, espvrType_);
    Records::WriteInt(out, edpvrType_);
    Records::WriteInt(out, esPointType_);
}

bool LoopView::LoadSettings(Orv::BinIStream& in, int)
{
    Records::ReadIntSet(in, checkedItems_);
    return in.IsGood();
}

void LoopView::SaveSettings(Orv::BinOStream& out) const
{
    Records::WriteIntSet(out, checkedItems_);
}

WorkflowViewModel::WorkflowViewModel(ModelOwner* owner, ModelRole role) : ModelBase(owner, role)
{
    RegisterProperty<PropertyType::Int>(PropertyId::CurrentStep, &currentStep_);
    RegisterProperty<PropertyType::Bool>(PropertyId::AutoTileViews, &autoTile_);
}

bool WorkflowViewModel::Load(Orv::BinIStream& in, int)
{
    Records::ReadInt(in, currentStep_);
    Records::ReadBool(in, autoTile_);
    return in.IsGood();
}

void WorkflowViewModel::Save(Orv::BinOStream& out) const
{
    Records::WriteInt(out, currentStep_);
    Records::WriteBool(out, autoTile_);
}

} // namespace Sistra
