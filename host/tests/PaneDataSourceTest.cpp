#include "host/app/document/HostDocument.h"
#include "host/app/document/PaneDataSource.h"
#include "hostapi/CalcEventRecords.h"
#include "host/tests/RecordingFixtures.h"
#include "host/vyr/UnitConversions.h"

#include <gtest/gtest.h>

#include <vector>

namespace Host
{
namespace
{

// Two records of one channel, 6 and 4 samples, each sample's value its index in the records laid end to end.
Recording Counting()
{
    return HostTests::MakeRecording(0.001, {{{0, 1, 2, 3, 4, 5}}, {{6, 7, 8, 9}}});
}

Orv::ComPtr<IPaneDataStore> StoreOf(HostDocument* document, LONGLONG numerator, LONGLONG denominator)
{
    Orv::ComPtr<IPaneDataSource> source;
    EXPECT_EQ(S_OK, document->QueryInterface(IID_IPaneDataSource, source.PutVoid()));
    Orv::ComPtr<IPaneDataStore> store;
    EXPECT_EQ(S_OK, source->CreateStore(0, store.Put()));
    store->SetScale(numerator, denominator);
    return store;
}

// The points of a pane's first channel from its start, at most capacity of them.
std::vector<POINT> FetchPoints(IPaneDataStore* store, const double transform[2], LONG capacity, LONGLONG& consumed)
{
    Orv::ComPtr<IRecordDataSource> data;
    Orv::ComPtr<IPointRun> run;
    std::vector<POINT> points(static_cast<size_t>(capacity));
    LONG count = 0;
    if (FAILED(store->QueryInterface(IID_IRecordDataSource, data.PutVoid())) ||
        FAILED(data->OpenPointRun(0, 0, nullptr, 0, 0, 0, 0, transform, 0, run.Put())) ||
        FAILED(run->Fetch(0, 100, capacity, points.data(), &count, &consumed)))
        count = 0;
    points.resize(static_cast<size_t>(count));
    return points;
}

TEST(PaneDataSource, LaysTheRecordsEndToEndAtThePanesScale)
{
    const Recording recording = Counting();
    const auto document = HostDocument::Offline(recording);
    struct Case
    {
        LONGLONG numerator;
        LONGLONG denominator;
        LONGLONG extent;
        LONGLONG strip;
        LONG record;
        LONGLONG tick;
    };
    // At 2 samples a pixel the last sample (9) lies at pixel 4; at half a sample a pixel at 18.
    for (const Case c : {Case{1, 1, 9, 7, 1, 1}, Case{2, 1, 4, 3, 1, 0}, Case{1, 2, 18, 5, 0, 2}})
    {
        const auto store = StoreOf(document.Get(), c.numerator, c.denominator);
        LONGLONG extent = 0;
        ASSERT_EQ(S_OK, store->GetExtent(&extent));
        EXPECT_EQ(c.extent, extent);
        RecordingPosition position;
        ASSERT_EQ(S_OK, store->StripToRecording(c.strip, &position));
        EXPECT_EQ(c.record, position.record);
        EXPECT_EQ(c.tick, position.tick);
        EXPECT_EQ(S_FALSE, store->StripToRecording(1000, &position));
    }
}

TEST(PaneDataSource, HandsTheDrawersValuesRangesAndPointRuns)
{
    const Recording recording = Counting();
    const auto document = HostDocument::Offline(recording);
    const auto store = StoreOf(document.Get(), 2, 1);
    Orv::ComPtr<IRecordDataSource> data;
    ASSERT_EQ(S_OK, store->QueryInterface(IID_IRecordDataSource, data.PutVoid()));
    double value = 0.0;
    ASSERT_EQ(S_OK, data->GetValue(0, 3, 0, &value));
    EXPECT_EQ(6.0, value);
    EXPECT_EQ(S_FALSE, data->GetValue(0, 3, 1, &value));
    double low = 0.0;
    double high = 0.0;
    ASSERT_EQ(S_OK, data->GetRange(0, 0, 1, 2, &low, &high, 0, 0, 0, 0));
    EXPECT_EQ(2.0, low);
    EXPECT_EQ(4.0, high);

    // Rows = (value + 0) * -1: each column's segment spans its two samples and the next column's first.
    const double transform[2] = {-1.0, 0.0};
    LONGLONG consumed = 0;
    const std::vector<POINT> points = FetchPoints(store.Get(), transform, 16, consumed);
    EXPECT_EQ(5, consumed);
    ASSERT_EQ(10u, points.size());
    EXPECT_EQ(0, points[0].y);
    EXPECT_EQ(-2, points[1].y);
    EXPECT_EQ(points[6].x, points[7].x);
    EXPECT_EQ(-9, points[9].y);
}

// A calibrated channel reaches the pane as the data view shows it: values, ranges, point runs and the
// host's range for the axis all go through its conversion (here 10 mmHg + 2 a recorded volt).
TEST(PaneDataSource, HandsACalibratedChannelThroughItsConversion)
{
    const Recording recording = Counting();
    const auto document = HostDocument::Offline(recording);
    Orv::ComPtr<IUnitConversion> recorded, calibrated;
    ASSERT_EQ(S_OK, document->GetChannelConversion(HostUnsetPosition, 0, 0, recorded.Put()));
    ASSERT_EQ(S_OK, Vyr::CreateTwoPointConversion(recorded.Get(), L"0", L"1", L"10", L"12", L"mmHg", 1, calibrated.Put()));
    ASSERT_EQ(S_OK, document->ApplyChannelSetup(0, 0, 0, 1, calibrated.Get()));
    const auto store = StoreOf(document.Get(), 2, 1);
    Orv::ComPtr<IRecordDataSource> data;
    ASSERT_EQ(S_OK, store->QueryInterface(IID_IRecordDataSource, data.PutVoid()));
    double value = 0.0, low = 0.0, high = 0.0;
    ASSERT_EQ(S_OK, data->GetValue(0, 4, 0, &value));
    EXPECT_DOUBLE_EQ(26.0, value) << "sample 8, in the second record";
    ASSERT_EQ(S_OK, data->GetRange(0, 0, 1, 2, &low, &high, 0, 0, 0, 0));
    EXPECT_DOUBLE_EQ(14.0, low);
    EXPECT_DOUBLE_EQ(18.0, high);
    ASSERT_EQ(S_OK, document->GetDisplayRange(0, HostDisplayRangeShown, &low, &high));
    EXPECT_DOUBLE_EQ(10.0, low);
    EXPECT_DOUBLE_EQ(28.0, high);
    const double transform[2] = {-1.0, 0.0};
    LONGLONG consumed = 0;
    const std::vector<POINT> points = FetchPoints(store.Get(), transform, 2, consumed);
    ASSERT_EQ(2u, points.size());
    EXPECT_EQ(-10, points[0].y);
    EXPECT_EQ(-14, points[1].y);
}

// A flat stretch still draws: every column's segment covers at least one pixel, at any scale.
TEST(PaneDataSource, PointRunsOfAFlatStretchDrawEveryColumn)
{
    const Recording recording = HostTests::MakeRecording(0.001, {{{5, 5, 5, 5, 5, 5, 5, 5}}});
    const auto document = HostDocument::Offline(recording);
    const double transform[2] = {-1.0, 0.0};
    for (const LONGLONG samplesPerPixel : {1, 2, 4})
    {
        LONGLONG consumed = 0;
        const std::vector<POINT> points =
            FetchPoints(StoreOf(document.Get(), samplesPerPixel, 1).Get(), transform, 32, consumed);
        ASSERT_FALSE(points.empty()) << samplesPerPixel;
        for (size_t i = 0; i < points.size(); i += 2)
        {
            EXPECT_EQ(-5, points[i].y) << samplesPerPixel;
            const bool drawn = points[i].x != points[i + 1].x || points[i].y != points[i + 1].y;
            EXPECT_TRUE(drawn) << samplesPerPixel << " samples a pixel, segment " << i / 2;
        }
    }
}

// A holder made for a preview shows the document's records; a drawer that asked for the start of its
// stretch in a record opens the events of a calculated channel in that record, and only there.
TEST(PaneDataSource, HandsEventDrawersTheCalculatedChannelsEventsOfTheirRecord)
{
    const Recording recording = HostTests::MakeRecording(0.001, {{{0, 5, 0, 5, 0, 0}}, {{0, 5, 0, 0}}});
    const auto document = HostDocument::Offline(recording, {"cmpeakdet(ch1, 1, 0)"});
    Orv::ComPtr<ISampleHolderSource> holders;
    ASSERT_EQ(S_OK, document->QueryInterface(IID_ISampleHolderSource, holders.PutVoid()));
    Orv::ComPtr<IUnknown> holder;
    ASSERT_EQ(S_OK, holders->CreateHolder(0xC0000000u, holder.Put()));
    Orv::ComPtr<IPaneDataSource> source;
    ASSERT_EQ(S_OK, holder->QueryInterface(IID_IPaneDataSource, source.PutVoid()));
    Orv::ComPtr<IPaneDataStore> store;
    ASSERT_EQ(S_OK, source->CreateStore(0, store.Put()));
    store->SetScale(1, 1);
    Orv::ComPtr<IDrawerHost> drawerHost;
    Orv::ComPtr<IRecordDataSource> data;
    ASSERT_EQ(S_OK, store->QueryInterface(IID_IDrawerHost, drawerHost.PutVoid()));
    ASSERT_EQ(S_OK, store->QueryInterface(IID_IRecordDataSource, data.PutVoid()));
    const struct
    {
        LONGLONG strip;
        std::vector<int32_t> ticks;
    } stretches[] = {{0, {1, 3}}, {6, {1}}};
    for (const auto& stretch : stretches)
    {
        SCOPED_TRACE(stretch.strip);
        LONGLONG tick = 0;
        LONG record = 0;
        ASSERT_EQ(S_OK, drawerHost->ToEventPosition(2, stretch.strip, &tick, &record));
        Orv::ComPtr<IEnumEventEx> events;
        ASSERT_EQ(S_OK, data->OpenEvents(0x80000000u | HostVirtualChannelSelector, 0, CalcKindEvents, tick,
                                         0x7FFFFFFF, events.Put()));
        int32_t size = 0;
        events->GetRecordSize(&size);
        std::vector<unsigned char> buffer(static_cast<size_t>(size) * 8);
        int32_t count = 0, next = 0;
        events->Next(static_cast<int32_t>(buffer.size()), 0x7FFFFFFF, buffer.data(), &count, &next);
        std::vector<int32_t> ticks;
        for (int32_t i = 0; i < count; ++i)
            ticks.push_back(reinterpret_cast<const OrvEventBase*>(buffer.data() + i * size)->tick);
        EXPECT_EQ(stretch.ticks, ticks);
    }
    Orv::ComPtr<IEnumEventEx> none;
    EXPECT_EQ(S_FALSE, data->OpenEvents(0, 0, CalcKindEvents, 0, 0x7FFFFFFF, none.Put()));
    EXPECT_FALSE(none);
}

} // namespace
} // namespace Host
