#include "controls/accordion/Accordion.h"

#include "controls/errors/ErrorProvider.h"
#include "controls/theme/UxTheme.h"
#include "controls/windows/GdiPlusBitmaps.h"
#include "foundation/system/PacingClock.h"
#include "foundation/system/SystemInfo.h"
#include "resources/ResourceIds.h"

#include <gdiplus.h>

#include <algorithm>
#include <cmath>
#include <cwctype>

namespace OrvControls
{

namespace
{

bool SameFace(const wchar_t* a, const wchar_t* b)
{
    return _wcsicmp(a, b) == 0;
}

HFONT MakeHeaderFont()
{
    LOGFONTW font{};
    SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0);
    if (SameFace(font.lfFaceName, L"Segoe UI"))
        wcscpy(font.lfFaceName, L"Segoe UI Semibold");
    else
        font.lfWeight = 600;
    return CreateFontIndirectW(&font);
}

int ImageWidth(const std::shared_ptr<Gdiplus::Bitmap>& image)
{
    return image ? static_cast<int>(image->GetWidth()) : 0;
}

int ImageHeight(const std::shared_ptr<Gdiplus::Bitmap>& image)
{
    return image ? static_cast<int>(image->GetHeight()) : 0;
}

std::shared_ptr<Gdiplus::Bitmap> Png(UINT id)
{
    return std::shared_ptr<Gdiplus::Bitmap>(LoadPngAsPargbBitmap(id).release());
}

void Fill(HDC dc, const RECT& rect, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void VerticalGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom)
{
    TRIVERTEX vertices[2] = {
        {rect.left, rect.top, static_cast<COLOR16>(GetRValue(top) << 8), static_cast<COLOR16>(GetGValue(top) << 8),
         static_cast<COLOR16>(GetBValue(top) << 8), 0},
        {rect.right, rect.bottom, static_cast<COLOR16>(GetRValue(bottom) << 8),
         static_cast<COLOR16>(GetGValue(bottom) << 8), static_cast<COLOR16>(GetBValue(bottom) << 8), 0}};
    GRADIENT_RECT gradient{0, 1};
    GradientFill(dc, vertices, 2, &gradient, 1, GRADIENT_FILL_RECT_V);
}

RECT CentredVertically(int x, int headerHeight, int width, int height)
{
    const int top = (headerHeight - height) / 2;
    return {x, top, x + width, top + height};
}

} // namespace

Accordion::Accordion() = default;

Accordion::~Accordion()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    if (headerFont_)
        DeleteObject(headerFont_);
}

int Accordion::Margin() const
{
    LOGFONTW font{};
    if (headerFont_)
        GetObjectW(headerFont_, sizeof font, &font);
    return static_cast<int>(0.8 * std::abs(font.lfHeight));
}

void Accordion::Notify(UINT code)
{
    ExpandNotification notification{{m_hWnd, static_cast<UINT_PTR>(GetDlgCtrlID()), code}, nullptr};
    ::SendMessageW(GetParent(), WM_NOTIFY, static_cast<WPARAM>(GetDlgCtrlID()),
                   reinterpret_cast<LPARAM>(&notification));
    if (code == NotifyExpanding && !content_ && notification.window && ::IsWindow(notification.window))
    {
        content_ = notification.window;
        ::SetParent(content_, m_hWnd);
        RECT client{}, own{};
        GetClientRect(&client);
        ::GetClientRect(content_, &own);
        ::SetWindowPos(content_, nullptr, 0, headerHeight_, client.right, own.bottom,
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

LRESULT Accordion::OnCreate(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const auto& create = *reinterpret_cast<const CREATESTRUCTW*>(lParam);
    buffered_ = Orv::IsVistaOrLater();
    if (buffered_ && !noAnimation_)
        OrvLinkingUtils::UxThemeDLL::Instance().Call<HRESULT>("BufferedPaintInit");
    headerFont_ = MakeHeaderFont();
    collapsedHeight_ = startHeight_ = targetHeight_ = headerHeight_ = create.cy;
    width_ = create.cx;
    POINT cursor{};
    GetCursorPos(&cursor);
    ::ScreenToClient(m_hWnd, &cursor);
    const RECT header = HeaderRect();
    hot_ = PtInRect(&header, cursor) != FALSE;
    return 0;
}

LRESULT Accordion::OnNcDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    if (buffered_)
        OrvLinkingUtils::UxThemeDLL::Instance().Call<HRESULT>("BufferedPaintUnInit");
    content_ = nullptr;
    handled = FALSE;
    return 0;
}

RECT Accordion::HeaderRect() const
{
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    client.bottom = std::min<LONG>(client.bottom, headerHeight_);
    return client;
}

void Accordion::LoadImages()
{
    if (!readyImage_)
        readyImage_ = Png(IDP_CONTROLS_READY);
    if (!problemImage_)
        problemImage_ = Png(IDP_CONTROLS_PROBLEM);
    if (!chevronDown_)
    {
        chevronDown_ = Png(IDP_CONTROLS_CHEVRON_DOWN);
        chevronUp_ = Png(IDP_CONTROLS_CHEVRON_UP);
        chevronDownHot_ = Png(IDP_CONTROLS_CHEVRON_DOWN_HOT);
        chevronUpHot_ = Png(IDP_CONTROLS_CHEVRON_UP_HOT);
    }
    if (hasButton && !buttonImage_)
    {
        buttonImage_ = Png(IDP_CONTROLS_HEADER_BUTTON);
        buttonHotImage_ = Png(IDP_CONTROLS_HEADER_BUTTON_HOT);
    }
}

RECT Accordion::ChevronRect()
{
    LoadImages();
    const RECT header = HeaderRect();
    const int width = ImageWidth(chevronDown_), height = ImageHeight(chevronDown_);
    const int x = chevronLeft ? Margin() : header.right - width - Margin();
    return CentredVertically(x, headerHeight_, width, height);
}

RECT Accordion::ButtonRect()
{
    if (!hasButton || !buttonImage_)
        return {};
    const RECT header = HeaderRect();
    const int width = ImageWidth(buttonImage_), height = ImageHeight(buttonImage_);
    const int x = chevronLeft ? header.right - width - Margin() : ChevronRect().left - width - Margin();
    return CentredVertically(x, headerHeight_, width, height);
}

RECT Accordion::StateIconRect()
{
    const Image& icon = problem_ ? problemImage_ : readyImage_;
    const int x = hasButton ? ChevronRect().right + Margin() : 0;
    return CentredVertically(x, headerHeight_, ImageWidth(icon), ImageHeight(icon));
}

int Accordion::ContentHeight() const
{
    if (!content_ || !::IsWindow(content_))
        return 0;
    RECT client{};
    ::GetClientRect(content_, &client);
    return client.bottom;
}

void Accordion::DrawImage(HDC dc, const Image& image, const RECT& at)
{
    if (!image)
        return;
    Gdiplus::Graphics graphics(dc);
    graphics.DrawImage(image.get(), static_cast<INT>(at.left), static_cast<INT>(at.top), ImageWidth(image),
                       ImageHeight(image));
}

void Accordion::DrawBackground(HDC dc, bool)
{
    if (!(styleOption & 1))
        return;
    RECT client{};
    GetClientRect(&client);
    client.top = headerHeight_ - 1;
    Fill(dc, client, RGB(191, 191, 191));
}

void Accordion::DrawHeader(HDC dc, bool hot)
{
    RECT client{};
    GetClientRect(&client);
    const RECT header = HeaderRect();
    if (styleOption & 1)
        Fill(dc, client, hot ? RGB(253, 253, 253) : RGB(250, 250, 250));
    else
    {
        RECT below = client;
        below.top = header.bottom;
        Fill(dc, below, hot ? RGB(178, 178, 178) : RGB(191, 191, 191));
        if (hot)
            VerticalGradient(dc, header, RGB(240, 240, 240), RGB(224, 224, 224));
        else
            VerticalGradient(dc, header, RGB(237, 237, 237), RGB(222, 222, 222));
    }
    LoadImages();
    const bool up = state_ != Collapsed;
    const Image& chevron = hot_ && chevronUpHot_ ? (up ? chevronUpHot_ : chevronDownHot_) : (up ? chevronUp_ : chevronDown_);
    DrawImage(dc, chevron, ChevronRect());
    if (hasButton)
        DrawImage(dc, buttonHot_ ? buttonHotImage_ : buttonImage_, ButtonRect());
    if (problem_)
        DrawImage(dc, problemImage_, StateIconRect());
    else if (ready_)
        DrawImage(dc, readyImage_, StateIconRect());
}

void Accordion::DrawHeaderText(HDC dc, bool hot)
{
    const std::wstring title = GetWindowText();
    const int margin = Margin();
    RECT client{};
    GetClientRect(&client);
    int left = margin;
    if (chevronLeft)
        left += ImageWidth(chevronDown_) + margin;
    if (problem_)
        left += ImageWidth(problemImage_) + margin;
    else if (ready_)
        left += ImageWidth(readyImage_) + margin;
    HGDIOBJ old = SelectObject(dc, headerFont_);
    RECT text{left, 0, client.right, headerHeight_};
    ::DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &text, DT_SINGLELINE | DT_CALCRECT);
    const int height = text.bottom - text.top;
    text.top = (headerHeight_ - height) / 2;
    text.bottom = text.top + height;
    const int buttonWidth = hasButton ? ImageWidth(buttonImage_) : 0;
    text.right = std::min<LONG>(text.right, client.right - buttonWidth - margin);
    SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ready_ && !problem_ ? RGB(53, 91, 39) : hot ? GetHotTextColor() : GetTextColor());
    ::DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &text, DT_SINGLELINE | DT_END_ELLIPSIS);
    SelectObject(dc, old);
}

void Accordion::PaintHeaderAndText(HDC dc, bool hot)
{
    DrawHeader(dc, hot);
    DrawHeaderText(dc, hot);
}

LRESULT Accordion::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(m_hWnd, &paint);
    auto& theme = OrvLinkingUtils::UxThemeDLL::Instance();
    if (!buffered_ || noAnimation_)
    {
        DrawBackground(dc, hot_);
        PaintHeaderAndText(dc, hot_);
    }
    else if (!theme.Call<BOOL>("BufferedPaintRenderAnimation", m_hWnd, dc))
    {
        DrawBackground(dc, hot_);
        const RECT header = HeaderRect();
        if (!OrvLinkingUtils::PaintBufferedTransition(
                m_hWnd, dc, header, previousHot_ != hot_ ? 80u : 0u,
                [&](HDC from) { PaintHeaderAndText(from, previousHot_); },
                [&](HDC to) { PaintHeaderAndText(to, hot_); }))
            PaintHeaderAndText(dc, previousHot_);
    }
    previousHot_ = hot_;
    EndPaint(m_hWnd, &paint);
    return 0;
}

void Accordion::RepaintNow()
{
    noAnimation_ = true;
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    noAnimation_ = false;
}

LRESULT Accordion::OnLButtonDblClk(UINT, WPARAM, LPARAM, BOOL&)
{
    swallowButtonUp_ = true;
    return 0;
}

LRESULT Accordion::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&)
{
    if (swallowButtonUp_)
    {
        swallowButtonUp_ = false;
        return 0;
    }
    if (buttonHot_)
    {
        Notify(NotifyButton);
        return 0;
    }
    if (state_ == Collapsed || state_ == Collapsing)
    {
        state_ = Expanding;
        Expand(true);
    }
    else
    {
        state_ = Collapsing;
        Expand(false);
    }
    swallowButtonUp_ = false;
    return 0;
}

void Accordion::Expand(bool expand)
{
    if (expand == expanded_ && (content_ != nullptr) == expand)
        return;
    expanded_ = expand;
    Notify(expand ? NotifyExpanding : NotifyCollapsing);
    targetHeight_ = collapsedHeight_ + (expand ? ContentHeight() : 0);
    StartAnimation();
}

void Accordion::StartAnimation()
{
    animationStart_ = Orv::PacingMilliseconds();
    animating_ = true;
    SetTimer(AnimationTimer, 0);
    swallowButtonUp_ = false;
}

LRESULT Accordion::OnTimer(UINT, WPARAM, LPARAM, BOOL&)
{
    const uint64_t elapsed = Orv::PacingMilliseconds() - animationStart_;
    int height = targetHeight_;
    if (elapsed < AnimationTime)
        height = startHeight_ + static_cast<int>(static_cast<long long>(targetHeight_ - startHeight_) * static_cast<long long>(elapsed) /
                                                 static_cast<long long>(AnimationTime));
    height = std::max(height, collapsedHeight_);
    RECT client{};
    GetClientRect(&client);
    SetWindowPos(nullptr, 0, 0, client.right, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    if (elapsed >= AnimationTime)
    {
        startHeight_ = height;
        KillTimer(AnimationTimer);
        animating_ = false;
        if (!expanded_ && !keepContent && content_)
        {
            ::DestroyWindow(content_);
            content_ = nullptr;
        }
        state_ = expanded_ ? Expanded : Collapsed;
        RepaintNow();
    }
    Notify(NotifyStep);
    return 0;
}

LRESULT Accordion::OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    const RECT header = HeaderRect();
    const bool hot = PtInRect(&header, point) != FALSE;
    if (hot != previousHot_)
    {
        hot_ = hot;
        InvalidateRect(&header, TRUE);
        RepaintNow();
        Notify(NotifyHot);
    }
    hot_ = hot;
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, m_hWnd, 0};
    TrackMouseEvent(&track);
    if (hasButton)
    {
        const RECT button = ButtonRect();
        const bool over = PtInRect(&button, point) != FALSE;
        if (over != buttonHot_)
        {
            buttonHot_ = over;
            InvalidateRect(&button, FALSE);
        }
    }
    POINT screen = point;
    ::ClientToScreen(m_hWnd, &screen);
    if (problem_)
    {
        RECT icon = StateIconRect();
        ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&icon), 2);
        const bool wasOutside = !PtInRect(&icon, lastPointer_);
        if (PtInRect(&icon, screen))
        {
            if (wasOutside && IsRectEmpty(&balloonRect_))
            {
                balloonRect_ = icon;
                ShowProblemBalloon(icon);
            }
        }
        else
            SetRectEmpty(&balloonRect_);
    }
    lastPointer_ = screen;
    return 0;
}

void Accordion::ShowProblemBalloon(const RECT& icon)
{
    const POINT centre{(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2};
    ShowStayBalloon(m_hWnd, centre, balloonRect_, problemTitle_.c_str(), problemText_.c_str(), IDI_WARNING);
}

LRESULT Accordion::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&)
{
    hot_ = buttonHot_ = false;
    if (previousHot_)
    {
        const RECT header = HeaderRect();
        InvalidateRect(&header, TRUE);
        RepaintNow();
        Notify(NotifyLeft);
    }
    return 0;
}

LRESULT Accordion::OnWindowPosChanging(UINT, WPARAM, LPARAM lParam, BOOL& handled)
{
    const auto& position = *reinterpret_cast<const WINDOWPOS*>(lParam);
    handled = FALSE;
    if (position.flags & SWP_NOSIZE)
        return 0;
    // A pane opened by Expand stays "collapsed" until its animation ends: its growing height is no header.
    if (state_ == Collapsed && !animating_)
        headerHeight_ = collapsedHeight_ = position.cy;
    RECT client{};
    GetClientRect(&client);
    if (position.cy != client.bottom)
    {
        startHeight_ = targetHeight_ = position.cy;
        KillTimer(AnimationTimer);
        animating_ = false;
        state_ = expanded_ ? Expanded : Collapsed;
    }
    return 0;
}

LRESULT Accordion::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const int width = LOWORD(lParam);
    if (content_ && ::IsWindow(content_))
    {
        RECT own{};
        ::GetClientRect(content_, &own);
        ::SetWindowPos(content_, nullptr, 0, 0, width, own.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (width != width_)
    {
        const RECT header = HeaderRect();
        InvalidateRect(&header, TRUE);
        width_ = width;
    }
    Invalidate();
    return 0;
}

LRESULT Accordion::OnRemeasure(UINT, WPARAM, LPARAM, BOOL&)
{
    if (expanded_)
    {
        targetHeight_ = headerHeight_ + ContentHeight();
        StartAnimation();
    }
    return 0;
}

LRESULT Accordion::OnSetProblem(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const auto* title = reinterpret_cast<const wchar_t*>(wParam);
    const auto* text = reinterpret_cast<const wchar_t*>(lParam);
    problem_ = title && text;
    if (problem_)
    {
        problemTitle_ = title;
        problemText_ = text;
    }
    const RECT header = HeaderRect();
    InvalidateRect(&header, TRUE);
    return 0;
}

LRESULT Accordion::OnSetReady(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    ready_ = wParam != 0;
    const RECT header = HeaderRect();
    InvalidateRect(&header, TRUE);
    return 0;
}

} // namespace OrvControls
