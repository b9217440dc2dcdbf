// Recordings that the host tests make for themselves.
#pragma once

#include "host/app/recording/Recording.h"

#include "calc/tests/SyntheticLoops.h"

#include <windows.h>

#include <cmath>
#include <fstream>
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

} // namespace HostTests
