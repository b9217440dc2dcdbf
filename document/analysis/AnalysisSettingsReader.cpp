#include "document/analysis/AnalysisSettingsReader.h"

#include "document/models/Model.h"
#include "document/models/workflow/Workflow.h"

namespace Sistra
{
namespace
{

// The property from the model that owns it; the type's empty value when that model cannot be had.
template <PropertyType T>
PropertyValueType<T> Read(ModelOwner& document, int id)
{
    const ModelPtr model = document.GetModel(GetPropertyInfo(id).ownerKind);
    return model ? model->GetValue<T>(id) : PropertyValueType<T>{};
}

std::vector<std::vector<double>> RowsOf(const DoubleMatrix& matrix)
{
    std::vector<std::vector<double>> rows(static_cast<std::size_t>(matrix.Rows()));
    for (int32_t row = 0; row < matrix.Rows(); ++row)
        for (int32_t column = 0; column < matrix.Columns(); ++column)
            rows[static_cast<std::size_t>(row)].push_back(matrix.At(row, column));
    return rows;
}

} // namespace

AnalysisSettings ReadAnalysisSettings(ModelOwner& document)
{
    using enum PropertyType;
    AnalysisSettings settings;
    settings.pressureChannel = Read<Channel>(document, PropertyId::PressureChannel);
    settings.volumeChannel = Read<Channel>(document, PropertyId::VolumeChannel);
    settings.workflowModeOn = Read<Bool>(document, PropertyId::WorkflowModeOn);
    settings.onlineMode = Read<Bool>(document, PropertyId::OnlineMode);
    settings.selectedLoop = Read<Int>(document, PropertyId::SelectedLoop);
    settings.currentStep = Read<Int>(document, PropertyId::CurrentStep);
    settings.analysisType = Read<Int>(document, PropertyId::AnalysisType);
    settings.espvrKind = Read<Int>(document, PropertyId::EspvrRegressionType);
    settings.edpvrKind = Read<Int>(document, PropertyId::EdpvrRegressionType);
    settings.esPointType = Read<Int>(document, PropertyId::EsPointType);
    const Sistra::ParameterSet rows = Read<PropertyType::ParameterSet>(document, PropertyId::TableParameterSet);
    settings.tableParameters.insert(rows.begin(), rows.end());
    Workflow(&document).GetExcludedParameters(settings.excludedParameters);
    settings.knownVolumes = Read<DoubleVector>(document, PropertyId::KnownVolumes);
    settings.cuvetteTable = RowsOf(Read<Matrix>(document, PropertyId::CuvetteTable));
    return settings;
}

} // namespace Sistra
