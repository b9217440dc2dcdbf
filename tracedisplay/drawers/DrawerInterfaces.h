// The record-drawer interface, through which a pane strip has its drawers paint one layer each, and
// the data pane's services to those drawers.
#pragma once

#include <oaidl.h>
#include <unknwn.h>
#include <windows.h>

namespace StrixDraw
{
struct LevelSettings;
}

// A channel and its sub-index.
struct ChannelPair
{
    LONG channel;
    ULONG subIndex;
};

// A display channel of UnsetDisplayChannel means the drawer shows its source channel.
inline constexpr LONG UnsetDisplayChannel = static_cast<LONG>(0x80000000u);
inline constexpr ULONG UnsetDisplaySubIndex = 0xC0000000u;

// row = (value + offset) * scale
struct ScalePair
{
    double scale = 1.0;
    double offset = 0.0;
};

// Drawer kinds; a drawer's layer is its kind / 256.
namespace DrawerKind
{
constexpr ULONG Graticule = 1;
constexpr ULONG Trace = 513;
constexpr ULONG Event = 1026;
} // namespace DrawerKind

// Draw flags a strip hands through to its drawers.
namespace DrawFlag
{
constexpr ULONG KeepCache = 0x80000000u;    // the run or enumerator stays for the next new data
constexpr ULONG DropCacheFirst = 0x08000000u;
constexpr ULONG NoTriggerLine = 0x00040000u;
} // namespace DrawFlag

// Clone flag: the copy draws into a metafile or a printer.
inline constexpr ULONG CloneForMetafile = 0x40000000u;

struct IDrawerDataPane;

// {77F7C5B5-1189-4785-AEA1-2D33A6AD18F0}
struct IStrixRecordDrawer : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Attach(ULONG reserved, IUnknown* host) = 0;                                  // 3
    virtual HRESULT STDMETHODCALLTYPE SetBounds(ULONG strip, const RECT* bounds) = 0;                              // 4
    virtual HRESULT STDMETHODCALLTYPE GetKind(ULONG* kind) = 0;                                                    // 5
    // 6: what a change of data asks to redraw: update flags and the pixels the drawing reaches either side.
    virtual HRESULT STDMETHODCALLTYPE GetUpdateExtent(ULONG reserved, ULONG* flags, LONG* left, LONG* right,
                                                      void* context) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSource(ChannelPair* source) = 0;                                          // 7
    virtual HRESULT STDMETHODCALLTYPE GetValueAt(ULONG scaleId, LONGLONG position, double* value, SHORT* valid) = 0; // 8
    virtual HRESULT STDMETHODCALLTYPE QuerySource(LONGLONG position, IUnknown** object) = 0;                       // 9
    virtual HRESULT STDMETHODCALLTYPE SetScaling(ULONG scaleId, ULONG reserved, const ScalePair* pair,
                                                 IUnknown* scale) = 0;                                             // 10
    virtual HRESULT STDMETHODCALLTYPE Invalidate(ULONG reason) = 0;                                                // 11
    // 12: the samples [from, to) of the record, starting at column xOffset of the strip.
    virtual HRESULT STDMETHODCALLTYPE Draw(HDC dc, LONGLONG from, LONGLONG to, LONGLONG preTrigger, LONG record,
                                           LONG xOffset, const RECT* clip, ULONG drawFlags, ULONG option,
                                           ULONG reserved) = 0;
    virtual HRESULT STDMETHODCALLTYPE PrepareRecord(ULONG argument) = 0;                                           // 13
    virtual HRESULT STDMETHODCALLTYPE OnRecordStart(LONG record, SHORT newRecord) = 0;                             // 14
    virtual HRESULT STDMETHODCALLTYPE OnNewData(LONGLONG from, LONGLONG to, LONGLONG* position) = 0;               // 15
    virtual HRESULT STDMETHODCALLTYPE OnRecordEnd(LONG record, LONGLONG position) = 0;                             // 16
    virtual HRESULT STDMETHODCALLTYPE SetSelected(SHORT selected) = 0;                                             // 17
    virtual HRESULT STDMETHODCALLTYPE Notify(ULONG a, ULONG b) = 0;                                                // 18
    virtual HRESULT STDMETHODCALLTYPE GetDataRange(ULONG requestBits, ULONG scaleId, LONGLONG from, LONGLONG to,
                                                   double* low, double* high, ULONG last) = 0;                     // 19
    virtual HRESULT STDMETHODCALLTYPE GetScaleId(ULONG* scaleId) = 0;                                              // 20
    virtual HRESULT STDMETHODCALLTYPE DropCache(ULONG reserved) = 0;                                               // 21
    virtual HRESULT STDMETHODCALLTYPE GetDisplaySource(ChannelPair* source) = 0;                                   // 22
    virtual HRESULT STDMETHODCALLTYPE SetOwnerWord(ULONG reserved, LONG word) = 0;                                 // 23
    virtual HRESULT STDMETHODCALLTYPE ApplyChannelSettings(IUnknown* settings, IUnknown* preferences,
                                                           LONG channel) = 0;                                      // 24
    // 25: GetValueAt with the sample's units, its information range {low, high} and its position.
    virtual HRESULT STDMETHODCALLTYPE GetValueAtEx(ULONG scaleId, LONGLONG position, double* value, SHORT* valid,
                                                   BSTR* units, double* information, LONGLONG* samplePosition) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetEnvironment(IDrawerDataPane* environment) = 0;                            // 26
    virtual HRESULT STDMETHODCALLTYPE Command(ULONG a, ULONG b, ULONG c, ULONG d, ULONG e) = 0;                    // 27
    virtual HRESULT STDMETHODCALLTYPE OnChannelEvent(ULONG argument) = 0;                                          // 28
    virtual HRESULT STDMETHODCALLTYPE Clone(ULONG flags, IStrixRecordDrawer** clone) = 0;                          // 29
    virtual HRESULT STDMETHODCALLTYPE SetOwner(void* owner) = 0;                                                   // 30
    virtual StrixDraw::LevelSettings* STDMETHODCALLTYPE GetLevelSettings() = 0;                                    // 31
};
inline constexpr IID IID_IStrixRecordDrawer = {0x77F7C5B5, 0x1189, 0x4785, {0xAE, 0xA1, 0x2D, 0x33, 0xA6, 0xAD, 0x18, 0xF0}};

// The time grid of a data pane: where the first minor and major lines fall (strip positions), the
// minor spacing and the number of minor spaces per major line.
struct TimeGrid
{
    double firstMinor = 0.0;
    double firstMajor = 0.0;
    double spacing = 0.0;
    int minorPerMajor = 1;
};

// The data pane's services to its drawers.
struct IDrawerDataPane : IUnknown
{
    // 3: the print target (0 on screen).
    virtual HRESULT STDMETHODCALLTYPE GetOwnerValue(ULONG reserved, ULONG_PTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPixelsPerMmX(ULONG reserved, ULONG reserved2, double* pixels) = 0;       // 4
    virtual HRESULT STDMETHODCALLTYPE GetPixelsPerMmY(ULONG reserved, ULONG reserved2, double* pixels) = 0;       // 5
    // 6: device pixels per screen pixel, 1.0 on screen.
    virtual HRESULT STDMETHODCALLTYPE GetDrawScale(ULONG reserved, double* x, double* y) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsDrawingOnly(ULONG reserved, VARIANT_BOOL* drawingOnly) = 0;               // 7
    virtual HRESULT STDMETHODCALLTYPE GetLayerInfo(ULONG reserved, LONG pane, ULONG layerCode, ULONGLONG* info) = 0; // 8
    virtual HRESULT STDMETHODCALLTYPE SetLayerAlpha(ULONG reserved, LONG pane, ULONG layerCode, LONG alpha) = 0;  // 9
    virtual HRESULT STDMETHODCALLTYPE GetDrawArea(LONG pane, RECT* area) = 0;                                      // 10
    virtual HRESULT STDMETHODCALLTYPE InvalidateArea(LONG pane, const RECT* area) = 0;                             // 11
    virtual HRESULT STDMETHODCALLTYPE IsFollowing() = 0;                                                           // 12
    virtual HRESULT STDMETHODCALLTYPE IsFollowingAndLive() = 0;                                                    // 13
    virtual HRESULT STDMETHODCALLTYPE GetBackgroundColour(COLORREF* colour) = 0;                                   // 14
    virtual HRESULT STDMETHODCALLTYPE AdjustColour(COLORREF colour, COLORREF* adjusted) = 0;                       // 15
    virtual HRESULT STDMETHODCALLTYPE GetUnitsOrigin(LONG pane, ULONG reserved, LONG* origin) = 0;                 // 16
    virtual HRESULT STDMETHODCALLTYPE GetAxisScale(LONG pane, LONG axis, IUnknown** scale) = 0;                    // 17
    // 18: the units of a strip's scale in a record as numerator, denominator and offset.
    virtual HRESULT STDMETHODCALLTYPE GetScaleInfo(LONG pane, ULONG scaleId, LONG record, double* numerator,
                                                   double* denominator, double* offset) = 0;
    // 19: the strip object of a pane index (the drawers' owner).
    virtual HRESULT STDMETHODCALLTYPE GetUnitsSource(LONG pane, void** owner) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetStateWords(ULONG* second, ULONG* flags) = 0;                              // 20
    // 21: S_OK while printing; the flag as a VARIANT_BOOL when asked for.
    virtual HRESULT STDMETHODCALLTYPE IsPrinting(VARIANT_BOOL* printing) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTimeGrid(TimeGrid* grid) = 0;                                             // 22
    // 23: S_OK when record starts are marked on the strip of the channel.
    virtual HRESULT STDMETHODCALLTYPE MarksRecordStarts(LONG channel) = 0;
};

// The screen's pixels per millimetre at 96 dpi.
inline constexpr double ScreenPixelsPerMm = 3.7795276158179276;
