#include "calc/channel/ChannelOutputRange.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace Sistra
{
namespace
{
constexpr float RangeLimit = 1e24f;
constexpr float RawSteps = 64000.0f;
constexpr double RawMiddle = 32000.0;
} // namespace

void WidenNarrowRange(float& low, float& high)
{
    if (!(std::fabs(high - low) < NarrowRangeWidening))
        return;
    const float middleLow = std::min(low, high);
    const float middleHigh = std::max(low, high);
    low = middleLow - NarrowRangeWidening;
    high = middleHigh + NarrowRangeWidening;
    if (low == middleLow)
        low = std::nextafter(middleLow, -FLT_MAX);
    if (high == middleHigh)
        high = std::nextafter(middleHigh, FLT_MAX);
}

ChannelOutputRange MapChannelOutputRange(double high, double low)
{
    float top = static_cast<float>(std::clamp(high, -static_cast<double>(RangeLimit), static_cast<double>(RangeLimit)));
    float bottom = static_cast<float>(std::clamp(low, -static_cast<double>(RangeLimit), static_cast<double>(RangeLimit)));
    if (top == bottom)
        WidenNarrowRange(bottom, top);

    float range = top - bottom;
    if (!std::isfinite(range))
        range = FLT_MAX;
    double scale = static_cast<double>(range / RawSteps);
    if (!std::isfinite(scale))
        scale = FLT_MAX;

    ChannelOutputRange result;
    result.scale = scale;
    result.offset = RawMiddle + static_cast<double>(bottom) * RawSteps / static_cast<double>(range);
    result.gain = 1.0 / scale;
    result.shift = -(scale * result.offset);
    return result;
}

} // namespace Sistra
