// How a comment on the recording is drawn where the host's display asks: a small disc hanging from the
// top of the comment's line, a dotted line down the traces, and the text written upwards beside it.
#pragma once

#include "hostapi/VyrComments.h"
#include "foundation/system/ShellDlgFont.h"

#include <windows.h>

#include <map>
#include <string>
#include <utility>

// max(reference DPI / 96, 1): comments grow with the display, never shrink below their 96-DPI size.
double CommentScale(HDC reference);

// The disc of diameter 2r + 1 (r = 3 at 96 DPI) hanging from the top of the comment's line.
RECT CommentMarkerRect(const CommentDrawRecord& record, HDC reference);
RECT CommentMarkerRectAtDpi(const CommentDrawRecord& record, int dpi);

// The fonts comment texts are written in, one pair per point size and DPI, kept for the process.
class DPIFontMap
{
public:
    struct Fonts
    {
        Orv::UniqueFont rotated;   // reads bottom to top
        Orv::UniqueFont upright;
        int rotatedHeight;
        int uprightHeight;
    };

    // The pair for the application's comment point size at the DC's horizontal DPI, made on first use.
    const Fonts& Lookup(HDC dc);
    std::size_t Size() const { return fonts_.size(); }

    static DPIFontMap& Process();

private:
    std::map<std::pair<int, int>, Fonts> fonts_;
};

// 12 points for a Chinese or Japanese application, else 10.
int CommentPointSize();

// What one comment draws: its text when wanted, the dotted line when the record asks, then the disc
// filled with fill (outlined in black).
struct CommentAppearance
{
    std::wstring text;
    ULONG displayFlags;
    COLORREF fill;
};
void DrawComment(HDC dc, HDC reference, const CommentDrawRecord& record, const CommentAppearance& appearance);

// Whether point lies on the comment's disc.
bool CommentHit(const CommentDrawRecord& record, HDC reference, POINT point);
