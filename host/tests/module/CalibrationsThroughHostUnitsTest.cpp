// The host's own units put back (Channel > Recorded Units) and a units conversion of the user's (Channel >
// Units...) on a calibrated channel: the channel, the loops and what a second Apply would take from the data
// agree. Recorded Units gives every applied calibration the channel again; Units... withdraws it, leaving
// what a document that was never calibrated shows in that unit.
#include "host/app/document/ChannelActions.h"
#include "host/app/document/DocumentEventRelay.h"
#include "host/tests/module/DocumentOnHost.h"

#include "calc/sources/ChannelMean.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace
{

using HostTests::DocumentOnHost;
using namespace Sistra;

constexpr int32_t PressureChannel = 0, VolumeChannel = 1;
constexpr int WorkflowOff = 0;
// A stretch of the mouse's recording some beats long, where the steps take their readings.
constexpr TickPosition StretchStart{0, 1000}, StretchEnd{0, 1700};
const UnitInfo Microlitres{L"L", Orv::MicroSign};
// The mouse's 30 beats of 125 samples.
constexpr int32_t RecordingTicks = 3750;

Host::Recording MouseInMicrolitres()
{
    return HostTests::ElastanceVentricle{}.Written("mmHg", 1.0, "uL", 1.0);
}

// What a person sees of the calibration: the channel's samples, every loop's volumes and stroke work, and
// the value the calibration's step takes from the data when it is applied again.
struct Observed
{
    std::vector<double> channel;
    std::vector<double> loops;
    double reading = 0.0;
};

using Reading = std::function<double(DocumentOnHost&)>;

// The step's reading from the selected stretch, stored in the model's property by the step's handler; the
// value the model held is put back, so that reading changes no calibration.
Reading FromSelection(MessageAnswer (SistraDocument::*take)(LONG), int kind, int id)
{
    return [=](DocumentOnHost& document) {
        document.Host().SetSelection(StretchStart, StretchEnd);
        const ModelPtr model = document.Document().GetModel(kind);
        const double held = model->GetValue<PropertyType::Double>(id);
        (document.Document().*take)(0);
        const double taken = model->GetValue<PropertyType::Double>(id);
        model->SetValue<PropertyType::Double>(id, held);
        model->CommitChanges();
        return taken;
    };
}

double AnalysedVp(DocumentOnHost& document)
{
    return document.Document().Data().IntersectSalineLine().vp;
}

double CuvetteWellReading(DocumentOnHost& document)
{
    return document.Document().CuvetteReading(
        MeanOfChannelRange(&document.Host(), VolumeChannel, StretchStart, StretchEnd, false));
}

struct Calibration
{
    int kind;
    int appliedId;
    std::vector<std::pair<int, double>> values; // in the channel's base units (litres, mmHg) and the calibration's unit
    int unitId = 0;                              // the calibration's unit, microlitres; 0: none to set
};

struct CalibrationCase
{
    const char* name;
    int workflow;
    int32_t channel;
    std::vector<Calibration> applied;
    Reading reading;
};

Observed Observe(DocumentOnHost& document, int32_t channel, const Reading& reading)
{
    Observed seen;
    document.Send(AutomationMessage::AnalyzeSistraNow);
    for (int32_t tick = 0; tick < RecordingTicks; tick += 97)
        seen.channel.push_back(MeanOfChannelRange(&document.Host(), channel, {0, tick}, {0, tick}, false));
    SistraData& data = document.Document().Data();
    for (uint32_t loop = 0; loop < data.GetLoopCount(); ++loop)
        if (SistraEvent record; data.ReadLoop(loop, record) && record.state == LoopStateValid)
            seen.loops.insert(seen.loops.end(), {record.ved, record.ves, record.sw});
    seen.reading = reading(document);
    return seen;
}

void ExpectSame(const std::vector<double>& expected, const std::vector<double>& actual, const std::string& what)
{
    ASSERT_EQ(expected.size(), actual.size()) << what;
    const auto agree = [](double x, double y) { return std::abs(x - y) <= 1e-6 * std::abs(x) + 1e-12; };
    // The first that differs tells: the others differ alike.
    const auto differs = std::mismatch(expected.begin(), expected.end(), actual.begin(), agree);
    if (differs.first != expected.end())
    {
        EXPECT_EQ(*differs.first, *differs.second) << what << " " << differs.first - expected.begin();
    }
}

void ExpectSame(const Observed& expected, const Observed& actual, const std::string& when)
{
    ExpectSame(expected.channel, actual.channel, when + ": the channel's samples");
    ExpectSame(expected.loops, actual.loops, when + ": the loops' volumes and stroke work");
    ExpectSame({expected.reading}, {actual.reading}, when + ": the reading a second Apply takes");
}

void SetWorkflow(DocumentOnHost& document, int workflow)
{
    const ModelPtr setup = document.Document().GetSetupModel();
    setup->SetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn, workflow != WorkflowOff);
    if (workflow != WorkflowOff)
        setup->SetValue<PropertyType::Int>(PropertyId::WorkflowKind, workflow);
    setup->CommitChanges();
}

// Channel > Units...: the volume in millilitres, the pressure in kilopascals.
void ChangeUnitsAsTheUserDoes(DocumentOnHost& document, int32_t channel)
{
    Host::UnitsChange change{.channel = channel, .raw1 = 0.0, .raw2 = 1.0, .shown1 = 0.0};
    change.shown2 = channel == VolumeChannel ? 0.001 : 0.133322387415;
    change.unit = channel == VolumeChannel ? L"mL" : L"kPa";
    Host::ChangeChannelUnits(document.Host(), change);
}

TEST(CalibrationsThroughHostUnits, RecordedUnitsKeepEveryCalibrationAndUnitsWithdrawsIt)
{
    using Self = SistraDocument;
    const Calibration saline{ModelKind::SalineCalib, PropertyId::SalineCalibrationApplied,
                             {{PropertyId::ParallelConductance, 4.934e-6}}};
    const Calibration alpha{ModelKind::AlphaCalib, PropertyId::AlphaCalibrationApplied, {{PropertyId::Alpha, 1.6}}};
    const Calibration mpvs{ModelKind::VolumeCalib, PropertyId::VolumeCalibrationApplied,
                           {{PropertyId::VolumeBase1, 1e-5}, {PropertyId::VolumeConverted1, 9.0},
                            {PropertyId::VolumeBase2, 4e-5}, {PropertyId::VolumeConverted2, 38.0}},
                           PropertyId::VolumeCalibrationUnit};
    const CalibrationCase cases[] = {
        {"saline", WorkflowOff, VolumeChannel, {saline}, AnalysedVp},
        {"cuvette", WorkflowOff, VolumeChannel,
         {{ModelKind::CuvetteCalib, PropertyId::CuvetteCalibrationApplied,
           {{PropertyId::CuvetteSlope, 1.2e-6}, {PropertyId::CuvetteIntercept, 3e-6}}, PropertyId::CuvetteUnit}},
         CuvetteWellReading},
        {"conductance", 1, VolumeChannel,
         {{ModelKind::ConductanceCalib, PropertyId::ConductanceCalibrationApplied,
           {{PropertyId::ConductanceBase1, 1e-5}, {PropertyId::ConductanceConverted1, 12.0},
            {PropertyId::ConductanceBase2, 4e-5}, {PropertyId::ConductanceConverted2, 45.0}},
           PropertyId::ConductanceUnit}},
         FromSelection(&Self::OnSetConductanceValueFromSel, ModelKind::ConductanceCalib, PropertyId::ConductanceBase1)},
        {"alpha", 1, VolumeChannel, {alpha}, AnalysedVp},
        {"known volume", 3, VolumeChannel,
         {{ModelKind::KnownVolumeCalib, PropertyId::KnownVolumeCalibrationApplied,
           {{PropertyId::KnownVolumeBaseEsv, 1e-5}, {PropertyId::KnownVolumeConvertedEsv, 12.0},
            {PropertyId::KnownVolumeBaseEdv, 3.5e-5}, {PropertyId::KnownVolumeConvertedEdv, 40.0}},
           PropertyId::KnownVolumeUnit}},
         FromSelection(&Self::OnSetKnownVolumeValueFromSel, ModelKind::KnownVolumeCalib, PropertyId::KnownVolumeBaseEsv)},
        {"MPVS volume", 2, VolumeChannel, {mpvs},
         FromSelection(&Self::OnSetVolumeValueFromSel, ModelKind::VolumeCalib, PropertyId::VolumeBase1)},
        {"MPVS volume, saline and alpha", 2, VolumeChannel, {mpvs, saline, alpha}, AnalysedVp},
        {"pressure", WorkflowOff, PressureChannel,
         {{ModelKind::PressureCalib, PropertyId::PressureCalibrationApplied,
           {{PropertyId::PressureBase1, 0.0}, {PropertyId::PressureConverted1, 1.0}, {PropertyId::PressureBase2, 100.0},
            {PropertyId::PressureConverted2, 111.0}}}},
         FromSelection(&Self::OnSetPressureValueFromSel, ModelKind::PressureCalib, PropertyId::PressureBase1)},
    };
    const Host::Recording recording = MouseInMicrolitres();
    for (const CalibrationCase& test : cases)
    {
        SCOPED_TRACE(test.name);
        DocumentOnHost document(recording, false, false);
        const Host::DocumentEventRelay hostEvents(document.Host(), document.Document().Outer());
        SetWorkflow(document, test.workflow);
        const Observed recorded = Observe(document, test.channel, test.reading);
        for (const Calibration& calibration : test.applied)
        {
            const ModelPtr model = document.Document().GetModel(calibration.kind);
            for (const auto& [id, value] : calibration.values)
                model->SetValue<PropertyType::Double>(id, value);
            if (calibration.unitId)
                model->SetValue<PropertyType::Unit>(calibration.unitId, Microlitres);
            model->SetValue<PropertyType::Bool>(calibration.appliedId, true);
            model->CommitChanges();
        }
        // How many of the case's calibrations are applied.
        const auto applied = [&] {
            return std::count_if(test.applied.begin(), test.applied.end(), [&](const Calibration& calibration) {
                return document.Document().GetModel(calibration.kind)->GetValue<PropertyType::Bool>(calibration.appliedId);
            });
        };
        ASSERT_EQ(static_cast<ptrdiff_t>(test.applied.size()), applied());
        const Observed calibrated = Observe(document, test.channel, test.reading);
        ASSERT_GT(std::abs(calibrated.channel[1] - recorded.channel[1]), 1e-3 * std::abs(recorded.channel[1]))
            << "the calibration does not reach the channel";

        Host::RestoreRecordedUnits(document.Host());
        EXPECT_EQ(static_cast<ptrdiff_t>(test.applied.size()), applied());
        ExpectSame(calibrated, Observe(document, test.channel, test.reading), "after Recorded Units");

        ChangeUnitsAsTheUserDoes(document, test.channel);
        EXPECT_EQ(0, applied());
        DocumentOnHost never(recording, false, false);
        const Host::DocumentEventRelay neverEvents(never.Host(), never.Document().Outer());
        SetWorkflow(never, test.workflow);
        ChangeUnitsAsTheUserDoes(never, test.channel);
        ExpectSame(Observe(never, test.channel, test.reading), Observe(document, test.channel, test.reading),
                   "after Units...");

        // Nothing applied any more: the recorded units show what they showed before the calibration.
        Host::RestoreRecordedUnits(document.Host());
        EXPECT_EQ(0, applied());
        ExpectSame(recorded, Observe(document, test.channel, test.reading), "after Units... and Recorded Units");
    }
}

} // namespace
