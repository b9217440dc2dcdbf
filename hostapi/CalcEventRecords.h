// Event records exchanged between calculation functions and the engine as raw fixed-size bytes. The
// engine stores and hands them back byte for byte, so every size and offset here is binding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// A position on a channel is tick + fraction with the fraction in [-0.5, 0.5).
struct OrvEventBase {
    int32_t tick = 0;
    float fraction = 0.0f;
    double value = 0.0;

    // Splits a real sample position into tick and fraction.
    void SetPosition(double position);
    double Position() const { return tick + static_cast<double>(fraction); }
};
static_assert(sizeof(OrvEventBase) == 16);
static_assert(offsetof(OrvEventBase, tick) == 0);
static_assert(offsetof(OrvEventBase, fraction) == 4);
static_assert(offsetof(OrvEventBase, value) == 8);

inline void OrvEventBase::SetPosition(double position)
{
    // Truncation towards zero of (p + 0.5), as the records have always been written.
    tick = static_cast<int32_t>(position + 0.5);
    fraction = static_cast<float>(position - tick);
}

namespace Sistra {

// Loop record states.
inline constexpr int32_t LoopStateValid = 0;
inline constexpr int32_t LoopStateExcluded = 1;
inline constexpr int32_t LoopStateClosing = 2;

// One end-diastolic point and the pressure peak that closes the beat's upstroke.
struct SistraEdpEvent {
    OrvEventBase base;
    int32_t secondTick = 0;
    float secondFraction = 0.0f;
    double secondValue = 0.0;
};
static_assert(sizeof(SistraEdpEvent) == 32);
static_assert(offsetof(SistraEdpEvent, secondTick) == 16);
static_assert(offsetof(SistraEdpEvent, secondFraction) == 20);
static_assert(offsetof(SistraEdpEvent, secondValue) == 24);

// One analysed heart beat. base: the beat's start and its end-diastolic pressure.
struct SistraEvent {
    OrvEventBase base;
    int32_t firstTick = 0;        // tick of the beat's first sample
    int32_t endSystolicTick = 0;  // firstTick + endSystolicIndex
    int32_t state = LoopStateValid;
    int32_t reserved0 = 0;
    double sv = 0.0;
    double vmax = 0.0;
    double vmin = 0.0;
    double pmax = 0.0;
    double pmin = 0.0;
    double pmean = 0.0;
    double reserved1 = 0.0;
    double ved = 0.0;
    double ped = 0.0;
    double sw = 0.0;
    double ves = 0.0;
    double pes = 0.0;
    double hr = 0.0;
    double powMax = 0.0;
    double ef = 0.0;
    double dpdtMax = 0.0;
    double dpdtMin = 0.0;
    double dvdtMax = 0.0;
    double dvdtMin = 0.0;
    double vAtDpdtMax = 0.0;
    double vAtDpdtMin = 0.0;
    double pAtDvdtMax = 0.0;
    double pAtDpdtMax = 0.0;
    double tau = 0.0;             // ms
    double stableEsVolume = 0.0;  // mean volume during isovolumic relaxation
    double stableEdVolume = 0.0;  // mean volume during isovolumic contraction
    int32_t dpdtMaxIndex = 0;
    int32_t pminIndex = 0;
    int32_t pmaxIndex = 0;
    int32_t sampleOffset = 0;
    int32_t endSystolicIndex = 0;
    int32_t endTick = 0;          // one past the beat's last sample
    double piso = 0.0;
    double espvrSlope = 0.0;      // single-beat method

    // The hemodynamic parameter of index 1-31 and how it scales: carries the pressure unit, the volume
    // unit, is divided by a volume. Each flag pointer may be null.
    double GetParameter(int32_t index, bool* isPressure, bool* isVolume, bool* perVolume) const;
    double GetScaledParameter(int32_t index, double pressureFactor, double volumeFactor) const;
    // Scales a caller's value (a statistic of the parameter) as GetScaledParameter scales the parameter.
    double ScaleValue(int32_t index, double value, double pressureFactor, double volumeFactor) const;
};
static_assert(sizeof(SistraEvent) == 280);
static_assert(offsetof(SistraEvent, firstTick) == 16);
static_assert(offsetof(SistraEvent, endSystolicTick) == 20);
static_assert(offsetof(SistraEvent, state) == 24);
static_assert(offsetof(SistraEvent, sv) == 32);
static_assert(offsetof(SistraEvent, pmean) == 72);
static_assert(offsetof(SistraEvent, ved) == 88);
static_assert(offsetof(SistraEvent, ped) == 96);
static_assert(offsetof(SistraEvent, sw) == 104);
static_assert(offsetof(SistraEvent, hr) == 128);
static_assert(offsetof(SistraEvent, ef) == 144);
static_assert(offsetof(SistraEvent, dpdtMax) == 152);
static_assert(offsetof(SistraEvent, pAtDpdtMax) == 208);
static_assert(offsetof(SistraEvent, tau) == 216);
static_assert(offsetof(SistraEvent, stableEdVolume) == 232);
static_assert(offsetof(SistraEvent, dpdtMaxIndex) == 240);
static_assert(offsetof(SistraEvent, sampleOffset) == 252);
static_assert(offsetof(SistraEvent, endSystolicIndex) == 256);
static_assert(offsetof(SistraEvent, endTick) == 260);
static_assert(offsetof(SistraEvent, piso) == 264);
static_assert(offsetof(SistraEvent, espvrSlope) == 272);

// Pressure-volume area, potential energy and external work of one loop; cardiac efficiency is
// strokeWork / pva.
struct PVAEvent {
    OrvEventBase base;
    double pe = 0.0;
    double reserved = 0.0;
    double pva = 0.0;
    double strokeWork = 0.0;

    // Indices 26 (PVA), 27 (PE) and 28 (CE); NaN when the record carries no result.
    double GetParameter(int32_t index, bool* isPressure, bool* isVolume) const;

    // Fills the record from one loop: the area enclosed by the loop's samples up to the end tick, the
    // end-systolic point and the closing point, corrected by the end-systolic
    // (kind 1: quadratic) and end-diastolic (kind 1: exponential) relations. False, and the record
    // without a result, for a closing record or samples that cannot describe the loop.
    bool Calculate(const SistraEvent& loop, int32_t esKind, int32_t edKind, std::span<const double> esTerms,
                   std::span<const double> edTerms, std::span<const float> pressure,
                   std::span<const float> volume, int32_t endTick, float esVolume, float esPressure,
                   double closingPressure, double closingVolume);
};
static_assert(sizeof(PVAEvent) == 48);
static_assert(offsetof(PVAEvent, pe) == 16);
static_assert(offsetof(PVAEvent, pva) == 32);
static_assert(offsetof(PVAEvent, strokeWork) == 40);

}  // namespace Sistra
