// How a computed channel's value range maps onto the host's 16-bit sample scale.
#pragma once

namespace Sistra
{

// value = (raw + offset) * scale; raw = gain * (value + shift). Raw samples run from -32000 to +32000.
struct ChannelOutputRange
{
    double scale = 1.0;
    double offset = 0.0;
    double gain = 1.0;
    double shift = 0.0;
};

// A range narrower than this (in single precision) has no usable scale: it is widened by this much on
// either side.
constexpr float NarrowRangeWidening = 1e-5f;

// low and high widened when |high - low| is below NarrowRangeWidening; where the widening vanishes in
// single precision, the neighbouring floats are taken instead.
void WidenNarrowRange(float& low, float& high);

// Clamps both ends to +-1e24 and maps [low, high] onto the raw range: scale = (high - low) / 64000,
// offset puts the middle of the range at raw 0. A range of zero width is widened first, so every
// result is finite.
ChannelOutputRange MapChannelOutputRange(double high, double low);

} // namespace Sistra
