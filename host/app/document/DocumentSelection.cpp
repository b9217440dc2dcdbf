#include "host/app/document/DocumentSelection.h"

#include "host/app/document/HostDocument.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComPtr.h"

#include <algorithm>

namespace Host
{

namespace
{

// A selected range as the module reads it from a selection source.
class SelectedRange final : public Vyr::HeapComObject<IHostSelectionRange, &IID_IHostSelectionRange>
{
public:
    SelectedRange(TickPosition start, TickPosition end) : start_{start.tick, start.record}, end_{end.tick, end.record} {}
    HRESULT STDMETHODCALLTYPE GetRange(SelectionPosition* start, SelectionPosition* end) override
    {
        if (!start || !end)
            return E_POINTER;
        *start = start_;
        *end = end_;
        return S_OK;
    }

private:
    SelectionPosition start_, end_;
};

} // namespace

DocumentSelectionSource::DocumentSelectionSource(HostDocument& document)
    : DelegatingFace(document.Unknown()), document_(document), fallback_(document)
{
}

HRESULT STDMETHODCALLTYPE DocumentSelectionSource::GetSelectionObject(ULONG, IUnknown** selection)
{
    if (!selection)
        return E_POINTER;
    *selection = nullptr;
    TickPosition start{}, end{};
    document_.GetSelection(&start, &end);
    if (start.record == HostRecordEnd || end.record == HostRecordEnd)
        return S_FALSE;
    return Orv::CatchReturn([&] { *selection = static_cast<IHostSelectionRange*>(new SelectedRange(start, end)); });
}

HRESULT STDMETHODCALLTYPE DocumentSelectionSource::GetUnitsFallback(IUnknown** fallback)
{
    if (!fallback)
        return E_POINTER;
    fallback_.AddRef();
    *fallback = static_cast<IHostUnitsFallback*>(&fallback_);
    return S_OK;
}

DocumentSelectionSource::UnitsFallback::UnitsFallback(HostDocument& document)
    : DelegatingFace(document.Unknown()), document_(document)
{
}

HRESULT STDMETHODCALLTYPE DocumentSelectionSource::UnitsFallback::GetChannelUnits(ULONG, int32_t channel,
                                                                                  IUnitConversion** units)
{
    return document_.GetChannelConversion(HostUnsetPosition, HostDefaultRecord, channel, units);
}

void HostDocument::SetSelection(TickPosition start, TickPosition end)
{
    selection_ = {start, end};
    selectedChannels_.clear();
}

void HostDocument::SelectByUser(TickPosition start, TickPosition end)
{
    if (start.record == end.record && start.tick == end.tick)
        ClearSelection();
    else
        SetSelection(start, end);
    subject_.Send(HostDocEventGUID, HostDocEventNumber::Selection, nullptr);
    subject_.Send(HostDocEventGUID, HostDocEventNumber::SelectionShown, nullptr);
}

HRESULT STDMETHODCALLTYPE HostDocument::ClearSelection()
{
    selection_.reset();
    selectedChannels_.clear();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostDocument::AddChannelSelection(int32_t channel, double, double, TickPosition start,
                                                            TickPosition end)
{
    if (!IsRecordedChannel(channel))
        return E_INVALIDARG;
    selection_ = {start, end};
    selectedChannels_.push_back(channel);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostDocument::IncludesChannel(int32_t channel, VARIANT_BOOL* included)
{
    const bool covered = selection_ && (selectedChannels_.empty() ||
                                        std::find(selectedChannels_.begin(), selectedChannels_.end(), channel) !=
                                            selectedChannels_.end());
    return Orv::AnswerValue(included, static_cast<VARIANT_BOOL>(covered ? VARIANT_TRUE : VARIANT_FALSE));
}

HRESULT STDMETHODCALLTYPE HostDocument::SelectRange(int32_t channel, const TickPosition* start, const TickPosition* end)
{
    if (!start || !end)
        return E_POINTER;
    if (!IsRecordedChannel(channel))
        return E_INVALIDARG;
    selectedChannel_ = channel;
    SetSelection(*start, *end);
    selectedChannels_ = {channel};
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostDocument::GetSelection(TickPosition* start, TickPosition* end)
{
    if (!start || !end)
        return E_POINTER;
    constexpr TickPosition none{HostRecordEnd, HostRecordEnd};
    *start = selection_ ? selection_->first : none;
    *end = selection_ ? selection_->second : none;
    return S_OK;
}

} // namespace Host
