// A synthetic recording text of beats that vary by a few percent in length and height, for the benchmarks:
// a fixed seed keeps the file the same on every run. A writer of one species draws its beat's samples.
#pragma once

#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class BeatRecordingWriter
{
public:
    BeatRecordingWriter(double sampleRate, double beatSeconds, double amplitude, uint64_t seed)
        : sampleRate_(sampleRate), meanBeatSeconds_(beatSeconds), meanAmplitude_(amplitude), state_(seed),
          beatSeconds_(beatSeconds), amplitude_(amplitude)
    {
    }
    virtual ~BeatRecordingWriter() = default;

    // The header line, then seconds of rows, written a megabyte at a time.
    void Write(const std::filesystem::path& path, const std::string& header, double seconds)
    {
        std::ofstream file(path, std::ios::binary);
        file << header << "\n";
        std::vector<char> block;
        block.reserve(1 << 21);
        const auto rows = static_cast<int64_t>(seconds * sampleRate_);
        for (int64_t row = 0; row < rows; ++row)
        {
            Sample(static_cast<double>(row) / sampleRate_, block);
            if (block.size() > (1 << 20))
            {
                file.write(block.data(), static_cast<std::streamsize>(block.size()));
                block.clear();
            }
            phase_ += 1.0 / sampleRate_ / beatSeconds_;
            if (phase_ >= 1.0)
            {
                phase_ -= 1.0;
                beatSeconds_ = meanBeatSeconds_ * (1.0 + 0.05 * Uniform());
                amplitude_ = meanAmplitude_ * (1.0 + 0.05 * Uniform());
            }
        }
        file.write(block.data(), static_cast<std::streamsize>(block.size()));
    }

protected:
    // One row at time seconds, Phase() through the beat, appended to block.
    virtual void Sample(double time, std::vector<char>& block) = 0;

    // In [-1, 1).
    double Uniform()
    {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state_ >> 11) / 4503599627370496.0 - 1.0;
    }

    static void Put(std::vector<char>& block, double value, int decimals, char after)
    {
        char text[32];
        const char* end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
        block.insert(block.end(), static_cast<const char*>(text), end);
        block.push_back(after);
    }

    double Phase() const { return phase_; }
    double CurrentBeatSeconds() const { return beatSeconds_; }
    double CurrentAmplitude() const { return amplitude_; }

private:
    double sampleRate_;
    double meanBeatSeconds_;
    double meanAmplitude_;
    uint64_t state_;
    double phase_ = 0.0;
    double beatSeconds_;
    double amplitude_;
};
