// The sampling behind a live preview: stopped, sampling or paused. Starting makes a holder for the
// sampled data (kept in a temporary compound file), lets the sampling source feed it and shows it in
// the pane from the scroll position the pane had; stopping drops the holder and shows the pane's own
// data source again.
#pragma once

#include "hostapi/PreviewSampling.h"

#include "foundation/com/ComPtr.h"
#include "foundation/text/String.h"

#include <functional>

namespace StrixDraw
{

class PreviewControl;

namespace SamplingState
{
constexpr ULONG Stopped = 100;
constexpr ULONG Sampling = 101;
constexpr ULONG Paused = 102;
constexpr ULONG Reapply = 103; // a request: the current state once more
} // namespace SamplingState

// What the sampling needs of the pane it shows in.
class PreviewSamplingPane
{
public:
    // The data pane's own attach of a data source (flags, source, the scroll position to start at).
    virtual HRESULT AttachPaneSource(ULONG flags, IUnknown* source, const LONGLONG* origin) = 0;
    virtual LONGLONG PaneScrollPosition() const = 0;
    // The owner of the message that a start failed.
    virtual HWND PaneWindow() const = 0;

protected:
    ~PreviewSamplingPane() = default;
};

class PreviewSampling
{
public:
    // The pane shows the holder's data with its strips keeping their drawers.
    static constexpr ULONG HolderAttachFlags = 0x80000000u;

    explicit PreviewSampling(PreviewSamplingPane& pane);
    ~PreviewSampling();
    PreviewSampling(const PreviewSampling&) = delete;
    PreviewSampling& operator=(const PreviewSampling&) = delete;

    // The pane's data source, which makes the holders.
    void SetDataSource(IUnknown* source) { dataSource_ = Orv::ComPtr<IUnknown>(source); }
    IUnknown* DataSource() const { return dataSource_.Get(); }
    // A new sampling source (or none): the holder moves to it; the bar is enabled only with one, and is
    // told to stop when the source goes while it samples.
    void AttachSamplingSource(ISamplingSource* source, PreviewControl* bar);
    // The holder leaves the sampling source and goes.
    void DropHolder();
    void SetState(ULONG requested);

    ULONG State() const { return state_; }
    IUnknown* Holder() const { return holder_.Get(); }
    ISamplingSource* Source() const { return source_.Get(); }
    LONGLONG StartPosition() const { return startPosition_; }
    // Called with each new holder.
    std::function<void(IUnknown*)> holderCreated;

private:
    void Start();
    void Stop();
    void RunSource();
    void ReportStartFailure(const Orv::String& error);
    Orv::ComPtr<IHostSamplingSink> HolderSink() const;

    PreviewSamplingPane& pane_;
    Orv::ComPtr<IUnknown> dataSource_;
    Orv::ComPtr<IUnknown> holder_;
    Orv::ComPtr<ISamplingSource> source_;
    ULONG state_ = SamplingState::Stopped;
    LONGLONG startPosition_ = 0;
};

} // namespace StrixDraw
