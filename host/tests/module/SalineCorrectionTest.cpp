// The volume corrections every volume the analysis reads goes through. The saline calibration's parallel
// conductance Vp is taken off: each loop's volumes are the uncorrected ones less Vp, the relations move with
// them, and the pressure-volume areas, which a shift of every volume leaves as they are, stay the
// uncorrected analysis's. The alpha factor divides them: volumes and areas alike.
#include "host/tests/module/DocumentOnHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <numbers>

namespace
{

using HostTests::DocumentOnHost;
using namespace Sistra;

#pragma pack(push, 4)
struct VpPayload
{
    ULONG typeWord = 0x3;
    double vp;
};
#pragma pack(pop)

// A preload reduction of a ventricle of constant end-systolic elastance: each beat fills less than the
// one before, its pressure the elastance times (volume - V0) as it contracts, so that the relations and the
// areas exist. Its volume rests at end systole for a tenth of the beat, or with a rounded corner turns
// from ejecting to filling at once, where the largest P/V lies on a volume that still changes.
Host::Recording PreloadReduction(bool roundedCorner = false)
{
    constexpr double Interval = 0.001, Beat = 0.125, V0 = 3.0, Emax = 8.0, Emin = 0.15;
    constexpr int Beats = 40;
    std::vector<float> pressure, volume;
    for (int tick = 0; tick < static_cast<int>(Beats * Beat / Interval); ++tick)
    {
        const double t = tick * Interval;
        const int beat = static_cast<int>(t / Beat);
        const double x = t / Beat - beat;
        const double ved = 35.0 - 12.0 * beat / Beats, ves = 12.0 - 3.0 * beat / Beats;
        const double next = 35.0 - 12.0 * std::min(beat + 1, Beats - 1) / Beats;
        const double rest = roundedCorner ? 0.0 : 0.05;
        const double v = x < 0.1           ? ved
                         : x < 0.5 - rest ? ves + (ved - ves) * (0.5 + 0.5 * std::cos(std::numbers::pi * (x - 0.1) / (0.4 - rest)))
                         : x < 0.5 + rest ? ves
                                          : ves + (next - ves) * (0.5 - 0.5 * std::cos(std::numbers::pi * (x - 0.5 - rest) / (0.5 - rest)));
        const double activation = x < 0.5 ? std::pow(std::sin(std::numbers::pi * x), 2) : 0.0;
        pressure.push_back(static_cast<float>((Emin + (Emax - Emin) * activation) * (v - V0) + 2.0));
        volume.push_back(static_cast<float>(v));
    }
    return HostTests::MakeRecording(Interval, {{pressure, volume}}, 2);
}

struct LoopVolumes
{
    double ved, ves, vmax, vmin, pva;
};

std::vector<LoopVolumes> Analyse(DocumentOnHost& document)
{
    document.Send(AutomationMessage::AnalyzeSistraNow);
    std::vector<LoopVolumes> loops;
    SistraData& data = document.Document().Data();
    for (uint32_t loop = 0; loop < data.GetLoopCount(); ++loop)
    {
        SistraEvent record;
        PVAEvent area;
        if (!data.ReadLoop(loop, record) || record.state != LoopStateValid)
            continue;
        const double pva = data.PressureStore().GetPvaRecord(loop, area) ? area.pva : std::nan("");
        loops.push_back({record.ved, record.ves, record.vmax, record.vmin, pva});
    }
    return loops;
}

TEST(SalineCorrection, VpIsTakenOffEveryLoopVolumeAndLeavesTheAreas)
{
    const Host::Recording recording = PreloadReduction();
    DocumentOnHost document(recording, false, false);
    document.Document().GetSetupModel()->SetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn, false);
    document.Document().GetSetupModel()->CommitChanges();
    const std::vector<LoopVolumes> plain = Analyse(document);
    ASSERT_GE(plain.size(), 5u);
    ASSERT_TRUE(std::isfinite(plain[2].pva));
    // Vp in the channel's unprefixed unit: a tenth of the first loop's end-diastolic volume.
    const double vp = plain[0].ved / 10;

    const VpPayload apply{0x3, vp};
    document.Send(AutomationMessage::ApplySistraSalineCalibration, &apply);
    const std::vector<LoopVolumes> corrected = Analyse(document);
    ASSERT_EQ(plain.size(), corrected.size());
    const double tolerance = 1e-5 * plain[0].ved;
    for (size_t loop = 0; loop < plain.size(); ++loop)
    {
        EXPECT_NEAR(plain[loop].ved - vp, corrected[loop].ved, tolerance) << loop;
        EXPECT_NEAR(plain[loop].ves - vp, corrected[loop].ves, tolerance) << loop;
        EXPECT_NEAR(plain[loop].vmax - vp, corrected[loop].vmax, tolerance) << loop;
        EXPECT_NEAR(plain[loop].vmin - vp, corrected[loop].vmin, tolerance) << loop;
        EXPECT_NEAR(plain[loop].pva, corrected[loop].pva, 1e-4 * std::abs(plain[loop].pva)) << loop;
        EXPECT_GT(corrected[loop].pva, 0.0) << loop;
    }

    document.Send(AutomationMessage::DisableSistraSalineCalibration);
    const std::vector<LoopVolumes> restored = Analyse(document);
    ASSERT_EQ(plain.size(), restored.size());
    for (size_t loop = 0; loop < plain.size(); ++loop)
    {
        EXPECT_NEAR(plain[loop].ved, restored[loop].ved, tolerance) << loop;
        EXPECT_NEAR(plain[loop].pva, restored[loop].pva, 1e-4 * std::abs(plain[loop].pva)) << loop;
    }
}

TEST(AlphaCorrection, AlphaDividesEveryLoopVolumeAndArea)
{
    const Host::Recording recording = PreloadReduction();
    DocumentOnHost document(recording, false, false);
    const ModelPtr setup = document.Document().GetSetupModel();
    setup->SetValue<PropertyType::Int>(PropertyId::WorkflowKind, 1);
    setup->SetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn, true);
    setup->CommitChanges();
    const std::vector<LoopVolumes> plain = Analyse(document);
    ASSERT_GE(plain.size(), 5u);

    constexpr double Alpha = 1.6;
    const ModelPtr alpha = document.Document().GetModel(ModelKind::AlphaCalib);
    alpha->SetValue<PropertyType::Double>(PropertyId::Alpha, Alpha);
    alpha->SetValue<PropertyType::Bool>(PropertyId::AlphaCalibrationApplied, true);
    alpha->CommitChanges();
    const std::vector<LoopVolumes> corrected = Analyse(document);
    ASSERT_EQ(plain.size(), corrected.size());
    for (size_t loop = 0; loop < plain.size(); ++loop)
    {
        EXPECT_NEAR(plain[loop].ved / Alpha, corrected[loop].ved, 1e-5 * plain[loop].ved) << loop;
        EXPECT_NEAR(plain[loop].ves / Alpha, corrected[loop].ves, 1e-5 * plain[loop].ves) << loop;
        EXPECT_NEAR(plain[loop].pva / Alpha, corrected[loop].pva, 1e-4 * std::abs(plain[loop].pva)) << loop;
    }
}

// The saline line is fitted on the volumes before Vp and alpha are taken off: fitted on the corrected ones,
// a second Apply found the residual of the first (some -0.09 uL) and put it in Vp's place; and its
// end-systolic points are found on them too: on loops with a rounded corner the corrected volumes put the
// largest P/V elsewhere, and Vp moved by some 0.06 uL at each Apply. Whatever the order of applying, adding,
// withdrawing and applying again, Vp and the corrected volumes stay put.
void ExpectTheSameVpWhateverIsApplied(bool roundedCorner)
{
    const Host::Recording recording = PreloadReduction(roundedCorner);
    DocumentOnHost document(recording, false, false);
    const ModelPtr setup = document.Document().GetSetupModel();
    setup->SetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn, false);
    setup->CommitChanges();
    const std::vector<LoopVolumes> plain = Analyse(document);
    ASSERT_GE(plain.size(), 5u);
    SistraData& data = document.Document().Data();
    const auto analysedVp = [&] { return data.IntersectSalineLine().vp; };
    const ModelPtr saline = document.Document().GetModel(ModelKind::SalineCalib);
    const auto appliedVp = [&] { return saline->GetValue<PropertyType::Double>(PropertyId::ParallelConductance); };
    const double vp = analysedVp();
    // The beats' volumes lie on Ves = Ved / 4 + 3.25 (Ved 35 to 23.3, Ves 12 to 9.1): Vp = 3.25 / 0.75.
    if (!roundedCorner)
    {
        ASSERT_NEAR(13.0 / 3.0, vp, 0.05);
    }
    ASSERT_TRUE(data.IntersectSalineLine().HasVp());
    const double tolerance = 1e-5 * plain[0].ved;

    const auto apply = [&](double value) {
        const VpPayload payload{0x3, value};
        document.Send(AutomationMessage::ApplySistraSalineCalibration, &payload);
    };
    const struct
    {
        const char* step;
        std::function<void()> action;
    } steps[] = {
        {"Apply", [&] { apply(analysedVp()); }},
        {"Apply again", [&] { apply(analysedVp()); }},
        {"Add", [&] { document.Send(AutomationMessage::AddAnalyzedParallelConductance); }},
        {"untick", [&] { document.Send(AutomationMessage::DisableSistraSalineCalibration); }},
        {"tick", [&] { apply(appliedVp()); }},
    };
    for (const auto& step : steps)
    {
        step.action();
        const bool applied = saline->GetValue<PropertyType::Bool>(PropertyId::SalineCalibrationApplied);
        EXPECT_EQ(std::string(step.step) != "untick", applied) << step.step;
        EXPECT_NEAR(vp, analysedVp(), tolerance) << step.step;
        EXPECT_NEAR(vp, appliedVp(), tolerance) << step.step;
        const std::vector<LoopVolumes> loops = Analyse(document);
        ASSERT_EQ(plain.size(), loops.size()) << step.step;
        EXPECT_NEAR(plain[0].ved - (applied ? vp : 0.0), loops[0].ved, tolerance) << step.step;
        EXPECT_NEAR(plain[0].ves - (applied ? vp : 0.0), loops[0].ves, tolerance) << step.step;
    }
    const auto boluses = saline->GetValue<PropertyType::BolusList>(PropertyId::BolusList);
    ASSERT_EQ(1u, boluses.size());
    EXPECT_NEAR(vp, boluses[0].value, tolerance);

    // With alpha dividing the volumes as well, the line still meets the identity at the same Vp.
    setup->SetValue<PropertyType::Int>(PropertyId::WorkflowKind, 1);
    setup->SetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn, true);
    setup->CommitChanges();
    saline->SetValue<PropertyType::Double>(PropertyId::ParallelConductance, vp);
    saline->SetValue<PropertyType::Bool>(PropertyId::SalineCalibrationApplied, true);
    saline->CommitChanges();
    constexpr double Alpha = 1.6;
    const ModelPtr alpha = document.Document().GetModel(ModelKind::AlphaCalib);
    alpha->SetValue<PropertyType::Double>(PropertyId::Alpha, Alpha);
    alpha->SetValue<PropertyType::Bool>(PropertyId::AlphaCalibrationApplied, true);
    alpha->CommitChanges();
    const std::vector<LoopVolumes> divided = Analyse(document);
    ASSERT_EQ(plain.size(), divided.size());
    // Applying alpha may withdraw the saline correction as a dependent calibration; whichever stays in
    // force, the loops' volume takes off exactly that, and the saline line still finds the same Vp.
    const double vpInForce = saline->GetValue<PropertyType::Bool>(PropertyId::SalineCalibrationApplied) ? vp : 0.0;
    ASSERT_NEAR((plain[0].ved - vpInForce) / Alpha, divided[0].ved, tolerance) << "alpha in force";
    EXPECT_NEAR(vp, analysedVp(), tolerance);
}

TEST(SalineCorrection, TheSalineLineFindsTheSameVpWhateverIsApplied)
{
    for (const bool roundedCorner : {false, true})
    {
        SCOPED_TRACE(roundedCorner ? "rounded end-systolic corner" : "end-systolic rest");
        ExpectTheSameVpWhateverIsApplied(roundedCorner);
    }
}

} // namespace
