// The analysis range the host keeps, set and cleared from the Edit menu as a person does: the loop view
// then tells that only part of the loops are shown ("Click here to show all loops", drawn in its graph's
// lower right corner), and a click on the graph or the range cleared takes the notice away.
#include "host/app/gui/WindowPicture.h"
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/TestPictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace
{

using HostTests::PumpUntil;

// The loop graph's strips along its horizontal and vertical axes.
constexpr int DomainStrip = 100, RangeStrip = 101, LoopList = 3001;
// The notice's one line fits in this corner of the plot.
constexpr int CornerWidth = 320, CornerHeight = 40;
// A line of text changes many more pixels than this.
constexpr size_t NoticePixels = 60;

class FrameAnalysisRange : public HostTests::FrameSessionFixture
{
protected:
    FrameAnalysisRange() : FrameSessionFixture("frame-analysis-range.csv", HostTests::OcclusionText(12), Host::OpenOptions{{}, true}) {}

    void SetUp() override
    {
        FrameSessionFixture::SetUp();
        const Host::ViewFrame* view = Frame().FindView(L"Loop View");
        ASSERT_TRUE(view);
        const HWND domain = HostTests::FindVisibleChild(view->ViewWindow(), [](HWND child) {
            return GetDlgCtrlID(child) == DomainStrip && GetDlgItem(GetParent(child), RangeStrip);
        });
        ASSERT_TRUE(domain);
        graph_ = GetParent(domain);
        // The plot lies above the horizontal axis and right of the vertical one.
        RECT strip{}, axis{};
        GetWindowRect(domain, &strip);
        GetWindowRect(GetDlgItem(graph_, RangeStrip), &axis);
        POINT topLeft{axis.right, 0}, bottomRight{strip.right, strip.top};
        ScreenToClient(graph_, &topLeft);
        ScreenToClient(graph_, &bottomRight);
        plot_ = {topLeft.x, 0, bottomRight.x, bottomRight.y};
    }

    bool Choose(const std::wstring& item)
    {
        return HostTests::ChooseMenuItem(Frame(), L"Edit", [&](const std::wstring& text) { return text == item; }) == item;
    }

    // Pixels of the plot's lower right corner that differ from the picture of it taken as a reference.
    size_t CornerChanged(const Host::WindowImage& reference)
    {
        const Host::WindowImage now = Host::ReadWindowImage(graph_);
        size_t changed = 0;
        for (int y = std::max(0, static_cast<int>(plot_.bottom) - CornerHeight); y < plot_.bottom && y < now.height; ++y)
            for (int x = std::max(static_cast<int>(plot_.left), static_cast<int>(plot_.right) - CornerWidth); x < plot_.right && x < now.width; ++x)
            {
                const size_t at = static_cast<size_t>(y) * now.width + x;
                changed += (now.pixels[at] & 0xFFFFFF) != (reference.pixels[at] & 0xFFFFFF);
            }
        return changed;
    }

    // A point in the plot's upper left, away from the loops.
    POINT AwayFromTheLoops() const
    {
        POINT point{plot_.left + (plot_.right - plot_.left) / 10, plot_.top + (plot_.bottom - plot_.top) / 10};
        ClientToScreen(graph_, &point);
        return point;
    }

    HWND graph_ = nullptr;
    RECT plot_{};
};

TEST_F(FrameAnalysisRange, TheLoopViewShowsTheRangeUntilAClickOnItsGraphOrTheRangeCleared)
{
    EXPECT_FALSE(Frame().ChooseCommand(L"Edit|Set Analysis Range")) << "nothing is selected";
    EXPECT_FALSE(Frame().ChooseCommand(L"Edit|Clear Analysis Range")) << "no range is set";
    // A drag across the middle of the trace view selects part of the one record.
    TickPosition start{}, end{};
    ASSERT_TRUE(HostTests::DragAcrossTheMiddleUntil(
        Frame(), session->Trace().Handle(), [&] { return opened->Host().GetSelection(&start, &end) == S_OK && start.record == 0; }));
    // The reference is taken once the loop view has chosen the loop the selection starts in, as it then
    // draws it.
    const HWND list = GetDlgItem(Frame().FindView(L"Loop View")->ViewWindow(), LoopList);
    ASSERT_TRUE(PumpUntil(Frame(), [&] {
        const int32_t loop = opened->Analysis()->SelectedLoop();
        return loop >= 0 && SendMessageW(list, LB_GETCURSEL, 0, 0) == loop;
    }));
    const Host::WindowImage reference = Host::ReadWindowImage(graph_);

    const struct
    {
        const wchar_t* item; // chosen in the Edit menu; none: a click on the graph
        bool noticeShown;
    } steps[] = {{L"Set Analysis &Range", true}, {nullptr, false}, {L"Set Analysis &Range", true}, {L"Clear Analysis Ran&ge", false}};
    for (const auto& step : steps)
    {
        const std::wstring done = step.item ? step.item : L"click";
        // The notice drawn, or gone to the last pixel.
        const auto shows = [&] {
            return step.noticeShown ? CornerChanged(reference) > NoticePixels : CornerChanged(reference) == 0;
        };
        if (step.item)
        {
            ASSERT_TRUE(Choose(step.item)) << done;
            EXPECT_TRUE(PumpUntil(Frame(), shows)) << done << ": " << CornerChanged(reference);
        }
        else
            EXPECT_TRUE(HostTests::ClickUntil(Frame(), AwayFromTheLoops(), shows))
                << done << ": " << CornerChanged(reference);
        if (step.noticeShown)
            HostTests::SaveTestPicture(graph_, L"frame-analysis-range-notice");
    }
    EXPECT_FALSE(Frame().ChooseCommand(L"Edit|Clear Analysis Range")) << "the range was cleared";
}

} // namespace
