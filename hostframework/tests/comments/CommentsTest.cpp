#include "hostframework/comments/CommentPopup.h"

#include "platform/owl/gdi/DC.h"
#include "platform/owl/tests/Screenshot.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{

constexpr COLORREF Red = RGB(220, 0, 0);

TEST(CommentMarker, IsADiscOfSevenPixelsAt96DpiAndThirteenAt192HangingFromTheLinesTop)
{
    struct Case
    {
        int dpi;
        int across;
    };
    const Case cases[] = {{72, 7}, {96, 7}, {120, 7}, {144, 9}, {192, 13}, {288, 19}};
    const CommentDrawRecord record{50, 10, 200, 0, 0};
    for (const Case& c : cases)
    {
        const RECT marker = CommentMarkerRectAtDpi(record, c.dpi);
        EXPECT_EQ(c.across, marker.right - marker.left) << c.dpi;
        EXPECT_EQ(c.across, marker.bottom - marker.top) << c.dpi;
        EXPECT_EQ(10, marker.top) << c.dpi;
        EXPECT_EQ(50, (marker.left + marker.right - 1) / 2) << c.dpi;
    }
}

TEST(CommentMarker, DrawsTheDiscInItsColourTheDottedLineAndTheTextLeftOfTheLine)
{
    OWL::TBitmap bitmap(120, 160);
    auto memory = std::make_unique<OWL::TMemoryDC>(bitmap);
    OWL::TMemoryDC& dc = *memory;
    dc.FillRect(OWL::TRect(0, 0, 120, 160), OWL::TBrush(OWL::TColor(RGB(255, 255, 255))));
    const CommentDrawRecord record{80, 10, 150, 0, CommentDrawFlag::Text | CommentDrawFlag::DottedLine};
    DrawComment(dc, dc, record, CommentAppearance{L"Bolus", 1, Red});
    const RECT marker = CommentMarkerRect(record, dc);
    EXPECT_EQ(Red, ::GetPixel(dc, 80, (marker.top + marker.bottom) / 2));
    int grey = 0, dark = 0;
    for (int y = marker.bottom + 1; y < 150; ++y)
        grey += ::GetPixel(dc, 80, y) == 0xC0C0C0;
    for (int y = 80; y < 150; ++y)
        for (int x = 40; x < 79; ++x)
            dark += ::GetPixel(dc, x, y) == RGB(0, 0, 0);
    EXPECT_GT(grey, 20);
    EXPECT_GT(dark, 10) << "the text, written upwards to the left of the line";
    EXPECT_TRUE(CommentHit(record, dc, POINT{80, marker.top + 1}));
    EXPECT_FALSE(CommentHit(record, dc, POINT{80, marker.bottom}));
    EXPECT_FALSE(CommentHit(record, dc, POINT{marker.right, marker.top + 3}));
    memory.reset();
    OwlTest::SaveBitmapPng(bitmap, L"comment_marker");

    // Hidden text and no line: only the disc.
    OWL::TBitmap plain(120, 160);
    OWL::TMemoryDC plainDc(plain);
    plainDc.FillRect(OWL::TRect(0, 0, 120, 160), OWL::TBrush(OWL::TColor(RGB(255, 255, 255))));
    DrawComment(plainDc, plainDc, record, CommentAppearance{L"Bolus", 0, Red});
    DrawComment(plainDc, plainDc, CommentDrawRecord{80, 10, 150, 0, 0}, CommentAppearance{L"Bolus", 1, Red});
    int drawn = 0;
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 120; ++x)
            drawn += ::GetPixel(plainDc, x, y) != RGB(255, 255, 255) && ::GetPixel(plainDc, x, y) != 0xC0C0C0;
    EXPECT_LE(drawn, 7 * 7);
}

TEST(CommentPopup, GivesOneLinePerFortyCharactersStartedAndAtMostSeven)
{
    struct Case
    {
        std::size_t characters;
        int lines;
    };
    const Case cases[] = {{0, 1}, {1, 1}, {39, 1}, {40, 2}, {79, 2}, {80, 3}, {239, 6}, {240, 7}, {300, 7}};
    for (const Case& c : cases)
        EXPECT_EQ(c.lines, CommentPopupLineCount(c.characters)) << c.characters;
}

// The popup stays on the screen: above its marker where there is room, else below it, and moved in from
// the screen's sides and foot.
TEST(CommentPopup, IsPlacedInsideTheWorkArea)
{
    constexpr RECT Work{0, 0, 1280, 1000};
    constexpr SIZE Size{300, 120};
    constexpr int Marker = 7;
    const struct
    {
        const char* name;
        POINT anchor;
        POINT place;
    } cases[] = {
        {"room above", {300, 400}, {300, 280}},
        {"at the screen's top", {300, 28}, {300, 35}},
        {"just room above", {300, 120}, {300, 0}},
        {"at the right edge", {1200, 400}, {980, 280}},
        {"left of the screen", {-40, 400}, {0, 280}},
        {"at the foot, no room above", {300, 1000 - 2}, {300, 1000 - 2 - 120}},
    };
    for (const auto& c : cases)
    {
        const POINT place = CommentPopupPlace(c.anchor, Size, Marker, Work);
        EXPECT_EQ(c.place.x, place.x) << c.name;
        EXPECT_EQ(c.place.y, place.y) << c.name;
    }
    // Wider and taller than the work area: its left and top in it.
    const POINT huge = CommentPopupPlace({100, 10}, SIZE{2000, 1500}, Marker, Work);
    EXPECT_EQ(0, huge.x);
    EXPECT_EQ(0, huge.y);
}

TEST(CommentPopup, SitsAboveItsAnchorWithTheTextBelowTheHeaderAndShowsWithoutActivation)
{
    OWL::TWindow owner(nullptr, L"Recording");
    owner.Attr.Style = WS_OVERLAPPEDWINDOW;
    owner.Create();
    const std::wstring text(300, L'x');
    std::wstring words;
    for (int i = 0; i < 12; ++i)
        words += L"Bolus of saline ";
    for (const std::wstring& commentText : {std::wstring(L"Bolus"), text, words})
    {
        CommentPopup popup(owner.GetHandle(), POINT{300, 400}, CommentAppearance{commentText, 1, Red}, L"12.5 s", 7);
        popup.Create();
        const OWL::TRect window = popup.GetWindowRect();
        EXPECT_EQ(300, window.left);
        EXPECT_EQ(400, window.bottom);
        EXPECT_EQ(CommentPopupLineCount(commentText.size()), popup.LineCount());
        EXPECT_GE(popup.TextRect().top, popup.HeaderRect().bottom + 7);
        EXPECT_TRUE(popup.IsWindowVisible());
        EXPECT_NE(popup.GetHandle(), GetActiveWindow());
        EXPECT_EQ(L"t = 12.5 s", popup.HeaderText());
        if (commentText == words)
            OwlTest::SaveWindowPng(popup.GetHandle(), L"comment_popup");
    }
    CommentPopup longTime(owner.GetHandle(), POINT{0, 100}, CommentAppearance{L"", 1, Red}, std::wstring(40, L'9'), 7);
    EXPECT_EQ(31u, longTime.HeaderText().size());
    EXPECT_EQ(1, longTime.LineCount());
}

} // namespace
