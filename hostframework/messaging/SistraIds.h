// The module's table of ids: numbers under its own GUIDs and the host events and types it uses.
#pragma once

#include "hostapi/VyrIds.h"
#include "hostframework/messaging/MessageIds.h"

namespace Sistra
{

// Types under SistraDocumentGUID.
using DocumentTypeId = TypeIdClass<&SistraDocumentGUID, 0>;
using DocumentDataTypeId = TypeIdClass<&SistraDocumentGUID, 5>;

namespace ViewType
{
constexpr USHORT HemodynamicsTable = 2;
constexpr USHORT AnalysisGraph = 4; // the loop view
constexpr USHORT Prsw = 5;
constexpr USHORT DpDtMaxEdvGraph = 7;
constexpr USHORT SalineCalibration = 8;
constexpr USHORT PvaEdv = 9;
constexpr USHORT PvaEsp = 10;
constexpr USHORT CuvetteCalibration = 11;
constexpr USHORT Workflow = 12;
} // namespace ViewType

// Document commands: menu items and toolbar buttons.
namespace Command
{
constexpr USHORT Settings = 13;
constexpr USHORT OpenHemodynamicsTable = 14;
constexpr USHORT OpenLoopView = 15;
constexpr USHORT ShowLoopMarkers = 17;
constexpr USHORT Reselect = 18;
constexpr USHORT OnlineMode = 19;
constexpr USHORT ClearAnalysis = 20;
constexpr USHORT Analyze = 21;
constexpr USHORT PlotsPopup = 22;
constexpr USHORT OpenPrswPlot = 23;
constexpr USHORT OpenDpDtMaxEdvPlot = 24;
constexpr USHORT OpenPvaEdvPlot = 25;
constexpr USHORT OpenPvaEspPlot = 26;
constexpr USHORT OpenSalineCalibration = 27;
constexpr USHORT OpenCuvetteCalibration = 28;
constexpr USHORT CopyRegression = 30;          // "Edit|Copy PV Regression^DATA_21"
constexpr USHORT OpenWorkflow = 31;
constexpr USHORT WorkflowMode = 32;
} // namespace Command

namespace DocumentNotification
{
constexpr USHORT AnalysisResultsChanged = 33;
constexpr USHORT ModelPropertiesChanged = 34;
constexpr USHORT ModelStatus = 35;
constexpr USHORT ModelReady = 36;
constexpr USHORT ModelNotReady = 37;
constexpr USHORT AnalysisCleared = 38;
} // namespace DocumentNotification

// Automation messages; 275, 277, 278 and 279 are not assigned.
namespace AutomationMessage
{
constexpr USHORT AddSelToSistraCuvetteCalibration = 256;
constexpr USHORT AnalyzeSistraNow = 257;
constexpr USHORT ClearSistraAnalysis = 258;
constexpr USHORT ReselectSistraAnalyzedRegion = 259;
constexpr USHORT ToggleSistraOnlineMode = 260;
constexpr USHORT ToggleSistraEventMarkers = 261;
constexpr USHORT ApplySistraSalineCalibration = 262;
constexpr USHORT DisableSistraSalineCalibration = 263;
constexpr USHORT ShowESPVRegression = 264;
constexpr USHORT ShowEDPVRegression = 265;
constexpr USHORT SetESPVRegressionType = 266;
constexpr USHORT SetEDPVRegressionType = 267;
constexpr USHORT SelectASistra = 268;
constexpr USHORT SistraTableRowSelected = 269;
constexpr USHORT ApplySistraCuvetteCalibration = 270;
constexpr USHORT DisableSistraCuvetteCalibration = 271;
constexpr USHORT CopyPVTableToTallion = 272;
constexpr USHORT SetSistraPressureValueFromSel = 273;
constexpr USHORT SetSistraConductanceValueFromSel = 274;
constexpr USHORT OpenSistraSettings = 276;
constexpr USHORT ArrangeSistraViews = 280;
constexpr USHORT AddAnalyzedParallelConductance = 281;
constexpr USHORT RemoveParallelConductanceFromList = 282;
constexpr USHORT SetSistraVolumeValueFromSel = 283;
constexpr USHORT OpenMPVSControlSoftware = 284;
constexpr USHORT EditParallelConductanceInList = 285;
constexpr USHORT SetKnownSistraVolumeValueFromSel = 286;
constexpr USHORT SetShowESPointsType = 287;
} // namespace AutomationMessage

// Numbers under the other GUIDs.
namespace EventDrawType
{
constexpr USHORT LoopEvent = 0;
constexpr USHORT EndDiastolicPointEvent = 1;
} // namespace EventDrawType

using ChannelCalculationId = MsgIdClass<&SistraChannelCalcGUID, 0>;
using HostListItemType = TypeIdClass<&HostTypeGUID, 2>;
using HostProgressType = TypeIdClass<&HostTypeGUID, 16>;
using HostCommentType = TypeIdClass<&HostTypeGUID, 18>;
using AnalysisManagerType = TypeIdClass<&AnalysisManagerGUID, 0>;
using HostCalculationReceiverType = TypeIdClass<&HostCalcTypeGUID, 0>;
using HostCalculationType = TypeIdClass<&HostCalcTypeGUID, 1>;
using HostCommonType = TypeIdClass<&HostCommonGUID, 0>;

namespace HostDocEvent
{
constexpr USHORT Refresh = 4;
constexpr USHORT RecordDeleted = 14;          // both clear an analysis whose region is set: its
constexpr USHORT RecordAdded = 16;            // (record, tick) ends may no longer be where they were
constexpr USHORT ChannelDataChanged = 20;     // both, for the pressure or volume channel, reanalyse
constexpr USHORT ChannelDataReplaced = 22;
constexpr USHORT ChannelOrSetupChanged = 34;
constexpr USHORT Selection = 44;
constexpr USHORT EventSourcesChanged = 51;
constexpr USHORT LoopEventsChanged = 52;      // broadcast to the views with the loop-event source
} // namespace HostDocEvent

namespace HostSamplingEvent
{
constexpr USHORT ResetLoops = 16;
}

namespace HostRangeEvent
{
constexpr USHORT StoreRange = 12;
constexpr USHORT ClearRange = 13;
} // namespace HostRangeEvent

// The host notification that carries a stored message for the document to dispatch.
constexpr ULONG StoredMessageNotificationId = VyrTypeId::StoredMessageNotification;

} // namespace Sistra
