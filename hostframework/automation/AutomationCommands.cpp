// The 28 automation commands of the group "Sistra". Each is a static class object linked into the
// start-up list while the library loads, in the order written here; registration meets them newest
// first. Their ids are asked of the host only once it is there, on first use.
#include "hostframework/automation/MessageClassObject.h"

#include "hostframework/messaging/SistraIds.h"

namespace Sistra::Automation
{

namespace
{

using Orv::MsgIdMessageClassObject;
using Orv::MsgIdMessageIdentity;
using Orv::MsgIdMessageParameter;
using Orv::String;
namespace Number = AutomationMessage;

constexpr wchar_t Group[] = L"Sistra";
// The module's own senders mark messages of the settings command so.
constexpr ULONG OpenSettingsSendFlags = 4;

template <USHORT N>
constexpr MsgIdMessageIdentity Command(const wchar_t* name, const wchar_t* description, bool secondOption = false,
                                       ULONG sendFlags = 0)
{
    return {&MsgIdClass<&SistraDocumentGUID, N>::GetId, name, Group, description, secondOption, sendFlags};
}

constexpr wchar_t PointIndexBoxes[] = L"pointIdx - boxes are indexed from left to right";

MsgIdMessageClassObject<> addSelToCuvette(Command<Number::AddSelToSistraCuvetteCalibration>(
    L"AddSelToSistraCuvetteCalibration", L"Adds the current Strix View selection to Cuvette Calibration in Sistra."));
MsgIdMessageClassObject<> analyzeNow(Command<Number::AnalyzeSistraNow>(
    L"AnalyzeSistraNow", L"Performs the analysis currently set up in the Sistra module"));
MsgIdMessageClassObject<> clearAnalysis(Command<Number::ClearSistraAnalysis>(
    L"ClearSistraAnalysis", L"Clears the last analysis performed by Sistra"));
MsgIdMessageClassObject<> reselect(Command<Number::ReselectSistraAnalyzedRegion>(
    L"ReselectSistraAnalyzedRegion", L"Reselects the data that was used in the last Sistra analysis"));
MsgIdMessageClassObject<> toggleOnline(Command<Number::ToggleSistraOnlineMode>(
    L"ToggleSistraOnlineMode", L"Enables/disables Sistra from analyzing while sampling"));
MsgIdMessageClassObject<> toggleMarkers(Command<Number::ToggleSistraEventMarkers>(
    L"ToggleSistraEventMarkers", L"Enables/disables the event markers appearing on Sistra events"));
MsgIdMessageClassObject<double> applySaline(
    Command<Number::ApplySistraSalineCalibration>(
        L"ApplySistraSalineCalibration",
        L"Uses Vp as the parallel conductance to use in Sistra calculations, and reanalyzes"),
    {L"Vp - parallel conductance; in unprefixed units", 0.0});
MsgIdMessageClassObject<> disableSaline(Command<Number::DisableSistraSalineCalibration>(
    L"DisableSistraSalineCalibration", L"Disables saline calibration, and reanalyzes"));
MsgIdMessageClassObject<double, double> applyCuvette(
    Command<Number::ApplySistraCuvetteCalibration>(L"ApplySistraCuvetteCalibration",
                                                   L"Sets the values for the cuvette calibration, and reanalyzes"),
    {L"slope - coefficient of linear conversion; in uL per unprefixed conductance unit", 0.0},
    {L"intercept - intercept of linear conversion; in uL", 0.0});
MsgIdMessageClassObject<> disableCuvette(Command<Number::DisableSistraCuvetteCalibration>(
    L"DisableSistraCuvetteCalibration", L"Disables cuvette calibration, and reanalyzes"));
MsgIdMessageClassObject<LONG> selectLoop(
    Command<Number::SelectASistra>(L"SelectASistra",
                                   L"Selects specified loop in the Loop View and Hemodynamics Table"),
    {L"LoopIdx - loop index, starting from zero. -1 will deselect all loops", 0});
MsgIdMessageClassObject<ULONG> tableRowSelected(
    Command<Number::SistraTableRowSelected>(L"SistraTableRowSelected",
                                            L"Message for special handling for when the table row being selected",
                                            true),
    {L"RowIdx - row index, starting from zero", 0});
MsgIdMessageClassObject<bool> showEspvr(
    Command<Number::ShowESPVRegression>(
        L"ShowESPVRegression",
        L"Enables or disables showing the end-systolic pressure-volume relation in Loop view."),
    {L"ShowESPVR", false});
MsgIdMessageClassObject<bool> showEdpvr(
    Command<Number::ShowEDPVRegression>(
        L"ShowEDPVRegression",
        L"Enables or disables showing the end-diastolic pressure-volume relation in Loop view."),
    {L"ShowEDPVR", false});
MsgIdMessageClassObject<String> setEspvrType(
    Command<Number::SetESPVRegressionType>(
        L"SetESPVRegressionType",
        L"Sets the regression type for the end-systolic pressure-volume relation in Loop view."),
    {L"RegressionType - Can be one of: \"Linear\", \"Quadratic\", \"Perpendicular\" or \"Tangent\"", String()});
MsgIdMessageClassObject<String> setEdpvrType(
    Command<Number::SetEDPVRegressionType>(
        L"SetEDPVRegressionType",
        L"Sets the regression type for the end-diastolic pressure-volume relation in Loop view."),
    {L"RegressionType - Can be one of: \"Linear\" or \"Exponential\"", String()});
MsgIdMessageClassObject<> copyTable(Command<Number::CopyPVTableToTallion>(
    L"CopyPVTableToTallion", L"Copies data from the Hemodynamics Table to the Tallion."));
MsgIdMessageClassObject<LONG> pressureFromSel(
    Command<Number::SetSistraPressureValueFromSel>(
        L"SetSistraPressureValueFromSel", L"Sets the base values for the pressure calibration from the selection",
        true),
    {L"pointIdx - 0 for the first point or 1 for the second point", 0});
MsgIdMessageClassObject<LONG> conductanceFromSel(
    Command<Number::SetSistraConductanceValueFromSel>(L"SetSistraConductanceValueFromSel",
                                                      L"Sets the values for conductance calibration", true),
    {PointIndexBoxes, 0});
MsgIdMessageClassObject<> openSettings(Command<Number::OpenSistraSettings>(
    L"OpenSistraSettings", L"Opens the Sistra settings dialog", false, OpenSettingsSendFlags));
MsgIdMessageClassObject<> arrangeViews(Command<Number::ArrangeSistraViews>(
    L"ArrangeSistraViews", L"Arranges the views according to the current step in the workflow"));
MsgIdMessageClassObject<> addParallelConductance(Command<Number::AddAnalyzedParallelConductance>(
    L"AddAnalyzedParallelConductance", L"Adds the currently analyzed parallel conductance to the workflow view"));
MsgIdMessageClassObject<LONG> removeParallelConductance(
    Command<Number::RemoveParallelConductanceFromList>(
        L"RemoveParallelConductanceFromList",
        L"Removes the specified parallel conductance from the list in the saline calibration step"),
    {L"position - position in the list (starting from 1) of the parallel conductance to remove", 0});
MsgIdMessageClassObject<LONG> volumeFromSel(
    Command<Number::SetSistraVolumeValueFromSel>(L"SetSistraVolumeValueFromSel",
                                                 L"Sets the values for volume calibration", true),
    {PointIndexBoxes, 0});
MsgIdMessageClassObject<> openControlSoftware(Command<Number::OpenMPVSControlSoftware>(
    L"OpenMPVSControlSoftware", L"Launches Millar Instruments' MPVS Ultra Control Interface"));
MsgIdMessageClassObject<LONG, double> editParallelConductance(
    Command<Number::EditParallelConductanceInList>(L"EditParallelConductanceInList",
                                                   L"Edits the value of a parallel conductance which is currently in "
                                                   L"the list in the saline calibration step"),
    {L"position - position in the list (starting from 1) of the parallel conductance to edit", 0},
    {L"parallelConductance - the new parallel conductance in prefixed volume units", 0.0});
MsgIdMessageClassObject<LONG> knownVolumeFromSel(
    Command<Number::SetKnownSistraVolumeValueFromSel>(L"SetKnownSistraVolumeValueFromSel",
                                                      L"Sets the values for known volume calibration", true),
    {PointIndexBoxes, 0});
MsgIdMessageClassObject<String> setEsPointsType(
    Command<Number::SetShowESPointsType>(
        L"SetShowESPointsType",
        L"Sets the type of end-systolic points to be shown in the Loop View and used to determine end-systolic-based "
        L"parameters in the Hemodynamics Table and other Views."),
    {L"esPointsType - can be one of: \"PerBeatESPoints\" or \"TangentFitESPoints\"", String()});

} // namespace

} // namespace Sistra::Automation
