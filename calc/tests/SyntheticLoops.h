// Synthetic beats for the loop tests: a trapezoid loop whose values can be worked out by hand, and
// recordings made of repeated beats with their end-diastolic events.
#pragma once

#include "calc/tests/FakeHostSources.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace CalcTesting
{

// One beat of a trapezoid loop in the volume-pressure plane, run counter-clockwise: end diastole
// A (120, 10), isovolumic contraction to B (115, 100), ejection to C (60, 110), relaxation to
// D (65, 5) and filling back towards A, each side sampled `perSide` times from its first corner on.
struct TrapezoidBeat
{
    struct Corner
    {
        float v, p;
    };
    static constexpr Corner Corners[4] = {{120.0f, 10.0f}, {115.0f, 100.0f}, {60.0f, 110.0f}, {65.0f, 5.0f}};

    explicit TrapezoidBeat(int perSide = 10)
    {
        for (int side = 0; side < 4; ++side)
        {
            const Corner from = Corners[side];
            const Corner to = Corners[(side + 1) % 4];
            // Weighted in double so that the samples of the hand computations are exact.
            auto between = [perSide](double a, double b, int i) {
                return static_cast<float>((a * (perSide - i) + b * i) / perSide);
            };
            for (int i = 0; i < perSide; ++i)
            {
                volume.push_back(between(from.v, to.v, i));
                pressure.push_back(between(from.p, to.p, i));
            }
        }
    }

    std::vector<float> pressure;
    std::vector<float> volume;
};

// Event records of the layout T (beginning with OrvEventBase), as a calculation hands them out.
template <class T>
class FakeRecordEvents : public FakeEventStream<T>
{
public:
    std::vector<T> events;
    bool complete = true;
    std::size_t available = 0; // events recorded so far
    int32_t cursor = 0;

    FakeRecordEvents() = default;
    explicit FakeRecordEvents(std::vector<T> records) : events(std::move(records)), available(events.size()) {}

    static int32_t TickOf(const T& record)
    {
        int32_t tick = 0;
        std::memcpy(&tick, &record, sizeof tick);
        return tick;
    }
    int32_t PositionOfCursor() const
    {
        if (cursor < static_cast<int32_t>(available))
            return TickOf(events[static_cast<std::size_t>(cursor)]);
        if (!complete || available < events.size())
            return available == 0 ? 0 : TickOf(events[available - 1]) + 1;
        return CalcNoMoreEventsTick;
    }
    HRESULT STDMETHODCALLTYPE Next(int32_t byteCount, int32_t limit, void* records, int32_t* count,
                                   int32_t* nextPosition) override
    {
        auto* out = static_cast<std::byte*>(records);
        *count = 0;
        constexpr auto size = static_cast<int32_t>(sizeof(T));
        while (cursor < static_cast<int32_t>(available) && (*count + 1) * size <= byteCount &&
               TickOf(events[static_cast<std::size_t>(cursor)]) < limit)
        {
            std::memcpy(out + *count * size, &events[static_cast<std::size_t>(cursor)], size);
            ++*count;
            ++cursor;
        }
        *nextPosition = PositionOfCursor();
        return (complete && available == events.size() && cursor == static_cast<int32_t>(available)) ? S_FALSE
                                                                                                      : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Seek(int32_t, int32_t tick, int32_t rangeStart, int32_t rangeEnd) override
    {
        cursor = 0;
        while (cursor < static_cast<int32_t>(available) &&
               TickOf(events[static_cast<std::size_t>(cursor)]) < std::max(tick, rangeStart))
            ++cursor;
        return cursor < static_cast<int32_t>(available) && TickOf(events[static_cast<std::size_t>(cursor)]) < rangeEnd
                   ? S_OK
                   : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override
    {
        *tick = PositionOfCursor();
        return S_OK;
    }
};

// End-diastolic events as the detectors hand them out: 32-byte records.
class FakeEdpEvents : public FakeRecordEvents<Sistra::SistraEdpEvent>
{
public:
    explicit FakeEdpEvents(const std::vector<int32_t>& ticks)
    {
        for (int32_t tick : ticks)
            events.push_back(Sistra::SistraEdpEvent{OrvEventBase{tick, 0.0f, 1.0}, tick + 5, 0.0f, 2.0});
        available = events.size();
    }
};

// A recording of `beats` trapezoid beats after `lead` samples of the first corner, with one
// end-diastolic event at the start of each beat.
struct TrapezoidRecording
{
    TrapezoidRecording(int beats, int perSide = 10, int lead = 7)
    {
        const TrapezoidBeat beat(perSide);
        pressure.assign(static_cast<std::size_t>(lead), beat.pressure.front());
        volume.assign(static_cast<std::size_t>(lead), beat.volume.front());
        for (int b = 0; b < beats; ++b)
        {
            edpTicks.push_back(static_cast<int32_t>(pressure.size()));
            pressure.insert(pressure.end(), beat.pressure.begin(), beat.pressure.end());
            volume.insert(volume.end(), beat.volume.begin(), beat.volume.end());
        }
        // The last event closes the last beat.
        edpTicks.push_back(static_cast<int32_t>(pressure.size()));
        pressure.insert(pressure.end(), static_cast<std::size_t>(lead), beat.pressure.front());
        volume.insert(volume.end(), static_cast<std::size_t>(lead), beat.volume.front());
    }

    std::vector<float> pressure;
    std::vector<float> volume;
    std::vector<int32_t> edpTicks;
};

// A steady left ventricle, as a function of time: the upstroke starts at 5 % of the beat (from the
// end-diastolic 10 mmHg) and crests at 120 mmHg at 30 %; the pressure then relaxes exponentially
// towards 4 mmHg with the time constant tau until diastolic filling (rising back to 10 mmHg at the end
// of the beat) takes over. The volume stays at 120 uL through isovolumic contraction, ejects to 50 uL
// between 16 % and 32 %, stays there through isovolumic relaxation and refills from 40 %. The ECG has
// an R wave of 1 mV at 4 % of the beat.
struct RealisticBeat
{
    double beatSeconds = 0.8;
    double tau = 0.03;

    double Phase(double t) const { return std::fmod(t, beatSeconds) / beatSeconds; }

    double Pressure(double t) const
    {
        constexpr double pi = 3.14159265358979323846;
        const double phase = Phase(t);
        if (phase < 0.05)
            return 10.0;
        if (phase < 0.30)
            return 10.0 + 110.0 * std::sin(pi / 2.0 * (phase - 0.05) / 0.25);
        const double relaxing = 4.0 + 116.0 * std::exp(-(phase - 0.30) * beatSeconds / tau);
        const double filling = 4.0 + 6.0 * (phase - 0.30) / 0.70;
        return std::max(relaxing, filling);
    }

    double Volume(double t) const
    {
        constexpr double pi = 3.14159265358979323846;
        const double phase = Phase(t);
        if (phase < 0.16)
            return 120.0;
        if (phase < 0.32)
            return 85.0 + 35.0 * std::cos(pi * (phase - 0.16) / 0.16);
        if (phase < 0.40)
            return 50.0;
        return 85.0 - 35.0 * std::cos(pi * (phase - 0.40) / 0.60);
    }

    double Ecg(double t) const
    {
        const double fromR = (Phase(t) - 0.04) * beatSeconds;
        return std::exp(-fromR * fromR / (2.0 * 0.004 * 0.004));
    }
};

} // namespace CalcTesting
