#include "views/saline/SalineCalGraphView.h"

#include "views/tests/ViewTestSupport.h"

#include "graph/tests/support/Canvas.h"
#include "platform/owl/tests/Screenshot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace Sistra;

namespace
{

// A saline view over loops whose Ves = slope x Ved + offset (Ved from 100 to 100 + loops - 1).
struct ShownSalineView
{
    ShownSalineView(int loops, double slope, double offset, bool workflowMode = false)
    {
        document.Analyse(loops, 10.0, slope, offset);
        SetWorkflowMode(workflowMode);
        view = std::make_unique<SistraSalineCalGraphView>(&frame.window, nullptr, nullptr,
                                                          document.Document().Outer(), nullptr, nullptr);
        frame.Show(*view);
    }
    void SetWorkflowMode(bool on)
    {
        const ModelPtr setup = document.Document().GetSetupModel();
        setup->SetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn, on);
        setup->CommitChanges();
    }
    ModelPtr Model() { return document.Document().GetModel(ModelKind::SalineCalib); }
    double StoredVp() { return Model()->GetValue<PropertyType::Double>(PropertyId::ParallelConductance); }
    HWND Control(int id) { return ::GetDlgItem(view->GetHandle(), id); }
    std::wstring TextOf(int id) { return view->GetControlText(id).c_str(); }

    ViewTesting::AnalysedDocument document;
    ViewTesting::Frame frame{640, 480};
    std::unique_ptr<SistraSalineCalGraphView> view;
};

RECT WindowPlace(HWND window)
{
    RECT place{};
    ::GetWindowRect(window, &place);
    return place;
}

// A rectangle in the window's client coordinates, on the screen.
RECT OnScreen(HWND window, RECT rect)
{
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT ClientPlace(HWND window)
{
    RECT client{};
    ::GetClientRect(window, &client);
    return OnScreen(window, client);
}

bool LiesWhollyIn(const RECT& place, const RECT& area)
{
    RECT inside{};
    return ::IntersectRect(&inside, &place, &area) && ::EqualRect(&inside, &place);
}

// The pixels the screen shows of a window.
std::vector<COLORREF> ScreenPixels(HWND window)
{
    const RECT place = WindowPlace(window);
    GraphTest::DibCanvas canvas(place.right - place.left, place.bottom - place.top);
    const HDC screen = ::GetDC(nullptr);
    ::BitBlt(canvas.Dc(), 0, 0, canvas.Width(), canvas.Height(), screen, place.left, place.top, SRCCOPY);
    ::ReleaseDC(nullptr, screen);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            pixels.push_back(canvas.Pixel(x, y));
    return pixels;
}

} // namespace

// Vp is where the fitted line meets the line of identity; the graph's extents reach out to include it.
// Lines of slope 1, to within the values' rounding, never meet it, and too few loops give no line.
TEST(SalineCalGraphView, VpIsWhereTheFitMeetsTheLineOfIdentity)
{
    const struct
    {
        int loops;
        double slope;
        double offset;
        bool available;
        bool parallel;
        double vp;
        const wchar_t* status;
    } cases[] = {
        {20, 0.5, 20.0, true, false, 40.0, L"Analyzed Vp = 40 "},
        {20, 0.5, 80.0, true, false, 160.0, L"Analyzed Vp = 160 "},
        {20, 1.0, -40.0, false, true, 0.0, L"Vp could not be calculated because lines are parallel"},
        // Ves of one stroke volume, tilted off a slope of 1 by their rounding to floats (some of them are
        // below 64, some above, and are rounded to different steps).
        {20, 1.0, -40.3, false, true, 0.0, L"Vp could not be calculated because lines are parallel"},
        {1, 0.5, 20.0, false, false, 0.0, L"Vp could not be calculated because there are not enough points"},
    };
    for (const auto& test : cases)
    {
        SCOPED_TRACE(testing::Message() << test.slope << " " << test.offset);
        ShownSalineView shown(test.loops, test.slope, test.offset);
        SistraSalineCalGraphView& view = *shown.view;
        EXPECT_EQ(test.available, view.IsVpAvailable());
        EXPECT_EQ(test.parallel, view.AreLinesParallel());
        EXPECT_EQ(test.status, shown.TextOf(SistraSalineCalGraphView::StatusId));
        EXPECT_EQ(test.available, ::IsWindowVisible(shown.Control(SistraSalineCalGraphView::ApplyId)) != FALSE);
        if (!test.available)
            continue;
        EXPECT_NEAR(test.vp, view.AnalysedVp(), 1e-9);
        ViewExtents extents;
        ASSERT_TRUE(view.GetDataExtents(extents));
        EXPECT_LE(std::min(extents.xLow, extents.yLow), test.vp);
        EXPECT_GE(std::max(extents.xHigh, extents.yHigh), test.vp);
        EXPECT_EQ(extents.xLow == extents.yLow, test.vp < 100.0);
    }
}

// Apply stores the analysed Vp as the applied one; switching the calibration on without a Vp starts at 0.
TEST(SalineCalGraphView, ApplyStoresVpAndEnablingWithoutOneStartsAtZero)
{
    ShownSalineView shown(20, 0.5, 20.0);
    shown.view->OnApply();
    EXPECT_NEAR(40.0, shown.StoredVp(), 1e-9);
    EXPECT_TRUE(shown.Model()->GetValue<PropertyType::Bool>(PropertyId::SalineCalibrationApplied));

    shown.Model()->SetParallelConductance(std::numeric_limits<double>::quiet_NaN());
    shown.Model()->SetSalineCalibrationApplied(false);
    shown.Model()->CommitChanges();
    ::SendMessageW(shown.Control(SistraSalineCalGraphView::EnableId), BM_SETCHECK, BST_CHECKED, 0);
    shown.view->OnEnableToggled();
    EXPECT_EQ(0.0, shown.StoredVp());
    EXPECT_TRUE(shown.Model()->GetValue<PropertyType::Bool>(PropertyId::SalineCalibrationApplied));
}

// What the user types is stored, and stays in the edit as typed.
TEST(SalineCalGraphView, TypingVpStoresItWithoutRewritingTheEdit)
{
    ShownSalineView shown(20, 0.5, 20.0);
    const HWND edit = shown.Control(SistraSalineCalGraphView::VpEditId);
    ::SetWindowTextW(edit, L"2.50");
    ::SendMessageW(shown.view->GetHandle(), WM_COMMAND, MAKEWPARAM(SistraSalineCalGraphView::VpEditId, EN_CHANGE),
                   reinterpret_cast<LPARAM>(edit));
    EXPECT_EQ(2.5, shown.StoredVp());
    EXPECT_EQ(L"2.50", shown.TextOf(SistraSalineCalGraphView::VpEditId));
}

// In workflow mode the saline step applies the calibration: the view's own controls are hidden and the
// plot reaches down into their band, the help button over its corner. Outside it they lie whole below
// the plot.
TEST(SalineCalGraphView, WorkflowModeHidesTheCalibrationControlsAndGivesThePlotTheirBand)
{
    for (const bool workflowMode : {false, true})
    {
        SCOPED_TRACE(workflowMode ? "in the workflow" : "outside the workflow");
        ShownSalineView shown(20, 0.5, 20.0, workflowMode);
        ViewTesting::PumpMessages();
        const RECT client = ClientPlace(shown.view->GetHandle());
        const RECT graph = WindowPlace(shown.view->GraphWindow().GetHandle());
        EXPECT_EQ(!workflowMode, ::IsWindowVisible(shown.Control(SistraSalineCalGraphView::ApplyId)) != FALSE);
        // (The unit's label is empty here: the document has no channels.)
        for (int id : {SistraSalineCalGraphView::EnableId, SistraSalineCalGraphView::VpEditId,
                       SistraSalineCalGraphView::AppliedLabelId})
        {
            const RECT control = WindowPlace(shown.Control(id));
            EXPECT_EQ(!workflowMode, ::IsWindowVisible(shown.Control(id)) != FALSE) << id;
            EXPECT_TRUE(workflowMode || (LiesWhollyIn(control, client) && control.top >= graph.bottom)) << id;
        }
        EXPECT_EQ(workflowMode, graph.bottom == client.bottom);
        EXPECT_EQ(workflowMode, LiesWhollyIn(WindowPlace(shown.Control(SistraGraphViewBase::HelpButtonId)), graph));
        EXPECT_TRUE(shown.view->IsVpAvailable());
    }
}

// Leaving the workflow gives the controls their band back at the view's foot, also where the view was
// sized again before its new layout came round.
TEST(SalineCalGraphView, LeavingTheWorkflowPutsTheControlsBackAtTheFootOfTheViewAsSizedThen)
{
    ShownSalineView shown(20, 0.5, 20.0, true);
    shown.SetWorkflowMode(false);
    shown.view->BeginUpdate({});
    ::MoveWindow(shown.view->GetHandle(), 0, 0, 600, 400, TRUE);
    ViewTesting::PumpMessages();
    const RECT client = ClientPlace(shown.view->GetHandle());
    const RECT box = WindowPlace(shown.Control(SistraSalineCalGraphView::EnableId));
    EXPECT_TRUE(LiesWhollyIn(box, client));
    EXPECT_GE(box.top, WindowPlace(shown.view->GraphWindow().GetHandle()).bottom);
}

// After the analysis is cleared the notice is whole: its window holds all of its text, within the view,
// and no control, nor the plot, lies over it, in a wide view and in one too narrow for a single line.
TEST(SalineCalGraphView, NoticeAfterClearingTheAnalysisIsWhole)
{
    for (const int width : {640, 300, 200})
    {
        SCOPED_TRACE(width);
        ShownSalineView shown(20, 0.5, 20.0);
        ::MoveWindow(shown.view->GetHandle(), 0, 0, width, 300, TRUE);
        ViewTesting::PumpMessages();
        const HWND statusWindow = shown.Control(SistraSalineCalGraphView::StatusId);
        const RECT shortNotice = WindowPlace(statusWindow);
        shown.document.Data().Reset();
        shown.view->BeginUpdate({});
        ViewTesting::PumpMessages();
        const std::wstring notice = shown.TextOf(SistraSalineCalGraphView::StatusId);
        ASSERT_EQ(L"Vp could not be calculated because there are not enough points", notice);
        RECT status{}, client{};
        ::GetWindowRect(shown.Control(SistraSalineCalGraphView::StatusId), &status);
        ::MapWindowPoints(nullptr, shown.view->GetHandle(), reinterpret_cast<POINT*>(&status), 2);
        ::GetClientRect(shown.view->GetHandle(), &client);
        EXPECT_LE(status.right, client.right);
        EXPECT_GE(WindowPlace(shown.view->GraphWindow().GetHandle()).top, WindowPlace(statusWindow).bottom);
        const HDC dc = ::GetDC(nullptr);
        const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(
                                                   shown.Control(SistraSalineCalGraphView::StatusId), WM_GETFONT, 0, 0)));
        RECT needed{0, 0, status.right - status.left, 0};
        ::DrawTextW(dc, notice.c_str(), static_cast<int>(notice.size()), &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        ::SelectObject(dc, old);
        ::ReleaseDC(nullptr, dc);
        EXPECT_LE(needed.right, status.right - status.left);
        EXPECT_LE(needed.bottom, status.bottom - status.top);
        // What the screen shows is what the notice paints when it paints whole: the window grew from the
        // analysed Vp's one short line, and none of that line's pixels may stay.
        ASSERT_GT(status.right - status.left, shortNotice.right - shortNotice.left);
        const std::vector<COLORREF> shownPixels = ScreenPixels(statusWindow);
        ::RedrawWindow(statusWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        ViewTesting::PumpMessages();
        EXPECT_TRUE(shownPixels == ScreenPixels(statusWindow)) << "the notice kept pixels of its earlier text";
        for (int id : {SistraSalineCalGraphView::ApplyId, SistraSalineCalGraphView::EnableId})
        {
            RECT control{}, overlap{};
            ::GetWindowRect(shown.Control(id), &control);
            ::MapWindowPoints(nullptr, shown.view->GetHandle(), reinterpret_cast<POINT*>(&control), 2);
            EXPECT_FALSE(::IsWindowVisible(shown.Control(id)) && ::IntersectRect(&overlap, &control, &status)) << id;
        }
        if (width == 300)
        {
            EXPECT_FALSE(OwlTest::SaveWindowPng(shown.view->GetHandle(), L"saline_view_cleared").empty());
        }
    }
}

// Sized to the least size it names, the view shows its bands' controls whole: nothing reaches past its
// right edge, where a narrower tile would cut the Apply button or the applied Vp's unit, nor into the size
// grip in its corner.
TEST(SalineCalGraphView, AtItsLeastSizeEveryControlShowsWhole)
{
    ShownSalineView shown(20, 0.5, 20.0);
    MINMAXINFO limits{};
    shown.view->SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    ASSERT_GT(limits.ptMinTrackSize.x, 0);
    const OWL::TRect outer = shown.view->GetWindowRect(), inner = shown.view->GetClientRect();
    ::MoveWindow(shown.view->GetHandle(), 0, 0, limits.ptMinTrackSize.x + outer.Width() - inner.Width(), 300, TRUE);
    ViewTesting::PumpMessages();
    const RECT client = ClientPlace(shown.view->GetHandle());
    const RECT grip = OnScreen(shown.view->GetHandle(), shown.view->SizeGripRect());
    RECT overlap{};
    for (const int id : {SistraSalineCalGraphView::ApplyId, SistraSalineCalGraphView::StatusId, SistraSalineCalGraphView::EnableId,
                         SistraSalineCalGraphView::AppliedLabelId, SistraSalineCalGraphView::VpEditId,
                         SistraSalineCalGraphView::UnitLabelId})
    {
        ASSERT_TRUE(::IsWindowVisible(shown.Control(id))) << id;
        const RECT control = WindowPlace(shown.Control(id));
        EXPECT_LE(control.right, client.right) << id;
        EXPECT_FALSE(::IntersectRect(&overlap, &control, &grip)) << id << " under the size grip";
    }
}

// Ved runs across and Ves up: the Vp mark is a vertical line at Ved = Vp, left of the loops' points.
TEST(SalineCalGraphView, PictureShowsTheVpMarkAcrossThePlot)
{
    ShownSalineView shown(20, 0.5, 20.0);
    shown.view->OnApply();
    GraphTest::DibCanvas canvas(640, 480);
    shown.view->Render(canvas.Dc(), nullptr, RECT{0, 0, 640, 480});
    canvas.SavePng("saline-plot");
    int markColumn = -1, markHeight = 0;
    for (int x = 0; x < 640; ++x)
    {
        int height = 0;
        for (int y = 0; y < 480; ++y)
            height += canvas.Pixel(x, y) == SistraSalineCalGraphView::VpColour;
        if (height > markHeight)
            markColumn = x, markHeight = height;
    }
    EXPECT_GT(markHeight, 200);
    int firstPoint = 640;
    for (int x = 0; x < 640 && firstPoint == 640; ++x)
        for (int y = 0; y < 480; ++y)
            if (canvas.Pixel(x, y) == 0xE1)
            {
                firstPoint = x;
                break;
            }
    EXPECT_LT(markColumn, firstPoint);
    // The equation's black text keeps clear of the mark: nothing dark lies beside it.
    const auto dark = [](COLORREF pixel) { return GetRValue(pixel) < 0x40 && GetGValue(pixel) < 0x40 && GetBValue(pixel) < 0x40; };
    int markTop = 480, markBottom = 0, textBeside = 0;
    for (int y = 0; y < 480; ++y)
        if (canvas.Pixel(markColumn, y) == SistraSalineCalGraphView::VpColour)
            markTop = std::min(markTop, y), markBottom = y;
    for (int y = markTop; y < markBottom - 2; ++y)
        textBeside += dark(canvas.Pixel(markColumn - 1, y)) + dark(canvas.Pixel(markColumn + 1, y));
    EXPECT_EQ(0, textBeside);
    ::RedrawWindow(shown.frame.window.GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ViewTesting::PumpMessages();
    EXPECT_FALSE(OwlTest::SaveWindowPng(shown.view->GetHandle(), L"saline_view").empty());
}
