// `sistra calc`: evaluates calculation text over a recording file and prints the result.
#pragma once

#include "host/app/CalcCompiler.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace Host
{

constexpr const char* CalcUsage = "  calc --expr TEXT FILE [--chunk N] [--samples]\n"
                                  "            evaluate calculation text over a recording: per-record statistics\n"
                                  "            of a channel (--samples: every sample) or the events of an event\n"
                                  "            source; --chunk N feeds the recording as online data, N samples at\n"
                                  "            a time\n";

// What the text yields, record by record, written as tab-separated lines.
class CalcReport
{
public:
    CalcReport(std::ostream& out, bool samples) : out_(out), samples_(samples) {}

    void Header(Calc::ValueKind kind);
    void Samples(size_t record, int64_t firstTick, std::span<const float> values);
    void EndOfRecord(size_t record);
    void Events(size_t record, const std::vector<std::byte>& records, size_t recordSize);

private:
    std::ostream& out_;
    bool samples_;
    size_t count_ = 0;
    double sum_ = 0.0;
    float minimum_ = 0.0f;
    float maximum_ = 0.0f;
};

// Evaluates the compiled text record by record over the recording; whenever the data asked for has not
// arrived yet, moreData is called to bring more.
void EvaluateCalculation(const Recording& recording, const Calc::CompiledExpression& compiled,
                         const std::function<void()>& moreData, CalcReport& report);

int RunCalc(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace Host
