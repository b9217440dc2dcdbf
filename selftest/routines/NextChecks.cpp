#include "selftest/routines/NextChecks.h"

#include "selftest/routines/EventHelpers.h"

#include <cstddef>
#include <vector>

namespace
{

using stdtests::kRecordEndOffset;

constexpr const char* NextSource = "TestStandardRoutines";
constexpr int32_t MinimumSamples = 200;
constexpr double SourceRate = 1000.0;
// Next checks offline read into 5 records, online into 50.
constexpr int32_t OfflineRecords = 5;
constexpr int32_t OnlineRecords = 50;
// Offline, the first phase reads up to this many ticks before the record's end.
constexpr int32_t EndTickMargin = 10;
constexpr int32_t OnlineTicksPerStep = 100;
// Calls at the record's last tick that may pass before the enumerator must report the record's end.
constexpr int32_t EndOfRecordCalls = 4;

// Where each check stands in its failure text.
enum CheckLine : int
{
    LineLength = 102,
    LineOfflineResult = 131,
    LineOfflineEndResult = 133,
    LineOfflineTick = 136,
    LineOfflineConsistent = 140,
    LineOfflinePositioned = 146,
    LineEndReached = 160,
    LineOutOfData = 168,
    LineEndMarker = 170,
    LineOnlineResult = 214,
    LineOnlineFalse = 218,
    LineOnlineTick = 221,
    LineOnlineEnd = 226,
};

// What both checks make: a new document read through a getter of the calculation, positioned.
struct NextFixture
{
    stdtests::TestRecording recording;
    std::vector<std::byte> buffer;
    std::unique_ptr<ExtLib::EventEnumDataGetter> getter;
    Orv::ComPtr<IEnumEventEx> events;
};

void StartChecks(const ETB::TestSetup& config, int32_t recordSize, int32_t records, NextFixture& fixture)
{
    Check(config.mNumSamplesToTest > MinimumSamples, "config.mNumSamplesToTest > 200", NextSource, LineLength);
    fixture.buffer.resize(static_cast<size_t>(records) * static_cast<size_t>(std::max(recordSize, 0)));
    fixture.recording = stdtests::NewTestRecording();
}

void OpenGetter(const ETB::TestSetup& config, NextFixture& fixture, int32_t offline, int32_t startTick)
{
    fixture.getter = std::make_unique<ExtLib::EventEnumDataGetter>(fixture.recording.document.Get(), offline);
    fixture.getter->CreateEnum(config.mEnumID, config.mArithString);
    fixture.getter->SetSources(TickPosition{0, startTick});
    fixture.events = stdtests::OpenedEvents(*fixture.getter, NextSource, LineOfflineResult - 1);
}

} // namespace

void EventEnumTestNextOffline(const ETB::TestSetup& config, int32_t mEventRecordSize)
{
    NextFixture fixture;
    StartChecks(config, mEventRecordSize, OfflineRecords, fixture);
    const int32_t numSamples = config.mNumSamplesToTest;
    fixture.recording.adder->AddRecordAtRate(config.mSourceExpressions, numSamples, SourceRate, 0.0);
    AddTestCalculationChannels(config.mCalcChannelExpressions, fixture.recording.document.Get());
    OpenGetter(config, fixture, ExtLib::GetterOffline, numSamples / 3);
    const int32_t bytes = static_cast<int32_t>(fixture.buffer.size());
    const int32_t endTick = numSamples - EndTickMargin;
    HRESULT hr = S_OK;
    int32_t nRetd = 0;
    int32_t nut = 0;
    const auto next = [&](int32_t end) { hr = fixture.events->Next(bytes, end, fixture.buffer.data(), &nRetd, &nut); };
    const auto checkResult = [&](const wchar_t* message) {
        Check(hr == S_OK || hr == S_FALSE, "hr==S_OK || hr==S_FALSE", NextSource, LineOfflineResult, message);
        Check(nut == kRecordEndOffset || hr == S_OK, "nut==kRecordEndOffset || hr==S_OK", NextSource,
              LineOfflineEndResult, message);
    };
    if (endTick > 0)
    {
        do
        {
            next(endTick);
            checkResult(L"Bad HResult from Next.");
            Check(nut <= endTick || nut == kRecordEndOffset, "nut<=endTick || nut==kRecordEndOffset", NextSource,
                  LineOfflineTick, L"Bad nextUnexaminedTick from Next.");
            if (nRetd < OfflineRecords && nut == endTick)
                break;
            Check(nRetd == OfflineRecords || nut == endTick || nut == kRecordEndOffset,
                  "nRetd == numbufelems || nut == endTick || nut == kRecordEndOffset", NextSource, LineOfflineConsistent,
                  L"nRetd and nextUnexaminedTick inconsistent in Next.");
        } while (nut < endTick);
        Check(nut == kRecordEndOffset || nut == endTick, "nut == kRecordEndOffset || nut == endTick", NextSource,
              LineOfflinePositioned,
              L"Enumerators must be positioned either at endTick or at kRecordEndOffset following a completed call to next.");
    }
    int32_t preventinfiniteloop = 0;
    while (nut != kRecordEndOffset && nut <= numSamples)
    {
        next(kRecordEndOffset);
        checkResult(L"Bad HResult from Next.");
        if (nut == numSamples)
            Check(++preventinfiniteloop < EndOfRecordCalls, "preventinfiniteloop<4", NextSource, LineEndReached,
                  L"Enumerator isn't returning kRecordEndOffset at end of record");
    }
    if (!config.mIsFilling)
    {
        Check(hr == S_FALSE, "hr == S_FALSE", NextSource, LineOutOfData,
              L"Enumerators should return S_FALSE when out of data and not filling.");
        Check(nut == kRecordEndOffset, "nut==kRecordEndOffset", NextSource, LineEndMarker,
              L"When no more events are going to be available Enumerators are supposed to return kRecordEndOffset as "
              L"their position. See IEventEnums.idl.");
    }
}

void EventEnumTestNextOnline(const ETB::TestSetup& config, int32_t mEventRecordSize)
{
    NextFixture fixture;
    StartChecks(config, mEventRecordSize, OnlineRecords, fixture);
    const int32_t numsamples = config.mNumSamplesToTest;
    AddTestCalculationChannels(config.mCalcChannelExpressions, fixture.recording.document.Get());
    fixture.recording.adder->OpenRecordAtRate(config.mSourceExpressions, numsamples, SourceRate, 0.0);
    fixture.recording.adder->AddTicks(OnlineTicksPerStep);
    int32_t itot = OnlineTicksPerStep;
    OpenGetter(config, fixture, ExtLib::GetterOnline, 0);
    const int32_t bytes = static_cast<int32_t>(fixture.buffer.size());
    int32_t nRetd = OnlineRecords;
    int32_t nut = 0;
    for (;;)
    {
        if (itot >= numsamples && nRetd == 0)
            break;
        if (nRetd < OnlineRecords)
        {
            fixture.recording.adder->AddTicks(OnlineTicksPerStep);
            itot += OnlineTicksPerStep;
        }
        const int32_t end = config.mIsFilling ? itot : kRecordEndOffset;
        const HRESULT hr = fixture.events->Next(bytes, end, fixture.buffer.data(), &nRetd, &nut);
        Check(hr == S_OK || hr == S_FALSE, "hr==S_OK || hr==S_FALSE", NextSource, LineOnlineResult,
              L"Unexpected HResult from Next");
        if (hr == S_FALSE && nut == kRecordEndOffset)
            continue;
        Check(hr == S_OK || nut == kRecordEndOffset, "hr==S_OK || nut==kRecordEndOffset", NextSource, LineOnlineFalse,
              L"S_FALSE and kRecordEndOffset must go together.");
        Check(nut == kRecordEndOffset || nut <= itot, "nut==kRecordEndOffset || nut <= itot", NextSource,
              LineOnlineTick, L"NextUnusedTick returned by Next is bad.");
    }
    Check(nut <= numsamples || nut == kRecordEndOffset, "nut<=numsamples || nut==kRecordEndOffset", NextSource,
          LineOnlineEnd);
    fixture.getter->Stop();
    fixture.recording.adder->StopSampling();
}
