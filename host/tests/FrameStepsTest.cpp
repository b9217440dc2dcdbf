// Every step of every workflow, opened as a person opens it (a click on its title in the workflow's
// panel, the workflow and the analysis type chosen in their lists), at the frame sizes researchers use:
// the frame leaves no grey area wider than a view's border, every view lies whole in its place, the view
// the step is about has most of the room the module's views share, no text or control of the step's page
// is cut, and every graph writes its axes' captions and its fitted lines' equations whole inside it. A
// picture of each is kept.
#include "host/app/files/TextConversion.h"
#include "host/tests/FrameGraphs.h"
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/FrameWorkflow.h"
#include "host/tests/TestCanvas.h"
#include "host/tests/TestPictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace
{

using HostTests::ClassOf;
using HostTests::ClickAt;
using HostTests::PumpUntil;
using HostTests::WindowText;

constexpr const wchar_t* WorkflowView = L"Sistra Workflow";
constexpr const wchar_t* LoopView = L"Loop View";
// A view's inset from its edges, and no more, shows nothing.
constexpr long MostBlankRows = 4;
constexpr const wchar_t* TableView = L"Sistra Hemodynamics TableView";
constexpr int TableRowHeight = 16;
constexpr int WorkflowList = 1070, AnalysisTypeList = 1095;
// A text control that draws its text narrower than itself names the room it keeps at its right.
constexpr const wchar_t* TextRightMarginProperty = L"Sistra.TextRightMargin";

struct Step
{
    const wchar_t* title;
    const wchar_t* name;      // of its picture
    const wchar_t* focus;     // the view the step is about; null: the step shows the host's data view alone
    const wchar_t* analysis;  // the analysis type chosen in the step's list, if any
    std::vector<std::wstring> fitted{}; // the views that write their fitted lines' equations in the step
};

struct Workflow
{
    const wchar_t* name;
    std::vector<Step> steps;
};

const Workflow Workflows[] = {
    {L"Small mammal",
     {{L"Pressure calibration", L"pressure", nullptr, nullptr},
      {L"Conductance calibration", L"conductance", nullptr, nullptr},
      {L"Sampling", L"sampling", nullptr, nullptr},
      {L"Cuvette calibration", L"cuvette", L"Sistra Cuvette Calibration View", nullptr},
      {L"Saline calibration", L"saline", L"Sistra Saline Calibration GraphView", nullptr,
       {L"Sistra Saline Calibration GraphView"}},
      {L"Alpha calibration", L"alpha", LoopView, nullptr},
      {L"Analyze", L"analysis", LoopView, L"Baseline"},
      {L"Analyze", L"occlusion", LoopView, L"Occlusion",
       {LoopView, L"Sistra PRSW GraphView", L"Sistra PVA EDV View", L"Sistra PVA ESP View"}},
      {L"Setup Sistra", L"setup", nullptr, nullptr}}},
    {L"Large mammal", {{L"Volume calibration", L"volume-mpvs", nullptr, nullptr}, {L"Setup Sistra", L"setup-large", nullptr, nullptr}}},
    {L"Echo volume fit", {{L"Volume calibration", L"volume-known", nullptr, nullptr}, {L"Setup Sistra", L"setup-echo", nullptr, nullptr}}},
};

// The captions each graph view writes along its horizontal and vertical axis for the recording's units
// (the dP/dt view shows in no step).
const std::pair<std::wstring, std::pair<std::wstring, std::wstring>> GraphCaptions[] = {
    {LoopView, {L"Volume (\u00b5L)", L"Pressure (mmHg)"}},
    {L"Sistra PRSW GraphView", {L"End-diastolic Volume (\u00b5L)", L"Stroke Work (mmHg*\u00b5L)"}},
    {L"Sistra PVA EDV View", {L"End-diastolic Volume (\u00b5L)", L"PVA (mmHg*\u00b5L)"}},
    {L"Sistra PVA ESP View", {L"End-systolic Pressure (mmHg)", L"PVA (mmHg*\u00b5L)"}},
    {L"Sistra Saline Calibration GraphView", {L"End-diastolic Volume (\u00b5L)", L"End-systolic Volume (\u00b5L)"}},
    {L"Sistra Cuvette Calibration View", {L"Conductance (mS)", L"Known volume (\u00b5L)"}},
};

RECT PlaceIn(HWND parent, HWND child)
{
    RECT place{};
    GetWindowRect(child, &place);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

long AreaOf(const RECT& place)
{
    return (place.right - place.left) * (place.bottom - place.top);
}

// Whether the window lies whole in what its parent shows (not scrolled out of it, not even in part).
bool WhollyInSight(HWND window)
{
    const HWND parent = GetParent(window);
    RECT shown{}, inside{};
    GetClientRect(parent, &shown);
    const RECT place = PlaceIn(parent, window);
    return IntersectRect(&inside, &place, &shown) && EqualRect(&inside, &place);
}

// The thickness (the shorter side) of the thickest piece of the frame's client area that no window of
// it covers: the grey of the frame's background.
long ThickestGrey(HWND frame)
{
    RECT client{};
    GetClientRect(frame, &client);
    HRGN grey = CreateRectRgnIndirect(&client);
    for (HWND child = GetWindow(frame, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child))
        {
            const RECT place = PlaceIn(frame, child);
            HRGN covered = CreateRectRgnIndirect(&place);
            CombineRgn(grey, grey, covered, RGN_DIFF);
            DeleteObject(covered);
        }
    std::vector<char> data(GetRegionData(grey, 0, nullptr));
    auto* region = reinterpret_cast<RGNDATA*>(data.data());
    GetRegionData(grey, static_cast<DWORD>(data.size()), region);
    DeleteObject(grey);
    long thickest = 0;
    const auto* pieces = reinterpret_cast<const RECT*>(region->Buffer);
    for (DWORD i = 0; i < region->rdh.nCount; ++i)
        thickest = std::max(thickest, std::min(pieces[i].right - pieces[i].left, pieces[i].bottom - pieces[i].top));
    return thickest;
}

// The most rows one after another of the window's picture that show one colour from edge to edge: a band
// with nothing in it. Only the rows that area shows count: those scrolled out of it hold no picture.
long ThickestBlankBand(HWND window, HWND area)
{
    const Host::WindowImage image = Host::ReadWindowImage(window);
    RECT place{}, shown{};
    GetWindowRect(window, &place);
    GetWindowRect(area, &shown);
    long thickest = 0, run = 0;
    for (size_t row = static_cast<size_t>(std::max(0L, shown.top - place.top));
         row < static_cast<size_t>(std::min<long>(image.height, shown.bottom - place.top)); ++row)
    {
        const auto first = image.pixels.begin() + static_cast<ptrdiff_t>(row * image.width);
        const bool blank = std::all_of(first, first + image.width, [&](DWORD pixel) { return pixel == *first; });
        run = blank ? run + 1 : 0;
        thickest = std::max(thickest, run);
    }
    return thickest;
}

// How far a text's ink reaches when drawn unclipped in a box layoutWidth wide: its right and bottom edge.
SIZE InkReach(HFONT font, const std::wstring& text, int layoutWidth, UINT format)
{
    constexpr int Pad = 24, Height = 400;
    const HostTests::Canvas canvas(layoutWidth + 2 * Pad + 200, Height);
    const HGDIOBJ old = SelectObject(canvas.Dc(), font);
    SetBkMode(canvas.Dc(), TRANSPARENT);
    SetTextColor(canvas.Dc(), RGB(0, 0, 0));
    RECT box{Pad, Pad, Pad + layoutWidth, Height - Pad};
    DrawTextW(canvas.Dc(), text.c_str(), -1, &box, format | DT_NOCLIP);
    SelectObject(canvas.Dc(), old);
    SIZE reach{0, 0};
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
        {
            const DWORD pixel = canvas.At(x, y);
            // Ink: darker than the faint edge of smoothing.
            if ((pixel & 0xFF) + (pixel >> 8 & 0xFF) + (pixel >> 16 & 0xFF) < 3 * 160)
                reach = {std::max<LONG>(reach.cx, x + 1 - Pad), std::max<LONG>(reach.cy, y + 1 - Pad)};
        }
    return reach;
}

// Where a control draws its text: the left edge and width of its text box and the drawing format; no
// format for a control whose text is not drawn as a label (images, lines, lists).
struct TextBox
{
    int left = 0, width = 0;
    UINT format = 0;
};

std::optional<TextBox> TextBoxOf(HWND control, const RECT& client)
{
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    const std::wstring name = ClassOf(control);
    const int margin = static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(control, TextRightMarginProperty)));
    if (CompareStringOrdinal(name.c_str(), -1, L"Static", -1, TRUE) == CSTR_EQUAL)
    {
        const UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
        const UINT lines = (style & SS_CENTERIMAGE) ? DT_SINGLELINE | DT_VCENTER : DT_WORDBREAK;
        switch (style & SS_TYPEMASK)
        {
        case SS_LEFT: return TextBox{0, client.right - margin, DT_LEFT | DT_EXPANDTABS | lines | prefix};
        case SS_CENTER: return TextBox{0, client.right - margin, DT_CENTER | DT_EXPANDTABS | lines | prefix};
        case SS_RIGHT: return TextBox{0, client.right - margin, DT_RIGHT | DT_EXPANDTABS | lines | prefix};
        case SS_LEFTNOWORDWRAP:
        case SS_SIMPLE: return TextBox{0, client.right - margin, DT_LEFT | DT_SINGLELINE | prefix};
        default: return std::nullopt;
        }
    }
    if (CompareStringOrdinal(name.c_str(), -1, L"Button", -1, TRUE) != CSTR_EQUAL)
        return std::nullopt;
    switch (style & BS_TYPEMASK)
    {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
    {
        // The box and the gap after it come first.
        const int box = GetSystemMetrics(SM_CXMENUCHECK) + 3;
        return TextBox{box, client.right - box, DT_LEFT | DT_SINGLELINE | DT_VCENTER};
    }
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
    {
        // The button's raised edge on either side.
        const int edge = 2 * GetSystemMetrics(SM_CXEDGE);
        return TextBox{edge, client.right - 2 * edge, DT_CENTER | DT_SINGLELINE | DT_VCENTER};
    }
    default: return std::nullopt;
    }
}

// Lines and frames drawn by a static control, and group boxes: shapes, not controls to be read or used.
bool IsShape(HWND control)
{
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    const LONG type = style & SS_TYPEMASK;
    if (ClassOf(control) == L"Static")
        return (type >= SS_BLACKRECT && type <= SS_WHITEFRAME) || (type >= SS_ETCHEDHORZ && type <= SS_ETCHEDFRAME);
    return ClassOf(control) == L"Button" && (style & BS_TYPEMASK) == BS_GROUPBOX;
}

std::wstring Describe(HWND control, const RECT& place)
{
    std::wostringstream description;
    description << GetDlgCtrlID(control) << " " << ClassOf(control) << " at " << place.left << "," << place.top << " "
                << place.right - place.left << "x" << place.bottom - place.top;
    return description.str();
}

// The page's controls that are too small to be seen or used, that lie outside the page, or that lie
// over one another (so that one paints over the other).
std::vector<std::wstring> MisplacedControls(HWND page)
{
    constexpr int LeastSide = 8;
    std::vector<std::wstring> misplaced;
    RECT client{};
    GetClientRect(page, &client);
    std::vector<std::pair<HWND, RECT>> controls;
    for (HWND control = GetWindow(page, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT))
        if (IsWindowVisible(control) && !IsShape(control))
            controls.emplace_back(control, PlaceIn(page, control));
    for (size_t i = 0; i < controls.size(); ++i)
    {
        const auto& [control, place] = controls[i];
        RECT inside{};
        if (place.right - place.left < LeastSide || place.bottom - place.top < LeastSide ||
            !IntersectRect(&inside, &place, &client) || !EqualRect(&inside, &place))
            misplaced.push_back(L"a sliver or outside: " + Describe(control, place));
        for (size_t j = i + 1; j < controls.size(); ++j)
            if (IntersectRect(&inside, &place, &controls[j].second))
                misplaced.push_back(L"over each other: " + Describe(control, place) + L" and " +
                                    Describe(controls[j].first, controls[j].second));
    }
    return misplaced;
}

// The texts of the page's labels, check boxes and buttons that do not fit their controls, each with what
// its ink needs and what the control gives.
std::vector<std::wstring> CutTexts(HWND page)
{
    std::vector<std::wstring> cut;
    for (HWND control = GetWindow(page, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT))
    {
        const std::wstring text = WindowText(control);
        RECT client{};
        GetClientRect(control, &client);
        const std::optional<TextBox> box = TextBoxOf(control, client);
        if (!IsWindowVisible(control) || text.empty() || !box)
            continue;
        const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        const UINT measured = box->format & ~static_cast<UINT>(DT_VCENTER);
        const SIZE reach = InkReach(font, text, box->width, measured);
        if (box->left + reach.cx > client.right || reach.cy > client.bottom)
        {
            std::wostringstream description;
            description << GetDlgCtrlID(control) << " \"" << text << "\" inks " << box->left + reach.cx << "x" << reach.cy
                        << " in " << client.right << "x" << client.bottom;
            cut.push_back(description.str());
        }
    }
    return cut;
}

std::string Narrow(const std::wstring& text)
{
    return Host::ToUtf8(text);
}

class FrameSteps : public HostTests::FrameSessionFixture
{
protected:
    FrameSteps() : FrameSessionFixture("frame-steps.csv", HostTests::OcclusionText(24)) {}
    HWND Panel() { return Frame().FindView(WorkflowView)->ViewWindow(); }
    // The panel's pane of the step: the window titled with it.
    HWND Pane(const std::wstring& title)
    {
        return HostTests::FindVisibleChild(Panel(), [&](HWND child) {
            const std::wstring kind = ClassOf(child);
            return WindowText(child) == title && kind != L"#32770" && kind != L"Static" && kind != L"Button";
        });
    }
    // The module's views the frame shows, the workflow's panel aside.
    std::vector<Host::ViewFrame*> ShownViews()
    {
        std::vector<Host::ViewFrame*> shown;
        for (const auto& view : Frame().Views())
            if (view->ClassName() != WorkflowView && IsWindowVisible(view->Frame()))
                shown.push_back(view.get());
        return shown;
    }
    // A click on the step's title, as the pane's page shows and the frame follows the document's views.
    HWND OpenStep(const Step& step)
    {
        HWND pane = Pane(step.title);
        if (!pane)
            return nullptr;
        HWND page = HostTests::PageOf(pane);
        if (!page)
        {
            BringIntoSight(pane);
            RECT title{};
            GetWindowRect(pane, &title);
            // Clicked again only while the step shows no page: a second click that reached the title closes it.
            HostTests::ClickUntil(Frame(), {title.left + 40, title.top + 10},
                                  [&] { return (page = HostTests::PageOf(pane)) != nullptr; });
            PumpUntil(Frame(), [&] { return ShowsItsViews(step); });
        }
        if (step.analysis)
            Choose(page, AnalysisTypeList, step.analysis);
        PumpUntil(Frame(), [&] { return ShowsItsViews(step); });
        HostTests::Settle(Frame());
        return page;
    }
    // The panel's column scrolled, as its scroll bar does, until the pane's title lies in sight: in a low
    // frame the open pages push the titles below them out of it.
    static void BringIntoSight(HWND pane)
    {
        constexpr int TitleHeight = 24, MostLines = 2000;
        const HWND column = GetParent(pane);
        RECT shown{};
        GetClientRect(column, &shown);
        const auto titleBottom = [&] { return PlaceIn(column, pane).top + TitleHeight; };
        SendMessageW(column, WM_VSCROLL, SB_TOP, 0);
        for (int line = 0; line < MostLines && titleBottom() > shown.bottom; ++line)
            SendMessageW(column, WM_VSCROLL, SB_LINEDOWN, 0);
    }
    bool ShowsItsViews(const Step& step)
    {
        const auto shown = ShownViews();
        return step.focus ? std::any_of(shown.begin(), shown.end(), [&](auto* view) { return view->ClassName() == step.focus; })
                          : shown.empty();
    }
    // Chooses the text in the page's drop-down list with the mouse and the keys a person uses.
    void Choose(HWND page, int list, const std::wstring& text)
    {
        HWND combo = GetDlgItem(page, list);
        const auto wanted = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
        ASSERT_GE(wanted, 0) << Narrow(text);
        if (SendMessageW(combo, CB_GETCURSEL, 0, 0) == wanted)
            return;
        EXPECT_TRUE(HostTests::ChooseListItem(combo, static_cast<int>(wanted))) << Narrow(text);
        HostTests::Settle(Frame());
    }
    void ChooseWorkflow(const std::wstring& name)
    {
        HWND page = OpenStep({L"Setup Sistra", L"", nullptr, nullptr});
        ASSERT_NE(nullptr, page);
        Choose(page, WorkflowList, name);
    }
    // What the step shows: no grey wider than a view's border; every view whole in its place (no scroll
    // bars), the view the step is about in sight as the step opens and with more than half the module's
    // room where the views area does not scroll; the host's data view alone in the whole area otherwise.
    void ExpectArranged(const Step& step, const std::string& size)
    {
        SCOPED_TRACE(Narrow(step.name) + " at " + size);
        const std::vector<Host::ViewFrame*> shown = ShownViews();
        RECT outer{}, inner{};
        GetWindowRect(shown.empty() ? Frame().Views().front()->Frame() : shown.front()->Frame(), &outer);
        GetClientRect(shown.empty() ? Frame().Views().front()->Frame() : shown.front()->Frame(), &inner);
        const long border = (outer.right - outer.left - inner.right) / 2;
        EXPECT_LE(ThickestGrey(Frame().Handle()), border);
        if (!step.focus)
        {
            EXPECT_TRUE(shown.empty());
            return;
        }
        long all = 0, focus = 0;
        for (Host::ViewFrame* view : shown)
        {
            const long area = AreaOf(PlaceIn(Frame().Handle(), view->Frame()));
            all += area;
            if (view->ClassName() == step.focus)
            {
                focus = area;
                EXPECT_TRUE(WhollyInSight(view->Frame())) << "the step's view is scrolled out of sight";
            }
            EXPECT_EQ(0, GetWindowLongW(view->Frame(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL))
                << Narrow(view->ClassName()) << " scrolled";
            // Its strip of controls, where the step hides them, is no empty band above the loops.
            if (view->ClassName() == LoopView)
            {
                EXPECT_LE(ThickestBlankBand(view->ViewWindow(), GetParent(view->Frame())), MostBlankRows) << "the loop view";
            }
            // The table shows a loop under its titles, above the summary: its top grid's cells a row high.
            if (view->ClassName() == TableView)
            {
                RECT cells{};
                GetClientRect(HostTests::TopmostChildOfClass(view->ViewWindow(), L"GridPane"), &cells);
                EXPECT_GE(cells.bottom, TableRowHeight) << "no loop row";
            }
        }
        // Where the views need more height than the frame has, the focus keeps its share and the area
        // scrolls to the others, which keep their least.
        const bool areaScrolls = (GetWindowLongW(GetParent(shown.front()->Frame()), GWL_STYLE) & WS_VSCROLL) != 0;
        EXPECT_TRUE(areaScrolls || 2 * focus > all);
    }
    // Every graph's axis captions whole, and the equations of the fitted lines inside its plot, each view
    // scrolled into sight to be read.
    void ExpectGraphTextsWhole(const Step& step, const std::string& size)
    {
        SCOPED_TRACE(Narrow(step.name) + " at " + size);
        for (Host::ViewFrame* view : ShownViews())
        {
            const auto captions = std::find_if(std::begin(GraphCaptions), std::end(GraphCaptions),
                                               [&](const auto& each) { return each.first == view->ClassName(); });
            if (captions == std::end(GraphCaptions))
                continue;
            SCOPED_TRACE(Narrow(view->ClassName()));
            const HWND graph = HostTests::GraphOfView(view->ViewWindow());
            ASSERT_TRUE(graph);
            HostTests::ScrollIntoSight(Frame(), view->Frame());
            HostTests::ExpectCaptionsWhole(graph, captions->second.first, captions->second.second);
            if (std::find(step.fitted.begin(), step.fitted.end(), view->ClassName()) != step.fitted.end())
                HostTests::ExpectEquationsWhole(graph, view->Frame());
        }
    }

};

TEST_F(FrameSteps, TheFrameOpensOnTheSetupStepAsTheStepArrangesIt)
{
    HostTests::SaveTestPicture(Frame().Handle(), L"frame-step-start");
    ExpectArranged({L"Setup Sistra", L"start", nullptr, nullptr}, "the start");
}

// One frame size per test, so that the sizes run side by side in the suite's shards.
class FrameStepsAtSize : public FrameSteps, public testing::WithParamInterface<SIZE>
{
};

TEST_P(FrameStepsAtSize, EveryStepGivesItsViewMostOfTheRoomLeavesNoGreyAndCutsNoTextControlCaptionOrEquation)
{
    const SIZE size = GetParam();
    const std::wstring sizeName = std::to_wstring(size.cx) + L"x" + std::to_wstring(size.cy);
    MoveWindow(Frame().Handle(), 0, 0, size.cx, size.cy, TRUE);
    HostTests::Settle(Frame());
    for (const Workflow& workflow : Workflows)
    {
        ChooseWorkflow(workflow.name);
        for (const Step& step : workflow.steps)
        {
            HWND page = OpenStep(step);
            ASSERT_NE(nullptr, page) << Narrow(step.title);
            HostTests::SaveTestPicture(Frame().Handle(), L"frame-step-" + sizeName + L"-" + step.name);
            ExpectArranged(step, Narrow(sizeName));
            ExpectGraphTextsWhole(step, Narrow(sizeName));
            for (const std::wstring& text : CutTexts(page))
                ADD_FAILURE() << Narrow(step.name) << " at " << Narrow(sizeName) << ": " << Narrow(text);
            for (const std::wstring& control : MisplacedControls(page))
                ADD_FAILURE() << Narrow(step.name) << " at " << Narrow(sizeName) << ": " << Narrow(control);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(FourSizes, FrameStepsAtSize,
                         testing::Values(SIZE{1200, 900}, SIZE{1600, 1000}, SIZE{1024, 768}, SIZE{800, 600}),
                         [](const testing::TestParamInfo<SIZE>& size) {
                             return std::to_string(size.param.cx) + "x" + std::to_string(size.param.cy);
                         });

} // namespace

namespace
{

// A step's view stays in sight when the frame shrinks until the views area scrolls.
TEST_F(FrameSteps, TheStepsViewStaysInSightWhenTheFrameShrinks)
{
    ChooseWorkflow(Workflows[0].name);
    ASSERT_NE(nullptr, OpenStep(Workflows[0].steps[7]));
    MoveWindow(Frame().Handle(), 0, 0, 800, 600, TRUE);
    HostTests::Settle(Frame());
    const Host::ViewFrame* loops = Frame().FindView(LoopView);
    ASSERT_NE(nullptr, loops);
    EXPECT_TRUE(WhollyInSight(loops->Frame()));
}

// Views the person opens from the menu during a step join rows below the step's views, each as wide and
// high as it names: none scrolls in its tile.
TEST_F(FrameSteps, ViewsOpenedFromTheMenuDuringAStepKeepTheirLeastSize)
{
    ChooseWorkflow(Workflows[0].name);
    ASSERT_NE(nullptr, OpenStep(Workflows[0].steps[7]));
    for (const wchar_t* command : {L"Sistra^EXTENSION|SistraCuvette^CALIBRATIONS", L"Sistra^EXTENSION|SistraSaline^CALIBRATIONS",
                                   L"Sistra^EXTENSION|SistraH^VIEWS"})
        ASSERT_TRUE(Frame().ChooseCommand(command)) << Narrow(command);
    HostTests::Settle(Frame());
    HostTests::SaveTestPicture(Frame().Handle(), L"frame-step-1200x900-occlusion-menu-views");
    ASSERT_NE(nullptr, Frame().FindView(L"Sistra Cuvette Calibration View"));
    for (Host::ViewFrame* view : ShownViews())
        EXPECT_EQ(0, GetWindowLongW(view->Frame(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) << Narrow(view->ClassName());
}

} // namespace
