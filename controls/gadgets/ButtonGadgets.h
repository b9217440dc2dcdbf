// The button gadgets of the library's gadget windows: push, toggle and repeat buttons drawn with the
// visual-styles "BUTTON" (or "TOOLBAR") theme, each with a GDI+ image (from a "PNG" or bitmap resource,
// or handed over), an optional text, a DPI-aware desired size and an optional pulsing highlight; and
// the two drop-down variants that open a popup menu.
#pragma once

#include "foundation/system/LowPriorityTimer.h"
#include "platform/owl/gadgets/ButtonGadget.h"
#include "platform/owl/window/Menu.h"
#include "platform/owl/window/Window.h"

#include <uxtheme.h>

#include <memory>

namespace Gdiplus
{
class Bitmap;
}

class UxSizableButtonGadget : public OWL::TButtonTextGadget, public Orv::LowPriorityTimer
{
public:
    // Paint state bits.
    enum : unsigned
    {
        PaintPressed = 0x1,
        PaintHot = 0x2,
        PaintDisabled = 0x8,
    };
    enum WhichImage
    {
        NormalImage = 0,
        DownImage = 1,
    };
    // Pulse modes: either bit makes the background pulse.
    static constexpr unsigned PulseBits = 0x3;
    static constexpr UINT PulseMilliseconds = 100;
    // Between the image and a text beside it.
    static constexpr int ImageTextGap = 2;

    // Image only, from the gadget window module's "PNG" (else bitmap) resource of that id.
    UxSizableButtonGadget(int id, UINT imageResource, TType type = Command);
    // Image only and no text at all, from the resource; the button's state is its own, never the
    // command enabler's check. (Two plain ints are ambiguous between this and the first: say which.)
    UxSizableButtonGadget(OWL::TResId imageResource, int id, TType type = Command);
    // With an image of its own (may be null) and the theme class selector (1 "BUTTON", else "TOOLBAR").
    UxSizableButtonGadget(int id, std::unique_ptr<Gdiplus::Bitmap> image, int themeClass, TStyle style, TType type,
                          bool enabled, TState state, bool sharedGlyph, UINT numChars);
    ~UxSizableButtonGadget() override;

    virtual const wchar_t* GetTypeName() const { return L"UxSizableButtonGadget"; }
    // Replaces the normal or the down image; the previous one goes back to the caller.
    std::unique_ptr<Gdiplus::Bitmap> SetImage(WhichImage which, std::unique_ptr<Gdiplus::Bitmap> image);
    void SetPressState(unsigned mode);
    unsigned GetPaintState() const { return paintState_; }
    HTHEME GetTheme() const { return theme_; }
    const OWL::TPoint& GetImageOrigin() const { return BitmapOrigin; }

    void GetDesiredSize(OWL::TSize& size) override;
    void SetBounds(const OWL::TRect& rect) override;
    void CommandEnable() override;
    void SysColorChange() override;
    void Created() override;
    void Paint(OWL::TDC& dc) override;
    void PaintBorder(OWL::TDC& dc) override;
    void MouseEnter(UINT modKeys, const OWL::TPoint& point) override;
    void MouseLeave(UINT modKeys, const OWL::TPoint& point) override;
    void LButtonDown(UINT modKeys, const OWL::TPoint& point) override;
    void LButtonUp(UINT modKeys, const OWL::TPoint& point) override;
    void PaintFace(OWL::TDC& dc, const OWL::TRect& rect) override;
    void Layout(const OWL::TRect& faceRect, OWL::TRect& textRect, OWL::TRect& imageRect) override;
    void PaintText(OWL::TDC& dc, const OWL::TRect& rect, const std::wstring& text) override;
    void OnTimer() override;

protected:
    // Borders and margins plus the image at the screen's DPI in the shrink-wrapped directions.
    virtual void GetImageDesiredSize(OWL::TSize& size);
    void CacheImageSize();
    virtual void PaintThemedBackground(OWL::TDC& dc, const OWL::TRect& rect);
    // Disabled follows the enabled flag (and drops hot); the theme state of the paint and button states.
    int RefreshThemeState();
    bool IsDownOrPressed() const { return GetButtonState() == Down || (paintState_ & PaintPressed); }
    // The pressed tint inside rect inset by 2.
    static void FillInset(OWL::TDC& dc, const OWL::TRect& rect, unsigned argb);

private:
    void StartUp();
    void OpenTheme(HWND window);
    void CloseTheme();
    // Loads the image resource on first use.
    void LoadImageResource();
    bool HasImageStyle() const { return (Style & sBitmap) != 0; }
    bool HasTextStyle() const { return (Style & sText) != 0; }

    HTHEME theme_ = nullptr;
    unsigned paintState_ = 0;
    int themeClass_ = 1;
    std::unique_ptr<Gdiplus::Bitmap> image_;
    std::unique_ptr<Gdiplus::Bitmap> downImage_;
    UINT imageWidth_ = 0;
    UINT imageHeight_ = 0;
    unsigned pulseMode_ = 0;
    OWL::TResId imageResource_;
};

// The same gadget on a plainer themed background: no parent background, no pulse.
class UxCustomButtonGadget : public UxSizableButtonGadget
{
public:
    using UxSizableButtonGadget::UxSizableButtonGadget;
    const wchar_t* GetTypeName() const override { return L"UxCustomButtonGadget"; }

protected:
    void PaintThemedBackground(OWL::TDC& dc, const OWL::TRect& rect) override;
};

// The command-enable answers for a themed gadget.
class UxSizableButtonGadgetEnabler : public OWL::TCommandEnabler
{
public:
    UxSizableButtonGadgetEnabler(UxSizableButtonGadget& gadget, HWND receiver);
    void Enable(bool enable) override;
    void SetText(const wchar_t* text) override;
    void SetCheck(int state) override;

private:
    UxSizableButtonGadget& gadget_;
};

namespace Orv
{

// A themed button that opens a copy of a popup menu under itself; the menu's commands go to owner.
class UxMenuGadget : public UxCustomButtonGadget
{
public:
    static constexpr int CommandId = 214;

    // The text is the menu's first item's.
    UxMenuGadget(HMENU menu, OWL::TWindow* owner, std::unique_ptr<Gdiplus::Bitmap> image, int themeClass,
                 TStyle style, TType type, bool enabled, TState state, bool sharedGlyph, UINT numChars);
    const wchar_t* GetTypeName() const override { return L"UxMenuGadget"; }
    int GetLastChoice() const { return lastChoice_; }

    void LButtonDown(UINT modKeys, const OWL::TPoint& point) override;
    void RButtonDown(UINT modKeys, const OWL::TPoint& point) override;
    void LButtonUp(UINT modKeys, const OWL::TPoint& point) override;
    void RButtonUp(UINT modKeys, const OWL::TPoint& point) override;

private:
    std::unique_ptr<OWL::TPopupMenu> menu_;
    OWL::TWindow* owner_;
    int lastChoice_ = 0;
};

// The menu gadget with a text of the caller's and a width of its own.
class UxButtonMenuGadget : public UxMenuGadget
{
public:
    UxButtonMenuGadget(HMENU menu, OWL::TWindow* owner, const std::wstring& text,
                       std::unique_ptr<Gdiplus::Bitmap> image, int themeClass, TStyle style, TType type, bool enabled,
                       TState state, bool sharedGlyph, UINT numChars);
    const wchar_t* GetTypeName() const override { return L"UxButtonMenuGadget"; }
};

} // namespace Orv
