// The host's main data view of a document: the channels drawn over time, with the marks of the events
// that the document's calculations attach to its channels. A module reaches the open one through the
// document's view tree (view type: host code of HostTypeGUID << 16 | HostMainDataViewNumber), and the
// host brings it to a comment the module asks it to show (IShowComment2Message).
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2.
#pragma once

#include "hostapi/HostDocument.h"

#include <unknwn.h>

inline constexpr unsigned short HostMainDataViewNumber = 2;

// {7C3B5E12-4A86-4D0B-9B1F-2E64A8D31C57} (a stand-in id)
struct IHostTraceView : IUnknown
{
    // 3: brings the range from first to last (last exclusive) into view, as wide as the view allows.
    virtual HRESULT STDMETHODCALLTYPE ShowRange(const TickPosition* first, const TickPosition* last) = 0;
    // 4: brings the position to the middle of the view.
    virtual HRESULT STDMETHODCALLTYPE ShowPosition(const TickPosition* position) = 0;
    // 5: the position in the middle of the view.
    virtual HRESULT STDMETHODCALLTYPE GetCentre(TickPosition* position) = 0;
    // 6: how many samples of the record in the middle of the view one pixel shows; S_FALSE while the view
    // shows no record.
    virtual HRESULT STDMETHODCALLTYPE GetSamplesPerPixel(double* samples) = 0;
};
inline constexpr IID IID_IHostTraceView = {0x7C3B5E12, 0x4A86, 0x4D0B, {0x9B, 0x1F, 0x2E, 0x64, 0xA8, 0xD3, 0x1C, 0x57}};
