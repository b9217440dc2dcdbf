// The data getter's face as an online data sink and its calls on the source document, over a recorded
// stand-in of the document.
#include "calc/sources/DataGetters.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace
{

// Records what the getter asks of it; has no channels and creates no calculations.
class RecordedDocument final : public IHostDocument, public IOnlineDataSource
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IHostDocument)
            *out = static_cast<IHostDocument*>(this);
        else if (iid == IID_IOnlineDataSource && offersRegistry)
            *out = static_cast<IOnlineDataSource*>(this);
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }

    HRESULT STDMETHODCALLTYPE GetTickInterval(uint32_t, int32_t record, double* seconds) override
    {
        askedRecords.push_back(record);
        *seconds = 0.002;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AdjustStartPosition(uint32_t, int32_t, int32_t, TickPosition*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OpenChannelEnum(uint32_t, int32_t, int32_t, IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelData(uint32_t, int32_t, int32_t, IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRecordCount(int32_t*, int32_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRecordHandle(int32_t, ULONG_PTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRecordLength(uint32_t, int32_t, int32_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRecordingEnd(uint32_t, uint64_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelCount(int32_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSampleCount(uint32_t, ULONG_PTR, int32_t, int32_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelConversion(int32_t, int32_t, int32_t, IUnitConversion**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ApplyChannelSetup(uint32_t, uint32_t, int32_t, uint32_t, IUnknown*) override
    {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE AddSink(IOnlineDataSink* sink) override
    {
        sinks.push_back(sink);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE RemoveSink(IOnlineDataSink* sink) override
    {
        removed.push_back(sink);
        return S_OK;
    }

    IUnknown* Unknown() { return static_cast<IHostDocument*>(this); }

    bool offersRegistry = true;
    ULONG references = 0;
    std::vector<int32_t> askedRecords;
    std::vector<IOnlineDataSink*> sinks;
    std::vector<IOnlineDataSink*> removed;
};

} // namespace

TEST(EnumGetter, OnlineGetterRegistersForItsLifeAndHoldsTheDocument)
{
    RecordedDocument document;
    IOnlineDataSink* registered = nullptr;
    {
        ExtLib::EventEnumDataGetter getter(document.Unknown(), ExtLib::GetterOnline);
        registered = &getter;
        EXPECT_TRUE(getter.IsAdvised());
        EXPECT_TRUE(getter.Advise()) << "a second advice registers nothing more";
        EXPECT_EQ(std::vector<IOnlineDataSink*>{registered}, document.sinks);
        EXPECT_EQ(1u, document.references);
        EXPECT_TRUE(document.removed.empty());
    }
    EXPECT_EQ(std::vector<IOnlineDataSink*>{registered}, document.removed);
    EXPECT_EQ(0u, document.references);

    ExtLib::EventEnumDataGetter offline(document.Unknown(), ExtLib::GetterOfflineOpenEnd);
    EXPECT_FALSE(offline.IsAdvised());
    EXPECT_EQ(1u, document.sinks.size());

    document.offersRegistry = false;
    ExtLib::EventEnumDataGetter unregistered(document.Unknown(), ExtLib::GetterOnline);
    EXPECT_FALSE(unregistered.IsAdvised());
    EXPECT_FALSE(unregistered.Advise());
}

TEST(EnumGetter, SinkFaceAnswersAsTheHostExpects)
{
    RecordedDocument document;
    ExtLib::EventEnumDataGetter getter(document.Unknown(), ExtLib::GetterOffline);
    IOnlineDataSink* sink = nullptr;
    ASSERT_EQ(S_OK, getter.QueryInterface(IID_IOnlineDataSink, reinterpret_cast<void**>(&sink)));
    EXPECT_EQ(static_cast<IOnlineDataSink*>(&getter), sink);
    void* other = &getter;
    EXPECT_EQ(E_NOINTERFACE, getter.QueryInterface(IID_IHostDocument, &other));
    EXPECT_EQ(nullptr, other);
    // Its count never deletes it: its owner does.
    EXPECT_EQ(1u, sink->Release());
    EXPECT_EQ(0u, sink->Release());

    uint32_t info = 1;
    int16_t wants = 0;
    EXPECT_EQ(S_OK, sink->GetSinkInfo(&info, &wants));
    EXPECT_EQ(0u, info);
    EXPECT_EQ(static_cast<int16_t>(0xFFFF), wants);
    int32_t position = 0;
    EXPECT_EQ(S_OK, sink->GetSinkPosition(0, 0, 0, &position));
    EXPECT_EQ(100, position);
    EXPECT_EQ(S_OK, sink->OnSamplingStarted(0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, -1));
}

TEST(EnumGetter, RecordEndRunsTheCallbackWhateverItThrows)
{
    RecordedDocument document;
    int calls = 0;
    ExtLib::EventEnumDataGetter getter(document.Unknown(), [&] { ++calls; }, ExtLib::GetterOnline);
    EXPECT_EQ(S_OK, getter.OnRecordEnd(0, 100));
    EXPECT_EQ(1, calls);

    ExtLib::EventEnumDataGetter throwing(document.Unknown(), [] { throw std::runtime_error("callback"); },
                                         ExtLib::GetterOnline);
    EXPECT_TRUE(FAILED(throwing.OnRecordEnd(0, 100))) << "the failure reaches the host, not an exception";
    EXPECT_FALSE(throwing.IsRunning());
}

TEST(EnumGetter, OnlyMinusOneAsksTheDocumentForTheTime)
{
    RecordedDocument document;
    ExtLib::EventEnumDataGetter getter(document.Unknown(), ExtLib::GetterOffline);
    // No calculation was created: nothing opens, but the time is asked first.
    EXPECT_FALSE(getter.SetPositionAtTime(3, {3, 0}, -1.0));
    EXPECT_EQ(std::vector<int32_t>{3}, document.askedRecords);
    EXPECT_FALSE(getter.SetPositionAtTime(3, {3, 0}, -1.5));
    EXPECT_FALSE(getter.SetPositionAtTime(3, {3, 0}, 0.001));
    EXPECT_EQ(1u, document.askedRecords.size());
    EXPECT_FALSE(getter.GetEnumEventEx());
}
