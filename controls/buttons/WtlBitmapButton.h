// A subclass of an existing button that, after the button's own painting, draws a bitmap, an icon or a
// GDI+ image centred on it, greyed while the button is disabled.
#pragma once

#include "platform/atl/WindowImpl.h"

#include <windows.h>

namespace Gdiplus
{
class Bitmap;
}

namespace WTLControls
{

class CWtlBitmapButton : public ATL::CWindowImpl<CWtlBitmapButton>
{
public:
    enum Mode
    {
        BitmapMode = 0,
        IconMode = 1,
        ImageMode = 2,
    };

    CWtlBitmapButton() = default;
    ~CWtlBitmapButton() override;

    // The image becomes a bitmap for the enabled look and a grey one for the disabled look.
    void SetBitmap(Gdiplus::Bitmap& image);
    // The icon, owned from now on, drawn at size; disabled, it shows at half strength.
    void SetIcon(HICON icon, SIZE size);
    // The image, borrowed: it must outlive the button's painting; disabled, it shows in grey.
    void SetImage(Gdiplus::Bitmap* image);
    int GetMode() const { return mode_; }
    // Where the image stands: its size centred in the client area.
    RECT ImageRect() const;

    BEGIN_MSG_MAP(CWtlBitmapButton)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        ATL_MSG_ENTRY(RepaintsFaceDirectly(uMsg), OnFaceRepainted(uMsg, wParam, lParam, bHandled))
        MESSAGE_HANDLER(RepaintImageMessage(), OnRepaintImage)
    END_MSG_MAP()

    // A button paints its face at once, outside WM_PAINT, when its state, focus or text changes.
    static bool RepaintsFaceDirectly(UINT message);

private:
    LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnFaceRepainted(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnRepaintImage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    static UINT RepaintImageMessage();
    SIZE ImageSize() const;
    void PaintImage(HDC dc);
    void PaintDisabledIcon(HDC dc, const RECT& at);

    HBITMAP normal_ = nullptr;
    HBITMAP disabled_ = nullptr;
    HICON icon_ = nullptr;
    Gdiplus::Bitmap* image_ = nullptr;
    int mode_ = BitmapMode;
    SIZE iconSize_{};
};

} // namespace WTLControls
