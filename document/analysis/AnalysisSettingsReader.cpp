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

// The cuvette table keeps a well's readings in its column (row r is the r-th reading of every well):
// the readings of each well, well by well, to pair with the wells' known volumes.
std::vector<std::vector<double>> WellReadingsOf(const DoubleMatrix& matrix)
{
    std::vector<std::vector<double>> wells(static_cast<std::size_t>(matrix.Columns()));
    for (int32_t well = 0; well < matrix.Columns(); ++well)
        for (int32_t reading = 0; reading < matrix.Rows(); ++reading)
            wells[static_cast<std::size_t>(well)].push_back(matrix.At(reading, well));
    return wells;
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
    settings.cuvetteTable = WellReadingsOf(Read<Matrix>(document, PropertyId::CuvetteTable));
    return settings;
}

} // namespace Sistra
