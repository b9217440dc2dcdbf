#include "views/cuvette/CuvetteLayout.h"

#include <algorithm>

namespace Sistra
{

namespace
{

constexpr int Margin = 8;
// Table and group are this much narrower than the left part (8 pixels in from its left edge, 7 from the
// plot); the group's contents end this far from the plot.
constexpr int LeftInset = 15;
constexpr int TableTop = 8;
constexpr int TableBottomSpace = 163;
constexpr int TableLeastHeight = 60;
constexpr int ButtonRowUp = 147;
constexpr int ButtonHeight = 23;
constexpr int SetFromSelectionWidth = 115;
constexpr int DeleteRowWidth = 96;
// "Delete Row..." stands this far left of the plot's left edge.
constexpr int DeleteRowFromPlot = 101;
constexpr int GroupUp = 108;
constexpr int GroupHeight = 60;
constexpr int ResultLeft = 24;
constexpr int ResultUp = 78;
// A wrapped fit text starts higher, so that its second line stays inside the group.
constexpr int WrappedResultUp = 90;
constexpr int ApplyUp = 83;
constexpr int ApplyWidth = 64;
constexpr int ApplyGap = 8;
// A word that does not fit the end of the first line goes whole to the second: room for the longest
// word (a number with its digits) besides half the text.
constexpr int WrapSlack = 60;
constexpr int StandardCheckLeft = 67;
// Just right of the help button that the graph view keeps in the bottom-left corner (2 + 30 pixels).
constexpr int CompactCheckLeft = 40;
constexpr int CheckBoxExtra = 18;
constexpr int CheckToLabel = 15;
constexpr int BandGap = 4;
constexpr int ErrorSide = 12;
// The height of a row of the bottom band.
constexpr int BandRowHeight = 27;

int ButtonsLeast()
{
    return Margin + SetFromSelectionWidth + Margin + DeleteRowWidth + (DeleteRowFromPlot - DeleteRowWidth);
}

// The left part's width that shows the fit text on one line beside "Apply", as the standard places do.
int OneLineLeft(const CuvetteLayoutInput& input)
{
    const int applyRoom = input.applyShown ? ApplyWidth + ApplyGap : 0;
    return input.resultText.cx + ResultLeft + LeftInset + applyRoom;
}

int WrappedLeftLeast(const CuvetteLayoutInput& input)
{
    const int applyRoom = input.applyShown ? ApplyWidth + ApplyGap : 0;
    return (input.resultText.cx + WrapSlack + 1) / 2 + ResultLeft + LeftInset + applyRoom;
}

int CheckBoxWidth(const CuvetteLayoutInput& input)
{
    return input.enableText.cx + CheckBoxExtra;
}

// The equation's labels, edits and error mark, from the first label's left edge to the view's edge.
int EquationWidth(const CuvetteLayoutInput& input)
{
    return input.equationStartText.cx + BandGap + input.numberWidth + BandGap + input.equationMiddleText.cx + BandGap +
           input.numberWidth + BandGap + BandGap + ErrorSide + Margin;
}

int BandWidth(const CuvetteLayoutInput& input, int checkLeft)
{
    return checkLeft + CheckBoxWidth(input) + CheckToLabel + EquationWidth(input);
}

// Check box and equation on two rows, both right of the help button.
int TwoRowBandWidth(const CuvetteLayoutInput& input)
{
    return CompactCheckLeft + std::max(CheckBoxWidth(input) + Margin, EquationWidth(input));
}

int BandRise(const CuvetteLayoutInput& input, int width)
{
    return input.equationShown && width < BandWidth(input, CompactCheckLeft) ? BandRowHeight : 0;
}

RECT At(int x, int y, int width, int height)
{
    return RECT{x, y, x + width, y + height};
}

} // namespace

SIZE LeastCuvetteSize(const CuvetteLayoutInput& input)
{
    const int left = std::max(ButtonsLeast(), WrappedLeftLeast(input));
    int width = left + CuvettePlotLeastWidth;
    if (input.equationShown)
        width = std::max(width, TwoRowBandWidth(input));
    return SIZE{width, TableBottomSpace + TableLeastHeight + BandRise(input, width)};
}

CuvetteLayout LayOutCuvette(const CuvetteLayoutInput& input)
{
    const SIZE least = LeastCuvetteSize(input);
    const int w = std::max<int>(input.client.cx, least.cx);
    const int bottom = std::max<int>(input.client.cy, least.cy);
    CuvetteLayout layout{};
    layout.bandRise = BandRise(input, w);
    // What stands above the band is placed from the band's top row.
    const int h = bottom - layout.bandRise;
    const int wantedLeft = std::max(ButtonsLeast(), OneLineLeft(input));
    layout.plotWidth = std::clamp(w - wantedLeft, CuvettePlotLeastWidth, CuvettePlotWidth);
    layout.leftWidth = w - layout.plotWidth;
    const int left = layout.leftWidth;
    const int innerWidth = left - LeftInset;

    layout.table = At(Margin, TableTop, innerWidth, h - TableBottomSpace);
    layout.setFromSelection = At(Margin, h - ButtonRowUp, SetFromSelectionWidth, ButtonHeight);
    layout.deleteRow = At(left - DeleteRowFromPlot, h - ButtonRowUp, DeleteRowWidth, ButtonHeight);
    layout.group = At(Margin, h - GroupUp, innerWidth, GroupHeight);

    const SIZE text = input.resultText;
    if (left >= OneLineLeft(input))
    {
        layout.result = At(ResultLeft, h - ResultUp, text.cx, text.cy);
        layout.apply = At(text.cx + ResultLeft + ApplyGap, h - ApplyUp, ApplyWidth, ButtonHeight);
    }
    else
    {
        const int groupRight = layout.group.right - Margin;
        const int textRight = input.applyShown ? groupRight - ApplyWidth - ApplyGap : groupRight;
        layout.result = RECT{ResultLeft, h - WrappedResultUp, textRight, h - WrappedResultUp + 2 * text.cy};
        layout.apply = At(groupRight - ApplyWidth, h - ApplyUp, ApplyWidth, ButtonHeight);
    }

    const int checkLeft = w >= BandWidth(input, StandardCheckLeft) ? StandardCheckLeft : CompactCheckLeft;
    layout.enable = At(checkLeft, h - 22, CheckBoxWidth(input), 18);
    // The equation follows the check box, or starts the row under it.
    int x = layout.bandRise > 0 ? CompactCheckLeft : checkLeft + CheckBoxWidth(input) + CheckToLabel;
    const auto label = [&](RECT& place, SIZE extent) {
        place = At(x, bottom - 20, extent.cx, 13);
        x += extent.cx + BandGap;
    };
    const auto edit = [&](RECT& place) {
        place = At(x, bottom - 23, input.numberWidth, 21);
        x += input.numberWidth + BandGap;
    };
    label(layout.equationStart, input.equationStartText);
    edit(layout.slope);
    label(layout.equationMiddle, input.equationMiddleText);
    edit(layout.intercept);
    x += BandGap;
    layout.error = At(x, bottom - 20, ErrorSide, ErrorSide);
    return layout;
}

} // namespace Sistra
