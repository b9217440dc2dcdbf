#include "controls/gadgets/ButtonGadgets.h"

#include "controls/theme/DpiAndFonts.h"
#include "controls/theme/UxTheme.h"
#include "controls/windows/GdiPlusBitmaps.h"
#include "foundation/system/GdiObjects.h"
#include "foundation/system/SystemInfo.h"
#include "foundation/text/StringResources.h"
#include "platform/owl/Application.h"
#include "platform/owl/gadgets/GadgetWindow.h"
#include "platform/owl/gdi/DC.h"

#include <objbase.h>

#include <gdiplus.h>

#include <algorithm>
#include <cmath>

namespace
{

constexpr int ButtonPart = 1;
constexpr int StateNormal = 1, StateHot = 2, StatePressed = 3, StateDisabled = 4;
constexpr unsigned PressedTint = 0x14007ED2;
constexpr unsigned PulseColour = 0xC8F0FF;
// The pulse's angular speed per millisecond: one period in about 1.67 s.
constexpr double PulseRadiansPerSecond = 3.7699111842;
constexpr int ReferenceDpi = 96;

OrvLinkingUtils::UxThemeDLL& Ux()
{
    return OrvLinkingUtils::UxThemeDLL::Instance();
}

int ScaledForScreen(UINT pixels, int dpi)
{
    return static_cast<int>(pixels * (static_cast<double>(dpi) / ReferenceDpi));
}

// The pulse's alpha now: a sine over the system clock's seconds and milliseconds.
unsigned PulseAlpha()
{
    SYSTEMTIME now{};
    GetSystemTime(&now);
    const double t = (now.wSecond * 1000.0 + now.wMilliseconds) * PulseRadiansPerSecond / 1000.0;
    return static_cast<unsigned>(static_cast<int>(std::sin(t) * 128.0 + 128.0)) & 0xFF;
}

} // namespace

UxSizableButtonGadget::UxSizableButtonGadget(int id, UINT imageResource, TType type)
    : OWL::TButtonTextGadget(id, OWL::TResId(), nullptr, sBitmap, lTextBottom, aCenter, type, true, Up, false, 4),
      Orv::LowPriorityTimer(0.0), imageResource_(static_cast<int>(imageResource))
{
    StartUp();
}

UxSizableButtonGadget::UxSizableButtonGadget(OWL::TResId imageResource, int id, TType type)
    : OWL::TButtonTextGadget(id, OWL::TResId(), nullptr, sBitmap, lTextBottom, aCenter, type, true, Up, false, 0),
      Orv::LowPriorityTimer(0.0), imageResource_(imageResource)
{
    SetCommandEnableOptions(IgnoreCheck);
    StartUp();
}

UxSizableButtonGadget::UxSizableButtonGadget(int id, std::unique_ptr<Gdiplus::Bitmap> image, int themeClass,
                                             TStyle style, TType type, bool enabled, TState state, bool sharedGlyph,
                                             UINT numChars)
    : OWL::TButtonTextGadget(id, OWL::TResId(), nullptr, style, lTextBottom, aCenter, type, enabled, state,
                             sharedGlyph, numChars),
      Orv::LowPriorityTimer(0.0), themeClass_(themeClass), image_(std::move(image))
{
    StartUp();
}

void UxSizableButtonGadget::StartUp()
{
    GdiplusStarter::Instance();
    // Before the gadget has a window, the theme is the application main window's.
    if (const OWL::TApplication* application = OWL::TApplication::Current();
        application && application->GetMainWindow() && application->GetMainWindow()->GetHandle())
        OpenTheme(application->GetMainWindow()->GetHandle());
    CacheImageSize();
}

UxSizableButtonGadget::~UxSizableButtonGadget()
{
    CloseTheme();
    Stop();
}

void UxSizableButtonGadget::OpenTheme(HWND window)
{
    if (Orv::IsXPOrLater())
        theme_ = Ux().OpenThemeData(window, themeClass_ == 1 ? L"BUTTON" : L"TOOLBAR");
}

void UxSizableButtonGadget::CloseTheme()
{
    if (theme_)
        Ux().CloseThemeData(std::exchange(theme_, nullptr));
}

void UxSizableButtonGadget::Created()
{
    OWL::TButtonTextGadget::Created();
    if (!theme_ && Window && Window->GetHandle())
        OpenTheme(Window->GetHandle());
}

void UxSizableButtonGadget::SysColorChange()
{
    CloseTheme();
    if (Ux().IsAppThemed() && Ux().Call<BOOL>("IsThemeActive") && Window)
        OpenTheme(Window->GetHandle());
    OWL::TButtonTextGadget::SysColorChange();
}

void UxSizableButtonGadget::CacheImageSize()
{
    if (!image_)
        return;
    imageWidth_ = image_->GetWidth();
    imageHeight_ = image_->GetHeight();
}

void UxSizableButtonGadget::LoadImageResource()
{
    if (image_ || !imageResource_.GetPointerRepresentation())
        return;
    const HMODULE module = Window ? Window->GetInstance() : Orv::ThisModule();
    image_ = LoadPngAsPargbBitmap(imageResource_, module);
    if (!image_)
    {
        std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromResource(module, imageResource_));
        if (bitmap && bitmap->GetLastStatus() == Gdiplus::Ok)
            image_ = std::move(bitmap);
    }
    CacheImageSize();
}

std::unique_ptr<Gdiplus::Bitmap> UxSizableButtonGadget::SetImage(WhichImage which, std::unique_ptr<Gdiplus::Bitmap> image)
{
    std::unique_ptr<Gdiplus::Bitmap> previous;
    if (which == NormalImage)
    {
        previous = std::exchange(image_, std::move(image));
        CacheImageSize();
    }
    else
    {
        previous = std::exchange(downImage_, std::move(image));
    }
    if (Window && Window->GetHandle())
    {
        OWL::TRect textRect, imageRect;
        Layout(GetInnerRect(), textRect, imageRect);
        if (HasImageStyle())
        {
            // The face shows the new image at once, without waiting for the window to paint.
            OWL::TClientDC dc(Window->GetHandle());
            const OWL::SavedDCState saved(dc);
            dc.SetViewportOrg(Bounds.TopLeft());
            PaintFace(dc, imageRect);
        }
    }
    return previous;
}

void UxSizableButtonGadget::SetPressState(unsigned mode)
{
    if (mode == pulseMode_)
        return;
    pulseMode_ = mode;
    if (mode & PulseBits)
    {
        StartMilliseconds(PulseMilliseconds);
        return;
    }
    Stop();
    Invalidate(true);
}

void UxSizableButtonGadget::OnTimer()
{
    Invalidate(true);
    Update();
}

void UxSizableButtonGadget::GetImageDesiredSize(OWL::TSize& size)
{
    OWL::TGadget::GetDesiredSize(size);
    LoadImageResource();
    if (!image_)
        return;
    const auto [dpiX, dpiY] = GetScreenDpi();
    if (ShrinkWrapWidth)
        size.cx += ScaledForScreen(imageWidth_, dpiX);
    if (ShrinkWrapHeight)
        size.cy += ScaledForScreen(imageHeight_, dpiY);
}

void UxSizableButtonGadget::GetDesiredSize(OWL::TSize& size)
{
    if (!IsVisible())
    {
        size = OWL::TSize(0, 0);
        return;
    }
    if (HasImageStyle())
        GetImageDesiredSize(size);
    else
        OWL::TGadget::GetDesiredSize(size);
    if (!HasTextStyle())
        return;
    const OWL::TSize text = GetTextSize();
    OWL::TSize base(0, 0);
    OWL::TGadget::GetDesiredSize(base);
    if (LayoutStyle == lTextLeft || LayoutStyle == lTextRight)
    {
        // The gap belongs to the width too, or a shrink-wrapped text is cut short by it.
        if (ShrinkWrapWidth)
            size.cx += text.cx + (HasImageStyle() ? ImageTextGap : 0);
        if (ShrinkWrapHeight)
            size.cy = std::max<int>(size.cy, text.cy + base.cy);
    }
    else
    {
        if (ShrinkWrapWidth)
            size.cx = std::max<int>(size.cx, text.cx + base.cx);
        if (ShrinkWrapHeight)
            size.cy += text.cy;
    }
}

void UxSizableButtonGadget::Layout(const OWL::TRect& face, OWL::TRect& textRect, OWL::TRect& imageRect)
{
    if (!HasTextStyle())
    {
        imageRect = face;
        return;
    }
    if (!HasImageStyle())
    {
        textRect = face;
        return;
    }
    const OWL::TSize text = GetTextSize();
    const int imageWidth = static_cast<int>(imageWidth_);
    switch (LayoutStyle)
    {
    case lTextLeft:
        textRect = OWL::TRect(face.left, face.top, face.left + text.cx, face.bottom);
        imageRect = OWL::TRect(face.left + text.cx + ImageTextGap, face.top, face.right, face.bottom);
        break;
    case lTextTop:
        textRect = OWL::TRect(face.left, face.top, face.right, face.top + text.cy);
        imageRect = OWL::TRect(face.left, face.top + text.cy + ImageTextGap, face.right, face.bottom + ImageTextGap);
        break;
    case lTextRight:
        imageRect = OWL::TRect(face.left, face.top, face.left + imageWidth, face.bottom);
        textRect = OWL::TRect(imageRect.right + ImageTextGap, face.top, face.right, face.bottom);
        break;
    case lTextBottom:
        textRect = OWL::TRect(face.left, face.bottom - text.cy, face.right, face.bottom);
        imageRect = OWL::TRect(face.left, face.top, face.right, face.bottom - text.cy);
        break;
    }
}

void UxSizableButtonGadget::SetBounds(const OWL::TRect& rect)
{
    OWL::TButtonTextGadget::SetBounds(rect);
    if (!HasImageStyle())
        return;
    OWL::TRect area = GetInnerRect();
    if (HasTextStyle())
    {
        OWL::TRect textRect;
        Layout(GetInnerRect(), textRect, area);
    }
    const int width = static_cast<int>(imageWidth_), height = static_cast<int>(imageHeight_);
    BitmapOrigin = OWL::TPoint(area.left + (area.right - area.left - width) / 2,
                               area.top + (area.bottom - area.top - height) / 2);
}

void UxSizableButtonGadget::CommandEnable()
{
    if (!Window || !Window->GetHandle())
        return;
    UxSizableButtonGadgetEnabler enabler(*this, Window->GetHandle());
    Window->HandleMessage(WM_COMMAND_ENABLE, 0, reinterpret_cast<LPARAM>(&enabler));
}

void UxSizableButtonGadget::Paint(OWL::TDC& dc)
{
    if (!IsVisible())
        return;
    OWL::TRect textRect, imageRect;
    Layout(GetInnerRect(), textRect, imageRect);
    // Drawn off screen over a copy of what lies beneath, so that the face never flickers.
    const OWL::TSize size = Bounds.Size();
    const Orv::MemoryDc memory(dc);
    const Orv::UniqueBitmap bitmap(CreateCompatibleBitmap(dc, size.cx, size.cy));
    if (!memory.Get() || !bitmap)
        return;
    const OWL::SelectedObject selected(memory.Get(), bitmap.Get());
    BitBlt(memory.Get(), 0, 0, size.cx, size.cy, dc, 0, 0, SRCCOPY);
    {
        OWL::TDC canvas(memory.Get());
        PaintBorder(canvas);
        if (HasTextStyle())
            PaintText(canvas, textRect, Text);
        if (HasImageStyle())
            PaintFace(canvas, imageRect);
    }
    BitBlt(dc, 0, 0, size.cx, size.cy, memory.Get(), 0, 0, SRCCOPY);
}

void UxSizableButtonGadget::PaintBorder(OWL::TDC& dc)
{
    if (theme_)
        PaintThemedBackground(dc, OWL::TRect(OWL::TPoint(0, 0), Bounds.Size()));
    else
        OWL::TButtonTextGadget::PaintBorder(dc);
}

int UxSizableButtonGadget::RefreshThemeState()
{
    if (Enabled)
        paintState_ &= ~PaintDisabled;
    else
        paintState_ = (paintState_ | PaintDisabled) & ~PaintHot;
    if (paintState_ & PaintDisabled)
        return StateDisabled;
    if (IsDownOrPressed())
        return StatePressed;
    return (paintState_ & PaintHot) ? StateHot : StateNormal;
}

void UxSizableButtonGadget::FillInset(OWL::TDC& dc, const OWL::TRect& rect, unsigned argb)
{
    Gdiplus::Graphics graphics(dc.GetHDC());
    Gdiplus::SolidBrush brush{Gdiplus::Color(argb)};
    graphics.FillRectangle(&brush, rect.left + 2, rect.top + 2, rect.Width() - 4, rect.Height() - 4);
}

void UxSizableButtonGadget::PaintThemedBackground(OWL::TDC& dc, const OWL::TRect& rect)
{
    const int state = RefreshThemeState();
    if (Window)
        Ux().DrawThemeParentBackground(Window->GetHandle(), dc, &rect);
    Ux().DrawThemeBackground(theme_, dc, ButtonPart, state, rect);
    if (IsDownOrPressed() && Enabled)
        FillInset(dc, rect, PressedTint);
    else if (pulseMode_ & PulseBits)
        FillInset(dc, rect, PulseAlpha() << 24 | PulseColour);
}

void UxSizableButtonGadget::PaintText(OWL::TDC& dc, const OWL::TRect& rect, const std::wstring& text)
{
    const OWL::SelectedObject font(dc, Font ? *Font : Window->GetFont());
    const COLORREF colour = GetSysColor(Enabled ? COLOR_BTNTEXT : COLOR_3DHILIGHT);
    const UINT format = DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS | DT_VCENTER |
                        (Align == aCenter ? DT_CENTER : Align == aRight ? DT_RIGHT : 0);
    const TState state = GetButtonState();
    const Orv::BackgroundMode transparent(dc, TRANSPARENT);
    const COLORREF previous = SetTextColor(dc, colour);
    if (!Enabled)
        OWL::TUIFace::DrawTextEtched(dc, rect, text, format);
    else if (state != Indeterminate)
        dc.DrawText(text, rect, format);
    SetTextColor(dc, previous);
}

void UxSizableButtonGadget::PaintFace(OWL::TDC& dc, const OWL::TRect& rect)
{
    if (!image_)
        return;
    Gdiplus::Bitmap& image = downImage_ && GetButtonState() == Down ? *downImage_ : *image_;
    OWL::TPoint at = BitmapOrigin;
    if (Enabled && GetButtonState() == Indeterminate)
        return;
    const bool flat = (OWL::TGadgetWindow::GetFlatStyle() & OWL::TGadgetWindow::FlatStandard) != 0;
    // A flat strip shows a held button one pixel down and right, like a pushed face.
    if (Enabled && GetButtonState() == Down && flat && Window && Window->GetCapture() == this)
        at = OWL::TPoint(at.x + 1, at.y + 1);
    const RECT destination{std::max<LONG>(at.x, rect.left), std::max<LONG>(at.y, rect.top),
                           std::min<LONG>(at.x + static_cast<LONG>(imageWidth_), rect.right),
                           std::min<LONG>(at.y + static_cast<LONG>(imageHeight_), rect.bottom)};
    DrawImageFace(dc, image, destination, !Enabled);
}

void UxSizableButtonGadget::MouseEnter(UINT modKeys, const OWL::TPoint& point)
{
    OWL::TButtonTextGadget::MouseEnter(modKeys, point);
    if (Enabled)
    {
        paintState_ |= PaintHot;
        Invalidate(true);
    }
}

void UxSizableButtonGadget::MouseLeave(UINT modKeys, const OWL::TPoint& point)
{
    OWL::TButtonTextGadget::MouseLeave(modKeys, point);
    if (Enabled)
    {
        paintState_ &= ~PaintHot;
        Invalidate(true);
    }
}

void UxSizableButtonGadget::LButtonDown(UINT modKeys, const OWL::TPoint& point)
{
    OWL::TButtonTextGadget::LButtonDown(modKeys, point);
    paintState_ = (paintState_ | PaintPressed) & ~PaintHot;
    Invalidate(true);
}

void UxSizableButtonGadget::LButtonUp(UINT modKeys, const OWL::TPoint& point)
{
    OWL::TButtonTextGadget::LButtonUp(modKeys, point);
    paintState_ &= ~PaintPressed;
    Invalidate(true);
}

void UxCustomButtonGadget::PaintThemedBackground(OWL::TDC& dc, const OWL::TRect& rect)
{
    if (!GetGadgetWindow())
        return;
    Ux().DrawThemeBackground(GetTheme(), dc, ButtonPart, RefreshThemeState(), rect);
    if (IsDownOrPressed() && GetEnabled())
        FillInset(dc, rect, PressedTint);
}

UxSizableButtonGadgetEnabler::UxSizableButtonGadgetEnabler(UxSizableButtonGadget& gadget, HWND receiver)
    : OWL::TCommandEnabler(static_cast<UINT>(gadget.GetId()), receiver), gadget_(gadget)
{
}

void UxSizableButtonGadgetEnabler::Enable(bool enable)
{
    OWL::TCommandEnabler::Enable(enable);
    gadget_.SetEnabled(enable);
}

void UxSizableButtonGadgetEnabler::SetText(const wchar_t* text)
{
    if ((gadget_.GetCommandEnableOptions() & OWL::TButtonGadget::IgnoreText) ||
        !(gadget_.GetStyle() & OWL::TButtonTextGadget::sText))
        return;
    const std::wstring before = gadget_.GetText();
    gadget_.SetText(text);
    if (gadget_.GetText() != before && gadget_.GetGadgetWindow())
        gadget_.GetGadgetWindow()->InvalidateRect(gadget_.GetBounds(), true);
}

void UxSizableButtonGadgetEnabler::SetCheck(int state)
{
    if (gadget_.GetCommandEnableOptions() & OWL::TButtonGadget::IgnoreCheck)
        return;
    gadget_.SetButtonState(state == Checked         ? OWL::TButtonGadget::Down
                           : state == Indeterminate ? OWL::TButtonGadget::Indeterminate
                                                    : OWL::TButtonGadget::Up);
}

namespace Orv
{

UxMenuGadget::UxMenuGadget(HMENU menu, OWL::TWindow* owner, std::unique_ptr<Gdiplus::Bitmap> image, int themeClass,
                           TStyle style, TType type, bool enabled, TState state, bool sharedGlyph, UINT numChars)
    : UxCustomButtonGadget(CommandId, std::move(image), themeClass, style, type, enabled, state, sharedGlyph,
                           numChars),
      menu_(std::make_unique<OWL::TPopupMenu>(OWL::TMenu(menu))), owner_(owner)
{
    SetShrinkWrap(true, true);
    wchar_t first[512] = {};
    if (GetMenuStringW(menu, 0, first, 512, MF_BYPOSITION) > 0)
        Text = first;
    Align = aCenter;
    NumChars = static_cast<UINT>(Text.size());
}

void UxMenuGadget::LButtonDown(UINT, const OWL::TPoint& point)
{
    if (!Window || !Window->GetHandle())
        return;
    BeginPressed(point);
    OWL::TRect bounds = Bounds;
    ::MapWindowPoints(Window->GetHandle(), nullptr, reinterpret_cast<POINT*>(&bounds), 2);
    TPMPARAMS exclude{sizeof(TPMPARAMS), bounds};
    // Asked for below the button: not every platform's menus honour the exclusion (Wine's do not), and
    // where they do, it still moves the menu above the button when there is no room below.
    lastChoice_ = menu_->TrackPopupMenu(TPM_VERTICAL, bounds.left, bounds.bottom,
                                        owner_ ? owner_->GetHandle() : nullptr, &exclude);
    // The click that closed the menu over this gadget must not open it again.
    MSG waiting{};
    if (PeekMessageW(&waiting, Window->GetHandle(), WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_NOREMOVE) &&
        Bounds.Contains(OWL::TPoint(static_cast<short>(LOWORD(waiting.lParam)), static_cast<short>(HIWORD(waiting.lParam)))))
        GetMessageW(&waiting, Window->GetHandle(), WM_LBUTTONDOWN, WM_LBUTTONDOWN);
    if (IsPressed())
        CancelPressed(point, false);
}

void UxMenuGadget::RButtonDown(UINT, const OWL::TPoint&) {}

void UxMenuGadget::LButtonUp(UINT, const OWL::TPoint& point)
{
    if (IsPressed())
        CancelPressed(point, false);
}

void UxMenuGadget::RButtonUp(UINT, const OWL::TPoint& point)
{
    if (IsPressed())
        CancelPressed(point, false);
}

UxButtonMenuGadget::UxButtonMenuGadget(HMENU menu, OWL::TWindow* owner, const std::wstring& text,
                                       std::unique_ptr<Gdiplus::Bitmap> image, int themeClass, TStyle style,
                                       TType type, bool enabled, TState state, bool sharedGlyph, UINT numChars)
    : UxMenuGadget(menu, owner, std::move(image), themeClass, style, type, enabled, state, sharedGlyph, numChars)
{
    if (!text.empty())
    {
        SetText(text.c_str());
        Invalidate(true);
    }
    SetShrinkWrap(false, true);
}

} // namespace Orv
