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

// Lengths of parts that fill whole: the focus part (index, or -1) takes FocusShare when there are others;
// without a focus the parts keep the proportions of their weights. The last takes what rounding left.
std::vector<int> Split(int whole, const std::vector<double>& weights, int focus)
{
    const size_t count = weights.size();
    std::vector<double> shares(count);
    if (focus >= 0 && count > 1)
        for (size_t i = 0; i < count; ++i)
            shares[i] = static_cast<int>(i) == focus ? FocusShare : (1.0 - FocusShare) / static_cast<double>(count - 1);
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

} // namespace

std::vector<RECT> ArrangeInRows(const std::vector<PlacedShare>& placed, const RECT& area)
{
    // Rows by top edge, top to bottom; in each, the views left to right.
    std::vector<std::vector<size_t>> rows;
    std::vector<size_t> order(placed.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (std::abs(placed[a].top - placed[b].top) > SameEdge)
            return placed[a].top < placed[b].top;
        return placed[a].left < placed[b].left;
    });
    for (size_t index : order)
        if (rows.empty() || std::abs(placed[rows.back().front()].top - placed[index].top) > SameEdge)
            rows.push_back({index});
        else
            rows.back().push_back(index);

    std::vector<double> rowWeights;
    int focusRow = -1;
    for (size_t row = 0; row < rows.size(); ++row)
    {
        double height = 0.0;
        for (size_t index : rows[row])
        {
            height = std::max(height, placed[index].bottom - placed[index].top);
            if (placed[index].focus)
                focusRow = static_cast<int>(row);
        }
        rowWeights.push_back(height);
    }
    const std::vector<int> heights = Split(area.bottom - area.top, rowWeights, focusRow);
    std::vector<RECT> places(placed.size());
    LONG top = area.top;
    for (size_t row = 0; row < rows.size(); ++row)
    {
        std::vector<double> widths;
        int focus = -1;
        for (size_t column = 0; column < rows[row].size(); ++column)
        {
            const PlacedShare& share = placed[rows[row][column]];
            widths.push_back(share.right - share.left);
            if (share.focus)
                focus = static_cast<int>(column);
        }
        const std::vector<int> lengths = Split(area.right - area.left, widths, focus);
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

int TopWindowHeight(int areaHeight, int neededHeight)
{
    return std::clamp(neededHeight, areaHeight / 5, areaHeight / 3);
}

} // namespace Host
