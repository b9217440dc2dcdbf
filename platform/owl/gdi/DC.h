// The device-context family: TDC wraps an HDC and remembers what was selected into it, so that every
// object it selected is put back (RestoreObjects, and always when the TDC ends); the derived classes
// own the context they make and release it the way it was made. SelectedObject and SavedDCState are
// the scope guards for code that works on a raw HDC.
#pragma once

#include "platform/owl/Color.h"
#include "platform/owl/Geometry.h"
#include "platform/owl/gdi/GdiObjects.h"

#include "foundation/system/GdiObjects.h"

#include <windows.h>

#include <string>

namespace OWL
{

class TDC
{
public:
    // Wraps a context someone else owns: the objects this TDC selects are put back, the HDC stays.
    explicit TDC(HDC handle);
    virtual ~TDC();
    TDC(const TDC&) = delete;
    TDC& operator=(const TDC&) = delete;

    HDC GetHDC() const { return handle_; }
    operator HDC() const { return handle_; }

    // Selections this TDC puts back. The first selection of each kind remembers what it replaced.
    void SelectObject(const TFont& font);
    void SelectObject(const TPen& pen);
    void SelectObject(const TBrush& brush);
    void SelectObject(const TBitmap& bitmap);
    void SelectObject(const TRegion& clip) { SelectClipRgn(clip); }
    void SelectStockObject(int index);
    // Selects a raw pen, brush, font or bitmap the same way; returns the handle it replaced.
    HGDIOBJ InternalSelectObject(HGDIOBJ object);
    void RestoreFont();
    void RestorePen();
    void RestoreBrush();
    void RestoreBitmap();
    void RestoreObjects();

    int SaveDC() const { return ::SaveDC(handle_); }
    bool RestoreDC(int savedIndex = -1) const { return ::RestoreDC(handle_, savedIndex) != FALSE; }

    // Device facts; a preview context answers those of the printer it stands for.
    virtual int GetDeviceCaps(int index) const;

    // Attributes; each setter returns the value it replaced.
    TColor SetTextColor(const TColor& color) const { return ::SetTextColor(handle_, color.GetValue()); }
    TColor GetTextColor() const { return ::GetTextColor(handle_); }
    TColor SetBkColor(const TColor& color) const { return ::SetBkColor(handle_, color.GetValue()); }
    TColor GetBkColor() const { return ::GetBkColor(handle_); }
    int SetBkMode(int mode) const { return ::SetBkMode(handle_, mode); }
    int GetBkMode() const { return ::GetBkMode(handle_); }
    UINT SetTextAlign(UINT mode) const { return ::SetTextAlign(handle_, mode); }
    int SetROP2(int mode) const { return ::SetROP2(handle_, mode); }
    int SetMapMode(int mode) const { return ::SetMapMode(handle_, mode); }
    int GetMapMode() const { return ::GetMapMode(handle_); }
    TSize SetWindowExt(const TSize& extent) const;
    TSize SetViewportExt(const TSize& extent) const;
    TPoint SetWindowOrg(const TPoint& origin) const;
    TPoint SetViewportOrg(const TPoint& origin) const;
    TSize GetWindowExt() const;
    TSize GetViewportExt() const;
    TPoint GetViewportOrg() const;
    void DPtoLP(POINT* points, int count = 1) const { ::DPtoLP(handle_, points, count); }
    void LPtoDP(POINT* points, int count = 1) const { ::LPtoDP(handle_, points, count); }

    // Clipping.
    int IntersectClipRect(const TRect& rect) const
    {
        return ::IntersectClipRect(handle_, rect.left, rect.top, rect.right, rect.bottom);
    }
    int ExcludeClipRect(const TRect& rect) const
    {
        return ::ExcludeClipRect(handle_, rect.left, rect.top, rect.right, rect.bottom);
    }
    int SelectClipRgn(const TRegion& region) const { return ::SelectClipRgn(handle_, region.GetHandle()); }
    // Removes the clip region.
    int SelectClipRgn(std::nullptr_t) const { return ::SelectClipRgn(handle_, nullptr); }
    TRect GetClipBox() const;

    // Text.
    bool TextOut(int x, int y, const std::wstring& text) const;
    bool TextOut(const TPoint& point, const std::wstring& text) const { return TextOut(point.x, point.y, text); }
    bool ExtTextOut(const TPoint& point, UINT options, const TRect* rect, const std::wstring& text,
                    const int* dx = nullptr) const;
    // Fills the rectangle with a colour, leaving the background colour as it was.
    void TextRect(const TRect& rect, const TColor& color) const;
    int DrawText(const std::wstring& text, TRect& rect, UINT format) const;
    int DrawText(const std::wstring& text, const TRect& rect, UINT format) const;
    TSize GetTextExtent(const std::wstring& text) const;
    TEXTMETRICW GetTextMetrics() const;
    std::wstring GetTextFace() const;

    // Lines and shapes.
    TPoint MoveTo(int x, int y) const;
    TPoint MoveTo(const TPoint& point) const { return MoveTo(point.x, point.y); }
    bool LineTo(int x, int y) const { return ::LineTo(handle_, x, y) != FALSE; }
    bool LineTo(const TPoint& point) const { return LineTo(point.x, point.y); }
    bool Polyline(const POINT* points, int count) const { return ::Polyline(handle_, points, count) != FALSE; }
    bool Polygon(const POINT* points, int count) const { return ::Polygon(handle_, points, count) != FALSE; }
    bool Rectangle(const TRect& rect) const
    {
        return ::Rectangle(handle_, rect.left, rect.top, rect.right, rect.bottom) != FALSE;
    }
    bool Ellipse(const TRect& rect) const { return ::Ellipse(handle_, rect.left, rect.top, rect.right, rect.bottom) != FALSE; }
    bool FillRect(const TRect& rect, const TBrush& brush) const { return ::FillRect(handle_, &rect, brush) != 0; }
    bool FrameRect(const TRect& rect, const TBrush& brush) const { return ::FrameRect(handle_, &rect, brush) != 0; }
    bool FillRgn(const TRegion& region, const TBrush& brush) const { return ::FillRgn(handle_, region, brush) != FALSE; }
    bool DrawFocusRect(const TRect& rect) const { return ::DrawFocusRect(handle_, &rect) != FALSE; }
    bool DrawEdge(TRect& rect, UINT edge, UINT flags) const { return ::DrawEdge(handle_, &rect, edge, flags) != FALSE; }
    bool DrawFrameControl(TRect rect, UINT type, UINT state) const
    {
        return ::DrawFrameControl(handle_, &rect, type, state) != FALSE;
    }
    bool DrawIcon(const TPoint& point, HICON icon, const TSize& size = TSize()) const;
    COLORREF SetPixel(const TPoint& point, const TColor& color) const { return ::SetPixel(handle_, point.x, point.y, color); }
    TColor GetPixel(const TPoint& point) const { return ::GetPixel(handle_, point.x, point.y); }

    // Block transfers.
    bool BitBlt(const TRect& destination, HDC source, const TPoint& sourceOrigin, DWORD rop = SRCCOPY) const;
    bool StretchBlt(const TRect& destination, HDC source, const TRect& sourceRect, DWORD rop = SRCCOPY) const;
    bool PatBlt(const TRect& rect, DWORD rop = PATCOPY) const
    {
        return ::PatBlt(handle_, rect.left, rect.top, rect.Width(), rect.Height(), rop) != FALSE;
    }

protected:
    // For derived contexts that make their HDC before the base knows it.
    TDC();
    void Init(HDC handle) { handle_ = handle; }

private:
    struct Original
    {
        HGDIOBJ handle = nullptr;
    };
    void Remember(Original& original, HGDIOBJ replaced);
    void Restore(Original& original);
    Original& OriginalOfKind(HGDIOBJ object);

    HDC handle_ = nullptr;
    Original font_, pen_, brush_, bitmap_;
};

// The client area of a window (GetDC), released when it ends.
class TClientDC : public TDC
{
public:
    explicit TClientDC(HWND window);
    ~TClientDC() override;

private:
    HWND window_;
};

// The whole window, frame included (GetWindowDC).
class TWindowDC : public TDC
{
public:
    explicit TWindowDC(HWND window);
    ~TWindowDC() override;

private:
    HWND window_;
};

// The screen.
class TScreenDC : public TWindowDC
{
public:
    TScreenDC() : TWindowDC(nullptr) {}
};

// A window's paint context between BeginPaint and EndPaint.
class TPaintDC : public TDC
{
public:
    explicit TPaintDC(HWND window);
    ~TPaintDC() override;

    PAINTSTRUCT Ps{};

private:
    HWND window_;
};

// A context made with CreateDC or handed over, deleted when it ends if it is owned.
class TCreatedDC : public TDC
{
public:
    TCreatedDC(const wchar_t* driver, const wchar_t* device, const wchar_t* output = nullptr,
               const DEVMODEW* initData = nullptr);
    TCreatedDC(HDC handle, TAutoDelete autoDelete);
    ~TCreatedDC() override;

protected:
    TCreatedDC() = default;
    void InitOwned(HDC handle);

private:
    bool owned_ = false;
};

// A memory context, compatible with the screen or with another context.
class TMemoryDC : public TCreatedDC
{
public:
    TMemoryDC();
    explicit TMemoryDC(const TDC& compatibleWith);
    explicit TMemoryDC(HDC compatibleWith);
    // Compatible with the screen, with the bitmap selected.
    explicit TMemoryDC(const TBitmap& bitmap);
};

// Selects one object into a context for a scope and puts back what it replaced.
class SelectedObject : public Orv::SelectedObject
{
public:
    using Orv::SelectedObject::SelectedObject;
    SelectedObject(const TDC& dc, const TGdiObject& object) : Orv::SelectedObject(dc.GetHDC(), object.GetHandle()) {}
};

// The single-line extent of the text in the control's own font.
SIZE ControlTextExtent(HWND control, const std::wstring& text);

// Saves a context's whole state for a scope (SaveDC) and restores it when the scope ends.
class SavedDCState
{
public:
    explicit SavedDCState(HDC dc) : dc_(dc), saved_(::SaveDC(dc)) {}
    ~SavedDCState()
    {
        if (saved_)
            ::RestoreDC(dc_, saved_);
    }
    SavedDCState(const SavedDCState&) = delete;
    SavedDCState& operator=(const SavedDCState&) = delete;

private:
    HDC dc_;
    int saved_;
};

} // namespace OWL
