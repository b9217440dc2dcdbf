#include "FrameworkTestSupport.h"
#include "hostframework/HostDataAccess.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

// A document of records with fixed lengths whose conversions can be refused record by record.
class RecordLengths final : public TestSupport::StackComObject<IHostDocument>
{
public:
    explicit RecordLengths(std::vector<int32_t> lengths) : lengths_(std::move(lengths)) {}

    HRESULT STDMETHODCALLTYPE GetRecordCount(int32_t*, int32_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRecordLength(uint32_t, int32_t, int32_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRecordingEnd(uint32_t, uint64_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelCount(int32_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelConversion(int32_t, int32_t record, int32_t, IUnitConversion** out) override
    {
        conversionRecords.push_back(record);
        *out = nullptr;
        return record == refusedRecord ? E_FAIL : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetTickInterval(uint32_t, int32_t, double*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AdjustStartPosition(uint32_t, int32_t, int32_t, TickPosition*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OpenChannelEnum(uint32_t, int32_t, int32_t, IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelData(uint32_t, int32_t record, int32_t, IUnknown** object) override
    {
        *object = record < static_cast<int32_t>(lengths_.size()) ? this : nullptr;
        return *object ? S_OK : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE GetRecordHandle(int32_t record, ULONG_PTR* handle) override
    {
        if (record < 0 || record >= static_cast<int32_t>(lengths_.size()))
            return E_INVALIDARG;
        *handle = static_cast<ULONG_PTR>(record) + 100;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSampleCount(uint32_t flags, ULONG_PTR handle, int32_t, int32_t* count) override
    {
        EXPECT_EQ(HostSampleCountRequest, flags);
        *count = lengths_.at(handle - 100);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ApplyChannelSetup(uint32_t, uint32_t, int32_t, uint32_t, IUnknown*) override
    {
        return E_NOTIMPL;
    }

    std::vector<int32_t> conversionRecords;
    int32_t refusedRecord = -1;

private:
    std::vector<int32_t> lengths_;
};

TEST(HostDataAccess, SamplesInARangeCountTheEndsFromTheirOffsets)
{
    RecordLengths document({1000, 1000, 1000, 1000, 1000});
    const struct
    {
        int32_t firstRecord, firstTick, lastRecord, lastTick;
        int64_t expected;
    } cases[] = {
        {2, 100, 4, 50, 900 + 1000 + 50},
        {1, 300, 1, 700, 400},
        {3, 0, 2, 999, 0},
        {0, 0, 4, 1000, 5000},
    };
    for (const auto& test : cases)
        EXPECT_EQ(test.expected, CountSamplesInRange(&document, 0, test.firstRecord, test.firstTick, test.lastRecord,
                                                     test.lastTick));
    EXPECT_EQ(0, CountSamplesInRange(nullptr, 0, 0, 0, 4, 10));
}

TEST(HostDataAccess, UnitsFallBackOnceToTheWholeRecording)
{
    RecordLengths document({1000});
    document.refusedRecord = 3;
    Orv::PrefixedUnit unit;
    EXPECT_FALSE(ReadChannelUnits(&document, 0, 3, unit));
    EXPECT_EQ((std::vector<int32_t>{3, HostDefaultRecord}), document.conversionRecords);
}

TEST(HostDataAccess, AChannelHasAnObjectOnlyInRecordsThatArrived)
{
    RecordLengths document({10, 10});
    EXPECT_TRUE(HasChannelObjectAt(&document, 1, 0));
    EXPECT_FALSE(HasChannelObjectAt(&document, 2, 0));
    EXPECT_FALSE(HasChannelObjectAt(nullptr, 0, 0));
}

} // namespace
