#include "controls/balloon/BalloonHelp.h"

#include "controls/theme/DpiAndFonts.h"
#include "foundation/system/SystemInfo.h"

#include <olectl.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>

namespace WTL
{

namespace
{

constexpr UINT_PTR AutoCloseTimer = 1;
constexpr UINT_PTR CloseButtonTimer = 2;

// Theme parts and states of the tooltip and text style classes.
constexpr int PartBalloon = 3;
constexpr int PartBalloonTitle = 4;
constexpr int PartClose = 5;
constexpr int PartBalloonStem = 6;
constexpr int PartHyperlink = 6;
constexpr COLORREF ClassicLinkColour = 0x840000;

int StemState(int quadrant)
{
    static constexpr int States[4] = {3, 1, 6, 4};
    return States[quadrant & 3];
}

int Scaled(int value, double scale)
{
    return static_cast<int>(std::ceil(static_cast<float>(value) * static_cast<float>(scale)));
}

double ScreenScale()
{
    const auto [x, y] = GetWindowDpi(nullptr);
    return std::max(x, y) / 96.0;
}

COLORREF Translate(OLE_COLOR colour)
{
    COLORREF result = 0;
    OleTranslateColor(colour, nullptr, &result);
    return result;
}

bool TooltipsFade()
{
    BOOL animation = FALSE, fade = FALSE;
    SystemParametersInfoW(SPI_GETTOOLTIPANIMATION, 0, &animation, 0);
    SystemParametersInfoW(SPI_GETTOOLTIPFADE, 0, &fade, 0);
    return animation && fade;
}

// A line's last glyph may ink past its advance, and drawing clips at the measured width: without this
// room the balloon's last word lost its final stroke.
int InkAllowance(HDC dc)
{
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    return std::max<int>(metrics.tmOverhang, (metrics.tmAveCharWidth + 1) / 2);
}

bool Inside(const RECT& rect, POINT point)
{
    return PtInRect(&rect, point) != FALSE;
}

// A memory DC over a bitmap of its own, selected for the DC's life.
class OffScreen
{
public:
    OffScreen(HDC target, int width, int height)
        : dc_(CreateCompatibleDC(target)), bitmap_(CreateCompatibleBitmap(target, std::max(width, 1), std::max(height, 1))),
          old_(SelectObject(dc_, bitmap_))
    {
    }
    ~OffScreen()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    OffScreen(const OffScreen&) = delete;
    OffScreen& operator=(const OffScreen&) = delete;
    HDC Get() const { return dc_; }
    HBITMAP Bitmap() const { return bitmap_; }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

} // namespace

int BalloonQuadrant(POINT anchor, const RECT& work)
{
    const int centreX = (work.left + work.right) / 2;
    const int centreY = (work.top + work.bottom) / 2;
    if (anchor.y < centreY)
        return anchor.x >= centreX ? 0 : 1;
    return anchor.x >= centreX ? 3 : 2;
}

BalloonPlacement PlaceBalloon(POINT anchor, const RECT& work, SIZE outer, int margin, int t, bool tailBaseFollowsTip)
{
    BalloonPlacement placement;
    const int W = outer.cx, H = outer.cy;
    const int q = (W - t) / 4;
    placement.quadrant = BalloonQuadrant(anchor, work);
    switch (placement.quadrant)
    {
    case 0:
        placement.a = {3 * q, t + 1}, placement.tip = {3 * q + t, 1}, placement.c = {3 * q + t, t + 1};
        break;
    case 1:
        placement.a = {q + t, t + 1}, placement.tip = {q, 1}, placement.c = {q, t + 1};
        break;
    case 2:
        placement.a = {q + t, H - t - 2}, placement.tip = {q, H - 2}, placement.c = {q, H - t - 2};
        break;
    default:
        placement.a = {3 * q, H - t - 2}, placement.tip = {3 * q + t, H - 2}, placement.c = {3 * q + t, H - t - 2};
        break;
    }
    for (POINT* point : {&placement.a, &placement.tip, &placement.c})
        point->x = std::clamp(point->x, static_cast<LONG>(margin), static_cast<LONG>(std::max(margin, W - margin)));

    int x = anchor.x - placement.tip.x;
    int y = anchor.y - placement.tip.y;
    int dx = 0, dy = 0;
    if (x < work.left)
        dx = work.left - x;
    else if (x + W >= work.right)
        dx = work.right - x - W;
    if (y + t < work.top)
        dy = work.top - y - t;
    else if (y - t + H >= work.bottom)
        dy = work.bottom - y - H + t;
    x += dx;
    y += dy;
    placement.tip.x -= dx;
    if (tailBaseFollowsTip)
    {
        placement.a.x -= dx;
        placement.c.x -= dx;
    }
    placement.window = {x, y, x + W, y + H};
    return placement;
}

CBalloonHelp::CBalloonHelp()
{
    const double scale = ScreenScale();
    margin = Scaled(8, scale);
    tailSize = Scaled(20, scale);
}

CBalloonHelp::~CBalloonHelp()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    SetImageList(nullptr);
    if (region_)
        DeleteObject(region_);
    if (titleFont_)
        DeleteObject(titleFont_);
    if (ownsContentFont_ && contentFont_)
        DeleteObject(contentFont_);
}

COLORREF CBalloonHelp::Foreground() const
{
    return Translate(foreground);
}

COLORREF CBalloonHelp::Background() const
{
    return Translate(background);
}

bool CBalloonHelp::DrawsThemed() const
{
    return !themeFailed_ && tooltipTheme_ && Orv::IsVistaOrLater() &&
           OrvLinkingUtils::UxThemeDLL::Instance().IsAppThemed();
}

POINT CBalloonHelp::AnchorPoint() const
{
    POINT point{anchor_.x, anchor_.y};
    if (anchor_.window && ::IsWindow(anchor_.window))
    {
        RECT rect{};
        ::GetWindowRect(anchor_.window, &rect);
        point = {rect.left + anchor_.dx, rect.top + anchor_.dy};
    }
    return point;
}

POINT CBalloonHelp::TipOnScreen() const
{
    return {placement_.window.left + placement_.tip.x, placement_.window.top + placement_.tip.y};
}

const RECT& CBalloonHelp::WorkArea()
{
    if (!haveWorkArea_)
    {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromPoint(AnchorPoint(), MONITOR_DEFAULTTONEAREST), &monitor);
        workArea_ = monitor.rcWork;
        haveWorkArea_ = true;
    }
    return workArea_;
}

// Inside the window the balloon speaks for where it fits there, so that it does not open beside that
// window at the screen's edge; else inside the screen's work area.
RECT CBalloonHelp::PlacementArea(SIZE outer)
{
    const RECT& work = WorkArea();
    const HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    const HWND root = owner ? ::GetAncestor(owner, GA_ROOT) : nullptr;
    RECT frame{}, inside{};
    if (root && ::GetWindowRect(root, &frame) && IntersectRect(&inside, &frame, &work) &&
        inside.right - inside.left >= outer.cx && inside.bottom - inside.top >= outer.cy)
        return inside;
    return work;
}

void CBalloonHelp::MakeFonts()
{
    if (!contentFont_)
        contentFont_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (!titleFont_)
    {
        LOGFONTW description{};
        GetObjectW(contentFont_, sizeof description, &description);
        description.lfWeight = FW_BOLD;
        titleFont_ = CreateFontIndirectW(&description);
    }
}

void CBalloonHelp::OpenThemes()
{
    tooltipTheme_ = std::make_unique<ThemeDataHandle>(m_hWnd, L"TOOLTIP");
    textTheme_ = std::make_unique<ThemeDataHandle>(m_hWnd, L"TEXTSTYLE");
}

bool CBalloonHelp::Create(HWND parent, const wchar_t* title, const wchar_t* content, const POINT* anchorPoint,
                          UINT newOptions, const wchar_t* url, int closeTime, UINT layout)
{
    content_ = content ? content : L"";
    options = newOptions;
    layout_ = layout;
    url_ = url ? url : L"";
    autoCloseTime = closeTime;
    if (anchorPoint)
        anchor_ = {anchorPoint->x, anchorPoint->y, 0, 0, nullptr};
    MakeFonts();
    if (!m_hWnd)
    {
        const DWORD exStyle = WS_EX_TOOLWINDOW | ((options & ShowTopmost) ? WS_EX_TOPMOST : 0);
        const RECT rect{0, 0, 10, 10};
        if (!Base::Create(parent, rect, title ? title : L"", WS_POPUP, exStyle))
            return false;
    }
    else
        SetWindowText(title ? title : L"");
    OpenThemes();
    Relayout();
    GetCursorPos(&showCursor_);
    SetCapture();
    if (autoCloseTime)
        SetTimer(AutoCloseTimer, static_cast<UINT>(autoCloseTime));
    if (!(options & CreateHidden))
    {
        Show();
        ::UpdateWindow(m_hWnd);
    }
    return true;
}

void CBalloonHelp::Show()
{
    TakeScreenBeneath();
    if (!(options & DisableFadeIn) && TooltipsFade() &&
        AnimateWindow(m_hWnd, static_cast<DWORD>(fadeTime), AW_BLEND))
        return;
    ::ShowWindow(m_hWnd, SW_SHOWNA);
}

void CBalloonHelp::Hide()
{
    if (!m_hWnd)
        return;
    if (!(options & DisableFadeOut) && TooltipsFade())
        AnimateWindow(m_hWnd, static_cast<DWORD>(fadeTime), AW_BLEND | AW_HIDE);
    else
        ::ShowWindow(m_hWnd, SW_HIDE);
    ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
}

void CBalloonHelp::OnFinalMessage(HWND)
{
    if (options & DeleteThisOnClose)
        delete this;
}

void CBalloonHelp::SetImageList(HIMAGELIST list)
{
    if (icon_)
        ImageList_Destroy(icon_);
    icon_ = list;
}

namespace
{

// A list of one image of the bitmap's size, the image added by add.
template <class Add>
HIMAGELIST ListOfOne(HBITMAP bitmap, Add add)
{
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    HIMAGELIST list = ImageList_Create(info.bmWidth, info.bmHeight, ILC_COLOR24 | ILC_MASK, 1, 0);
    add(list);
    return list;
}

} // namespace

void CBalloonHelp::SetIconBitmap(HBITMAP bitmap, COLORREF maskColour)
{
    SetImageList(ListOfOne(bitmap, [&](HIMAGELIST list) { ImageList_AddMasked(list, bitmap, maskColour); }));
    Relayout();
}

void CBalloonHelp::SetIconBitmap(HBITMAP bitmap, HBITMAP mask)
{
    SetImageList(ListOfOne(bitmap, [&](HIMAGELIST list) { ImageList_Add(list, bitmap, mask); }));
    Relayout();
}

void CBalloonHelp::SetIcon(HICON icon)
{
    ICONINFO info{};
    if (!GetIconInfo(icon, &info))
        return;
    SetIconBitmap(info.hbmColor, info.hbmMask);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

void CBalloonHelp::SetIconFromResource(const wchar_t* iconName)
{
    HICON icon = static_cast<HICON>(LoadImageW(nullptr, iconName, IMAGE_ICON, 16, 16, LR_SHARED));
    if (!icon)
        return;
    const auto [dpiX, dpiY] = GetWindowDpi(m_hWnd);
    const int width = 16 * dpiX / 96, height = 16 * dpiY / 96;
    const COLORREF back = Background();
    HDC screen = ::GetDC(nullptr);
    {
        OffScreen large(screen, 32, 32);
        OffScreen small(screen, width, height);
        HBRUSH brush = CreateSolidBrush(back);
        const RECT square{0, 0, 32, 32};
        FillRect(large.Get(), &square, brush);
        DeleteObject(brush);
        DrawIconEx(large.Get(), 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
        SetStretchBltMode(small.Get(), HALFTONE);
        StretchBlt(small.Get(), 0, 0, width, height, large.Get(), 0, 0, 32, 32, SRCCOPY);
        SelectObject(small.Get(), GetStockObject(NULL_BRUSH));
        HIMAGELIST list = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 1, 0);
        // The bitmap must not be selected into a DC while the image list copies it.
        HBITMAP copy = static_cast<HBITMAP>(CopyImage(small.Bitmap(), IMAGE_BITMAP, 0, 0, 0));
        ImageList_AddMasked(list, copy, back);
        DeleteObject(copy);
        SetImageList(list);
    }
    ::ReleaseDC(nullptr, screen);
    Relayout();
}

void CBalloonHelp::SetLink(const wchar_t* text, std::function<void()> callback)
{
    linkText_ = text ? text : L"";
    callback_ = std::move(callback);
    Relayout();
}

void CBalloonHelp::BalloonAnchorAtWindowCentre(HWND window)
{
    if (!::IsWindow(window))
        return;
    RECT rect{};
    ::GetWindowRect(window, &rect);
    anchor_ = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2, 0, 0, nullptr};
}

SIZE CBalloonHelp::TextSize(HDC dc, ThemeDataHandle* theme, const std::wstring& text, UINT format, int width,
                            HFONT font, int part, int state)
{
    RECT bounds{0, 0, width, 0};
    HGDIOBJ old = SelectObject(dc, font);
    if (theme)
    {
        bounds = OrvLinkingUtils::UxThemeDLL::Instance().GetTextExtent(theme->Get(), dc, part, state, text.c_str(),
                                                                       static_cast<int>(text.size()), format, &bounds);
    }
    else
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bounds, format | DT_CALCRECT);
    const int ink = InkAllowance(dc);
    SelectObject(dc, old);
    return {bounds.right - bounds.left + ink, bounds.bottom - bounds.top};
}

SIZE CBalloonHelp::Header(HDC dc, bool draw)
{
    const bool themed = DrawsThemed();
    auto& theme = OrvLinkingUtils::UxThemeDLL::Instance();
    RECT client{};
    GetClientRect(&client);
    RECT titleArea = client;
    SIZE size{0, 0};

    if (icon_)
    {
        int iconWidth = 0, iconHeight = 0;
        ImageList_GetIconSize(icon_, &iconWidth, &iconHeight);
        size.cx += iconWidth;
        size.cy = std::max<LONG>(size.cy, iconHeight);
        int x = 0;
        if (layout_ & IconRight)
        {
            x = client.right - iconWidth;
            titleArea.right -= margin + iconWidth;
        }
        else if (layout_ & IconLeft)
            titleArea.left += margin + iconWidth;
        if (draw)
        {
            const auto [dpiX, dpiY] = GetWindowDpi(m_hWnd);
            (void)dpiX;
            ImageList_SetBkColor(icon_, Background());
            ImageList_Draw(icon_, 0, dc, x, 2 * dpiY / 96, ILD_NORMAL);
        }
    }

    if (options & ShowCloseButton)
    {
        if (themed)
        {
            const SIZE part = theme.GetPartSize(tooltipTheme_->Get(), dc, PartClose, 1, nullptr, TS_TRUE);
            closeWidth_ = part.cx;
            closeHeight_ = part.cy;
        }
        size.cx += closeWidth_;
        size.cy = std::max<LONG>(size.cy, closeHeight_);
        int x = 0;
        if (layout_ & CloseLeft)
        {
            x = titleArea.left;
            titleArea.left += margin + closeWidth_;
        }
        else if (layout_ & CloseRight)
        {
            x = titleArea.right - closeWidth_;
            titleArea.right -= closeWidth_ + margin;
        }
        closeRect_ = {x, client.top, x + closeWidth_, client.top + closeHeight_};
        if (draw)
            DrawCloseButton(dc, closeState_ ? closeState_ : DFCS_FLAT);
    }

    const std::wstring title = GetWindowText().substr(0, 255);
    if (!title.empty())
    {
        if (size.cx > 0)
            size.cx += margin;
        UINT format = DT_SINGLELINE | DT_EXPANDTABS | DT_NOPREFIX;
        if (layout_ & TitleCentre)
            format |= DT_CENTER;
        else if (layout_ & TitleRight)
            format |= DT_RIGHT;
        const SIZE text = TextSize(dc, themed ? tooltipTheme_.get() : nullptr, title, format, titleArea.right - titleArea.left, titleFont_,
                                   PartBalloonTitle, 0);
        size.cx += text.cx;
        size.cy = std::max(size.cy, text.cy);
        if (draw)
        {
            HGDIOBJ old = SelectObject(dc, titleFont_);
            if (themed)
                theme.DrawText(tooltipTheme_->Get(), dc, PartBalloonTitle, 0, title.c_str(),
                               static_cast<int>(title.size()), format, titleArea);
            else
            {
                SetBkMode(dc, TRANSPARENT);
                SetTextColor(dc, Foreground());
                ::DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &titleArea, format);
            }
            SelectObject(dc, old);
        }
    }
    return size;
}

SIZE CBalloonHelp::Body(HDC dc, bool draw, int top)
{
    if (content_.empty() && linkText_.empty())
        return {0, 0};
    const bool themed = DrawsThemed();
    auto& theme = OrvLinkingUtils::UxThemeDLL::Instance();
    const RECT& work = WorkArea();
    const int wrap = (work.right - work.left) / 2;
    UINT format = DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX;
    if (layout_ & ContentCentre)
        format |= DT_CENTER;
    else if (layout_ & ContentRight)
        format |= DT_RIGHT;
    RECT client{};
    GetClientRect(&client);

    const SIZE text = TextSize(dc, themed ? tooltipTheme_.get() : nullptr, content_, format, wrap, contentFont_, PartBalloon, 1);
    SIZE size = text;
    HGDIOBJ old = SelectObject(dc, contentFont_);
    if (draw && !content_.empty())
    {
        RECT rect{client.left, top, client.right, top + text.cy};
        if (themed)
            theme.DrawText(tooltipTheme_->Get(), dc, PartBalloon, 1, content_.c_str(),
                           static_cast<int>(content_.size()), format, rect);
        else
        {
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, Foreground());
            ::DrawTextW(dc, content_.c_str(), static_cast<int>(content_.size()), &rect, format);
        }
    }
    if (!linkText_.empty())
    {
        const SIZE link = TextSize(dc, themed ? textTheme_.get() : nullptr, linkText_, format, wrap, contentFont_, PartHyperlink, 2);
        linkRect_ = {client.left, top + text.cy, client.left + link.cx, top + text.cy + link.cy};
        size.cx = std::max(size.cx, link.cx);
        size.cy += link.cy;
        if (draw)
        {
            if (themed)
                theme.DrawText(textTheme_->Get(), dc, PartHyperlink, 2, linkText_.c_str(),
                               static_cast<int>(linkText_.size()), format, linkRect_);
            else
            {
                SetBkMode(dc, TRANSPARENT);
                SetTextColor(dc, ClassicLinkColour);
                RECT rect = linkRect_;
                ::DrawTextW(dc, linkText_.c_str(), static_cast<int>(linkText_.size()), &rect, format);
                HPEN pen = CreatePen(PS_SOLID, 1, ClassicLinkColour);
                HGDIOBJ oldPen = SelectObject(dc, pen);
                MoveToEx(dc, linkRect_.left, linkRect_.bottom - 1, nullptr);
                LineTo(dc, linkRect_.right, linkRect_.bottom - 1);
                SelectObject(dc, oldPen);
                DeleteObject(pen);
            }
        }
    }
    SelectObject(dc, old);
    return size;
}

SIZE CBalloonHelp::GetContentSize()
{
    HDC dc = GetDC();
    SIZE size{};
    ThemedOrClassic([&] {
        const SIZE header = Header(dc, false);
        const SIZE body = Body(dc, false, 0);
        size = {std::max({header.cx, body.cx, static_cast<LONG>(minWidth)}), header.cy + margin + body.cy};
    });
    ::ReleaseDC(m_hWnd, dc);
    return size;
}

RECT CBalloonHelp::BodyRect(int width, int height) const
{
    if (placement_.quadrant < 2)
        return {0, tailSize, width, height};
    return {0, 0, width, height - tailSize};
}

HRGN CBalloonHelp::ClassicRegion(int width, int height) const
{
    const RECT body = BodyRect(width, height);
    HRGN region = CreateRoundRectRgn(body.left, body.top, body.right, body.bottom, 3 * margin, 3 * margin);
    const POINT tail[3] = {placement_.a, placement_.tip, placement_.c};
    HRGN triangle = CreatePolygonRgn(tail, 3, ALTERNATE);
    CombineRgn(region, region, triangle, RGN_OR);
    DeleteObject(triangle);
    return region;
}

HRGN CBalloonHelp::ThemedRegion(HDC dc, int width, int height)
{
    auto& theme = OrvLinkingUtils::UxThemeDLL::Instance();
    const int quadrant = placement_.quadrant;
    SIZE stem{21, 21};
    try
    {
        stem = theme.GetPartSize(tooltipTheme_->Get(), dc, PartBalloonStem, StemState(quadrant), nullptr, TS_TRUE);
        if (stem.cx <= 0 || stem.cy <= 0)
            stem = {21, 21};
    }
    catch (const XOrv&)
    {
        stem = {21, 21};
    }
    auto record = std::make_unique<TailRecord>();
    record->quadrant = quadrant;
    const POINT tip = placement_.tip;
    const int left = (quadrant == 0 || quadrant == 3) ? tip.x - stem.cx : tip.x;
    record->stem = quadrant < 2 ? RECT{left, 0, left + stem.cx, stem.cy}
                                : RECT{left, height - stem.cy, left + stem.cx, height};
    record->body = quadrant < 2 ? RECT{0, stem.cy, width, height} : RECT{0, 0, width, height - stem.cy};
    HRGN region = theme.GetBackgroundRegion(tooltipTheme_->Get(), dc, PartBalloon, 1, record->body);
    HRGN stemRegion = theme.GetBackgroundRegion(tooltipTheme_->Get(), dc, PartBalloonStem, StemState(quadrant),
                                                record->stem);
    RECT stemBounds{};
    if (GetRgnBox(stemRegion, &stemBounds) == SIMPLEREGION && EqualRect(&stemBounds, &record->stem))
    {
        // The tail's base lies on the body's edge, one pixel into it so that the two join.
        const int base = quadrant < 2 ? record->body.top + 1 : record->body.bottom - 2;
        record->triangle = true;
        record->corners[0] = {placement_.a.x, base};
        record->corners[1] = tip;
        record->corners[2] = {placement_.c.x, base};
        DeleteObject(stemRegion);
        stemRegion = CreatePolygonRgn(record->corners, 3, ALTERNATE);
    }
    CombineRgn(region, region, stemRegion, RGN_OR);
    DeleteObject(stemRegion);
    tailRecord_ = std::move(record);
    return region;
}

void CBalloonHelp::ApplyRegion(HRGN region)
{
    if (region_ && EqualRgn(region, region_))
    {
        DeleteObject(region);
        return;
    }
    // The shape clips the balloon's own drawing (PaintFrame) instead of the window.
    if (region_)
        DeleteObject(region_);
    region_ = region;
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CBalloonHelp::TakeScreenBeneath()
{
    // What the windows beneath have still to paint (a box just unticked) is painted first.
    if (HWND owner = ::GetWindow(m_hWnd, GW_OWNER))
        ::RedrawWindow(owner, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT window{};
    GetWindowRect(&window);
    const int width = window.right - window.left, height = window.bottom - window.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    beneath_.Reset(CreateCompatibleBitmap(screen, std::max(width, 1), std::max(height, 1)));
    const HGDIOBJ old = SelectObject(memory, beneath_.Get());
    BitBlt(memory, 0, 0, width, height, screen, window.left, window.top, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    beneathOrigin_ = {window.left, window.top};
}

void CBalloonHelp::PaintScreenBeneath(HDC windowDc, const RECT& window) const
{
    if (!beneath_)
        return;
    HDC memory = CreateCompatibleDC(windowDc);
    const HGDIOBJ old = SelectObject(memory, beneath_.Get());
    BITMAP size{};
    GetObjectW(beneath_.Get(), sizeof size, &size);
    BitBlt(windowDc, beneathOrigin_.x - window.left, beneathOrigin_.y - window.top, size.bmWidth, size.bmHeight, memory,
           0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

void CBalloonHelp::Relayout()
{
    if (!m_hWnd)
        return;
    ThemedOrClassic([&] {
        const SIZE content = GetContentSize();
        const SIZE outer{content.cx + 2 * margin, content.cy + 2 * margin + tailSize};
        placement_ = PlaceBalloon(AnchorPoint(), PlacementArea(outer), outer, margin, tailSize,
                                  (options & TailBaseFollowsTip) != 0);
        const RECT& window = placement_.window;
        ::MoveWindow(m_hWnd, window.left, window.top, outer.cx, outer.cy, TRUE);
        if (IsRectEmpty(&stayRect))
            stayRect = window;
        HDC dc = GetDC();
        HRGN region = nullptr;
        try
        {
            region = DrawsThemed() ? ThemedRegion(dc, outer.cx, outer.cy) : ClassicRegion(outer.cx, outer.cy);
        }
        catch (...)
        {
            ::ReleaseDC(m_hWnd, dc);
            throw;
        }
        ::ReleaseDC(m_hWnd, dc);
        ApplyRegion(region);
    });
}

LRESULT CBalloonHelp::OnNcCalcSize(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    RECT& rect = *reinterpret_cast<RECT*>(lParam);
    rect.left += margin;
    rect.right -= margin;
    rect.top += margin;
    rect.bottom -= margin;
    if (placement_.quadrant < 2)
        rect.top += tailSize;
    else
        rect.bottom -= tailSize;
    rect.right = std::max(rect.right, rect.left);
    rect.bottom = std::max(rect.bottom, rect.top);
    return 0;
}

void CBalloonHelp::PaintFrame(HDC dc)
{
    RECT window{};
    GetWindowRect(&window);
    const int width = window.right - window.left, height = window.bottom - window.top;
    PaintScreenBeneath(dc, window);
    const int outsideShape = SaveDC(dc);
    if (region_)
        ExtSelectClipRgn(dc, region_, RGN_AND);
    if (DrawsThemed() && tailRecord_)
    {
        auto& theme = OrvLinkingUtils::UxThemeDLL::Instance();
        theme.DrawBalloonFrame(tooltipTheme_->Get(), dc, PartBalloon, 1, tailRecord_->body);
        if (tailRecord_->triangle)
            DrawTriangleTail(dc, *tailRecord_);
        else
            theme.DrawBalloonFrame(tooltipTheme_->Get(), dc, PartBalloonStem, StemState(tailRecord_->quadrant),
                                   tailRecord_->stem);
    }
    else
    {
        RECT client{};
        GetClientRect(&client);
        POINT origin{0, 0};
        ::ClientToScreen(m_hWnd, &origin);
        OffsetRect(&client, origin.x - window.left, origin.y - window.top);
        const int saved = SaveDC(dc);
        ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
        HBRUSH back = CreateSolidBrush(Background());
        const RECT all{0, 0, width, height};
        FillRect(dc, &all, back);
        DeleteObject(back);
        RestoreDC(dc, saved);
        if (region_)
        {
            HBRUSH fore = CreateSolidBrush(Foreground());
            FrameRgn(dc, region_, fore, 1, 1);
            DeleteObject(fore);
        }
    }
    if ((options & ShowInnerShadow) && region_)
    {
        const COLORREF back = Background(), fore = Foreground();
        const auto channel = [](COLORREF c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
        const COLORREF highlight = RGB(channel(back, 0) / 3 + 170, channel(back, 8) / 3 + 170, channel(back, 16) / 3 + 170);
        const COLORREF shadow = RGB(channel(fore, 0) / 3 + 2 * (channel(back, 0) / 3),
                                    channel(fore, 8) / 3 + 2 * (channel(back, 8) / 3),
                                    channel(fore, 16) / 3 + 2 * (channel(back, 16) / 3));
        HBRUSH light = CreateSolidBrush(highlight);
        HBRUSH dark = CreateSolidBrush(shadow);
        OffsetRgn(region_, 1, 1);
        FrameRgn(dc, region_, light, 2, 2);
        OffsetRgn(region_, -2, -2);
        FrameRgn(dc, region_, dark, 2, 2);
        OffsetRgn(region_, 1, 1);
        DeleteObject(light);
        DeleteObject(dark);
    }
    RestoreDC(dc, outsideShape);
}

// The tail in the colours the theme gave the body: its fill just inside the edge at the tail's base, its
// edge there; the body's edge between the base corners is painted over so that the tail opens into it.
void CBalloonHelp::DrawTriangleTail(HDC dc, const TailRecord& tail)
{
    const int middle = (tail.corners[0].x + tail.corners[2].x) / 2;
    const bool above = tail.quadrant < 2;
    const int edgeY = above ? tail.body.top : tail.body.bottom - 1;
    const COLORREF edge = GetPixel(dc, middle, edgeY);
    const COLORREF fill = GetPixel(dc, middle, above ? edgeY + margin / 2 : edgeY - margin / 2);
    if (edge == CLR_INVALID || fill == CLR_INVALID)
        return;
    HBRUSH brush = CreateSolidBrush(fill);
    HPEN fillPen = CreatePen(PS_SOLID, 1, fill);
    HPEN edgePen = CreatePen(PS_SOLID, 1, edge);
    const HGDIOBJ oldBrush = SelectObject(dc, brush);
    const HGDIOBJ oldPen = SelectObject(dc, fillPen);
    POINT joined[3] = {tail.corners[0], tail.corners[1], tail.corners[2]};
    joined[0].y = joined[2].y = edgeY;
    Polygon(dc, joined, 3);
    SelectObject(dc, edgePen);
    MoveToEx(dc, joined[0].x, joined[0].y, nullptr);
    LineTo(dc, tail.corners[1].x, tail.corners[1].y);
    LineTo(dc, joined[2].x, joined[2].y);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(edgePen);
    DeleteObject(fillPen);
    DeleteObject(brush);
}

LRESULT CBalloonHelp::OnNcPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    HDC dc = ::GetWindowDC(m_hWnd);
    ThemedOrClassic([&] { PaintFrame(dc); });
    ::ReleaseDC(m_hWnd, dc);
    return 0;
}

void CBalloonHelp::PaintClient(HDC dc)
{
    if (!DrawsThemed())
    {
        RECT client{};
        GetClientRect(&client);
        HBRUSH back = CreateSolidBrush(Background());
        FillRect(dc, &client, back);
        DeleteObject(back);
    }
    const SIZE header = Header(dc, true);
    Body(dc, true, margin + header.cy);
}

LRESULT CBalloonHelp::OnPrint(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    HDC dc = reinterpret_cast<HDC>(wParam);
    if (lParam & PRF_NONCLIENT)
        ThemedOrClassic([&] { PaintFrame(dc); });
    if (lParam & PRF_CLIENT)
    {
        RECT window{};
        GetWindowRect(&window);
        POINT origin{0, 0};
        ::ClientToScreen(m_hWnd, &origin);
        POINT old{};
        OffsetViewportOrgEx(dc, origin.x - window.left, origin.y - window.top, &old);
        ThemedOrClassic([&] { PaintClient(dc); });
        SetViewportOrgEx(dc, old.x, old.y, nullptr);
    }
    else if (lParam & PRF_ERASEBKGND)
    {
        RECT client{};
        GetClientRect(&client);
        HBRUSH back = CreateSolidBrush(Background());
        FillRect(dc, &client, back);
        DeleteObject(back);
    }
    return 0;
}

LRESULT CBalloonHelp::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(m_hWnd, &paint);
    ThemedOrClassic([&] {
        if (DrawsThemed())
        {
            PaintClient(dc);
            return;
        }
        RECT clip{};
        GetClipBox(dc, &clip);
        OffScreen buffer(dc, clip.right - clip.left, clip.bottom - clip.top);
        SetViewportOrgEx(buffer.Get(), -clip.left, -clip.top, nullptr);
        PaintClient(buffer.Get());
        SetViewportOrgEx(buffer.Get(), 0, 0, nullptr);
        BitBlt(dc, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, buffer.Get(), 0, 0, SRCCOPY);
    });
    EndPaint(m_hWnd, &paint);
    return 0;
}

void CBalloonHelp::DrawCloseButton(HDC dc, UINT state)
{
    if (DrawsThemed())
    {
        const int themeState = (state & DFCS_PUSHED) ? 3 : (state & DFCS_HOT) ? 2 : 1;
        OrvLinkingUtils::UxThemeDLL::Instance().DrawCloseButton(tooltipTheme_->Get(), dc, PartClose, themeState,
                                                               closeRect_);
        return;
    }
    RECT rect = closeRect_;
    DrawFrameControl(dc, &rect, DFC_CAPTION, DFCS_CAPTIONCLOSE | state);
}

bool CBalloonHelp::IsPointInside(POINT screen) const
{
    if (options & MouseInsideStayRect)
    {
        const bool onStayRect = !IsRectEmpty(&stayRect) && Inside(stayRect, screen);
        // Asked to count the balloon too (an error icon's balloon with a link does), the pointer may leave
        // the icon for the balloon: else the link closed the balloon as the pointer went to click it.
        if (onStayRect || !(options & MouseInsideWithTolerance))
            return onStayRect;
    }
    if (options & MouseInsideWithTolerance)
    {
        RECT rect{};
        ::GetWindowRect(m_hWnd, &rect);
        InflateRect(&rect, mouseTolerance, mouseTolerance);
        rect.top = std::min(rect.top, showCursor_.y);
        rect.bottom = std::max(rect.bottom, showCursor_.y + 1);
        if (Inside(rect, screen))
            return true;
    }
    return std::abs(screen.x - showCursor_.x) <= mouseTolerance && std::abs(screen.y - showCursor_.y) <= mouseTolerance;
}

void CBalloonHelp::OnMouseAt(POINT client)
{
    POINT screen = client;
    ::ClientToScreen(m_hWnd, &screen);
    if ((options & CloseOnMouseMove) && !IsPointInside(screen))
    {
        Hide();
        return;
    }
    if (options & ShowCloseButton)
    {
        const bool held = (closeState_ & DFCS_PUSHED) != 0;
        UINT state = DFCS_FLAT;
        if (Inside(closeRect_, client))
        {
            state = held ? (DFCS_HOT | DFCS_PUSHED) : DFCS_HOT;
            SetTimer(CloseButtonTimer, 100);
        }
        else if (held)
            state = DFCS_FLAT | DFCS_PUSHED;
        if (state != closeState_)
        {
            HDC dc = GetDC();
            ThemedOrClassic([&] { DrawCloseButton(dc, state); });
            ::ReleaseDC(m_hWnd, dc);
            closeState_ = state;
        }
    }
    if (options & ClickableLink)
        ::SetCursor(LoadCursorW(nullptr, Inside(linkRect_, client) ? IDC_HAND : IDC_ARROW));
}

LRESULT CBalloonHelp::OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    OnMouseAt({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
    return 0;
}

LRESULT CBalloonHelp::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (options & (CloseOnLButtonDown | CloseOnMButtonDown | CloseOnRButtonDown))
    {
        Hide();
        return 0;
    }
    const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if ((options & ShowCloseButton) && Inside(closeRect_, point))
    {
        closeState_ |= DFCS_PUSHED;
        SetCapture();
        OnMouseAt(point);
    }
    else if ((options & ClickableLink) && Inside(linkRect_, point))
    {
        SetCapture();
        Invalidate();
    }
    return 0;
}

LRESULT CBalloonHelp::OnOtherButtonDown(UINT, WPARAM, LPARAM, BOOL&)
{
    if (options & (CloseOnLButtonDown | CloseOnMButtonDown | CloseOnRButtonDown))
        Hide();
    return 0;
}

LRESULT CBalloonHelp::OnLButtonUp(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if ((options & ShowCloseButton) && (closeState_ & DFCS_PUSHED))
    {
        ReleaseCapture();
        closeState_ &= ~DFCS_PUSHED;
        if (Inside(closeRect_, point))
            Hide();
    }
    else if (options & ClickableLink)
    {
        ReleaseCapture();
        if (Inside(linkRect_, point))
        {
            Hide();
            if (callback_)
                callback_();
        }
    }
    else if (!url_.empty())
    {
        Hide();
        ShellExecuteW(nullptr, nullptr, url_.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
    return 0;
}

LRESULT CBalloonHelp::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    if (wParam == CloseButtonTimer)
    {
        KillTimer(CloseButtonTimer);
        POINT cursor{};
        GetCursorPos(&cursor);
        ::ScreenToClient(m_hWnd, &cursor);
        OnMouseAt(cursor);
    }
    else if (wParam == AutoCloseTimer)
    {
        KillTimer(AutoCloseTimer);
        Hide();
    }
    else
        handled = FALSE;
    return 0;
}

LRESULT CBalloonHelp::OnCaptureChanged(UINT, WPARAM, LPARAM, BOOL&)
{
    if ((options & ShowCloseButton) && closeState_)
    {
        HDC dc = GetDC();
        ThemedOrClassic([&] { DrawCloseButton(dc, DFCS_FLAT); });
        ::ReleaseDC(m_hWnd, dc);
        closeState_ = 0;
    }
    return 0;
}

LRESULT CBalloonHelp::OnActivateApp(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    if (!wParam && (options & CloseOnDeactivate))
        Hide();
    return 0;
}

LRESULT CBalloonHelp::OnThemeChanged(UINT, WPARAM, LPARAM, BOOL&)
{
    tooltipTheme_.reset();
    textTheme_.reset();
    themeFailed_ = false;
    if (Orv::IsVistaOrLater() && OrvLinkingUtils::UxThemeDLL::Instance().IsAppThemed())
        OpenThemes();
    return 0;
}

LRESULT CBalloonHelp::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    if (::GetCapture() == m_hWnd)
        ReleaseCapture();
    handled = FALSE;
    return 0;
}

} // namespace WTL
