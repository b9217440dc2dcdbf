// The standard enumerator tests every self-test object runs on its calculation: each makes a synthetic
// recording, lets the host build the calculation's event enumerator and checks one promise of the
// host's enumerator contract. Templates over the calculation's event record and its comparison.
#pragma once

#include "selftest/framework/UniformRandom.h"
#include "selftest/routines/EventHelpers.h"

#include "foundation/text/StringStream.h"

#include <cmath>

namespace stdtests
{

// The source unit the routines' failure texts name.
inline constexpr const char* RoutinesSource = "TestSuite/UnitTestHelperLib/TestStandardRoutinescpp";

template <class TBufType>
constexpr int32_t BytesOf(int32_t records)
{
    return records * static_cast<int32_t>(sizeof(TBufType));
}

// An enumerator positioned anywhere between two events returns the later one first, also when one
// enumerator is moved about again and again (reuseEnumerator).
template <class TBufType, class EventHelper>
void EventEnumBounceTest(const ETB::TestSetup& config, bool reuseEnumerator)
{
    constexpr int32_t Trials = 50;
    constexpr int32_t ReadRecords = 10;
    UniformRandomState random = ClockSeededRandom();
    const TestRecording recording = MakeRecording(config, config.mNumRecords, config.mNumSamplesToTest);
    std::vector<std::vector<TBufType>> results(static_cast<size_t>(std::max(config.mNumRecords, 0)));
    {
        ExtLib::EventEnumDataGetter edg(recording.document.Get(), ExtLib::GetterOffline);
        Check(edg.CreateEnum(config.mEnumID, config.mArithString), "edg.CreateEnum(config.mEnumID, config.mArithString)",
              RoutinesSource, 183);
        for (size_t i = 0; i < results.size(); ++i)
        {
            Check(GetRecordData(edg, static_cast<int32_t>(i), results[i]), "edg.GetRecordData<TBufType>(i,results[i])",
                  RoutinesSource, 186);
            Check(!results[i].empty(), "nn>0", RoutinesSource, 188);
        }
    }
    ExtLib::EventEnumDataGetter getter(recording.document.Get(), ExtLib::GetterOffline);
    if (reuseEnumerator)
        getter.CreateEnum(config.mEnumID, config.mArithString);
    std::vector<TBufType> buffer(ReadRecords);
    for (int32_t trial = 0; trial < Trials; ++trial)
    {
        const int32_t r = RandomIndex(random, config.mNumRecords);
        const auto& events = results[static_cast<size_t>(r)];
        const int32_t k = RandomIndex(random, static_cast<int64_t>(events.size()));
        const OrvEventBase expected = BaseOf(events[static_cast<size_t>(k)]);
        const int32_t lo = k > 0 ? BaseOf(events[static_cast<size_t>(k - 1)]).tick + 1 : 0;
        // An event before its tick (negative fraction) is found from the tick before.
        const int32_t hi = expected.tick - (expected.fraction < 0 ? 1 : 0);
        const int32_t start = lo < hi ? lo + RandomIndex(random, static_cast<int64_t>(hi) - lo + 1) : hi;
        if (!reuseEnumerator)
            getter.CreateEnum(config.mEnumID, config.mArithString);
        getter.SetSources(TickPosition{r, start});
        const auto opened = OpenedEvents(getter, RoutinesSource, 231);
        int32_t n = 0;
        int32_t next = 0;
        opened->Next(BytesOf<TBufType>(ReadRecords), kRecordEndOffset, buffer.data(), &n, &next);
        Check(n > 0, "n>0", RoutinesSource, 233);
        getter.Stop();
        const OrvEventBase bounced = BaseOf(buffer.front());
        if (bounced.tick != expected.tick)
        {
            Orv::OStringStream message;
            message << L"Bounce gave different result! Peak was at " << expected.tick << L", but bouncing put it at "
                    << bounced.tick << L".";
            Fail("tp1 == tp2", RoutinesSource, 255, message.Str());
        }
        Check(std::fabs(bounced.fraction - expected.fraction) < 0.01f, "fabs( to1 - to2 ) < 0.01", RoutinesSource, 257);
    }
}

// The online read's end-of-record callback: one more read into the shared buffer before the getter
// stops its enumerator.
template <class TBufType, class EventHelper>
struct tEndOfRecordCallback
{
    TBufType* buffer;
    int32_t* count;
    int32_t* next;
    HRESULT* result;
    int32_t bytes;
    IEnumEventEx* events = nullptr;

    void operator()() const
    {
        if (events)
            *result = events->Next(bytes, kRecordEndOffset, buffer, count, next);
    }
};

// Reading a record while it is sampled, ten ticks at a time, yields exactly the events of reading the
// finished record.
template <class TBufType, class EventHelper>
void EventEnumOnlineOfflineComparison(const ETB::TestSetup& config)
{
    constexpr int32_t ReadRecords = 20;
    constexpr int32_t TicksPerStep = 10;
    std::vector<TBufType> vec;
    {
        const TestRecording offline = MakeRecording(config, 1, config.mNumSamplesToTest);
        ExtLib::EventEnumDataGetter edg(offline.document.Get(), ExtLib::GetterOffline);
        Check(edg.CreateEnum(config.mEnumID, config.mArithString), "edg.CreateEnum(config.mEnumID, config.mArithString)",
              RoutinesSource, 309);
        Check(GetRecordData(edg, 0, vec), "edg.GetRecordData<TBufType>(0,vec)", RoutinesSource, 310);
        Check(!vec.empty(), "vec.size()>0", RoutinesSource, 311, L"OnlineOffline Comparison needs some events to work with.");
    }
    const TestRecording online = NewTestRecording();
    AddTestCalculationChannels(config.mCalcChannelExpressions, online.document.Get());
    std::vector<TBufType> buf(ReadRecords);
    int32_t count = 0;
    int32_t next = 0;
    HRESULT hr = S_OK;
    tEndOfRecordCallback<TBufType, EventHelper> callback{buf.data(), &count, &next, &hr, BytesOf<TBufType>(ReadRecords)};
    ExtLib::EventEnumDataGetter edg(online.document.Get(), [&callback] { callback(); },
                                    ExtLib::GetterOnline);
    online.adder->OpenRecord(config.mSourceExpressions, config.mNumSamplesToTest, config.mSourceSampleRates, 0.0);
    online.adder->AddTicks(TicksPerStep);
    int32_t ticksAdded = TicksPerStep;
    edg.CreateEnum(config.mEnumID, config.mArithString);
    edg.SetSources(TickPosition{0, 0});
    const auto events = OpenedEvents(edg, RoutinesSource, 345);
    callback.events = events.Get();
    size_t ndx = 0;
    bool finished = false;
    const auto compare = [&](int lineCount, int lineSame) {
        for (size_t i = 0; i < static_cast<size_t>(std::max(count, 0)); ++i)
        {
            Check(vec.size() > ndx + i, "vec.size() > ndx+i", RoutinesSource, lineCount);
            if (!EventHelper::same(buf[i], vec[ndx + i]))
            {
                Orv::OStringStream message;
                message << L"Event #" << ndx + i << L" differs between online and offline ("
                        << FormatEvent(BaseOf(buf[i])).c_str() << L" vs " << FormatEvent(BaseOf(vec[ndx + i])).c_str()
                        << L").";
                Fail("EventHelper::same(buf[i],vec[ndx+i])", RoutinesSource, lineSame, message.Str());
            }
        }
        ndx += static_cast<size_t>(std::max(count, 0));
    };
    for (;;)
    {
        if (ticksAdded >= config.mNumSamplesToTest && finished)
            break;
        hr = events->Next(BytesOf<TBufType>(ReadRecords), kRecordEndOffset, buf.data(), &count, &next);
        if (ticksAdded >= config.mNumSamplesToTest && !finished)
        {
            compare(359, 363);
            // Stopping ends the record: the getter's callback reads once more, then the getter stops.
            online.adder->StopSampling();
            finished = true;
        }
        Check(hr == S_OK || next == kRecordEndOffset, "hr==S_OK || nut==kRecordEndOffset", RoutinesSource, 373);
        if (count < ReadRecords && !finished)
        {
            online.adder->AddTicks(TicksPerStep);
            ticksAdded += TicksPerStep;
        }
        compare(382, 386);
    }
    if (ndx != vec.size())
    {
        Orv::OStringStream message;
        message << L"Offline found " << vec.size() << L" events, but online found " << ndx << L" events!";
        Fail("ndx==vec.size()", RoutinesSource, 399, message.Str());
    }
}

// Find reaches the known neighbouring event forwards and backwards, and reports where it stands when
// a window holds no event.
template <class TBufType, class EventHelper>
void EventEnumTestFind(const ETB::TestSetup& config)
{
    constexpr int32_t Trials = 100;
    constexpr int32_t Cases = 4;
    const int32_t numsamples = config.mNumSamplesToTest;
    UniformRandomState random = ClockSeededRandom();
    const TestRecording recording = MakeRecording(config, 1, numsamples);
    std::vector<TBufType> vec;
    {
        ExtLib::EventEnumDataGetter edg(recording.document.Get(), ExtLib::GetterOffline);
        Check(edg.CreateEnum(config.mEnumID, config.mArithString), "edg.CreateEnum(config.mEnumID, config.mArithString)",
              RoutinesSource, 428);
        Check(GetRecordData(edg, 0, vec), "edg.GetRecordData<TBufType>(0,vec)", RoutinesSource, 429);
        Check(vec.size() > 2, "vec.size() > 2", RoutinesSource, 433, L"EventEnumTestFind Comparison needs > 2 events to work with.");
    }
    {
        ExtLib::EventEnumDataGetter second(recording.document.Get(), ExtLib::GetterOffline);
        second.CreateEnum(config.mEnumID, config.mArithString);
        second.SetSources(TickPosition{0, RandomIndex(random, numsamples)});
        const auto theenum = OpenedEvents(second, RoutinesSource, 440);
        for (int32_t trial = 0; trial < Trials; ++trial)
        {
            const int32_t k = RandomIndex(random, static_cast<int64_t>(vec.size()) - 1);
            const int32_t pos0 = BaseOf(vec[static_cast<size_t>(k)]).tick;
            const int32_t pos1 = BaseOf(vec[static_cast<size_t>(k) + 1]).tick;
            const int32_t start = pos0 + 1 + RandomIndex(random, static_cast<int64_t>(pos1) - pos0 - 1);
            const int32_t which = RandomIndex(random, Cases);
            int32_t nPos = 0;
            const auto find = [&](int32_t direction, int32_t from, int32_t first, int32_t end) {
                const HRESULT hr = theenum->Seek(direction, from, first, end);
                theenum->GetPosition(&nPos);
                return hr;
            };
            switch (which)
            {
            case 0:
                Check(find(0, start, pos0 + 1, kRecordEndOffset) == S_OK, "hr==S_OK", RoutinesSource, 455);
                Check(nPos == pos1, "nPos == pos1", RoutinesSource, 457, L"Find fails to find known event going forwards.");
                Check(find(0, start, pos0 + 1, pos1 + 1) == S_OK, "hr==S_OK", RoutinesSource, 461);
                Check(nPos == pos1, "nPos == pos1", RoutinesSource, 463, L"Find fails to find known event going forwards.");
                break;
            case 1:
                Check(find(0, pos0 + 1, pos0 + 1, pos1) == S_FALSE, "hr==S_FALSE", RoutinesSource, 470);
                Check(nPos > pos0 && nPos <= pos1, "nPos>pos0 && nPos<=pos1", RoutinesSource, 473);
                break;
            case 2:
                Check(find(1, start, 0, pos1) == S_OK, "hr==S_OK", RoutinesSource, 480);
                Check(nPos == pos0, "nPos == pos0", RoutinesSource, 483, L"Find fails to find known event going backwards.");
                Check(find(1, start, pos0, pos1) == S_OK, "hr==S_OK", RoutinesSource, 487);
                Check(nPos == pos0, "nPos == pos0", RoutinesSource, 490, L"Find fails to find known event going backwards.");
                break;
            default:
                Check(find(1, pos1 - 1, pos0 + 1, pos1) == S_FALSE, "hr==S_FALSE", RoutinesSource, 496);
                Check(nPos > pos0 && nPos <= pos1, "nPos>pos0 && nPos<=pos1", RoutinesSource, 499,
                      L"Bad position returned by Find when going backwards and no event found.");
                break;
            }
        }
    }
    ExtLib::EventEnumDataGetter third(recording.document.Get(), ExtLib::GetterOffline);
    third.CreateEnum(config.mEnumID, config.mArithString);
    third.SetSources(TickPosition{0, numsamples - 1});
    const auto theenum = OpenedEvents(third, RoutinesSource, 508);
    int32_t startpos = 0;
    Check(theenum->GetPosition(&startpos) == S_OK, "theenum->GetPosition(&startpos)==S_OK", RoutinesSource, 511);
    Check(startpos == numsamples - 1, "startpos==numsamples-1", RoutinesSource, 512);
    Check(theenum->Seek(1, startpos, 0, numsamples) == S_OK, "hr==S_OK", RoutinesSource, 514);
    int32_t pos = 0;
    Check(theenum->GetPosition(&pos) == S_OK, "theenum->GetPosition(&pos)==S_OK", RoutinesSource, 515);
    Check(pos == BaseOf(vec.back()).tick, "pos==vec[vec.size()-1].GetPosition()", RoutinesSource, 516);
}

// An enumerator opened at the last tick of a record reports that tick as its position.
template <class TBufType, class EventHelper>
void EventEnumTestSetSources(const ETB::TestSetup& config)
{
    constexpr int32_t Ticks = 17000;
    constexpr int32_t ticknum = Ticks - 1;
    if (config.mIsFilling)
        return;
    const TestRecording recording = MakeRecording(config, 1, Ticks);
    std::vector<TBufType> vec;
    ExtLib::EventEnumDataGetter edg1(recording.document.Get(), ExtLib::GetterOffline);
    Check(edg1.CreateEnum(config.mEnumID, config.mArithString), "edg1.CreateEnum(config.mEnumID, config.mArithString)",
          RoutinesSource, 855);
    Check(GetRecordData(edg1, 0, vec), "edg1.GetRecordData<TBufType>(0,vec)", RoutinesSource, 856);
    ExtLib::EventEnumDataGetter edg2(recording.document.Get(), ExtLib::GetterOffline);
    Check(edg2.CreateEnum(config.mEnumID, config.mArithString), "edg2.CreateEnum(config.mEnumID, config.mArithString)",
          RoutinesSource, 859);
    Check(edg2.SetSources(TickPosition{0, ticknum}), "edg2.SetSources(TickPosition(0,ticknum))", RoutinesSource, 862);
    int32_t pos = 0;
    OpenedEvents(edg2, RoutinesSource, 866)->GetPosition(&pos);
    if (pos != ticknum)
    {
        Orv::OStringStream message;
        message << L"Incorrect position after SetSources (" << pos << L" instead of " << ticknum
                << L" in record with " << Ticks << L" ticks).";
        Fail("posok", RoutinesSource, 872, message.Str());
    }
    edg2.Stop();
}

} // namespace stdtests
