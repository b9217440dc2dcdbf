// The settings dialog's preview of a recording shorter than the preview is wide, zoomed with the mouse
// from the ratio button under it: the trace starts at the preview's left edge, with no blank stretch
// before the data, at every zoom.
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/TestPictures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace
{

constexpr int PreviewWindowId = 12080;
// 8 s at 1 kHz.
constexpr int RecordBeats = 10;
constexpr int RecordSamples = 8000;
// The trace's first column may sit a pixel or two inside the lane's edge, and its width may be a pixel
// or two more than its samples fill: a line's end and its pen.
constexpr int EdgeLeeway = 2;
constexpr int WidthLeeway = 2;
// Bounds that only end a failing test.
constexpr int PartsShowWithin = 10000;
constexpr int ZoomDrawnWithin = 5000;

// The pressure trace's red; the grid is pale blue and the marks black.
bool IsTraceRed(DWORD pixel)
{
    return (pixel >> 16 & 0xFF) > 120 && (pixel >> 8 & 0xFF) < 60 && (pixel & 0xFF) < 60;
}

RECT PlaceOf(HWND window)
{
    RECT place{};
    GetWindowRect(window, &place);
    return place;
}

// The preview's parts a person sees: its value scale, beside which its lane begins, and its zoom bar
// (compress, the ratio button, expand), under the lane.
struct PreviewParts
{
    HWND preview = nullptr;
    HWND scale = nullptr;
    HWND zoomBar = nullptr;
};

PreviewParts FindParts(HWND dialog)
{
    PreviewParts parts{GetDlgItem(dialog, PreviewWindowId)};
    parts.scale = HostTests::FindVisibleChild(parts.preview, [](HWND child) { return HostTests::ClassOf(child) == L"VyrScaleStrip"; });
    parts.zoomBar = HostTests::FindVisibleChild(parts.preview, [](HWND child) { return HostTests::ClassOf(child) == L"UxGadgetWindow"; });
    return parts;
}

// Where the trace lies across the lane, in pixels from the lane's left edge.
struct TraceColumns
{
    int first;
    int last;
};

std::optional<TraceColumns> ShownTrace(const PreviewParts& parts)
{
    const Host::WindowImage image = Host::ReadWindowImage(parts.preview);
    const RECT preview = PlaceOf(parts.preview);
    const int laneLeft = PlaceOf(parts.scale).right - preview.left;
    const int laneBottom = PlaceOf(parts.zoomBar).top - preview.top;
    std::optional<TraceColumns> shown;
    for (int x = laneLeft; x < image.width; ++x)
        for (int y = 0; y < laneBottom; ++y)
            if (IsTraceRed(image.pixels[static_cast<size_t>(y) * image.width + x]))
            {
                shown = TraceColumns{shown ? shown->first : x - laneLeft, x - laneLeft};
                break;
            }
    return shown;
}

// The ratio of that text chosen from the ratio button's menu with the mouse, from a second hand while the
// dialog holds the test's thread; whether it was.
bool ChooseRatio(HWND dialog, const PreviewParts& parts, const std::wstring& ratio)
{
    const HWND shown = HostTests::OpenMenu([&] { HostTests::ClickAt(HostTests::ScreenCentreOf(parts.zoomBar)); });
    if (!shown)
        return false;
    const auto menu = reinterpret_cast<HMENU>(SendMessageW(shown, MN_GETHMENU, 0, 0));
    const int position = HostTests::MenuItemPosition(menu, [&](const std::wstring& text) { return text == ratio; });
    return HostTests::CloseMenuWith(GetWindowThreadProcessId(dialog, nullptr), shown, menu, position) && position >= 0;
}

class FrameSettingsPreview : public HostTests::FrameSessionFixture
{
protected:
    FrameSettingsPreview()
        : FrameSessionFixture("frame-settings-preview.csv", HostTests::OcclusionText(RecordBeats),
                              Host::OpenOptions{{}, true})
    {
    }
};

// The trace once the preview has drawn the zoom, at which the record fills width pixels; the trace as it
// stands when it never does.
std::optional<TraceColumns> TraceDrawnAt(const PreviewParts& parts, int width)
{
    const auto drawn = HostTests::WaitFor(
        [&] {
            const auto trace = ShownTrace(parts);
            return trace && std::abs(trace->last - trace->first + 1 - width) <= WidthLeeway ? trace : std::nullopt;
        },
        ZoomDrawnWithin);
    return drawn ? drawn : ShownTrace(parts);
}

// Zoomed out to 200:1 from the ratio button's menu, the 8 s take 40 pixels from the lane's left edge (they
// lay at its right end, after a blank -8 to 0 s); zoomed back in to 100:1 with the expand button, 80
// pixels from the same edge. The expand button is clicked, not the menu's item: a click given again on an
// item whose menu had closed would land on the dialog's Cancel button under it.
TEST_F(FrameSettingsPreview, AShortRecordingStartsAtThePreviewsLeftEdgeZoomedEitherWay)
{
    constexpr int ExpandClicks = 3, ExpandButtonInset = 8;
    constexpr int SamplesPerPixel[] = {200, 100};
    bool partsShown = false;
    std::vector<std::optional<TraceColumns>> shown;
    {
        HostTests::SecondHand hand([] { return HostTests::DialogWithControl(PreviewWindowId); }, [&](HWND dialog) {
            // The preview lays out its scale and bars once the dialog shows.
            PreviewParts parts;
            partsShown = HostTests::WaitFor(
                [&] {
                    parts = FindParts(dialog);
                    return parts.scale && parts.zoomBar;
                },
                PartsShowWithin);
            if (partsShown && ChooseRatio(dialog, parts, L"200:1"))
            {
                shown.push_back(TraceDrawnAt(parts, RecordSamples / SamplesPerPixel[0]));
                HostTests::SaveTestPicture(dialog, L"frame-settings-preview-200-to-1");
                const RECT bar = PlaceOf(parts.zoomBar);
                // Clicked again only while the trace keeps its width at 200:1: a click lost under load.
                const auto stillAt200 = [&](const std::optional<TraceColumns>& trace) {
                    return trace && trace->last - trace->first + 1 <= RecordSamples / SamplesPerPixel[0] + WidthLeeway;
                };
                for (int click = 0; click < ExpandClicks && shown.size() < 2; ++click)
                {
                    HostTests::ClickAt({bar.right - ExpandButtonInset, (bar.top + bar.bottom) / 2});
                    if (const auto trace = TraceDrawnAt(parts, RecordSamples / SamplesPerPixel[1]); !stillAt200(trace))
                        shown.push_back(trace);
                }
                HostTests::SaveTestPicture(dialog, L"frame-settings-preview-100-to-1");
            }
            HostTests::ClickUntilGone(dialog, IDCANCEL);
        });
        EXPECT_EQ(L"&Settings...", HostTests::ChooseMenuItem(Frame(), L"Sistra", [](const std::wstring& text) {
                      return text == L"&Settings...";
                  }));
        ASSERT_TRUE(HostTests::PumpUntil(Frame(), [&] { return hand.done.load(); }));
    }
    ASSERT_TRUE(partsShown) << "the preview showed no value scale or zoom bar";
    ASSERT_EQ(std::size(SamplesPerPixel), shown.size()) << "the zoom did not change";
    for (size_t zoom = 0; zoom < shown.size(); ++zoom)
    {
        const int ratio = SamplesPerPixel[zoom];
        ASSERT_TRUE(shown[zoom]) << "no trace at " << ratio << ":1";
        EXPECT_LE(shown[zoom]->first, EdgeLeeway) << ratio << ":1";
        EXPECT_NEAR(RecordSamples / ratio, shown[zoom]->last - shown[zoom]->first + 1, WidthLeeway) << ratio << ":1";
    }
}

} // namespace
