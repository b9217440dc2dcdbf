// The loop view over host recordings whose channels carry prefixed units: the relations' equations read
// in the units the axes show, and the relations drawn run along their points.
#include "host/tests/module/DocumentOnHost.h"
#include "host/tests/module/HostedView.h"
#include "host/tests/module/SharedFramework.h"
#include "testsupport/RealInput.h"
#include "hostframework/tests/FrameworkTestSupport.h"
#include "host/app/calc/SampleFilterClass.h"

#include "views/loop/LoopView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cwchar>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace
{

using HostTests::DocumentOnHost;
using Sistra::FittedLine;
using Sistra::SistraAnalysisGraphView;

// The units a recording's channels carry: each value recorded is the value in mmHg or uL times the factor,
// and the axes print the prefixed units (the scale: shown value per value without the prefix).
struct ChannelUnits
{
    const char* pressure;
    double perMmHg;
    double pressureScale;
    const char* volume;
    double perMicrolitre;
    double volumeScale;
};

constexpr ChannelUnits UnitCombinations[] = {{"mmHg", 1.0, 1.0, "uL", 1.0, 1e6},
                                             {"mmHg", 1.0, 1.0, "mL", 1e-3, 1e3},
                                             {"kPa", 0.133322, 1e-3, "uL", 1.0, 1e6},
                                             {"kPa", 0.133322, 1e-3, "mL", 1e-3, 1e3}};

// Beats that grow from one to the next, their pressure moved by an offset (mmHg).
Host::Recording GrowingVentricle(const ChannelUnits& units, double pressureOffset = 0.0)
{
    constexpr int32_t Samples = 24000;
    const CalcTesting::RealisticBeat beat{0.8};
    std::vector<float> pressure, volume;
    for (int32_t tick = 0; tick < Samples; ++tick)
    {
        const double t = tick * HostTests::Interval;
        pressure.push_back(static_cast<float>(
            (beat.Pressure(t) * (1.0 + 0.01 * std::floor(t / 0.8)) + pressureOffset) * units.perMmHg));
        volume.push_back(static_cast<float>(beat.Volume(t) * units.perMicrolitre * (1.0 + 0.02 * std::floor(t / 0.8))));
    }
    Host::Recording recording({{"Pressure", units.pressure}, {"Volume", units.volume}});
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
    explicit LoopViewOnHost(const ChannelUnits& units = UnitCombinations[3], double pressureOffset = 0.0)
        : recording(GrowingVentricle(units, pressureOffset))
    {
    }
    void SetUp() override
    {
        document.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
        ASSERT_GT(Doc().Data().GetLoopCount(), 20u);
        ASSERT_TRUE(view.Open(Doc(), 800, 560));
    }
    Sistra::SistraDocument& Doc() { return document.Document(); }

    const Host::Recording recording;
    DocumentOnHost document{recording, false, false};
    HostTests::HostedView<SistraAnalysisGraphView> view;
};

class LoopViewInUnits : public ::testing::WithParamInterface<ChannelUnits>, public LoopViewOnHost
{
protected:
    // The tangent ESPVR smooths its segments with the host's sample filter.
    static void SetUpTestSuite() { Host::Calc::RegisterSampleFilterClass(HostTests::SharedFramework().Framework().StandIn()); }
    LoopViewInUnits() : LoopViewOnHost(GetParam()) {}
};

// A relation as a function of volume, both in the units the axes print.
using ShownRelation = std::function<double(double)>;

ShownRelation LineOf(const FittedLine& line)
{
    return [line](double volume) { return line.intercept + line.slope * volume; };
}

std::optional<ShownRelation> EspvrFit(Sistra::SistraData& data, int32_t type)
{
    FittedLine line;
    std::array<double, 3> c{};
    switch (type)
    {
    case Sistra::EspvrLinear: return data.FitEspvrLinear(line, false) ? std::optional(LineOf(line)) : std::nullopt;
    case Sistra::EspvrPerpendicular:
        return data.FitEspvrPerpendicular(line, false) ? std::optional(LineOf(line)) : std::nullopt;
    case Sistra::EspvrTangent: return data.FitEspvrTangent(line, false) ? std::optional(LineOf(line)) : std::nullopt;
    case Sistra::EspvrQuadratic:
        if (!data.FitEspvrQuadratic(c, nullptr, false))
            return std::nullopt;
        return [c](double v) { return c[0] + c[1] * v + c[2] * v * v; };
    default: return std::nullopt;
    }
}

std::optional<ShownRelation> EdpvrFit(Sistra::SistraData& data, int32_t type)
{
    FittedLine line;
    double a = 0.0, b = 0.0;
    if (type == Sistra::EdpvrLinear)
        return data.FitEdpvrLinear(line, false) ? std::optional(LineOf(line)) : std::nullopt;
    if (!data.FitEdpvrExponential(a, b, nullptr, false))
        return std::nullopt;
    return [a, b](double v) { return a * std::exp(b * v); };
}

// The relation plotters of a graph (its glyph and function plotters), drawn alone over its plot area.
class RelationPicture
{
public:
    explicit RelationPicture(MGraph1::Graph2DDrawer& graph)
        : width_(graph.rect.right - graph.rect.left), height_(graph.rect.bottom - graph.rect.top)
    {
        graph.GetPlotRect(plot_, graph.rect);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HDC dc = ::CreateCompatibleDC(nullptr);
        HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        const HGDIOBJ previous = ::SelectObject(dc, bitmap);
        const RECT all{0, 0, width_, height_};
        ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        for (const auto& [drawer, owned] : graph.plotters)
            if (dynamic_cast<MGraph1::GlyphPlotter*>(drawer))
                drawer->OnDraw(dc, nullptr, plot_, plot_);
        ::GdiFlush();
        const auto* pixels = static_cast<const uint32_t*>(bits);
        pixels_.assign(pixels, pixels + static_cast<size_t>(width_) * height_);
        ::SelectObject(dc, previous);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
    }
    // Where the graph puts a point of the data.
    POINT ToPixel(const AxisTransform& x, const AxisTransform& y, double volume, double pressure) const
    {
        return {static_cast<LONG>(std::lround((volume + x.offset) * x.scale + plot_.left)),
                static_cast<LONG>(std::lround((pressure + y.offset) * y.scale + plot_.top))};
    }
    bool InPlot(POINT point) const
    {
        return point.x > plot_.left + 2 && point.x < plot_.right - 2 && point.y > plot_.top + 2 && point.y < plot_.bottom - 2;
    }
    // The pixels of the colour in the plot's rows from the given one down.
    int CountFrom(LONG row, COLORREF colour) const
    {
        int count = 0;
        for (LONG y = std::max(row, plot_.top); y < plot_.bottom; ++y)
            for (LONG x = plot_.left; x < plot_.right; ++x)
                count += (pixels_[static_cast<size_t>(y) * width_ + x] & 0xFFFFFF) == DibColour(colour);
        return count;
    }
    LONG PlotTop() const { return plot_.top; }
    bool HasNear(POINT point, COLORREF colour, int radius) const
    {
        const uint32_t wanted = DibColour(colour);
        for (int y = std::max(0, int(point.y) - radius); y <= std::min(height_ - 1, int(point.y) + radius); ++y)
            for (int x = std::max(0, int(point.x) - radius); x <= std::min(width_ - 1, int(point.x) + radius); ++x)
                if ((pixels_[static_cast<size_t>(y) * width_ + x] & 0xFFFFFF) == wanted)
                    return true;
        return false;
    }

private:
    // The DIB holds 0x00RRGGBB, a COLORREF 0x00BBGGRR.
    static uint32_t DibColour(COLORREF colour)
    {
        return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    }

    int width_, height_;
    RECT plot_{};
    std::vector<uint32_t> pixels_;
};

// The columns of the graph's plot area that hold black pixels on the screen, the loops' lines: the
// first and the last, none when there is no such pixel.
std::optional<std::pair<LONG, LONG>> BlackColumnsOnScreen(MGraph1::Graph2DWindow& graph)
{
    RECT plot{};
    graph.GetPlotRect(plot, graph.rect);
    const HDC dc = ::GetDC(graph.GetHandle());
    std::optional<std::pair<LONG, LONG>> columns;
    for (LONG x = plot.left + 2; x < plot.right - 2; ++x)
        for (LONG y = plot.top + 2; y < plot.bottom - 2; ++y)
            if (::GetPixel(dc, x, y) == RGB(0, 0, 0))
            {
                columns = std::pair{columns ? columns->first : x, x};
                break;
            }
    ::ReleaseDC(graph.GetHandle(), dc);
    return columns;
}

// The column where the graph draws a volume of the data.
double ColumnOf(MGraph1::Graph2DDrawer& graph, double volume)
{
    RECT plot{};
    graph.GetPlotRect(plot, graph.rect);
    return (volume + graph.xTransform->offset) * graph.xTransform->scale + plot.left;
}

} // namespace

// A correction of the volume channel alone, alpha in the small-mammal workflow or Vp without a workflow,
// moves each drawn loop to where it takes the recorded volumes, once, whatever the channel's prefix: Apply
// collapsed every loop onto a vertical line at volume 0 on a channel in microlitres. The next analysis
// brings the table's summaries there too, and taking the correction back brings both back.
TEST_P(LoopViewInUnits, AVolumeCorrectionMovesTheDrawnLoopsAndTheSummariesOnce)
{
    using namespace Sistra;
    constexpr int32_t EndDiastolicVolume = 7, StrokeVolume = 3;
    const ChannelUnits& units = GetParam();
    SistraData& data = Doc().Data();
    SistraEvent newest;
    ASSERT_TRUE(data.ReadLoop(data.GetLoopCount() - 1, newest));
    const double vp = newest.ved / 10; // in litres, the unprefixed unit
    const struct
    {
        const char* name;
        int workflow; // 0: workflow mode off
        int kind;
        std::function<void(Model&, bool)> apply;
        std::function<double(double)> corrected; // a volume in litres
    } corrections[] = {
        {"alpha 2", 1, ModelKind::AlphaCalib,
         [](Model& alpha, bool on) {
             // As the alpha step's boxes give it: the catheter's stroke volume over the reference's.
             alpha.SetValue<PropertyType::Double>(PropertyId::BaseStrokeVolume, 2.0);
             alpha.SetValue<PropertyType::Double>(PropertyId::ScaledStrokeVolume, 1.0);
             alpha.SetValue<PropertyType::Double>(PropertyId::Alpha, 2.0);
             alpha.SetValue<PropertyType::Bool>(PropertyId::AlphaCalibrationApplied, on);
         },
         [](double volume) { return volume / 2.0; }},
        {"Vp", 0, ModelKind::SalineCalib,
         [vp](Model& saline, bool on) {
             saline.SetValue<PropertyType::Double>(PropertyId::ParallelConductance, vp);
             saline.SetValue<PropertyType::Bool>(PropertyId::SalineCalibrationApplied, on);
         },
         [vp](double volume) { return volume - vp; }},
    };
    const std::span<const float> volume = recording.RecordAt(0).Samples(1);
    // The relations' equations are written in black too.
    const ModelPtr relations = Doc().GetModel(ModelKind::LoopView);
    relations->SetValue<PropertyType::Bool>(PropertyId::ShowEspvrRegression, false);
    relations->SetValue<PropertyType::Bool>(PropertyId::ShowEdpvrRegression, false);
    relations->CommitChanges();
    view.Show();
    for (const auto& c : corrections)
    {
        SCOPED_TRACE(c.name);
        const ModelPtr setup = Doc().GetSetupModel();
        setup->SetWorkflowModeOn(c.workflow != 0);
        setup->SetValue<PropertyType::Int>(PropertyId::WorkflowKind, std::max(c.workflow, 1));
        setup->CommitChanges();
        document.Send(AutomationMessage::AnalyzeSistraNow);
        const auto plain = [&](int32_t parameter) { return data.GetParameterStatistics(parameter).value(); };
        const ParameterSummary plainVed = plain(EndDiastolicVolume), plainSv = plain(StrokeVolume);
        // The loops run from the smallest volume recorded over them to the largest, both where the correction
        // puts them.
        SistraEvent first, last;
        ASSERT_TRUE(data.ReadLoop(0, first));
        ASSERT_TRUE(data.ReadLoop(data.GetLoopCount() - 1, last));
        const auto [smallest, largest] = std::minmax_element(volume.begin() + first.firstTick, volume.begin() + last.endTick);
        const auto expectLoopsAt = [&](const std::function<double(double)>& shown, const std::wstring& picture) {
            view->DataChanged(0); // as the document's broadcast of the change tells its views
            EXPECT_FALSE(view.SavePicture(picture.c_str()).empty());
            const auto columns = BlackColumnsOnScreen(view->GraphWindow());
            ASSERT_TRUE(columns);
            EXPECT_NEAR(ColumnOf(view->GraphWindow(), shown(*smallest / units.volumeScale)), columns->first, 2.0);
            EXPECT_NEAR(ColumnOf(view->GraphWindow(), shown(*largest / units.volumeScale)), columns->second, 2.0);
        };
        const auto expectSummaries = [&](const std::function<double(double)>& shown) {
            const double toShown = units.volumeScale;
            const auto same = [&](double expected, double actual) {
                EXPECT_NEAR(expected, actual, 1e-5 * std::abs(expected));
            };
            const ParameterSummary ved = plain(EndDiastolicVolume), sv = plain(StrokeVolume);
            same(shown(plainVed.average / toShown) * toShown, ved.average);
            same(shown(plainVed.maximum / toShown) * toShown, ved.maximum);
            // A difference of two volumes: divided by alpha, untouched by Vp.
            same((shown(plainSv.average / toShown) - shown(0.0)) * toShown, sv.average);
        };
        const ModelPtr model = Doc().GetModel(c.kind);
        c.apply(*model, true);
        model->CommitChanges();
        const std::wstring picture = std::wstring(L"loop_view_") + (c.workflow ? L"alpha" : L"vp");
        expectLoopsAt(c.corrected, picture + L"_applied");
        document.Send(AutomationMessage::AnalyzeSistraNow);
        expectLoopsAt(c.corrected, picture + L"_analysed");
        expectSummaries(c.corrected);

        c.apply(*model, false);
        model->CommitChanges();
        document.Send(AutomationMessage::AnalyzeSistraNow);
        const auto unchanged = [](double v) { return v; };
        expectLoopsAt(unchanged, picture + L"_taken_back");
        expectSummaries(unchanged);
    }
}

// The graph leaves the view's size grip to the view, also after the view changed its size.
TEST_F(LoopViewOnHost, TheGraphLeavesTheSizeGripUncovered)
{
    view.Show();
    EXPECT_FALSE(HostTests::SizeGripCovered(view->GetHandle()));
    ::MoveWindow(view->GetHandle(), 0, 0, 640, 480, TRUE);
    EXPECT_FALSE(HostTests::SizeGripCovered(view->GetHandle()));
}

// A choice in one of the strip's lists reaches the document as its command, which changes the model.
TEST_F(LoopViewOnHost, AChoiceInTheStripsListsChangesTheRelationsOfTheModel)
{
    const Sistra::ModelPtr relations = Doc().GetModel(Sistra::ModelKind::LoopView);
    const std::pair<OWL::TComboBox*, int> lists[] = {{&view->EspvrTypeCombo(), Sistra::PropertyId::EspvrRegressionType},
                                                     {&view->EsPointsCombo(), Sistra::PropertyId::EsPointType},
                                                     {&view->EdpvrTypeCombo(), Sistra::PropertyId::EdpvrRegressionType}};
    for (const auto& [list, property] : lists)
    {
        // The entry after the one the model holds.
        const int item = (relations->GetValue<Sistra::PropertyType::Int>(property) + 1) % list->GetCount();
        list->SetSelIndex(item);
        const HWND handle = list->GetHandle();
        ::SendMessageW(::GetParent(handle), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(handle), CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(handle));
        EXPECT_EQ(item, relations->GetValue<Sistra::PropertyType::Int>(property)) << property;
    }
}

// The relation type lists open with room for five rows, and one closed without a choice after the
// keyboard moved in it shows the type the plot draws.
TEST_F(LoopViewOnHost, ATypeListOpensRowsHighAndClosedWithoutAChoiceShowsTheModelsType)
{
    const Sistra::ModelPtr relations = Doc().GetModel(Sistra::ModelKind::LoopView);
    relations->SetValue<Sistra::PropertyType::Bool>(Sistra::PropertyId::ShowEspvrRegression, true);
    relations->SetValue<Sistra::PropertyType::Bool>(Sistra::PropertyId::ShowEdpvrRegression, true);
    relations->CommitChanges();
    view.Show();
    const std::pair<OWL::TComboBox*, int> lists[] = {{&view->EspvrTypeCombo(), Sistra::PropertyId::EspvrRegressionType},
                                                     {&view->EdpvrTypeCombo(), Sistra::PropertyId::EdpvrRegressionType}};
    for (const auto& [list, property] : lists)
    {
        COMBOBOXINFO parts{sizeof parts};
        ASSERT_TRUE(::GetComboBoxInfo(list->GetHandle(), &parts));
        list->SendMessage(CB_SHOWDROPDOWN, TRUE);
        OwlTest::PumpMessages();
        RECT open{};
        ::GetWindowRect(parts.hwndList, &open);
        EXPECT_TRUE(::IsWindowVisible(parts.hwndList)) << property;
        // The list has room for five rows and shows every item (a list shorter than its room shrinks to it).
        const auto rowHeight = static_cast<LONG>(list->SendMessage(CB_GETITEMHEIGHT, 0));
        RECT room{};
        list->SendMessage(CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&room));
        EXPECT_GE(room.bottom - room.top - (parts.rcItem.bottom - parts.rcItem.top), 5 * rowHeight) << property;
        EXPECT_GE(open.bottom - open.top, list->GetCount() * rowHeight) << property;

        const int before = relations->GetValue<Sistra::PropertyType::Int>(property);
        list->SendMessage(WM_KEYDOWN, before == 0 ? VK_DOWN : VK_UP);
        list->SendMessage(CB_SHOWDROPDOWN, FALSE);
        OwlTest::PumpMessages();
        EXPECT_EQ(relations->GetValue<Sistra::PropertyType::Int>(property), list->GetSelIndex()) << property;
    }
}

// The help button over the graph's corner keeps its pixels while the pointer rests on it, and a click on
// it, with the display's own pointer, asks the host for the view's help topic.
TEST_F(LoopViewOnHost, TheHelpButtonKeepsItsPixelsUnderThePointerAndItsClickOpensTheHelp)
{
    view.Show();
    ::SetForegroundWindow(view.Frame().GetHandle());
    const HWND button = view->HelpButton().GetHandle();
    RECT place{};
    ::GetWindowRect(button, &place);
    const auto pixels = [&] {
        OwlTest::PumpMessages();
        std::vector<COLORREF> seen;
        HDC screen = ::GetDC(nullptr);
        for (LONG y = place.top + 2; y < place.bottom - 2; y += 2)
            for (LONG x = place.left + 2; x < place.right - 2; x += 2)
                seen.push_back(::GetPixel(screen, x, y));
        ::ReleaseDC(nullptr, screen);
        return seen;
    };
    const std::vector<COLORREF> before = pixels();
    HostTests::MovePointer(HostTests::CentreOf(place));
    EXPECT_TRUE(HostTests::PumpUntil([&] { return ::WindowFromPoint(HostTests::CentreOf(place)) == button; }));
    HostTests::PumpUntil([] { return false; }, 300);
    EXPECT_EQ(before, pixels()) << "the button changed under the pointer";
    EXPECT_TRUE(HostTests::InputUntil([&] { HostTests::ClickAt(HostTests::CentreOf(place)); },
                                      [] { return TestSupport::LastHelpRequest() == L"SistraHelp: sistra_view"; }));
}

// Each straight relation passes through the mean of its loops' points as the axes show them, whatever the
// prefixes of the channels' units.
TEST_P(LoopViewInUnits, StraightRelationsReadInTheAxesUnits)
{
    Sistra::SistraDocument& doc = Doc();
    const double xScale = view->GetDomainUnitScale(), yScale = view->GetRangeUnitScale();
    EXPECT_DOUBLE_EQ(GetParam().volumeScale, xScale);
    EXPECT_DOUBLE_EQ(GetParam().pressureScale, yScale);
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

// Every relation the view draws (the straight lines, the quadratic ESPVR, the exponential EDPVR) runs
// through the fit's pressure at each of its plotted points' volumes, the fit taken in the units the axes
// print and the points where the loops put them; with a picture of the curved relations.
TEST_P(LoopViewInUnits, TheDrawnRelationsRunThroughTheFitAtTheirPoints)
{
    using namespace Sistra;
    const ChannelUnits& units = GetParam();
    Doc().GetSetupModel()->SetWorkflowModeOn(false);
    Doc().GetSetupModel()->CommitChanges();
    view.Show();
    const ModelPtr shown = Doc().GetModel(ModelKind::LoopView);
    shown->SetValue<PropertyType::Bool>(PropertyId::ShowEspvrRegression, true);
    shown->SetValue<PropertyType::Bool>(PropertyId::ShowEdpvrRegression, true);
    const std::pair<int32_t, int32_t> types[] = {
        {EspvrLinear, EdpvrLinear}, {EspvrPerpendicular, EdpvrLinear}, {EspvrTangent, EdpvrExponential},
        {EspvrQuadratic, EdpvrExponential}};
    for (const auto& [espvr, edpvr] : types)
    {
        SCOPED_TRACE(testing::Message() << units.pressure << "/" << units.volume << " ESPVR " << espvr << " EDPVR " << edpvr);
        shown->SetValue<PropertyType::Int>(PropertyId::EspvrRegressionType, espvr);
        shown->SetValue<PropertyType::Int>(PropertyId::EdpvrRegressionType, edpvr);
        // The tangent touches the loops at its own points, which the view then plots.
        shown->SetValue<PropertyType::Int>(PropertyId::EsPointType, espvr == EspvrTangent ? 1 : 0);
        shown->CommitChanges();
        MGraph1::Graph2DDrawer& graph = view->GraphWindow();
        const RelationPicture picture(graph);
        struct Relation
        {
            std::optional<ShownRelation> fit;
            int32_t series;
            COLORREF colour;
        };
        SistraData& data = Doc().Data();
        const Relation relations[] = {{EspvrFit(data, espvr), 17, SistraAnalysisGraphView::EspvrColour},
                                      {EdpvrFit(data, edpvr), 15, SistraAnalysisGraphView::EdpvrColour}};
        for (const Relation& relation : relations)
        {
            ASSERT_TRUE(relation.fit);
            const SistraData::Series points = data.GetLoopViewSeries(relation.series, 0, data.GetLoopCount());
            ASSERT_GT(points.second.size(), 10u);
            int checked = 0;
            for (size_t i = 0; i < points.second.size(); ++i)
            {
                const double volume = points.second[i];
                const double pressure = (*relation.fit)(volume * units.volumeScale) / units.pressureScale;
                const POINT fitted = picture.ToPixel(*graph.xTransform, *graph.yTransform, volume, pressure);
                if (!picture.InPlot(fitted))
                    continue;
                ++checked;
                EXPECT_TRUE(picture.HasNear(fitted, relation.colour, 2)) << "point " << i << " at " << fitted.x << ", " << fitted.y;
                // The fit lies near its points, which it would not if its units were taken wrongly.
                const POINT point = picture.ToPixel(*graph.xTransform, *graph.yTransform, volume, points.first[i]);
                EXPECT_NEAR(point.y, fitted.y, 6) << "point " << i;
            }
            EXPECT_GT(checked, 10);
        }
    }
    if (units.perMmHg != 1.0 && units.perMicrolitre != 1.0)
    {
        EXPECT_FALSE(view.SavePicture(L"loop_view_curved_relations").empty());
    }
}

// Over pressures 20 mmHg below zero no exponential EDPVR fits: every curve with A >= 0 lies above every
// end-diastolic point, further from them than their mean. The view says "no fit" where its equation would
// stand, copies that, and draws no curve, where it drew the one its solver stopped at under that text; the
// straight EDPVR still fits and is drawn.
class LoopViewBelowZero : public LoopViewOnHost
{
protected:
    LoopViewBelowZero() : LoopViewOnHost(UnitCombinations[0], -20.0) {}
};

TEST_F(LoopViewBelowZero, ARelationThatIsNoFitIsSaidAndNotDrawn)
{
    using namespace Sistra;
    Doc().GetSetupModel()->SetWorkflowModeOn(false);
    Doc().GetSetupModel()->CommitChanges();
    view.Show();
    const ModelPtr shown = Doc().GetModel(ModelKind::LoopView);
    shown->SetValue<PropertyType::Bool>(PropertyId::ShowEspvrRegression, false);
    shown->SetValue<PropertyType::Bool>(PropertyId::ShowEdpvrRegression, true);
    // Below the corner where the equation is written, two lines of 10 points.
    const auto curvePixels = [&] {
        const RelationPicture picture(view->GraphWindow());
        return picture.CountFrom(picture.PlotTop() + 40, SistraAnalysisGraphView::EdpvrColour);
    };
    shown->SetValue<PropertyType::Int>(PropertyId::EdpvrRegressionType, EdpvrLinear);
    shown->CommitChanges();
    EXPECT_GT(curvePixels(), 100) << "the straight EDPVR is drawn";

    shown->SetValue<PropertyType::Int>(PropertyId::EdpvrRegressionType, EdpvrExponential);
    shown->CommitChanges();
    // The solver may stop where A < 0, which is no fit without an r\u00b2 to tell: then the view has no
    // equation to give at all; where it gives one, it says no fit.
    if (const std::optional<Orv::String> text = view->GetRegressionText())
    {
        const std::wstring said = text->c_str();
        EXPECT_EQ(0u, said.find(L"EDPVR: Ped: no fit")) << said;
        EXPECT_EQ(std::wstring::npos, said.find(L"exp(")) << said;
    }
    EXPECT_EQ(0, curvePixels());
    EXPECT_FALSE(view.SavePicture(L"loop_view_no_fit").empty());
}

INSTANTIATE_TEST_SUITE_P(PressureAndVolumeUnits, LoopViewInUnits, testing::ValuesIn(UnitCombinations),
                         [](const testing::TestParamInfo<ChannelUnits>& info) {
                             return std::string(info.param.pressure) + "_" + info.param.volume;
                         });
