// The loop view over a host recording whose channels carry prefixed units: the relations' equations read
// in the units the axes show.
#include "host/tests/module/DocumentOnHost.h"
#include "host/tests/module/HostedView.h"

#include "views/loop/LoopView.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cwchar>
#include <optional>
#include <span>
#include <string>

namespace
{

using HostTests::DocumentOnHost;

// Beats that grow from one to the next, pressure in kPa and volume in mL.
Host::Recording GrowingVentricleInPrefixedUnits()
{
    constexpr int32_t Samples = 24000;
    constexpr double KilopascalsPerMmHg = 0.133322;
    const CalcTesting::RealisticBeat beat{0.8};
    std::vector<float> pressure, volume;
    for (int32_t tick = 0; tick < Samples; ++tick)
    {
        const double t = tick * HostTests::Interval;
        pressure.push_back(static_cast<float>(beat.Pressure(t) * KilopascalsPerMmHg * (1.0 + 0.01 * std::floor(t / 0.8))));
        volume.push_back(static_cast<float>(beat.Volume(t) * 1e-3 * (1.0 + 0.02 * std::floor(t / 0.8))));
    }
    Host::Recording recording({{"Pressure", "kPa"}, {"Volume", "mL"}});
    const std::vector<std::span<const float>> rows{pressure, volume};
    recording.AddRecord(HostTests::Interval).Append(rows);
    recording.RecordAt(0).MarkComplete();
    recording.MarkFinished();
    return recording;
}

// "<name> = <slope> * <x> +|- <intercept>, ...": the line it states at x.
double StatedLineAt(const std::wstring& text, double x)
{
    const size_t equals = text.find(L" = ");
    wchar_t* end = nullptr;
    const double slope = std::wcstod(text.c_str() + equals + 3, &end);
    const std::wstring rest(end);
    const size_t sign = rest.find_first_of(L"+-");
    const double intercept = std::wcstod(rest.c_str() + sign + 1, nullptr);
    return slope * x + (rest[sign] == L'-' ? -intercept : intercept);
}

class LoopViewOnHost : public ::testing::Test
{
protected:
    void SetUp() override
    {
        document.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
        ASSERT_GT(Doc().Data().GetLoopCount(), 20u);
        ASSERT_TRUE(view.Open(Doc(), 800, 560));
    }
    Sistra::SistraDocument& Doc() { return document.Document(); }

    const Host::Recording recording = GrowingVentricleInPrefixedUnits();
    DocumentOnHost document{recording, false, false};
    HostTests::HostedView<Sistra::SistraAnalysisGraphView> view;
};

} // namespace

// The graph leaves the view's size grip to the view, also after the view changed its size.
TEST_F(LoopViewOnHost, TheGraphLeavesTheSizeGripUncovered)
{
    view.Show();
    EXPECT_FALSE(HostTests::SizeGripCovered(view->GetHandle()));
    ::MoveWindow(view->GetHandle(), 0, 0, 640, 480, TRUE);
    EXPECT_FALSE(HostTests::SizeGripCovered(view->GetHandle()));
}

// Each straight relation passes through the mean of its loops' points as the axes show them, whatever the
// prefixes of the channels' units.
TEST_F(LoopViewOnHost, StraightRelationsReadInTheAxesUnits)
{
    Sistra::SistraDocument& doc = Doc();
    const double xScale = view->GetDomainUnitScale(), yScale = view->GetRangeUnitScale();
    EXPECT_DOUBLE_EQ(1e3, xScale);
    EXPECT_DOUBLE_EQ(1e-3, yScale);
    struct Relation
    {
        std::optional<Orv::String> text;
        double Sistra::SistraEvent::*volume;
        double Sistra::SistraEvent::*pressure;
    };
    const Relation relations[] = {{view->EspvrText(Sistra::EspvrLinear), &Sistra::SistraEvent::ves, &Sistra::SistraEvent::pes},
                                  {view->EdpvrText(Sistra::EdpvrLinear), &Sistra::SistraEvent::ved, &Sistra::SistraEvent::ped}};
    for (const Relation& relation : relations)
    {
        ASSERT_TRUE(relation.text);
        double volume = 0.0, pressure = 0.0;
        int loops = 0;
        for (uint32_t loop = 0; loop < doc.Data().GetLoopCount(); ++loop)
        {
            Sistra::SistraEvent record;
            if (doc.Data().ReadLoop(loop, record) && record.state == Sistra::LoopStateValid)
                volume += record.*relation.volume * xScale, pressure += record.*relation.pressure * yScale, ++loops;
        }
        const double meanPressure = pressure / loops;
        EXPECT_NEAR(meanPressure, StatedLineAt(relation.text->c_str(), volume / loops), 0.02 * meanPressure)
            << relation.text->c_str();
    }
}

// The quadratic ESPVR, fitted to the points as shown, is drawn over the data in their units and runs
// along the end-systolic points; with a picture of both curved relations over loops in kPa and mL.
TEST_F(LoopViewOnHost, TheCurvedRelationsRunAlongTheirPoints)
{
    std::array<double, 3> shown{};
    ASSERT_TRUE(Doc().Data().FitEspvrQuadratic(shown, nullptr, false));
    const std::array<double, 3> c = view->InDataUnits(shown);
    for (uint32_t loop = 0; loop < Doc().Data().GetLoopCount(); ++loop)
    {
        Sistra::SistraEvent record;
        if (!Doc().Data().ReadLoop(loop, record) || record.state != Sistra::LoopStateValid)
            continue;
        EXPECT_NEAR(record.pes, c[0] + c[1] * record.ves + c[2] * record.ves * record.ves, 0.02 * record.pes) << loop;
    }

    Doc().GetSetupModel()->SetWorkflowModeOn(false);
    Doc().GetSetupModel()->CommitChanges();
    const Sistra::ModelPtr relations = Doc().GetModel(Sistra::ModelKind::LoopView);
    relations->SetValue<Sistra::PropertyType::Bool>(Sistra::PropertyId::ShowEspvrRegression, true);
    relations->SetValue<Sistra::PropertyType::Bool>(Sistra::PropertyId::ShowEdpvrRegression, true);
    relations->SetValue<Sistra::PropertyType::Int>(Sistra::PropertyId::EspvrRegressionType, Sistra::EspvrQuadratic);
    relations->SetValue<Sistra::PropertyType::Int>(Sistra::PropertyId::EdpvrRegressionType, Sistra::EdpvrExponential);
    relations->CommitChanges();
    view.Show();
    view->DataChanged(0);
    EXPECT_FALSE(view.SavePicture(L"loop_view_curved_relations").empty());
    EXPECT_TRUE(::IsWindowVisible(view->EspvrCheck().GetHandle()));
}
