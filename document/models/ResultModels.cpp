#include "document/models/ResultModels.h"

#include "document/models/ModelFactory.h"
#include "document/models/ModelRecords.h"

namespace Sistra
{
namespace
{

const ModelClassObj<HemoTable> hemoTableFactory;
const ModelClassObj<TauModel> tauModelFactory;

constexpr int32_t LastEarlyParameter = 29;

} // namespace

HemoTable::HemoTable(ModelOwner* owner, ModelRole role) : ModelBase(owner, role)
{
    parameters_.max_load_factor(1.0f);
    parameters_.rehash(11);
    for (int32_t index = 0; index <= LastParameter; ++index)
        parameters_.insert(index);
    RegisterProperty<PropertyType::ParameterSet>(PropertyId::TableParameterSet, &parameters_);
    RegisterProperty<PropertyType::Bool>(PropertyId::ShowSummaryPane, &showSummary_);
    RegisterProperty<PropertyType::Bool>(PropertyId::AlwaysShowLatestRow, &keepLatestRow_);
}

bool HemoTable::Load(Orv::BinIStream& in, int version)
{
    Records::ReadBool(in, showSummary_);
    Records::ReadBool(in, keepLatestRow_);
    const int32_t last = version >= LateParametersVersion ? LastParameter : LastEarlyParameter;
    for (int32_t index = 1; index <= last; ++index)
    {
        BYTE shown = 0;
        in.ReadByte(&shown);
        if (in.IsGood() && shown != 0)
            parameters_.insert(index);
        else
            parameters_.erase(index);
    }
    return in.IsGood();
}

void HemoTable::Save(Orv::BinOStream& out) const
{
    Records::WriteBool(out, showSummary_);
    Records::WriteBool(out, keepLatestRow_);
    for (int32_t index = 1; index <= LastParameter; ++index)
        Records::WriteBool(out, parameters_.count(index) != 0);
}

TauModel::TauModel(ModelOwner* owner, ModelRole role) : ModelBase(owner, role)
{
    RegisterProperty<PropertyType::Int>(PropertyId::TauModel, &tauModel_);
}

bool TauModel::Load(Orv::BinIStream& in, int)
{
    if (!in.IsGood())
        tauModel_ = 0;
    else
        Records::ReadInt(in, tauModel_);
    return true;
}

void TauModel::Save(Orv::BinOStream& out) const
{
    Records::WriteInt(out, tauModel_);
}

} // namespace Sistra
