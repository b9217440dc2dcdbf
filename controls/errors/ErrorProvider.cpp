#include "controls/errors/ErrorProvider.h"

#include "controls/balloon/BalloonHelp.h"
#include "controls/windows/SmallWindowUtilities.h"
#include "platform/owl/gdi/DC.h"
#include "resources/ResourceIds.h"

#include <algorithm>
#include <cmath>

namespace OrvControls
{

namespace
{

constexpr UINT BalloonOptions = 0x87E00;
constexpr UINT BalloonOptionsWithLink = 0xE7E00;
constexpr UINT BalloonLayout = 0x2111;

} // namespace

bool HoverDistance::MovedFar(const OWL::TPoint& point)
{
    const double dx = point.x - last_.x, dy = point.y - last_.y;
    if (std::sqrt(dx * dx + dy * dy) <= 3.0)
        return false;
    last_ = point;
    return true;
}

WTL::CBalloonHelp* ShowStayBalloon(HWND parent, POINT anchor, const RECT& stay, const wchar_t* title,
                                   const wchar_t* text, const wchar_t* iconName, const wchar_t* linkText,
                                   std::function<void()> link)
{
    auto* balloon = new WTL::CBalloonHelp;
    WTL::CBalloonHelp::Anchor where;
    where.x = anchor.x;
    where.y = anchor.y;
    balloon->SetAnchor(where);
    balloon->stayRect = stay;
    balloon->Relayout();
    balloon->mouseTolerance = 3;
    balloon->SetIconFromResource(iconName);
    UINT options = BalloonOptions;
    if (linkText && *linkText && link)
    {
        balloon->SetLink(linkText, std::move(link));
        options = BalloonOptionsWithLink;
    }
    if (!balloon->Create(parent, title, text, nullptr, options, nullptr, 0, BalloonLayout))
    {
        delete balloon;
        return nullptr;
    }
    return balloon;
}

DEFINE_RESPONSE_TABLE1(ErrorProvider, OWL::TStatic)
    EV_WM_PAINT,
    EV_WM_MOUSEMOVE,
    EV_WM_LBUTTONDOWN,
    OWL_MSG(WM_MBUTTONDOWN, self.EvOtherButtonDown(static_cast<UINT>(wParam), OWL_POINT_OF(lParam))),
    OWL_MSG(WM_RBUTTONDOWN, self.EvOtherButtonDown(static_cast<UINT>(wParam), OWL_POINT_OF(lParam))),
    EV_MESSAGE(WM_MOUSELEAVE, EvMouseLeave),
    EV_WM_TIMER,
END_RESPONSE_TABLE;

ErrorProvider::ErrorProvider(OWL::TWindow* parent, int id, const wchar_t*, int x, int y, int w, int h, UINT,
                             OWL::TModule* module, unsigned flags)
    : OWL::TStatic(parent, id, L"", x, y, w, h, 0, module), options(flags)
{
    Init();
}

ErrorProvider::ErrorProvider(OWL::TWindow* parent, int resourceId, unsigned flags)
    : OWL::TStatic(parent, resourceId), options(flags)
{
    Init();
}

ErrorProvider::~ErrorProvider() = default;

void ErrorProvider::Init()
{
    const HINSTANCE instance = GetInstance();
    error_ = std::make_unique<OWL::TBitmap>(instance, IDB_CONTROLS_ERROR);
    information_ = std::make_unique<OWL::TBitmap>(instance, IDB_CONTROLS_INFORMATION);
    warning_ = std::make_unique<OWL::TBitmap>(instance, IDB_CONTROLS_WARNING);
    Attr.Style &= ~WS_VISIBLE;
    Attr.ExStyle |= WS_EX_TRANSPARENT;
}

void ErrorProvider::NormaliseOptions()
{
    if (options & ErrIconWarning)
        options &= ~(ErrIconError | ErrIconInfo);
    else if (options & ErrIconError)
        options &= ~ErrIconInfo;
    else if (!(options & ErrIconInfo))
        options |= ErrIconError;
    if (options & ErrBalloon)
        options &= ~(ErrHoverPopup | ErrNoHover);
    else if (options & ErrHoverPopup)
        options &= ~ErrNoHover;
    else if (!(options & ErrNoHover))
        options |= ErrBalloon;
}

OWL::TSize ErrorProvider::IconSize() const
{
    return (options & ErrIconInfo) ? information_->Size() : error_->Size();
}

const OWL::TBitmap& ErrorProvider::IconBitmap() const
{
    if (options & ErrIconError)
        return *error_;
    if (options & ErrIconWarning)
        return *warning_;
    return *information_;
}

void ErrorProvider::SetupWindow()
{
    OWL::TWindow::SetupWindow();
    ModifyStyle(0, SS_NOTIFY);
    ModifyExStyle(0, WS_EX_TRANSPARENT);
    NormaliseOptions();
    const OWL::TSize icon = IconSize();
    MoveWindow(OWL::TRect(Attr.X, Attr.Y + Attr.H - icon.cy, Attr.X + icon.cx, Attr.Y + Attr.H), true);
    ShowWindow(shown_ ? SW_SHOW : SW_HIDE);
}

void ErrorProvider::SetError(bool show, const Orv::String& title, const Orv::String& text)
{
    title_ = title;
    text_ = text;
    shown_ = show;
    if (GetHandle())
        ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void ErrorProvider::Paint(OWL::TDC& dc, bool, OWL::TRect&)
{
    const OWL::TBitmap& bitmap = IconBitmap();
    const OWL::TSize size = IconSize();
    BlitWithKeyColour(dc, OWL::TRect(0, 0, size.cx, size.cy), bitmap, OWL::TPoint(0, 0));
}

void ErrorProvider::StartHoverTimer()
{
    if (!popupShown_ && !text_.IsEmpty())
        SetTimer(HoverTimer, HoverTick);
}

void ErrorProvider::EvMouseMove(UINT modKeys, const OWL::TPoint& point)
{
    if (!tracking_)
    {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, GetHandle(), 0};
        TrackMouseEvent(&track);
        tracking_ = true;
    }
    if (options & ErrBalloon)
    {
        if (hover_.MovedFar(point))
            ShowBalloon();
    }
    else if (options & ErrHoverPopup)
        StartHoverTimer();
    OWL::TWindow::EvMouseMove(modKeys, point);
}

void ErrorProvider::Press()
{
    if (options & ErrBalloon)
        ShowBalloon();
    else if (options & ErrHoverPopup)
        StartHoverTimer();
}

void ErrorProvider::EvLButtonDown(UINT, const OWL::TPoint&)
{
    Press();
    if (clickCallback)
        clickCallback();
}

void ErrorProvider::EvOtherButtonDown(UINT, const OWL::TPoint&)
{
    Press();
}

LRESULT ErrorProvider::EvMouseLeave(WPARAM, LPARAM)
{
    if (options & ErrHoverPopup)
    {
        KillTimer(HoverTimer);
        popup_.reset();
        popupShown_ = false;
    }
    tracking_ = false;
    return 0;
}

void ErrorProvider::EvTimer(UINT)
{
    if (text_.IsEmpty())
        return;
    hoverTime_ += HoverTick;
    if (hoverTime_ > PopupLifetime)
    {
        KillTimer(HoverTimer);
        hoverTime_ = 0;
        popup_.reset();
        return;
    }
    if ((options & ErrHoverPopup) && !popupShown_)
    {
        popupShown_ = true;
        POINT cursor{};
        GetCursorPos(&cursor);
        popup_.reset();
        popup_ = std::make_unique<Orv::Popup>(this, OWL::TPoint(cursor.x - 3, cursor.y + 19), text_);
    }
}

void ErrorProvider::ShowBalloon()
{
    const OWL::TRect window = GetWindowRect();
    const POINT centre{(window.left + window.right) / 2, (window.top + window.bottom) / 2};
    OWL::TPoint origin(0, 0);
    ClientToScreen(origin);
    const OWL::TRect client = GetClientRect();
    const RECT stay{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
    const wchar_t* icon = (options & ErrIconInfo) ? IDI_INFORMATION : IDI_WARNING;
    const bool withLink = (options & ErrShowLink) && !linkText.IsEmpty();
    ShowStayBalloon(GetHandle(), centre, stay, title_.c_str(), text_.c_str(), icon,
                    withLink ? linkText.c_str() : nullptr, withLink ? linkCallback : std::function<void()>{});
}

StaticTextErrorProvider::MoveableErrProv::MoveableErrProv(OWL::TWindow* parent, int x, int y)
    : ErrorProvider(parent, 1, L"", x, y, 12, 12, 0, nullptr, ErrBalloon | ErrIconError)
{
}

DEFINE_RESPONSE_TABLE1(StaticTextErrorProvider, OWL::TStatic)
    EV_WM_MOVE,
END_RESPONSE_TABLE;

StaticTextErrorProvider::StaticTextErrorProvider(OWL::TWindow* parent, const wchar_t* text)
    : OWL::TStatic(parent, LabelId, text, 0, 0, 0, 0), icon_(new MoveableErrProv(parent, 0, 0))
{
}

StaticTextErrorProvider::StaticTextErrorProvider(OWL::TWindow* parent)
    : OWL::TStatic(parent, AliasId), icon_(new MoveableErrProv(parent, Attr.X, Attr.Y))
{
}

StaticTextErrorProvider::~StaticTextErrorProvider()
{
    OWL::TWindow* parent = GetParentO();
    if (!parent)
        return;
    const auto& siblings = parent->GetChildren();
    if (std::find(siblings.begin(), siblings.end(), icon_) != siblings.end())
        delete icon_;
}

OWL::TPoint StaticTextErrorProvider::IconPosition() const
{
    const std::wstring text = GetWindowText();
    if (text.empty())
        return OWL::TPoint(Attr.X, Attr.Y);
    HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    if (!font)
        font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    HDC dc = ::GetDC(GetHandle());
    HGDIOBJ old = SelectObject(dc, font);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ::ReleaseDC(GetHandle(), dc);
    return OWL::TPoint(Attr.X + extent.cx + 5, Attr.Y + 1 + (Attr.H - icon_->Attr.H) / 2);
}

bool StaticTextErrorProvider::MoveIcon()
{
    if (!icon_)
        return false;
    const OWL::TPoint at = IconPosition();
    if (!icon_->GetHandle())
    {
        // Made after the label: it is created where it belongs.
        icon_->Attr.X = at.x;
        icon_->Attr.Y = at.y;
        return false;
    }
    const OWL::TRect bounds = icon_->GetWindowRect();
    return icon_->MoveWindow(OWL::TRect(at.x, at.y, at.x + bounds.Width(), at.y + bounds.Height()), true);
}

void StaticTextErrorProvider::SetText(const wchar_t* text)
{
    SetWindowText(text);
    if (MoveIcon())
    {
        Invalidate(true);
        icon_->Invalidate(true);
    }
}

void StaticTextErrorProvider::SetError(bool show, const Orv::String& title, const Orv::String& text)
{
    icon_->SetError(show, title, text);
}

void StaticTextErrorProvider::SetupWindow()
{
    OWL::TWindow::SetupWindow();
    MoveIcon();
}

void StaticTextErrorProvider::EvMove(const OWL::TPoint& clientOrigin)
{
    OWL::TWindow::EvMove(clientOrigin);
    if (MoveIcon())
    {
        Invalidate(true);
        icon_->Invalidate(true);
    }
}

} // namespace OrvControls
