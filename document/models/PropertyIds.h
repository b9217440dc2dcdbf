// One numbering for the properties of every workflow model (ids 0 to 74), the model kinds (1 to 14)
// and the value type of each property. Each id belongs to exactly one kind.
#pragma once

#include <cstdint>

namespace Sistra
{

namespace ModelKind
{
constexpr int WorkflowSetup = 1;
constexpr int PressureCalib = 2;
constexpr int ConductanceCalib = 3;
constexpr int SamplingStep = 4;
constexpr int CuvetteCalib = 5;
constexpr int SalineCalib = 6;
constexpr int AnalysisStep = 7;
constexpr int LoopView = 8;
constexpr int WorkflowView = 9;
constexpr int AlphaCalib = 10;
constexpr int VolumeCalib = 11;
constexpr int HemoTable = 12;
constexpr int TauModel = 13;
constexpr int KnownVolumeCalib = 14;
constexpr int First = 1;
constexpr int Last = 14;
} // namespace ModelKind

// Value type codes of properties.
enum class PropertyType : int
{
    Int = 0,
    Channel = 1,
    Bool = 2,
    Double = 3,
    Unit = 4,
    Text = 5,
    DoubleVector = 6,
    BolusList = 7,
    ParameterSet = 8,
    Position = 9,
    IntSet = 10,
    Matrix = 11,
};

namespace PropertyId
{
constexpr int WorkflowKind = 0;
constexpr int PressureChannel = 1;
constexpr int VolumeChannel = 2;
constexpr int PressureBase1 = 3;
constexpr int PressureConverted1 = 4;
constexpr int PressureBase2 = 5;
constexpr int PressureConverted2 = 6;
constexpr int PressureCalibrationApplied = 7;
constexpr int ConductanceBase1 = 8;
constexpr int ConductanceConverted1 = 9;
constexpr int ConductanceBase2 = 10;
constexpr int ConductanceConverted2 = 11;
constexpr int ConductanceCalibrationApplied = 12;
constexpr int ConductanceUnit = 13;
constexpr int SamplingComplete = 14;
constexpr int CuvetteSlope = 15;
constexpr int CuvetteIntercept = 16;
constexpr int CuvetteCalibrationApplied = 17;
constexpr int ParallelConductance = 18;
constexpr int SalineCalibrationApplied = 19;
constexpr int AnalysisType = 20;
constexpr int ShowEspvrRegression = 21;
constexpr int ShowEdpvrRegression = 22;
constexpr int EspvrRegressionType = 23;
constexpr int EdpvrRegressionType = 24;
constexpr int CurrentStep = 25;
constexpr int AutoTileViews = 26;
constexpr int RegionMode = 27;
constexpr int DetectionSource = 28;
constexpr int EcgEventSource = 29;
constexpr int MinimumPeakHeight = 30; // mmHg (PeakHeightUnit) on a channel that shows a pressure
constexpr int MinimumPeriod = 31;
constexpr int MinimumPeriodUnit = 32;
constexpr int CuvetteUnit = 33;
constexpr int WorkflowModeOn = 34;
constexpr int OnlineMode = 35;
constexpr int ShowLoopMarkers = 36;
constexpr int KnownVolumes = 37;
constexpr int CuvetteTable = 38;
constexpr int RegionSet = 39;
constexpr int BolusList = 40;
constexpr int SelectedBoluses = 41;
constexpr int Alpha = 42;
constexpr int AlphaCalibrationApplied = 43;
constexpr int AlphaSource = 44;
constexpr int BaseCardiacOutput = 45;
constexpr int ScaledCardiacOutput = 46;
constexpr int BaseStrokeVolume = 47;
constexpr int ScaledStrokeVolume = 48;
constexpr int VolumeCalibrationUnit = 49;
constexpr int VolumeBase1 = 50;
constexpr int VolumeBase2 = 51;
constexpr int VolumeConverted1 = 52;
constexpr int VolumeConverted2 = 53;
constexpr int VolumeCalibrationApplied = 54;
constexpr int TableParameterSet = 55;
constexpr int ShowSummaryPane = 56;
constexpr int AlwaysShowLatestRow = 57;
constexpr int SelectedLoop = 58;
constexpr int RegionStart = 59;
constexpr int RegionEnd = 60;
constexpr int CheckedItems = 61;
constexpr int TauModel = 62;
constexpr int KnownVolumePair = 63;
constexpr int KnownVolumeUnit = 64;
constexpr int KnownVolumeBaseEsv = 65;
constexpr int KnownVolumeBaseEdv = 66;
constexpr int KnownVolumeBaseSv = 67;
constexpr int KnownVolumeConvertedEsv = 68;
constexpr int KnownVolumeConvertedEdv = 69;
constexpr int KnownVolumeConvertedSv = 70;
constexpr int KnownVolumeCalibrationApplied = 71;
constexpr int StrokeVolumeMode = 72;
constexpr int EndSystolicMode = 73;
constexpr int EsPointType = 74;
constexpr int Count = 75;
} // namespace PropertyId

struct PropertyInfo
{
    int ownerKind;
    PropertyType type;
};

// Owner kind and type of an id; kind 0 for an id outside 0 to 74.
PropertyInfo GetPropertyInfo(int id);

} // namespace Sistra
