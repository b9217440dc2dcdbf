#include "controls/windows/Popup.h"

#include "controls/windows/SmallWindowUtilities.h"

#include "hostframework/entry/ApplicationVisibility.h"
#include "platform/owl/gdi/DC.h"

#include <cstdlib>

namespace Orv
{

namespace
{

constexpr int EdgeMargin = 10;
constexpr int FlipGap = 3;

} // namespace

Popup::Popup(OWL::TWindow* parent, const OWL::TPoint& point, const String& text, int, int, int)
    : OWL::TWindow(parent), text_(text), position_(point.x + 2, point.y + 2)
{
    Attr.Style = WS_POPUP | WS_DISABLED | WS_BORDER;
    SetBkgndColor(OWL::TColor(Background));
    HDC screen = GetDC(nullptr);
    const HGDIOBJ previous = SelectObject(screen, font_.GetHandle());
    RECT measured{0, 0, WrapWidth, 0};
    DrawTextW(screen, text_.c_str(), -1, &measured, DT_CALCRECT | DT_WORDBREAK);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    Attr.X = position_.x;
    Attr.Y = position_.y;
    Attr.W = measured.right - measured.left + 5;
    Attr.H = measured.bottom - measured.top + 2;
    Create();
}

Popup::~Popup() = default;

bool Popup::Create()
{
    if (!OWL::TWindow::Create())
        return false;
    if (IsApplicationVisible())
        ShowWindow(SW_SHOWNOACTIVATE);
    return true;
}

void Popup::SetupWindow()
{
    OWL::TWindow::SetupWindow();
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint(position_, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const int x = std::min<int>(position_.x, work.right - EdgeMargin - Attr.W);
    const int y = position_.y + Attr.H > work.bottom ? position_.y - Attr.H - FlipGap : position_.y;
    ::MoveWindow(GetHandle(), x, y, Attr.W, Attr.H, TRUE);
}

void Popup::Paint(OWL::TDC& dc, bool, OWL::TRect&)
{
    const OWL::SelectedObject font(dc, font_);
    SetBkColor(dc, Background);
    SetTextColor(dc, RGB(0, 0, 0));
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    OWL::TRect client = GetClientRect();
    OffsetRect(&client, 1, 0);
    DrawTextW(dc, text_.c_str(), -1, &client, DT_WORDBREAK);
}

} // namespace Orv

namespace OrvControls
{

// The static control's own painting would draw nothing of the bitmap: the window paints itself.
DEFINE_RESPONSE_TABLE1(BitmapWindow, OWL::TStatic)
    EV_WM_PAINT,
END_RESPONSE_TABLE;

BitmapWindow::BitmapWindow(OWL::TWindow* parent, int, int, std::unique_ptr<OWL::TBitmap> bitmap, int, int, int, int)
    : OWL::TStatic(parent, 1002, L"", 0, 0, 0, 0), bitmap_(std::move(bitmap))
{
}

BitmapWindow::~BitmapWindow() = default;

void BitmapWindow::SetupWindow()
{
    OWL::TStatic::SetupWindow();
    ModifyStyle(0, SS_NOTIFY);
    recorded_ = OWL::TRect(Attr.X, Attr.Y, Attr.X + Attr.W, Attr.Y + Attr.H);
    if (mode == SizedToBitmap && bitmap_)
    {
        BITMAP info{};
        GetObjectW(bitmap_->GetHandle(), sizeof info, &info);
        recorded_ = OWL::TRect(recorded_.left, recorded_.top, recorded_.left + info.bmWidth, recorded_.top + info.bmHeight);
        ::SetWindowPos(GetHandle(), nullptr, recorded_.left, recorded_.top, info.bmWidth, info.bmHeight,
                       SWP_NOZORDER);
    }
}

void BitmapWindow::Destination(OWL::TRect& destination, OWL::TPoint& source) const
{
    BITMAP info{};
    GetObjectW(bitmap_->GetHandle(), sizeof info, &info);
    const int areaWidth = recorded_.right - recorded_.left;
    const int areaHeight = recorded_.bottom - recorded_.top;
    destination = OWL::TRect(0, 0, areaWidth, areaHeight);
    source = OWL::TPoint(0, 0);
    // On each axis a bitmap that fits moves into the area; one that does not is cropped instead.
    const auto place = [](int bitmapSize, int areaSize, int offset, LONG& to, LONG& from) {
        if (bitmapSize <= areaSize)
            to += offset;
        else
            from += offset;
    };
    switch (mode)
    {
    case Origin:
        destination = OWL::TRect(0, 0, info.bmWidth, info.bmHeight);
        break;
    case BottomAligned:
        place(info.bmHeight, areaHeight, std::abs(info.bmHeight - areaHeight), destination.top, source.y);
        break;
    case Centred:
        place(info.bmWidth, areaWidth, std::abs(info.bmWidth - areaWidth) / 2, destination.left, source.x);
        place(info.bmHeight, areaHeight, std::abs(info.bmHeight - areaHeight) / 2, destination.top, source.y);
        break;
    default:
        break;
    }
}

void BitmapWindow::Paint(OWL::TDC& dc, bool, OWL::TRect&)
{
    const OWL::TRect client = GetClientRect();
    FillRect(dc, &client, GetSysColorBrush(COLOR_3DFACE));
    if (!bitmap_)
        return;
    OWL::TRect destination;
    OWL::TPoint source;
    Destination(destination, source);
    BlitWithKeyColour(dc, destination, *bitmap_, source);
    if (paintHook)
        paintHook->Paint(dc, destination);
}

} // namespace OrvControls
