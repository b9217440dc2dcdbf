#include "tracedisplay/controls/PreviewControls.h"
#include "tracedisplay/preview/PreviewSampling.h"
#include "tracedisplay/tests/support/FakeTraceHost.h"

#include "foundation/system/ModalMessage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace StrixDraw
{
namespace
{

// A holder: the sink the source feeds, and the face that takes its storage.
class FakeHolder final : public IHostSamplingSink, public ISampleHolderSource
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IHostSamplingSink)
            *out = static_cast<IHostSamplingSink*>(this);
        else if (iid == IID_ISampleHolderSource)
            *out = static_cast<ISampleHolderSource*>(this);
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE CanSample(BSTR*, VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PrepareSampling(uint32_t) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE StartRecord(uint32_t, IStrixDataSource*, double, double, double, int32_t, int32_t,
                                          int32_t, VARIANT_BOOL) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE AddTicks(int32_t) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryStop(uint32_t, int32_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE StopSampling(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeclareChannel(int32_t, int32_t, VARIANT_BOOL, IUnknown*, HostRational, const HostRational*,
                                             uint32_t, IStrixDataSource*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateHolder(ULONG, IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStorage(ULONG, IStorage* given) override
    {
        storage = given != nullptr;
        return S_OK;
    }

    ULONG references = 0;
    bool storage = false;
};

class FakeDataSource final : public TraceTest::Uncounted<ISampleHolderSource>
{
public:
    HRESULT STDMETHODCALLTYPE CreateHolder(ULONG, IUnknown** out) override
    {
        ++made;
        *out = static_cast<IHostSamplingSink*>(&holder);
        holder.AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetStorage(ULONG, IStorage*) override { return E_NOTIMPL; }

    FakeHolder holder;
    int made = 0;

protected:
    bool Answers(REFIID iid) const override { return iid == IID_ISampleHolderSource; }
};

class FakeSamplingSource final : public TraceTest::Uncounted<ISamplingSource>
{
public:
    HRESULT STDMETHODCALLTYPE AttachSink(ULONG, IHostSamplingSink* sink) override
    {
        sinks.push_back(sink);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DetachSink(ULONG, IHostSamplingSink* sink) override
    {
        std::erase(sinks, sink);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSampling(ULONG run) override
    {
        calls += run ? L"run " : L"stop ";
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Start(ULONG, ULONG, LONG) override
    {
        calls += L"start ";
        return startResult;
    }
    HRESULT STDMETHODCALLTYPE GetStartStatus(ULONG, VARIANT_BOOL* pending, BSTR* error) override
    {
        *pending = secondStep ? VARIANT_TRUE : VARIANT_FALSE;
        *error = reason.empty() ? nullptr : SysAllocString(reason.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CompleteStart(ULONG, ULONG, BSTR*) override
    {
        calls += L"complete ";
        return completeResult;
    }

    std::vector<IHostSamplingSink*> sinks;
    std::wstring calls;
    HRESULT startResult = S_OK;
    HRESULT completeResult = S_OK;
    bool secondStep = false;
    std::wstring reason;

protected:
    bool Answers(REFIID iid) const override { return iid == IID_ISamplingSource; }
};

class FakePreviewPane final : public PreviewSamplingPane
{
public:
    HRESULT AttachPaneSource(ULONG flags, IUnknown* source, const LONGLONG* origin) override
    {
        attached.push_back({flags, source, origin ? *origin : -1});
        return S_OK;
    }
    LONGLONG PaneScrollPosition() const override { return 480; }
    HWND PaneWindow() const override { return nullptr; }

    struct Attach
    {
        ULONG flags;
        IUnknown* source;
        LONGLONG origin;
    };
    std::vector<Attach> attached;
};

class FakeBar final : public PreviewControl
{
public:
    void SetRect(const OWL::TRect&) override {}
    bool IsEnabled() const override { return enabled; }
    void Enable(bool enable) override { enabled = enable; }
    void GetDesiredSize(OWL::TSize&) override {}
    void SetButtonsEnabled(ULONG) override {}
    void SetStopped() override { ++stops; }

    bool enabled = false;
    int stops = 0;
};

std::vector<std::wstring> messages;
int RecordMessage(HWND, const wchar_t* text, const wchar_t* caption, UINT) noexcept
{
    messages.push_back(std::wstring(caption) + L": " + text);
    return IDOK;
}

struct Preview
{
    Preview()
    {
        sampling.SetDataSource(&data);
        sampling.AttachSamplingSource(&source, &bar);
        previousRoute = Orv::SetMessageBoxRoute(RecordMessage);
        messages.clear();
    }
    ~Preview() { Orv::SetMessageBoxRoute(previousRoute); }

    FakeDataSource data;
    FakeSamplingSource source;
    FakePreviewPane pane;
    FakeBar bar;
    PreviewSampling sampling{pane};
    Orv::MessageBoxRoute previousRoute = nullptr;
};

TEST(PreviewSamplingTest, StartingFeedsANewHolderShownFromTheScrollPositionOnce)
{
    Preview preview;
    EXPECT_TRUE(preview.bar.enabled);
    IUnknown* created = nullptr;
    preview.sampling.holderCreated = [&](IUnknown* holder) { created = holder; };
    preview.sampling.SetState(SamplingState::Sampling);
    preview.sampling.SetState(SamplingState::Sampling);
    EXPECT_EQ(SamplingState::Sampling, preview.sampling.State());
    EXPECT_EQ(1, preview.data.made);
    EXPECT_NE(nullptr, created);
    EXPECT_TRUE(preview.data.holder.storage);
    ASSERT_EQ(1u, preview.source.sinks.size());
    ASSERT_EQ(1u, preview.pane.attached.size());
    EXPECT_EQ(PreviewSampling::HolderAttachFlags, preview.pane.attached[0].flags);
    EXPECT_EQ(480, preview.pane.attached[0].origin);
    EXPECT_EQ(L"start ", preview.source.calls);

    // Pause keeps the holder, a new start samples into it, a re-apply starts again.
    preview.sampling.SetState(SamplingState::Paused);
    preview.sampling.SetState(SamplingState::Sampling);
    preview.sampling.SetState(SamplingState::Reapply);
    EXPECT_EQ(L"start stop start start ", preview.source.calls);
    EXPECT_EQ(1, preview.data.made);

    // Stop drops the holder and shows the pane's own source again.
    preview.sampling.SetState(SamplingState::Stopped);
    EXPECT_EQ(nullptr, preview.sampling.Holder());
    EXPECT_EQ(0u, preview.data.holder.references);
    EXPECT_TRUE(preview.source.sinks.empty());
    EXPECT_EQ(&preview.data, preview.pane.attached.back().source);
    EXPECT_TRUE(messages.empty());
}

TEST(PreviewSamplingTest, AFailedStartIsReportedWithItsReasonUnlessTheSourceAlreadySamples)
{
    struct Case
    {
        HRESULT start, complete;
        bool secondStep;
        const wchar_t* reason;
        const wchar_t* message;
    } cases[] = {
        {S_OK, S_OK, true, L"", nullptr},
        {SAMPLING_E_STARTED, S_OK, false, L"", nullptr},
        {E_FAIL, S_OK, false, L"", L"Kymorama: Cannot start sampling"},
        {S_OK, E_FAIL, true, L"No hardware", L"Kymorama: No hardware"},
        {S_OK, SAMPLING_E_STARTED, true, L"", nullptr},
    };
    for (const Case& c : cases)
    {
        Preview preview;
        preview.source.startResult = c.start;
        preview.source.completeResult = c.complete;
        preview.source.secondStep = c.secondStep;
        preview.source.reason = c.reason;
        preview.sampling.SetState(SamplingState::Sampling);
        EXPECT_EQ(SamplingState::Sampling, preview.sampling.State());
        EXPECT_EQ(c.message ? std::vector<std::wstring>{c.message} : std::vector<std::wstring>{}, messages)
            << std::hex << c.start << " " << c.complete;
    }
}

TEST(PreviewSamplingTest, APreviewThatGoesTakesItsHolderOffTheSource)
{
    for (const ULONG last : {SamplingState::Sampling, SamplingState::Paused})
    {
        Preview preview;
        {
            PreviewSampling gone(preview.pane);
            gone.SetDataSource(&preview.data);
            gone.AttachSamplingSource(&preview.source, &preview.bar);
            gone.SetState(SamplingState::Sampling);
            gone.SetState(last);
            ASSERT_EQ(1u, preview.source.sinks.size());
        }
        EXPECT_TRUE(preview.source.sinks.empty()) << last;
        EXPECT_EQ(0u, preview.data.holder.references) << last;
    }
}

TEST(PreviewSamplingTest, TheHolderMovesWithTheSamplingSource)
{
    Preview preview;
    preview.sampling.SetState(SamplingState::Sampling);
    FakeSamplingSource other;
    preview.sampling.AttachSamplingSource(&other, &preview.bar);
    EXPECT_TRUE(preview.source.sinks.empty());
    EXPECT_EQ(1u, other.sinks.size());
    EXPECT_EQ(0, preview.bar.stops);

    preview.sampling.AttachSamplingSource(nullptr, &preview.bar);
    EXPECT_EQ(1, preview.bar.stops);
    EXPECT_FALSE(preview.bar.enabled);
    EXPECT_TRUE(other.sinks.empty());
    // Without a source no state changes.
    preview.sampling.SetState(SamplingState::Stopped);
    EXPECT_EQ(SamplingState::Sampling, preview.sampling.State());
}

} // namespace
} // namespace StrixDraw
