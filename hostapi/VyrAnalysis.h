// What a module's analysis reaches of the host besides the recording: the progress indicators of the
// host's UI services, the document's sampling state and the document's analysis manager.
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2.
#pragma once

#include "hostapi/HostDocument.h"
#include "hostapi/VyrIds.h"

#include <unknwn.h>

#include <cstdint>

// One progress indicator; it goes away with its last reference.
struct IHostProgress : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE SetText(const WCHAR* text) = 0;                                   // 3
    // 4: S_OK to go on; anything else when the user cancelled.
    virtual HRESULT STDMETHODCALLTYPE SetPercent(LONG percent) = 0;
};

// The progress service of the host's UI services.
// {D9CF6C34-C00C-4792-A17D-9D8311972BF2}
struct IHostProgressService : IUnknown
{
    // 3: a new indicator (kind 1, its title, text and detail texts, style 1).
    virtual HRESULT STDMETHODCALLTYPE CreateIndicator(ULONG kind, const WCHAR* title, const WCHAR* text,
                                                      const WCHAR* detail, ULONG style, IHostProgress** progress) = 0;
};

// The sampling state of a host document.
// {2F4B6E71-8C3A-4D59-A1E2-6B7C9D0E3F45}
struct IHostSampling : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    VYR_RESERVED_SLOT(7)
    VYR_RESERVED_SLOT(8)
    VYR_RESERVED_SLOT(9)
    VYR_RESERVED_SLOT(10)
    VYR_RESERVED_SLOT(11)
    VYR_RESERVED_SLOT(12)
    VYR_RESERVED_SLOT(13)
    VYR_RESERVED_SLOT(14)
    // 15: non-zero while the host samples.
    virtual HRESULT STDMETHODCALLTYPE IsSampling(ULONG reserved, int16_t* sampling) = 0;
    // 16: S_OK when sampling can be started or stopped now, S_FALSE when not.
    virtual HRESULT STDMETHODCALLTYPE CanToggleSampling() = 0;
    VYR_RESERVED_SLOT(17)
    VYR_RESERVED_SLOT(18)
    VYR_RESERVED_SLOT(19)
    VYR_RESERVED_SLOT(20)
    VYR_RESERVED_SLOT(21)
    VYR_RESERVED_SLOT(22)
    // 23: non-zero while a record is being recorded (reserved words 0 and -1).
    virtual HRESULT STDMETHODCALLTYPE IsRecording(ULONG reserved, LONG which, int16_t* recording) = 0;
    // 24: non-zero while the document may not have its settings edited (it samples or saves).
    virtual HRESULT STDMETHODCALLTYPE IsBusy(int16_t* busy) = 0;
};

// The host's selection in a document.
// {710456DC-001C-4750-9311-DAFBDCBE4A80}
struct IHostSelection : IUnknown
{
    // 3: the selection's start and end; both parts 0x7FFFFFFF when nothing is selected.
    virtual HRESULT STDMETHODCALLTYPE GetSelection(TickPosition* start, TickPosition* end) = 0;
    // 4: selects the range and makes the channel the selected one.
    virtual HRESULT STDMETHODCALLTYPE SelectRange(int32_t channel, const TickPosition* start, const TickPosition* end) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearSelection() = 0;                                             // 5
    // 6: adds the channel's values from low to high over the time from start to end to the selection.
    virtual HRESULT STDMETHODCALLTYPE AddChannelSelection(int32_t channel, double low, double high, TickPosition start,
                                                          TickPosition end) = 0;
    // 7: whether the selection covers the channel (a selection of the whole recording covers every one).
    virtual HRESULT STDMETHODCALLTYPE IncludesChannel(int32_t channel, VARIANT_BOOL* included) = 0;
};

// The host document's analysis manager, with which analysis modules register under a name.
// {4790D321-302C-4D78-89FD-D11897CEFEA7}
struct IAnalysisManager : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE RegisterClient(const WCHAR* name, const WCHAR* title, LONG* clientId) = 0; // 3
    // 4: a settings persister (an IPersistStreamInit) of the client: flavour 0 full, 1 settings only.
    virtual HRESULT STDMETHODCALLTYPE RegisterPersister(LONG clientId, LONG flavour, IUnknown* persister,
                                                        VARIANT_BOOL dirty) = 0;
    virtual HRESULT STDMETHODCALLTYPE SettingsChanged(LONG clientId) = 0;                               // 5
    virtual HRESULT STDMETHODCALLTYPE IsLinked(LONG clientId, VARIANT_BOOL* linked) = 0;                // 6
    // 7: the client's analysed region (positions: tick in the low word, record in the high word).
    virtual HRESULT STDMETHODCALLTYPE TakeRegion(LONG clientId, ULONG_PTR argument, uint64_t start, uint64_t end) = 0;
};

inline constexpr IID IID_IHostProgress = {0xD9CF6C35, 0xC00C, 0x4792, {0xA1, 0x7D, 0x9D, 0x83, 0x11, 0x97, 0x2B, 0xF2}};
inline constexpr IID IID_IHostProgressService = {0xD9CF6C34, 0xC00C, 0x4792, {0xA1, 0x7D, 0x9D, 0x83, 0x11, 0x97, 0x2B, 0xF2}};
inline constexpr IID IID_IHostSampling = {0x2F4B6E71, 0x8C3A, 0x4D59, {0xA1, 0xE2, 0x6B, 0x7C, 0x9D, 0x0E, 0x3F, 0x45}};
inline constexpr IID IID_IHostSelection = {0x710456DC, 0x001C, 0x4750, {0x93, 0x11, 0xDA, 0xFB, 0xDC, 0xBE, 0x4A, 0x80}};
inline constexpr IID IID_IAnalysisManager = {0x4790D321, 0x302C, 0x4D78, {0x89, 0xFD, 0xD1, 0x18, 0x97, 0xCE, 0xFE, 0xA7}};
