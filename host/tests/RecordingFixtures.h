// Recordings that the host tests make for themselves.
#pragma once

#include "host/app/recording/Recording.h"

#include "calc/tests/SyntheticLoops.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <initializer_list>
#include <numbers>
#include <sstream>
#include <utility>
#include <string>
#include <vector>

namespace HostTests
{

// A finished recording of the given records; each record is one sample vector per channel.
inline Host::Recording MakeRecording(double interval, const std::vector<std::vector<std::vector<float>>>& records,
                                     std::vector<Host::ChannelInfo> channels)
{
    Host::Recording recording(std::move(channels));
    for (const auto& record : records)
    {
        std::vector<std::span<const float>> rows(record.begin(), record.end());
        recording.AddRecord(interval).Append(rows);
    }
    if (recording.RecordCount() > 0)
        recording.RecordAt(recording.RecordCount() - 1).MarkComplete();
    recording.MarkFinished();
    return recording;
}

// The same with channels "Channel 1", "Channel 2", ... in volts.
inline Host::Recording MakeRecording(double interval, const std::vector<std::vector<std::vector<float>>>& records,
                                     size_t channelCount = 1)
{
    std::vector<Host::ChannelInfo> channels;
    for (size_t channel = 0; channel < channelCount; ++channel)
        channels.push_back({"Channel " + std::to_string(channel + 1), "V"});
    return MakeRecording(interval, records, std::move(channels));
}

// Left-ventricular pressure of a steady heart: systole is a sin^2 hump from 8 to 118 mmHg over the first
// 40 % of each beat, cresting at 20 % of the beat; diastole creeps up by 2 mmHg.
struct PressureWave
{
    double beatSeconds;
    double interval = 0.001;
    double crestPhase = 0.2;

    double At(double seconds) const
    {
        const double phase = std::fmod(seconds, beatSeconds) / beatSeconds;
        if (phase < 2.0 * crestPhase)
        {
            const double rise = std::sin(std::numbers::pi * phase / (2.0 * crestPhase));
            return 8.0 + 110.0 * rise * rise;
        }
        return 8.0 + 2.0 * phase;
    }

    std::vector<float> Samples(int64_t count) const
    {
        std::vector<float> samples;
        for (int64_t tick = 0; tick < count; ++tick)
            samples.push_back(static_cast<float>(At(static_cast<double>(tick) * interval)));
        return samples;
    }

    double CrestTick(int beat) const { return (beat + crestPhase) * beatSeconds / interval; }
};

// The recording text of records of pressure waves, each given with its number of samples.
inline std::string PressureRecordingText(const std::vector<std::pair<PressureWave, int64_t>>& records)
{
    std::ostringstream text;
    text << "# synthetic ventricular pressure\nTime (s),LV Pressure (mmHg)\n";
    for (size_t record = 0; record < records.size(); ++record)
    {
        if (record > 0)
            text << "\n";
        const auto& [wave, count] = records[record];
        const std::vector<float> samples = wave.Samples(count);
        for (size_t tick = 0; tick < samples.size(); ++tick)
            text << static_cast<double>(tick) * wave.interval << "," << samples[tick] << "\n";
    }
    return text.str();
}

// A file in the temporary folder, deleted with the object.
class TemporaryFile
{
public:
    TemporaryFile(const std::string& name, const std::string& content)
    {
        char folder[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        path_ = std::string(folder) + name;
        std::ofstream(path_, std::ios::binary) << content;
    }
    ~TemporaryFile() { DeleteFileA(path_.c_str()); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// How pressure and volume are written: (value - offset) / gain, as an uncalibrated amplifier records them.
struct Recorded
{
    double pressureGain = 1.0, pressureOffset = 0.0;
    double volumeGain = 1.0, volumeOffset = 0.0;
};

// A synthetic ventricle whose beats weaken one by one, as under an occlusion, so that every relation has
// spread to fit: beat k's pressure is scaled by 1 - k/100 and its volume lowered by k/2; ECG R waves mark
// each beat's start. header: the column names after time.
inline std::string OcclusionText(int beats, const std::string& header = "LV Pressure (mmHg),LV Volume (uL),ECG (mV)",
                                 const Recorded& recorded = {})
{
    constexpr double Interval = 0.001;
    constexpr double BeatSeconds = 0.8;
    const CalcTesting::RealisticBeat beat{BeatSeconds};
    std::ostringstream text;
    text << "Time (s)," << header << "\n";
    const auto samples = static_cast<int>(beats * BeatSeconds / Interval);
    for (int tick = 0; tick < samples; ++tick)
    {
        const double t = tick * Interval;
        const double k = std::floor(t / BeatSeconds);
        const double sinceStart = t - k * BeatSeconds;
        const double pressure = beat.Pressure(t) * (1.0 - k / 100.0), volume = beat.Volume(t) - k / 2.0;
        text << t << ',' << static_cast<float>((pressure - recorded.pressureOffset) / recorded.pressureGain) << ','
             << static_cast<float>((volume - recorded.volumeOffset) / recorded.volumeGain) << ','
             << (sinceStart < 0.01 ? 1.0 : 0.0) << '\n';
    }
    return text.str();
}

// One recording of occlusion records (OcclusionText), one of each beat count, a blank line between them.
inline std::string OcclusionRecordsText(std::initializer_list<int> beatsPerRecord)
{
    std::string text;
    for (const int beats : beatsPerRecord)
    {
        std::string record = OcclusionText(beats);
        if (!text.empty())
            text += "\n" + record.substr(record.find('\n') + 1);
        else
            text = record;
    }
    return text;
}

// A mouse ventricle of constant end-systolic elastance whose filling falls beat by beat: end-diastolic
// volume from 35 to 23 uL, end-systolic from 10.613 to 7.613 uL, at 480 beats a minute. The saline line
// of Ves against Ved, 0.25 * Ved + 1.863, meets Ves = Ved at Vp = 2.484 uL. volumeShift moves every
// volume (and the unstressed volume with them, so the pressures stay): -5 gives 0.25 * Ved - 1.887, which
// meets Ves = Ved at -2.516 uL.
inline std::string MousePreloadReductionText(double volumeShift = 0.0)
{
    constexpr double Interval = 0.001, Beat = 0.125, V0 = 3.0, Emax = 8.0, Emin = 0.15;
    constexpr int Beats = 40;
    std::ostringstream text;
    text << "Time (s),LV Pressure (mmHg),LV Volume (uL)\n";
    for (int tick = 0; tick < static_cast<int>(Beats * Beat / Interval); ++tick)
    {
        const double t = tick * Interval;
        const int beat = static_cast<int>(t / Beat);
        const double x = t / Beat - beat;
        const auto ved = [](int k) { return 35.0 - 12.0 * std::min(k, Beats - 1) / Beats; };
        const double ves = 10.613 - 3.0 * beat / Beats;
        const double v = x < 0.1    ? ved(beat)
                         : x < 0.45 ? ves + (ved(beat) - ves) * (0.5 + 0.5 * std::cos(std::numbers::pi * (x - 0.1) / 0.35))
                         : x < 0.55 ? ves
                                    : ves + (ved(beat + 1) - ves) * (0.5 - 0.5 * std::cos(std::numbers::pi * (x - 0.55) / 0.45));
        const double activation = x < 0.5 ? std::pow(std::sin(std::numbers::pi * x), 2) : 0.0;
        text << t << ',' << (Emin + (Emax - Emin) * activation) * (v - V0) + 2.0 << ',' << v + volumeShift << '\n';
    }
    return text.str();
}


// A ventricle of time-varying elastance under a preload reduction, by default a mouse's in mmHg and uL at
// 1 kHz, 480 beats a minute. Its pressure is e(t) (Ees (V - V0) + Q (V - V0)^2) + (1 - e(t)) A (e^(B (V - V0)) - 1),
// with e(t) = sin^2(pi x / 0.4) over the first 0.4 of each beat x; it fills through the mitral valve from a
// venous pressure that falls over the recording and ejects into a two-element Windkessel. The first
// settling beats are left out. Human() is a person's, in mmHg and mL at 75 beats a minute, recorded with
// noise of up to 0.4 mmHg and 0.2 mL (a fixed sequence): between its beats the pressure rises and falls by
// a few tenths of a millimetre of mercury, which only a peak detector that takes every peak for a beat cuts.
// With prematureEvery n, every n-th beat is followed by one prematureAt of a beat later, and the next comes
// where it would have come (a compensatory pause).
struct ElastanceVentricle
{
    int prematureEvery = 0;
    double prematureAt = 0.65;

    double beat = 0.125, interval = 0.001, step = 1e-4;
    double ees = 4.0, q = 0.02, v0 = 2.0, a = 1.9, b = 0.05;
    double mitralResistance = 0.017, aorticResistance = 0.005, peripheral = 0.67, compliance = 0.15;
    double startVolume = 40.0, startArterial = 70.0, venousStart = 10.0, venousFall = 6.0;
    double pressureNoise = 0.0, volumeNoise = 0.0;
    int beats = 35, settlingBeats = 5;

    static ElastanceVentricle Human()
    {
        ElastanceVentricle human;
        human.beat = 0.8;
        human.ees = 2.5, human.q = 0.0, human.v0 = 5.0, human.a = 0.4, human.b = 0.03;
        human.mitralResistance = 0.01, human.aorticResistance = 0.004, human.peripheral = 1.0, human.compliance = 1.5;
        human.startVolume = 120.0, human.startArterial = 80.0, human.venousStart = 14.0, human.venousFall = 10.0;
        human.pressureNoise = 0.4, human.volumeNoise = 0.2;
        human.beats = 40;
        return human;
    }

    // Where each beat's activation starts, seconds from the first sample recorded (the settling beats' negative).
    std::vector<double> BeatStarts() const
    {
        std::vector<double> starts;
        for (int k = 0; k < beats; ++k)
        {
            starts.push_back((k - settlingBeats) * beat);
            if (prematureEvery > 0 && k % prematureEvery == prematureEvery - 1 && k + 1 < beats)
                starts.push_back((k - settlingBeats + prematureAt) * beat), ++k;
        }
        return starts;
    }

    // Pressure and volume in the model's units, sample by sample.
    std::pair<std::vector<double>, std::vector<double>> Samples() const
    {
        std::vector<double> pressures, volumes;
        double v = startVolume, arterial = startArterial;
        uint64_t seed = 12345;
        // Uniform in [-0.5, 0.5), from a linear congruential sequence.
        const auto noise = [&seed] {
            seed = (seed * 1103515245u + 12345u) % (1u << 31);
            return static_cast<double>(seed) / (1u << 31) - 0.5;
        };
        const auto steps = static_cast<int>(std::lround(beats * beat / step));
        const auto perSample = static_cast<int>(std::lround(interval / step));
        const std::vector<double> starts = BeatStarts();
        size_t current = 0;
        for (int i = 0; i < steps; ++i)
        {
            const double t = i * step;
            while (prematureEvery > 0 && current + 1 < starts.size() && t >= starts[current + 1] + settlingBeats * beat)
                ++current;
            const double x = prematureEvery > 0 ? (t - starts[current] - settlingBeats * beat) / beat : std::fmod(t, beat) / beat;
            const double e = x < 0.4 ? std::pow(std::sin(std::numbers::pi * x / 0.4), 2) : 0.0;
            const double venous = venousStart - venousFall * t / (beats * beat);
            const double p = e * (ees * (v - v0) + q * (v - v0) * (v - v0)) + (1.0 - e) * a * (std::exp(b * (v - v0)) - 1.0);
            const double out = std::max(0.0, (p - arterial) / aorticResistance);
            const double in = std::max(0.0, (venous - p) / mitralResistance);
            if (i % perSample == 0 && t >= settlingBeats * beat)
            {
                pressures.push_back(p + 2.0 * pressureNoise * noise());
                volumes.push_back(v + 2.0 * volumeNoise * noise());
            }
            v += step * (in - out);
            arterial += step * (out - arterial / peripheral) / compliance;
        }
        return {pressures, volumes};
    }

    // The recording with pressure and volume written in the given units: each value times its factor.
    Host::Recording Written(const std::string& pressureUnit, double pressureFactor, const std::string& volumeUnit,
                            double volumeFactor) const
    {
        const auto [pressures, volumes] = Samples();
        std::vector<float> p, v;
        for (size_t i = 0; i < pressures.size(); ++i)
        {
            p.push_back(static_cast<float>(pressures[i] * pressureFactor));
            v.push_back(static_cast<float>(volumes[i] * volumeFactor));
        }
        return MakeRecording(interval, {{p, v}}, {{"LV Pressure", pressureUnit}, {"LV Volume", volumeUnit}});
    }

    // The same as recording text, the volume moved by volumeOffset (in the model's unit) first.
    std::string Text(const std::string& pressureUnit, double pressureFactor, const std::string& volumeUnit,
                     double volumeFactor, double volumeOffset = 0.0) const
    {
        const auto [pressures, volumes] = Samples();
        std::ostringstream text;
        text.precision(9);
        text << "Time (s),LV Pressure (" << pressureUnit << "),LV Volume (" << volumeUnit << ")\n";
        for (size_t i = 0; i < pressures.size(); ++i)
            text << static_cast<double>(i) * interval << ',' << pressures[i] * pressureFactor << ','
                 << (volumes[i] + volumeOffset) * volumeFactor << '\n';
        return text.str();
    }
};

} // namespace HostTests
