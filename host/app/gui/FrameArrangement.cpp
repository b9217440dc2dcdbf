#include "host/app/gui/FrameArrangement.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace Host
{

namespace
{

// Shares closer than this are the same edge (the document computes them in whole percent of pixels).
constexpr double SameEdge = 0.005;

// Lengths of parts that fill whole: the focus part (index, or -1) takes FocusShare, and at least its least,
// when there are others; without a focus the parts keep the proportions of their weights. The last takes
// what rounding left.
std::vector<int> ShareOut(int whole, const std::vector<double>& weights, int focus, int focusLeast)
{
    const size_t count = weights.size();
    std::vector<double> shares(count);
    if (focus >= 0 && count > 1)
    {
        const double focusShare =
            whole > 0 ? std::clamp(static_cast<double>(focusLeast) / whole, FocusShare, 1.0) : FocusShare;
        for (size_t i = 0; i < count; ++i)
            shares[i] = static_cast<int>(i) == focus ? focusShare : (1.0 - focusShare) / static_cast<double>(count - 1);
    }
    else
    {
        double total = 0.0;
        for (double weight : weights)
            total += std::max(weight, 0.0);
        for (size_t i = 0; i < count; ++i)
            shares[i] = total > 0.0 ? std::max(weights[i], 0.0) / total : 1.0 / static_cast<double>(count);
    }
    std::vector<int> lengths(count);
    int used = 0;
    for (size_t i = 0; i + 1 < count; ++i)
        used += lengths[i] = static_cast<int>(std::lround(whole * shares[i]));
    if (count > 0)
        lengths.back() = whole - used;
    return lengths;
}

// The lengths shared out, with each part below its least length given it, taken from the parts with the
// most to spare: the focus spares down to half the whole (its larger part), the others down to their
// least. Where they cannot spare it all, nothing is taken and the parts reach past whole: the focus keeps
// its share and the area scrolls to the others. No part needs more than the whole: a view larger than the
// area scrolls in its own frame.
std::vector<int> Split(int whole, const std::vector<double>& weights, int focus, std::vector<int> leasts)
{
    for (int& least : leasts)
        least = std::min(least, whole);
    std::vector<int> lengths =
        ShareOut(whole, weights, focus, focus >= 0 ? leasts[static_cast<size_t>(focus)] : 0);
    std::vector<int> floors = leasts;
    if (focus >= 0 && lengths.size() > 1)
        floors[static_cast<size_t>(focus)] = std::max(floors[static_cast<size_t>(focus)], whole / 2);
    int wanted = 0, spare = 0;
    for (size_t i = 0; i < lengths.size(); ++i)
    {
        wanted += std::max(0, leasts[i] - lengths[i]);
        spare += std::max(0, lengths[i] - floors[i]);
        lengths[i] = std::max(lengths[i], leasts[i]);
    }
    if (wanted > spare)
        return lengths;
    while (wanted > 0)
    {
        size_t most = 0;
        for (size_t i = 1; i < lengths.size(); ++i)
            if (lengths[i] - floors[i] > lengths[most] - floors[most])
                most = i;
        const int spared = std::min(wanted, lengths[most] - floors[most]);
        lengths[most] -= spared;
        wanted -= spared;
    }
    return lengths;
}

// count / by, rounded up: the rows count views take by that many to a row.
size_t RoundedUp(size_t count, size_t by)
{
    return (count + by - 1) / by;
}

// Widths that fill whole: a view whose least width is more than an equal part keeps its least, the others
// share what is left equally, the last of them taking the rounding.
std::vector<int> RowWidths(const std::vector<int>& leasts, int whole)
{
    std::vector<bool> kept(leasts.size(), false);
    int rest = whole, sharing = static_cast<int>(leasts.size());
    for (bool changed = true; changed && sharing > 0;)
    {
        changed = false;
        for (size_t i = 0; i < leasts.size(); ++i)
            if (!kept[i] && static_cast<long long>(leasts[i]) * sharing > rest)
                kept[i] = true, rest -= leasts[i], --sharing, changed = true;
    }
    std::vector<int> widths(leasts);
    const int part = sharing > 0 ? rest / sharing : 0;
    for (size_t i = 0, unplaced = static_cast<size_t>(sharing); i < leasts.size(); ++i)
        if (!kept[i])
            widths[i] = --unplaced == 0 ? rest - part * (sharing - 1) : part;
    return widths;
}

// Whether rows of columns views each hold their views' least widths, and UsableTile's, in width.
bool RowsHold(const std::vector<int>& leasts, size_t columns, int width)
{
    for (size_t first = 0; first < leasts.size(); first += columns)
    {
        int needed = 0;
        for (size_t at = first; at < std::min(leasts.size(), first + columns); ++at)
            needed += std::max<int>(leasts[at], UsableTile.cx);
        if (needed > width)
            return false;
    }
    return true;
}

// The document's rows by top edge, top to bottom; in each, the views left to right.
std::vector<std::vector<size_t>> DocumentRows(const std::vector<PlacedShare>& placed)
{
    std::vector<size_t> order(placed.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (std::abs(placed[a].top - placed[b].top) > SameEdge)
            return placed[a].top < placed[b].top;
        return placed[a].left < placed[b].left;
    });
    std::vector<std::vector<size_t>> rows;
    for (size_t index : order)
        if (rows.empty() || std::abs(placed[rows.back().front()].top - placed[index].top) > SameEdge)
            rows.push_back({index});
        else
            rows.back().push_back(index);
    return rows;
}

// A row whose views' least widths do not fit the width beside each other goes on in a row below, so that
// every view gets the width it needs to show whole; the focus needs half the width beside others.
std::vector<std::vector<size_t>> WrappedRows(const std::vector<std::vector<size_t>>& rows,
                                             const std::vector<PlacedShare>& placed, int width)
{
    std::vector<std::vector<size_t>> wrapped;
    for (const std::vector<size_t>& row : rows)
    {
        int used = 0;
        wrapped.emplace_back();
        for (size_t index : row)
        {
            const int least = placed[index].focus ? std::max<int>(placed[index].least.cx, width / 2)
                                                  : placed[index].least.cx;
            if (!wrapped.back().empty() && used + least > width)
                wrapped.emplace_back(), used = 0;
            wrapped.back().push_back(index);
            used += least;
        }
    }
    return wrapped;
}

// How close a tile comes to readable: the smaller of its width and height as shares of ReadableTile's.
double Readability(double width, double height)
{
    return std::min(width / ReadableTile.cx, height / ReadableTile.cy);
}

} // namespace

std::vector<RECT> ArrangeInRows(const std::vector<PlacedShare>& placed, const RECT& area, int rowLeast)
{
    const std::vector<std::vector<size_t>> rows =
        WrappedRows(DocumentRows(placed), placed, area.right - area.left);
    std::vector<double> rowWeights;
    std::vector<int> rowLeasts;
    int focusRow = -1;
    for (size_t row = 0; row < rows.size(); ++row)
    {
        double height = 0.0;
        int least = 0;
        for (size_t index : rows[row])
        {
            height = std::max(height, placed[index].bottom - placed[index].top);
            least = std::max<int>(least, placed[index].least.cy);
            if (placed[index].focus)
                focusRow = static_cast<int>(row);
        }
        rowWeights.push_back(height);
        rowLeasts.push_back(static_cast<int>(row) == focusRow ? least : std::max(least, rowLeast));
    }
    const std::vector<int> heights = Split(area.bottom - area.top, rowWeights, focusRow, rowLeasts);
    std::vector<RECT> places(placed.size());
    LONG top = area.top;
    for (size_t row = 0; row < rows.size(); ++row)
    {
        std::vector<double> widths;
        std::vector<int> leasts;
        int focus = -1;
        for (size_t column = 0; column < rows[row].size(); ++column)
        {
            const PlacedShare& share = placed[rows[row][column]];
            widths.push_back(share.right - share.left);
            leasts.push_back(share.least.cx);
            if (share.focus)
                focus = static_cast<int>(column);
        }
        const std::vector<int> lengths = Split(area.right - area.left, widths, focus, leasts);
        LONG left = area.left;
        for (size_t column = 0; column < rows[row].size(); ++column)
        {
            places[rows[row][column]] = RECT{left, top, left + lengths[column], top + heights[row]};
            left += lengths[column];
        }
        top += heights[row];
    }
    return places;
}

std::vector<PlacedShare> ShareRows(const std::vector<int>& leastWidths, size_t columns, int width, double top,
                                   double rowHeight)
{
    columns = std::max<size_t>(columns, 1);
    while (columns > 1 && !RowsHold(leastWidths, columns, width))
        --columns;
    // As many rows, as even as they come: no row of one view under a full one.
    if (!leastWidths.empty())
    {
        const size_t even = RoundedUp(leastWidths.size(), RoundedUp(leastWidths.size(), columns));
        if (RowsHold(leastWidths, even, width))
            columns = even;
    }
    std::vector<PlacedShare> shares;
    const double whole = std::max(1, width);
    for (size_t first = 0; first < leastWidths.size(); first += columns, top += rowHeight)
    {
        const size_t end = std::min(leastWidths.size(), first + columns);
        double left = 0.0;
        for (int each : RowWidths({leastWidths.begin() + first, leastWidths.begin() + end}, width))
        {
            shares.push_back({left / whole, top, (left + each) / whole, top + rowHeight});
            left += each;
        }
    }
    return shares;
}

std::vector<PlacedShare> TiledShares(size_t count, int focus, int companion, SIZE area, const std::vector<int>& leastWidths)
{
    std::vector<PlacedShare> shares(count);
    std::vector<size_t> others;
    for (size_t i = 0; i < count; ++i)
        if (static_cast<int>(i) != focus && static_cast<int>(i) != companion)
            others.push_back(i);
    const bool top = focus >= 0;
    if (top)
    {
        const double focusRight = companion >= 0 ? FocusShare : 1.0;
        shares[static_cast<size_t>(focus)] = {0.0, 0.0, focusRight, 1.0, true};
        if (companion >= 0)
            shares[static_cast<size_t>(companion)] = {focusRight, 0.0, 1.0, 1.0};
    }
    if (others.empty())
        return shares;
    // The rows below the focus's share the rest of the height equally.
    const double height = top ? area.cy * (1.0 - FocusShare) : area.cy;
    size_t columns = 1;
    double best = -1.0;
    for (size_t tried = 1; tried <= others.size(); ++tried)
    {
        const size_t rows = RoundedUp(others.size(), tried);
        const double readable = Readability(static_cast<double>(area.cx) / tried, height / static_cast<double>(rows));
        if (readable > best)
            best = readable, columns = tried;
    }
    // Rows too low to be usable grow and scroll: the fewer of them, the less to scroll through.
    if (height / static_cast<double>(RoundedUp(others.size(), columns)) < UsableTile.cy)
        columns = std::clamp<size_t>(static_cast<size_t>(std::max(0L, area.cx) / UsableTile.cx), 1, others.size());
    std::vector<int> leasts;
    for (size_t index : others)
        leasts.push_back(index < leastWidths.size() ? leastWidths[index] : 0);
    const std::vector<PlacedShare> rows = ShareRows(leasts, columns, area.cx, top ? 1.0 : 0.0, 1.0);
    for (size_t at = 0; at < others.size(); ++at)
        shares[others[at]] = rows[at];
    return shares;
}

void ArrangeAgain(HWND window)
{
    const HWND root = GetAncestor(window, GA_ROOT);
    if (!root || root == window)
        return;
    RECT client{};
    GetClientRect(root, &client);
    PostMessageW(root, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

int TopWindowHeight(int areaHeight, int neededHeight)
{
    return std::clamp(neededHeight, areaHeight / 5, areaHeight / 3);
}

} // namespace Host
