#include "host/app/calc/EcgRhythm.h"

#include "host/app/calc/RWaveDetector.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Host
{

namespace
{

// Beats a minute of the slowest human heart at rest and above the fastest mouse's.
constexpr double SlowestRate = 20.0, FastestRate = 1000.0;
// An ECG shows a heart's rhythm when its R waves cover at least this share of the recording at the
// slowest rate.
constexpr double LeastCoveredShare = 0.5;

std::string ChannelName(size_t channel)
{
    return "the ECG channel " + std::to_string(channel + 1);
}

std::string Rounded(double value)
{
    return std::to_string(std::lround(value));
}

} // namespace

EcgRhythm MeasureEcgRhythm(const Recording& recording, size_t channel, double minPeriod)
{
    EcgRhythm rhythm;
    std::vector<double> periods;
    for (size_t record = 0; record < recording.RecordCount(); ++record)
    {
        const Record& data = recording.RecordAt(record);
        const std::span<const float> samples = data.Samples(channel);
        Calc::RWaveDetector detector(Calc::RWaveRules{minPeriod}, data.SampleInterval());
        Calc::EventTrack track(sizeof(Calc::EventHeader));
        detector.Add(0, samples, track);
        detector.Finish(static_cast<int64_t>(samples.size()), track);
        rhythm.beats += track.Count();
        rhythm.seconds += static_cast<double>(samples.size()) * data.SampleInterval();
        for (size_t beat = 1; beat < track.Count(); ++beat)
            periods.push_back(static_cast<double>(track.Header(beat).tick - track.Header(beat - 1).tick) * data.SampleInterval());
    }
    if (!periods.empty())
    {
        const auto middle = periods.begin() + static_cast<std::ptrdiff_t>(periods.size() / 2);
        std::nth_element(periods.begin(), middle, periods.end());
        rhythm.medianPeriod = *middle;
    }
    return rhythm;
}

std::optional<std::string> EcgRhythmDoubt(const EcgRhythm& rhythm, size_t channel)
{
    if (rhythm.beats == 0)
        return ChannelName(channel) + " shows no R waves above its noise: it gives no beats, and no loops";
    const double least = LeastCoveredShare * rhythm.seconds * SlowestRate / 60.0;
    if (static_cast<double>(rhythm.beats) < least)
        return ChannelName(channel) + " shows " + std::to_string(rhythm.beats) + " R waves above its noise in " +
               Rounded(rhythm.seconds) + " s, fewer than a heart beats: its loops span several beats or are none";
    if (rhythm.medianPeriod)
    {
        const double rate = 60.0 / *rhythm.medianPeriod;
        if (rate < SlowestRate || rate > FastestRate)
            return ChannelName(channel) + " shows R waves at " + Rounded(rate) + " a minute, a rate no heart beats (" +
                   Rounded(SlowestRate) + " to " + Rounded(FastestRate) + "): its loops are no beats";
    }
    return std::nullopt;
}

} // namespace Host
