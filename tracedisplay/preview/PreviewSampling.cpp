#include "tracedisplay/preview/PreviewSampling.h"

#include "tracedisplay/controls/PreviewControls.h"

#include "foundation/storage/OrvStorage.h"
#include "foundation/system/ModalMessage.h"
#include "foundation/text/StringResources.h"
#include "resources/TraceDisplayIds.h"

namespace StrixDraw
{

namespace
{
constexpr ULONG StartFlags = 0x80000000u;
constexpr LONG StartRecords = 1;
} // namespace

PreviewSampling::PreviewSampling(PreviewSamplingPane& pane) : pane_(pane)
{
}

// A holder left with the source would go on being fed, and kept, after the preview went.
PreviewSampling::~PreviewSampling()
{
    DropHolder();
}

Orv::ComPtr<IHostSamplingSink> PreviewSampling::HolderSink() const
{
    Orv::ComPtr<IHostSamplingSink> sink;
    if (holder_)
        holder_->QueryInterface(IID_IHostSamplingSink, sink.PutVoid());
    return sink;
}

void PreviewSampling::AttachSamplingSource(ISamplingSource* source, PreviewControl* bar)
{
    if (!source && state_ != SamplingState::Stopped && bar)
        bar->SetStopped();
    if (const Orv::ComPtr<IHostSamplingSink> sink = HolderSink())
    {
        if (source_)
            source_->DetachSink(0, sink.Get());
        if (source)
            source->AttachSink(0, sink.Get());
    }
    source_ = Orv::ComPtr<ISamplingSource>(source);
    if (bar)
        bar->Enable(source != nullptr);
}

void PreviewSampling::DropHolder()
{
    if (!holder_ || !source_)
        return;
    if (const Orv::ComPtr<IHostSamplingSink> sink = HolderSink())
        source_->DetachSink(0, sink.Get());
    holder_.Reset();
}

void PreviewSampling::SetState(ULONG requested)
{
    if (!source_)
        return;
    if (requested == SamplingState::Reapply)
    {
        requested = state_;
        state_ = SamplingState::Reapply;
    }
    if (requested == state_)
        return;
    if (requested == SamplingState::Stopped)
        Stop();
    else if (requested == SamplingState::Sampling)
        Start();
    else if (requested == SamplingState::Paused)
        source_->SetSampling(0);
    state_ = requested;
}

// The holder also leaves the source: else the source would go on feeding it, and every later start
// would add one more holder that it feeds.
void PreviewSampling::Stop()
{
    source_->SetSampling(0);
    DropHolder();
    pane_.AttachPaneSource(0, dataSource_.Get(), nullptr);
}

// A holder is made only when none is left from a pause: sampling again goes on into the same one.
void PreviewSampling::Start()
{
    if (!holder_)
    {
        Orv::ComPtr<ISampleHolderSource> maker;
        if (dataSource_)
            dataSource_->QueryInterface(IID_ISampleHolderSource, maker.PutVoid());
        if (maker)
            maker->CreateHolder(0, holder_.Put());
        if (holder_)
        {
            if (holderCreated)
                holderCreated(holder_.Get());
            Orv::ComPtr<ISampleHolderSource> holderFace;
            holder_->QueryInterface(IID_ISampleHolderSource, holderFace.PutVoid());
            Orv::ComPtr<IStorage> storage;
            if (holderFace && SUCCEEDED(OrvStorage::CreateFileStorage(Orv::String(), 0, storage.Put())) && storage)
                holderFace->SetStorage(0, storage.Get());
            if (const Orv::ComPtr<IHostSamplingSink> sink = HolderSink())
                source_->AttachSink(0, sink.Get());
            startPosition_ = pane_.PaneScrollPosition();
            pane_.AttachPaneSource(HolderAttachFlags, holder_.Get(), &startPosition_);
        }
    }
    RunSource();
}

// The status is read after every start, for the reason of a failure; a start that failed is reported
// even when its status reads well.
void PreviewSampling::RunSource()
{
    Orv::String error, stepError;
    HRESULT result = source_->Start(0, StartFlags, StartRecords);
    VARIANT_BOOL pending = VARIANT_FALSE;
    HRESULT status = source_->GetStartStatus(0, &pending, error.OutArg());
    if (SUCCEEDED(status) && pending)
        status = source_->CompleteStart(0, 0, stepError.OutArg());
    if (SUCCEEDED(result))
        result = status;
    if (result != S_OK && result != SAMPLING_E_STARTED)
        ReportStartFailure(stepError.IsEmpty() ? error : stepError);
}

void PreviewSampling::ReportStartFailure(const Orv::String& error)
{
    const Orv::String text = error.IsEmpty() ? Orv::String(Orv::ThisModule(), IDS_TRACE_CANNOT_START, true) : error;
    const Orv::String caption(Orv::ThisModule(), IDS_TRACE_APP_TITLE, true);
    Orv::ShowMessageBox(pane_.PaneWindow(), text, caption, MB_OK | MB_ICONSTOP);
}

} // namespace StrixDraw
