// How the host shows its channels: one trace colour per channel, the same in the host's main data view
// and in every trace display the host gives data to, and the grid behind the traces. The host keeps no
// level lines of its own, so a trace display asks for them in vain.
#pragma once

#include "host/vyr/ChannelColours.h"
#include "hostapi/TraceDataSource.h"

#include <windows.h>

#include <cstdint>

namespace Host
{

inline constexpr COLORREF ChannelGridColour = RGB(0x90, 0xA8, 0xC0);

// The channel settings a trace display's drawers take from the host. Made with one reference.
class ChannelDisplaySettings final : public IGridOptions, public IChannelDrawSettings, public IPreferenceSource
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IGridOptions: the grid is shown, in lines; no trigger line, since the host does not trigger.
    HRESULT STDMETHODCALLTYPE GetOptions(COLORREF* colour, SHORT* showGrid, ULONG* style) override;
    HRESULT STDMETHODCALLTYPE GetShowTrigger(SHORT* show) override;

    // IChannelDrawSettings: plain one-pixel lines in the channel's colour.
    HRESULT STDMETHODCALLTYPE GetStyle(ULONG which, LONG channel, ULONG* style) override;
    HRESULT STDMETHODCALLTYPE GetColour(ULONG flags, LONG channel, ULONG subIndex, COLORREF* colour) override;
    HRESULT STDMETHODCALLTYPE GetLineWidth(LONG channel, LONG* width) override;

    // IPreferenceSource: no level preferences are kept (S_FALSE).
    HRESULT STDMETHODCALLTYPE GetPreferenceRecord(ULONG id, LONG channel, LONG index, void* record, ULONG size) override;

private:
    LONG references_ = 1;
};

} // namespace Host
