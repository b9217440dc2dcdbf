#include "selftest/routines/EventHelpers.h"

#include "foundation/text/StringStream.h"

#include <cmath>

namespace stdtests
{
namespace
{

constexpr double TimeTolerance = 0.001;    // ticks
constexpr double ZeroValue = 1e-12;
constexpr double ValueTolerance = 1e-5;    // relative to the first event's value

} // namespace

bool SameEvent(const OrvEventBase& a, const OrvEventBase& b)
{
    const double timeA = a.tick + static_cast<double>(a.fraction);
    const double timeB = b.tick + static_cast<double>(b.fraction);
    const bool finiteA = std::isfinite(a.value);
    const bool timeOk = std::fabs(timeA - timeB) < TimeTolerance && finiteA == std::isfinite(b.value);
    if (!finiteA)
        return timeOk;
    if (std::fabs(a.value) < ZeroValue && std::fabs(b.value) < ZeroValue)
        return timeOk;
    return timeOk && std::fabs(a.value - b.value) / std::fabs(a.value) < ValueTolerance;
}

Orv::String FormatEvent(const OrvEventBase& event)
{
    Orv::OStringStream text;
    text << L"[" << event.tick + static_cast<double>(event.fraction) << L", " << event.value << L"]";
    return text.Str();
}

TestRecording NewTestRecording()
{
    TestRecording recording;
    recording.document = CreateTestDocument();
    recording.adder = Orv::ComPtr<FormulaDataAdder>(new FormulaDataAdder(recording.document.Get()));
    return recording;
}

TestRecording MakeRecording(const ETB::TestSetup& config, int32_t records, int32_t ticks)
{
    TestRecording recording = NewTestRecording();
    for (int32_t record = 0; record < records; ++record)
        recording.adder->AddRecord(config.mSourceExpressions, ticks, config.mSourceSampleRates, 0.0);
    AddTestCalculationChannels(config.mCalcChannelExpressions, recording.document.Get());
    return recording;
}

Orv::ComPtr<IEnumEventEx> OpenedEvents(const ExtLib::EnumGetterBase& getter, const char* sourceFile, int line)
{
    auto events = getter.GetEnumEventEx();
    Check(static_cast<bool>(events), "theenum", sourceFile, line, L"The host opened no event enumerator.");
    return events;
}

} // namespace stdtests
