#include "host/app/ChannelDisplay.h"

#include "foundation/com/ComBoundary.h"

#include <array>

namespace Host
{

namespace
{
constexpr std::array<COLORREF, 4> TraceColours = {RGB(0xC0, 0, 0), RGB(0, 0, 0xC0), RGB(0xB0, 0x60, 0), RGB(0x80, 0, 0x80)};
} // namespace

COLORREF ChannelTraceColour(int32_t channel)
{
    const auto count = static_cast<int32_t>(TraceColours.size());
    return TraceColours[static_cast<size_t>(((channel % count) + count) % count)];
}

HRESULT STDMETHODCALLTYPE ChannelDisplaySettings::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IGridOptions)
        *out = static_cast<IGridOptions*>(this);
    else if (iid == IID_IChannelDrawSettings)
        *out = static_cast<IChannelDrawSettings*>(this);
    else if (iid == IID_IPreferenceSource)
        *out = static_cast<IPreferenceSource*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE ChannelDisplaySettings::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE ChannelDisplaySettings::Release()
{
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE ChannelDisplaySettings::GetOptions(COLORREF* colour, SHORT* showGrid, ULONG* style)
{
    if (!colour || !showGrid || !style)
        return E_POINTER;
    *colour = ChannelGridColour;
    *showGrid = 1;
    *style = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ChannelDisplaySettings::GetShowTrigger(SHORT* show)
{
    return Orv::AnswerValue(show, 0);
}

HRESULT STDMETHODCALLTYPE ChannelDisplaySettings::GetStyle(ULONG, LONG, ULONG* style)
{
    return Orv::AnswerValue(style, 0);
}

HRESULT STDMETHODCALLTYPE ChannelDisplaySettings::GetColour(ULONG, LONG channel, ULONG, COLORREF* colour)
{
    return Orv::AnswerValue(colour, ChannelTraceColour(channel));
}

HRESULT STDMETHODCALLTYPE ChannelDisplaySettings::GetLineWidth(LONG, LONG* width)
{
    return Orv::AnswerValue(width, 1);
}

HRESULT STDMETHODCALLTYPE ChannelDisplaySettings::GetPreferenceRecord(ULONG, LONG, LONG, void*, ULONG)
{
    return S_FALSE;
}

} // namespace Host
