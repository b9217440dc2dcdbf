// The standard routines against an enumerator that keeps the host's contract but for one scripted
// fault: the matching check fails with its text, and the faultless enumerator passes every routine.
#include "selftest/routines/NextChecks.h"
#include "selftest/routines/StandardRoutines.h"

#include "host/app/calc/HostCalcClass.h"
#include "host/app/document/HostDocument.h"
#include "host/tests/selftest/SelfTestHost.h"
#include "hostframework/messaging/MessageIds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace
{

using Host::Calc::AnswerNothing;
using Host::Calc::AnswerUnsupported;
using Host::Calc::AnswerValue;
using Host::Calc::AnswerZero;

enum class Fault
{
    None,
    ShortRead,      // a full read comes back one event short, positioned after its last event
    StuckAtEnd,     // at the end of a complete record it never reports the record's end
    FalseMidRecord, // waiting for data it answers S_FALSE at tick 500
    EarlyAfterSeek, // the first event after a positioning is reported a tick early
};
Fault scriptedFault = Fault::None;

// Events at ticks 50, 150, 250, ... of the ticks the record has so far.
constexpr int32_t FirstEvent = 50;
constexpr int32_t Spacing = 100;

class ScriptedEvents final : public Host::Calc::HostCalcEnum<IEnumEventEx>
{
public:
    ScriptedEvents(Orv::ComPtr<Host::HostDocument> document, Fault fault) : document_(std::move(document)), fault_(fault) {}

    HRESULT STDMETHODCALLTYPE ReadArguments(IUnknown*, uint32_t* flags) override { return AnswerZero(flags); }
    HRESULT STDMETHODCALLTYPE Clone(IUnknown*, ICalcEnum** clone) override { return AnswerUnsupported(clone); }
    HRESULT STDMETHODCALLTYPE Start(int32_t record, uint32_t, IUnknown* const*, IUnknown* const*, double, int32_t,
                                    int32_t) override
    {
        record_ = record;
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Seek(int32_t tick) override
    {
        position_ = tick;
        positioned_ = tick > 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Stop() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetSourceCount(uint32_t* count) override { return AnswerZero(count); }
    HRESULT STDMETHODCALLTYPE GetRecord(int32_t* record) override { return AnswerValue(record, record_); }
    HRESULT STDMETHODCALLTYPE GetSampleInfo(double* interval, IUnknown** unit) override
    {
        if (interval)
            *interval = 0.001;
        return AnswerNothing(unit);
    }
    HRESULT STDMETHODCALLTYPE GetTimeBase(TimeBase* timeBase) override { return AnswerZero(timeBase); }

    HRESULT STDMETHODCALLTYPE Next(int32_t byteCount, int32_t limit, void* records, int32_t* count,
                                   int32_t* nut) override
    {
        const int32_t room = byteCount / static_cast<int32_t>(sizeof(OrvEventBase));
        const auto* record = &document_->Data().RecordAt(static_cast<size_t>(record_));
        const auto length = static_cast<int32_t>(record->Length());
        auto* out = static_cast<OrvEventBase*>(records);
        int32_t n = 0;
        int32_t event = EventAtOrAfter(position_);
        for (; n < room && event < limit && event < length; event += Spacing)
        {
            out[n] = OrvEventBase{event - (fault_ == Fault::EarlyAfterSeek && positioned_ && n == 0 ? 1 : 0), 0.0f,
                                  static_cast<double>(event)};
            ++n;
            position_ = event + 1;
        }
        positioned_ = false;
        *count = n;
        if (n == room)
        {
            if (fault_ == Fault::ShortRead && n > 1)
            {
                *count = n - 1;
                position_ = out[n - 2].tick + 1;
            }
            *nut = position_;
            return S_OK;
        }
        if (event >= limit && limit <= length)
        {
            position_ = std::max(position_, limit);
            *nut = limit;
            return S_OK;
        }
        if (record->IsComplete())
        {
            position_ = length;
            *nut = fault_ == Fault::StuckAtEnd ? length : stdtests::kRecordEndOffset;
            return fault_ == Fault::StuckAtEnd ? S_OK : S_FALSE;
        }
        position_ = std::max(position_, length);
        *nut = fault_ == Fault::FalseMidRecord ? 500 : length;
        return fault_ == Fault::FalseMidRecord ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Seek(int32_t direction, int32_t tick, int32_t first, int32_t end) override
    {
        const auto length = static_cast<int32_t>(document_->Data().RecordAt(static_cast<size_t>(record_)).Length());
        if (direction == 0)
        {
            const int32_t event = EventAtOrAfter(std::max(tick, first));
            const bool found = event < end && event < length;
            position_ = found ? event : end;
            return found ? S_OK : S_FALSE;
        }
        const int32_t last = std::min(tick, end - 1);
        const int32_t event = EventAtOrAfter(last + 1) - Spacing;
        const bool found = event >= first && event >= FirstEvent;
        position_ = found ? event : first;
        return found ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override { return AnswerValue(tick, position_); }
    HRESULT STDMETHODCALLTYPE Clone(IEnumEventEx** clone) override { return AnswerUnsupported(clone); }
    HRESULT STDMETHODCALLTYPE GetRecordSize(int32_t* bytes) override
    {
        return AnswerValue(bytes, static_cast<int32_t>(sizeof(OrvEventBase)));
    }
    HRESULT STDMETHODCALLTYPE GetUnitName(IUnknown** unit) override { return AnswerNothing(unit); }
    HRESULT STDMETHODCALLTYPE GetEventCount(int32_t*) override { return E_NOTIMPL; }

private:
    static int32_t EventAtOrAfter(int32_t tick)
    {
        if (tick <= FirstEvent)
            return FirstEvent;
        return FirstEvent + (tick - FirstEvent + Spacing - 1) / Spacing * Spacing;
    }

    Orv::ComPtr<Host::HostDocument> document_;
    Fault fault_;
    int32_t record_ = 0;
    int32_t position_ = 0;
    bool positioned_ = false;
};

constexpr GUID ScriptedEventsGuid = {0x6D1A93F2, 0x4B7E, 0x4C05, {0x9A, 0x3D, 0x21, 0xE8, 0x5F, 0x70, 0xB4, 0x19}};

HRESULT CreateScriptedEvents(IUnknown* context, ICalcEnum** calc)
{
    auto document = Host::HostDocument::FromContext(context);
    if (!calc || !document)
        return E_INVALIDARG;
    *calc = Orv::ComPtr<ICalcEnum>(new ScriptedEvents(std::move(document), scriptedFault)).Detach();
    return S_OK;
}

uint32_t ScriptedEventsType()
{
    static const uint32_t typeId = [] {
        static Host::Calc::HostCalcClass scripted(
            {&ScriptedEventsGuid, 0, L"Scripted", L"Events at a fixed spacing, with a scripted fault.", CreateScriptedEvents});
        scripted.Register(SelfTestTesting::SelfTestHost());
        return TypeIdClass<&ScriptedEventsGuid, 0>::Id();
    }();
    return typeId;
}

ETB::TestSetup ScriptedSetup()
{
    ETB::TestSetup setup(2000, L"sin(t)", L"Scripted()");
    setup.mEnumID = ScriptedEventsType();
    setup.mNumRecords = 2;
    return setup;
}

using Routine = std::function<void(const ETB::TestSetup&)>;
const Routine NextOffline = [](const ETB::TestSetup& setup) { EventEnumTestNextOffline(setup, sizeof(OrvEventBase)); };
const Routine NextOnline = [](const ETB::TestSetup& setup) { EventEnumTestNextOnline(setup, sizeof(OrvEventBase)); };
const Routine Bounce = [](const ETB::TestSetup& setup) {
    stdtests::EventEnumBounceTest<OrvEventBase, stdtests::OrvEventBasehelper>(setup, true);
};
const Routine OnlineOffline = [](const ETB::TestSetup& setup) {
    stdtests::EventEnumOnlineOfflineComparison<OrvEventBase, stdtests::OrvEventBasehelper>(setup);
};
const Routine Find = [](const ETB::TestSetup& setup) {
    stdtests::EventEnumTestFind<OrvEventBase, stdtests::OrvEventBasehelper>(setup);
};
const Routine SetSources = [](const ETB::TestSetup& setup) {
    stdtests::EventEnumTestSetSources<OrvEventBase, stdtests::OrvEventBasehelper>(setup);
};

// The failure text of the routine run on the scripted enumerator; empty when it passed.
std::wstring FailureOf(Fault fault, const Routine& routine)
{
    scriptedFault = fault;
    try
    {
        routine(ScriptedSetup());
        return {};
    }
    catch (const UnitTestException& failure)
    {
        return failure.Message().c_str();
    }
}

TEST(BrokenEnumerator, AFaultlessEnumeratorPassesEveryRoutine)
{
    for (const Routine& routine : {NextOffline, NextOnline, Bounce, OnlineOffline, Find, SetSources})
        EXPECT_EQ(L"", FailureOf(Fault::None, routine));
}

TEST(BrokenEnumerator, EachFaultFailsTheCheckThatCoversIt)
{
    struct Case
    {
        Fault fault;
        Routine routine;
        const wchar_t* failure;
    };
    const Case cases[] = {
        {Fault::ShortRead, NextOffline, L"[nRetd and nextUnexaminedTick inconsistent in Next.]"},
        {Fault::StuckAtEnd, NextOffline, L"[preventinfiniteloop<4], [Enumerator isn't returning kRecordEndOffset at end of record]"},
        {Fault::FalseMidRecord, NextOnline, L"[hr==S_OK || nut==kRecordEndOffset], [S_FALSE and kRecordEndOffset must go together.]"},
        {Fault::EarlyAfterSeek, Bounce, L"[tp1 == tp2], [Bounce gave different result! Peak was at "},
    };
    for (const Case& c : cases)
    {
        const std::wstring failure = FailureOf(c.fault, c.routine);
        EXPECT_NE(std::wstring::npos, failure.find(c.failure)) << static_cast<int>(c.fault) << ": " << failure;
    }
}

} // namespace
