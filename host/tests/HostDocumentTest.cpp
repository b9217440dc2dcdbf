// The host document as modules reach it: channel enumerators, start positions, and what its online
// data sinks hear while it is sampled.
#include "host/app/HostDocument.h"
#include "host/tests/RecordingFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Host;

namespace
{

// Writes down every notification, by name and record.
class NotificationLog final : public IOnlineDataSink
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetSinkInfo(uint32_t*, int16_t*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnSamplingStopped(uint32_t) override { return Note("stopped"); }
    HRESULT STDMETHODCALLTYPE OnSamplingStarted(int32_t record, int32_t, uint32_t channels, uint32_t, uint32_t,
                                                uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                                                int16_t) override
    {
        return Note("started " + std::to_string(record) + " of " + std::to_string(channels) + " channels");
    }
    HRESULT STDMETHODCALLTYPE OnNewData(uint32_t) override { return Note("data"); }
    HRESULT STDMETHODCALLTYPE OnRecordEnd(int32_t record, int32_t ticks) override
    {
        return Note("end " + std::to_string(record) + " at " + std::to_string(ticks));
    }
    HRESULT STDMETHODCALLTYPE OnSamplingModeChanged(uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnRecordValuesChanged(int32_t, uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE QuerySinkExtension() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QuerySinkExtensionEx() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnSamplingPaused(uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetSinkPriority(int32_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSinkPosition(int32_t, uint32_t, uint32_t, int32_t*) override { return E_NOTIMPL; }

    std::vector<std::string> notes;
    ULONG references = 0;

private:
    HRESULT Note(std::string note)
    {
        notes.push_back(std::move(note));
        return S_OK;
    }
};

Recording Ramps()
{
    const auto ramp = [](size_t ticks) {
        std::vector<float> samples(ticks);
        for (size_t tick = 0; tick < ticks; ++tick)
            samples[tick] = static_cast<float>(tick);
        return samples;
    };
    return HostTests::MakeRecording(0.002, {{ramp(5)}, {ramp(3)}});
}

std::vector<float> ReadAll(IUnknown* enumerator)
{
    Orv::ComPtr<IEnumFloatEx> samples;
    EXPECT_EQ(S_OK, enumerator->QueryInterface(IID_IEnumFloatEx, samples.PutVoid()));
    std::vector<float> out(16);
    int32_t fetched = 0;
    samples->Next(static_cast<int32_t>(out.size()), out.data(), &fetched);
    out.resize(static_cast<size_t>(fetched));
    return out;
}

} // namespace

TEST(HostDocument, RecordedChannelsThroughTheirDataObjectsCalculatedOnesOnlyDirectly)
{
    const Recording recording = Ramps();
    const auto document = HostDocument::Offline(recording, {"ch1 * 10"});
    const uint32_t scaled = HostChannelScaled | HostChannelStream;
    const uint32_t calculated = HostChannelCalculated | HostChannelStream;

    Orv::ComPtr<IUnknown> data;
    ASSERT_EQ(S_OK, document->GetChannelData(scaled, 1, 0, data.Put()));
    Orv::ComPtr<IHostChannelData> channel = data.As<IHostChannelData>(IID_IHostChannelData);
    ASSERT_TRUE(channel);
    Orv::ComPtr<IUnknown> opened;
    ASSERT_EQ(S_OK, channel->OpenEnum(scaled, 1, HostRecordEnd, 0, opened.Put()));
    EXPECT_EQ((std::vector<float>{0, 1, 2}), ReadAll(opened.Get()));

    EXPECT_TRUE(FAILED(document->GetChannelData(calculated, 0, 0, data.Put())));
    EXPECT_FALSE(data);
    EXPECT_TRUE(FAILED(document->GetChannelData(scaled, 2, 0, data.Put()))) << "no record 2";
    EXPECT_TRUE(FAILED(document->GetChannelData(scaled, 0, 1, data.Put()))) << "no channel 2";

    ASSERT_EQ(S_OK, document->OpenChannelEnum(calculated, 1, 0, opened.Put()));
    EXPECT_EQ((std::vector<float>{0, 10, 20}), ReadAll(opened.Get()));
    EXPECT_TRUE(FAILED(document->OpenChannelEnum(calculated, 0, 1, opened.Put()))) << "no vch2";
    EXPECT_FALSE(opened);
    EXPECT_TRUE(FAILED(document->OpenChannelEnum(scaled, 2, 0, opened.Put())));

    double interval = 0.0;
    EXPECT_EQ(S_OK, document->GetTickInterval(0, 1, &interval));
    EXPECT_EQ(0.002, interval);
    EXPECT_TRUE(FAILED(document->GetTickInterval(0, -1, &interval)));
}

TEST(HostDocument, ChannelEnumeratorsKeepTheDocumentWhoseRecordingTheyRead)
{
    const Recording recording = Ramps();
    Orv::ComPtr<IUnknown> opened;
    {
        const auto document = HostDocument::Sampling(recording);
        document->FeedSamples(5);
        ASSERT_EQ(S_OK, document->OpenChannelEnum(HostChannelRaw | HostChannelStream, 0, 0, opened.Put()));
    }
    EXPECT_EQ((std::vector<float>{0, 1, 2, 3, 4}), ReadAll(opened.Get()));
}

TEST(HostDocument, StartPositionsAreMovedIntoTheirRecord)
{
    const Recording recording = Ramps();
    const auto document = HostDocument::Offline(recording);
    TickPosition position{0, -4};
    EXPECT_EQ(S_OK, document->AdjustStartPosition(HostChannelScaled, 1, 0, &position));
    EXPECT_EQ(1, position.record);
    EXPECT_EQ(0, position.tick);
    position.tick = 40;
    EXPECT_EQ(S_OK, document->AdjustStartPosition(HostChannelScaled, 1, 0, &position));
    EXPECT_EQ(3, position.tick);
    EXPECT_EQ(E_INVALIDARG, document->AdjustStartPosition(HostChannelCalculated, 1, 0, &position));
}

TEST(HostDocument, SinksHearEachStepOfTheSamplingInOrder)
{
    const Recording recording = Ramps();
    const auto document = HostDocument::Sampling(recording);
    NotificationLog log;
    ASSERT_EQ(S_OK, document->AddSink(&log));
    EXPECT_EQ(1u, log.references);
    document->FeedSamples(3);
    EXPECT_EQ(3, document->Data().RecordAt(0).Length());
    document->FeedSamples(3);
    document->FeedSamples(3);
    EXPECT_TRUE(document->IsSamplingDone());
    EXPECT_EQ((std::vector<std::string>{"started 0 of 1 channels", "data", "data", "end 0 at 5",
                                        "started 1 of 1 channels", "data", "end 1 at 3", "stopped"}),
              log.notes);

    EXPECT_EQ(S_OK, document->RemoveSink(&log));
    EXPECT_EQ(S_FALSE, document->RemoveSink(&log));
    EXPECT_EQ(0u, log.references);

    const auto offline = HostDocument::Offline(recording);
    EXPECT_THROW(offline->FeedSamples(1), std::logic_error);
}
