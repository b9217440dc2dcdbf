// `sistra calc`: evaluates calculation text over a recording file and prints the result.
#pragma once

#include "host/app/calc/CalcCompiler.h"
#include "host/app/commands/LoopRecordReport.h"

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace Host
{

constexpr const char* CalcUsage = "  calc --expr TEXT FILE [--chunk N] [--samples] [--summary]\n"
                                  "            (--expr-file EXPRFILE in place of --expr TEXT: the text of a file)\n"
                                  "            evaluate calculation text over a recording: per-record statistics\n"
                                  "            of a channel (--samples: every sample) or the events of an event\n"
                                  "            source; --chunk N feeds the recording as online data, N samples at\n"
                                  "            a time; the header names the unit of the values: calculations read\n"
                                  "            a channel in its unit without the prefix (mV as V); loop records\n"
                                  "            print their 31 parameters, or with --summary each parameter's\n"
                                  "            unit, count, mean, min and max over\n"
                                  "            the valid loops; pressure-volume-area records print PVA, PE, SW\n"
                                  "            and CE; both in the units of the channels they read, when those\n"
                                  "            are recorded channels (chN)\n";

// What the text yields, record by record, written as tab-separated lines.
class CalcReport
{
public:
    CalcReport(std::ostream& out, bool samples, bool summary = false)
        : out_(out), samples_(samples), loops_(out, summary), pvas_(out)
    {
    }

    // The units loop and area records are shown in.
    void SetUnits(const ShownLoopUnits& units)
    {
        loops_.SetUnits(units);
        pvas_.SetUnits(units);
    }
    // The unit of the samples or event values the text yields (Calc::ValueUnitOf).
    void SetValueUnit(const std::optional<std::string>& unit);
    // recordSize: of the events, when the text yields events.
    void Header(Calc::ValueKind kind, size_t recordSize = 0);
    void Samples(size_t record, int64_t firstTick, std::span<const float> values);
    void EndOfRecord(size_t record);
    void Events(size_t record, const std::vector<std::byte>& records, size_t recordSize);
    void Finish();

private:
    std::ostream& out_;
    bool samples_;
    bool loopRecords_ = false;
    bool pvaRecords_ = false;
    std::optional<std::string> valueUnit_ = std::string();
    LoopRecordReport loops_;
    PvaRecordReport pvas_;
    size_t count_ = 0;
    double sum_ = 0.0;
    float minimum_ = 0.0f;
    float maximum_ = 0.0f;
};

// Evaluates the compiled text record by record over the recording; whenever the data asked for has not
// arrived yet, moreData is called to bring more. Returns how many events (of loop records: loops) it found.
// The units of the pressure and volume that the text's loop analysis ("SistraAnalyzer") or area calculation
// ("PvaCalc") reads, when it reads them straight from recorded channels; otherwise the units calculations
// read (no prefixes, factors 1).
ShownLoopUnits LoopUnitsOf(std::string_view expression, const Recording& recording);
// The unit of what the text yields, in the units calculations read the recording's channels in.
std::optional<std::string> ValueUnitOf(std::string_view expression, const Recording& recording);

size_t EvaluateCalculation(const Recording& recording, const Calc::CompiledExpression& compiled,
                         const std::function<void()>& moreData, CalcReport& report);

int RunCalc(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace Host
