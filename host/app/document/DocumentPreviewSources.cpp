// The host document's side of a live preview: a sampling document hands the preview its live source and
// makes the holders the preview samples into; a holder (an acquiring document) takes the samples through
// its sampling sink and keeps them in the storage the preview gives it.
#include "host/app/document/HostDocument.h"

#include "host/app/document/HeldSamples.h"
#include "host/app/document/PaneDataSource.h"

#include "foundation/com/ComBoundary.h"

namespace Host
{

Orv::ComPtr<HostDocument> HostDocument::HolderFor(const HostDocument& shown)
{
    Orv::ComPtr<HostDocument> holder = Acquiring();
    holder->ownRecording_->DeclareChannels(shown.Data().Channels());
    holder->calculatedChannels_ = shown.CompileContextOf().calculatedChannels;
    holder->firstVirtualChannel_ = holder->calculatedChannels_.size();
    holder->lookup_ = shown.lookup_;
    for (const NamedItem& item : shown.items_)
        holder->items_.push_back(NamedItem{item.name, item.text, nullptr});
    holder->channelConversions_ = shown.channelConversions_;
    return holder;
}

HRESULT STDMETHODCALLTYPE HostDocument::GetSamplingSink(IHostSamplingSink** sink)
{
    return Orv::AnswerReference(sink, acquisition_.get(), E_NOINTERFACE);
}

HRESULT STDMETHODCALLTYPE HostDocument::GetState(ULONG, LONG* state)
{
    return Orv::AnswerValue(state, LONG{liveSource_ && !IsSamplingDone() ? 0 : 1});
}

HRESULT STDMETHODCALLTYPE HostDocument::GetSourceCount(LONG* count)
{
    return Orv::AnswerValue(count, LONG{liveSource_ ? 1 : 0});
}

HRESULT STDMETHODCALLTYPE HostDocument::PrepareSource(LONG index, LONG, ULONG, ISamplingSource** source)
{
    return Orv::AnswerReference(source, index == 0 ? liveSource_.get() : nullptr, E_INVALIDARG);
}

HRESULT STDMETHODCALLTYPE HostDocument::CreateHolder(ULONG, IUnknown** holder)
{
    if (!holder)
        return E_POINTER;
    *holder = nullptr;
    return Orv::CatchReturn([&] { *holder = static_cast<IPaneDataSource*>(new PaneDataSource(this)); });
}

HRESULT STDMETHODCALLTYPE HostDocument::SetStorage(ULONG, IStorage* storage)
{
    if (!acquisition_)
        return E_UNEXPECTED;
    return Orv::CatchReturn([&] { ownRecording_->KeepSamplesIn(storage ? std::make_shared<HeldSamples>(storage) : nullptr); });
}

} // namespace Host
