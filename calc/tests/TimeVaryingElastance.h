// A left ventricle of time-varying elastance ejecting into a two-element windkessel and filled from a
// venous reservoir, integrated with forward Euler: the recording of a preload reduction whose
// end-systolic relation is known, Pes = Ees (Ves - V0).
//     P(t) = E(t) (V - V0),  E(t) = Emin + (Ees - Emin) e(t),  e = (1 - cos(2 pi t / Ts)) / 2 in systole,
//     dV/dt = (Pv - P)+ / Rin - (P - Pa)+ / Rout,  C dPa/dt = (P - Pa)+ / Rout - Pa / Rs.
#pragma once

#include "calc/engine/DetectorEnumeratorCore.h"
#include "calc/loops/LoopAnalyzer.h"
#include "calc/tests/DetectorReading.h"
#include "calc/tests/SyntheticLoops.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace CalcTesting
{

struct ElastanceVentricle
{
    double ees = 2.0;    // mmHg/uL
    double v0 = 10.0;    // uL
    double emin = 0.05;  // mmHg/uL
    double beatSeconds = 0.6;
    double systoleSeconds = 0.3;
    double rin = 0.01, rout = 0.05, rs = 0.5, c = 1.5;
    double dt = 0.001;

    double Elastance(double phaseSeconds) const
    {
        constexpr double pi = 3.14159265358979323846;
        const double activation =
            phaseSeconds < systoleSeconds ? 0.5 * (1.0 - std::cos(2.0 * pi * phaseSeconds / systoleSeconds)) : 0.0;
        return emin + (ees - emin) * activation;
    }
};

// Beats whose venous pressure falls linearly from startPv to endPv, after warm-up beats at startPv that
// are not recorded. The end-diastolic events are the starts of the recorded beats and one after the last.
struct PreloadReduction
{
    PreloadReduction(const ElastanceVentricle& heart, int beats, double startPv, double endPv, int warmUp = 6)
    {
        const auto ticksPerBeat = static_cast<int32_t>(std::lround(heart.beatSeconds / heart.dt));
        double v = heart.v0 + startPv / heart.emin * 0.6;
        double pa = 80.0;
        // The recording starts a little before the first recorded beat and ends one beat after the last.
        for (int beat = -warmUp; beat <= beats; ++beat)
        {
            const double pv = beat <= 0 ? startPv : startPv + (endPv - startPv) * std::min(beat, beats - 1) / (beats - 1);
            if (beat >= 0)
                edpTicks.push_back(static_cast<int32_t>(pressure.size()));
            for (int32_t tick = 0; tick < ticksPerBeat; ++tick)
            {
                const double p = heart.Elastance(tick * heart.dt) * (v - heart.v0);
                if (beat >= 0 || (beat == -1 && tick >= ticksPerBeat - LeadTicks))
                {
                    pressure.push_back(static_cast<float>(p));
                    volume.push_back(static_cast<float>(v));
                }
                const double inflow = p < pv ? (pv - p) / heart.rin : 0.0;
                const double outflow = p > pa ? (p - pa) / heart.rout : 0.0;
                v += heart.dt * (inflow - outflow);
                pa += heart.dt * (outflow - pa / heart.rs) / heart.c;
            }
        }
    }

    static constexpr int32_t LeadTicks = 50;
    std::vector<float> pressure;
    std::vector<float> volume;
    std::vector<int32_t> edpTicks;
};

// Every record the loop analyzer makes of the recording (maximum P/V end-systolic points), the closing
// record included.
inline std::vector<Sistra::SistraEvent> AnalyzeLoops(const PreloadReduction& recording, double dt)
{
    FakeChannel pressure(recording.pressure);
    FakeChannel volume(recording.volume);
    FakeEdpEvents edps(recording.edpTicks);
    EEH3::DetectorEnumeratorCore<Sistra::DetEx_EventAlgorithm> analyzer;
    analyzer.SetArguments(L"0 0 1 -1 -1 -1 -1 0");
    IUnknown* sources[] = {static_cast<IEnumFloatEx*>(&pressure), static_cast<IEnumFloatEx*>(&volume),
                           static_cast<IEnumEventEx*>(&edps)};
    analyzer.Bind(0, 3, sources, dt, 0);
    return ReadAllEvents(analyzer);
}

} // namespace CalcTesting
