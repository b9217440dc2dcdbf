// The module's document on a host document, driven as the host drives it: made by the module's
// document class, given the setup pane's choices, told that its host document is ready, and asked to
// analyse with its own automation command; its loops, summaries and relations read back.
#pragma once

#include "host/app/document/DocumentEventRelay.h"
#include "host/app/document/HostDocument.h"
#include "host/app/calc/ModuleCalcFunctions.h"
#include "host/app/macro/MacroText.h"
#include "hostapi/LoopParameterNames.h"
#include "hostapi/SistraSetupPane.h"
#include "hostapi/VyrClassRegistry.h"
#include "hostapi/VyrDocuments.h"

#include "foundation/com/ComPtr.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Host
{

// What the setup pane would choose; channels counted from 0.
struct AnalysisChoices
{
    int32_t pressureChannel = 0;
    int32_t volumeChannel = 1;
    std::optional<std::wstring> ecgSource; // an event-source text, or end-diastole from the pressure
    // What the choices leave doubtful, said before the results.
    std::vector<std::string> warnings;
    double peakHeight = 20.0;              // mmHg, in any pressure unit
    double minimumPeriod = 0.05;           // seconds
    bool wholeRecording = true;            // else the host document's selection
    bool online = false;
    // The pressure calibration pane's points: raw (recorded unit) and pressure (mmHg), twice.
    std::optional<std::array<double, 4>> pressurePoints;
    // The volume channel's line outside the workflow: microlitres per recorded unit, and microlitres.
    std::optional<std::array<double, 2>> volumeLine;
    // The module's saved settings, which give the channels and the detector in place of the above.
    std::optional<std::wstring> settingsFile;
    // Or the host document file whose module settings the document takes, its region among them (unless
    // wholeRecording is cleared or online set).
    std::optional<std::wstring> documentFile;
    // What the host makes once the module's document is made and before its settings load: the host
    // document's own channels that the settings may name.
    std::function<void()> beforeSettingsLoad;
};

struct LoopRow
{
    int32_t block;
    Sistra::SistraEvent record;
    std::array<double, LoopParameterCount> values;
};

struct SummaryRow
{
    std::string unit;
    std::optional<SistraParameterSummary> summary;
};

struct RelationRow
{
    const char* name;
    std::optional<SistraRegression> fit;
    // The units of the slope, the intercept and the curvature, those of the loops' parameters; empty for
    // a coefficient the relation does not have.
    std::array<std::string, 3> units;
    // What the fit holds: r squared, or the correlation r itself ("r") for the major-axis line.
    const char* measure = "r2";
    // Without a fit: the r squared (below 0) of a fit further from the loops than their mean.
    std::optional<double> worseThanMean;
};

// The units of a relation's coefficients from the units of the loops' pressures, volumes, stroke work
// and dP/dt.
struct LoopUnits
{
    std::string pressure, volume, work, pressureRate;
};
std::array<std::string, 3> RelationUnits(SistraRelation relation, const LoopUnits& units);

class DocumentAnalysis
{
public:
    // Makes the module's document on the host document (whose function lookup it sets) and gives it
    // the choices. Throws std::runtime_error when the module has no document class or refuses them.
    DocumentAnalysis(IVyrStandIn& standIn, HostDocument& host, const AnalysisChoices& choices);
    ~DocumentAnalysis();
    DocumentAnalysis(const DocumentAnalysis&) = delete;
    DocumentAnalysis& operator=(const DocumentAnalysis&) = delete;

    // The module's document, as its views are made for it.
    IUnknown* Document() const { return document_.Get(); }

    // Sends the document's "AnalyzeSistraNow", as a macro or the Analyze menu would.
    void AnalyzeNow();
    // Sends the document's "CopyPVTableToTallion", as the hemodynamics table view's button would.
    void CopyTableToResultsSheet();
    // Hands the document a message, as the host's router would: 1 when the document handled it.
    LONG Deliver(IMessage* message);
    // Runs a macro statement's command on the document: its answer. Throws std::invalid_argument when the
    // module has no such command or it does not take the statement's arguments.
    LONG RunStatement(Macro::Statement& statement);
    ISistraSetupPane& Pane() { return *pane_.Get(); }
    // What the document's making left doubtful (settings loaded without a checksum).
    const std::vector<std::string>& Warnings() const { return warnings_; }

    // Leaves the workflow as "Workflow Mode..." with its box cleared does.
    void LeaveWorkflowMode();
    // As "Workflow Mode..." does, its box set or cleared.
    void SetWorkflowMode(bool on);
    // Writes the document's settings to a settings file; throws std::runtime_error when it cannot.
    void SaveSettings(const std::wstring& path);

    uint32_t LoopCount();
    // The loop the views show selected (counted from 0); -1 when none is.
    int32_t SelectedLoop();
    std::vector<LoopRow> Loops();
    // By parameter index 1-31 (entry 0 is index 1).
    std::vector<SummaryRow> Summaries();
    std::vector<RelationRow> Relations();

private:
    void ApplyCalibrations(const AnalysisChoices& choices);
    void ApplyVolumeLine(int32_t channel, const std::array<double, 2>& line);
    void Send(const wchar_t* commandName, const void* payload, const std::string& failure);

    IVyrStandIn& standIn_;
    HostDocument& host_;
    std::unique_ptr<Calc::ModuleFunctionTable> functions_;
    Orv::ComPtr<ICustomDocument> document_;
    Orv::ComPtr<ISistraSetupPane> pane_;
    std::unique_ptr<DocumentEventRelay> hostEvents_;
    std::vector<std::string> warnings_;
};

// Runs the document's "Workflow Mode..." with its dialog's box set or cleared, as a user enters or leaves
// the workflow. Throws std::runtime_error when the module has no such command or the document does not
// run it.
void SetWorkflowMode(IVyrStandIn& standIn, IUnknown* document, bool on);
void LeaveWorkflowMode(IVyrStandIn& standIn, IUnknown* document);

// The names of the relations, by SistraRelation.
extern const std::array<const char*, SistraRelationCount> RelationNames;

} // namespace Host
