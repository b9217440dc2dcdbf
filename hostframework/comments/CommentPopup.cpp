#include "hostframework/comments/CommentPopup.h"

#include "foundation/com/ComFace.h"
#include "hostframework/entry/ApplicationVisibility.h"
#include "platform/owl/gdi/DC.h"

#include <algorithm>

namespace
{

constexpr std::size_t CharactersPerLine = 40;
constexpr int MaximumLines = 7;
constexpr int Margin = 7;
constexpr std::size_t HeaderLimit = 31;
constexpr DWORD PopupStyle = WS_POPUP | WS_DISABLED | WS_BORDER;
// The disc on the popup draws with the text flag and the alternative-bottom flag, as on the recording.
constexpr ULONG PopupMarkerFlags = 0x8200000;

std::unique_ptr<OWL::TFont> BoldCopy(const OWL::TFont& font)
{
    LOGFONTW bold = font.GetObject();
    bold.lfWeight = FW_BOLD;
    return std::make_unique<OWL::TFont>(bold);
}

SIZE HeaderExtent(const OWL::TFont& font, const std::wstring& text)
{
    OWL::TScreenDC dc;
    const OWL::SelectedObject selected(dc, font);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    return extent;
}

} // namespace

POINT CommentPopupPlace(const POINT& anchor, SIZE size, int markerHeight, const RECT& workArea)
{
    POINT place{anchor.x, anchor.y - size.cy};
    if (place.y < workArea.top)
        place.y = anchor.y + markerHeight;
    // Far sides first, so that a popup wider or taller than the work area keeps its left and top in it.
    place.x = std::max(std::min(place.x, workArea.right - size.cx), workArea.left);
    place.y = std::max(std::min(place.y, workArea.bottom - size.cy), workArea.top);
    return place;
}

int CommentPopupLineCount(std::size_t characters)
{
    return static_cast<int>(std::min<std::size_t>(characters / CharactersPerLine + 1, MaximumLines));
}

CommentPopup::CommentPopup(HWND over, const POINT& anchor, const CommentAppearance& comment,
                           const std::wstring& timeText, int markerHeight, IStrixComment* source)
    : OWL::TWindow(static_cast<OWL::TWindow*>(nullptr), L""), comment_(comment), source_(source), header_((L"t = " + timeText).substr(0, HeaderLimit)),
      normalFont_(std::make_unique<OWL::TGadgetWindowFont>()), boldFont_(BoldCopy(*normalFont_)),
      markerHeight_(markerHeight), lines_(CommentPopupLineCount(comment.text.size()))
{
    Attr.Style = PopupStyle;
    // Owned by a window rather than a child of its object: the host holds the popup through its references,
    // so no window object may delete it with its own children.
    SetParentHandle(over ? GetAncestor(over, GA_ROOT) : nullptr);
    Layout(anchor);
}

CommentPopup::~CommentPopup() = default;

HRESULT STDMETHODCALLTYPE CommentPopup::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryOneFace(static_cast<ICommentPopupWindow*>(this), iid, object, IID_ICommentPopupWindow);
}

HRESULT STDMETHODCALLTYPE CommentPopup::GetComment(IStrixComment** comment)
{
    if (!comment)
        return E_INVALIDARG;
    *comment = source_.Get();
    if (*comment)
        (*comment)->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CommentPopup::Repaint()
{
    if (!GetHandle())
        return S_FALSE;
    Invalidate(true);
    UpdateWindow();
    return S_OK;
}

void CommentPopup::Layout(const POINT& anchor)
{
    const Orv::FontCharSize cell = GetFontCharSize(normalFont_->GetHandle());
    const SIZE header = HeaderExtent(*boldFont_, header_);
    headerRect_ = OWL::TRect(0, 0, header.cx, std::max<int>(header.cy, markerHeight_));
    textRect_ = OWL::TRect(0, headerRect_.bottom + Margin, static_cast<int>(CharactersPerLine) * cell.averageWidth,
                           headerRect_.bottom + Margin + lines_ * cell.lineHeight);
    OWL::TRect window(0, 0, std::max(headerRect_.right, textRect_.right), textRect_.bottom);
    window = OWL::TRect(window.left - Margin, window.top - Margin, window.right + Margin, window.bottom + Margin);
    headerRect_.Offset(9, 7);
    textRect_.Offset(7, 7);
    MONITORINFO monitor{sizeof monitor};
    if (!GetMonitorInfoW(MonitorFromPoint(anchor, MONITOR_DEFAULTTONEAREST), &monitor))
        monitor.rcWork = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const POINT place = CommentPopupPlace(anchor, SIZE{window.Width(), window.Height()}, markerHeight_, monitor.rcWork);
    Attr.X = place.x;
    Attr.Y = place.y;
    Attr.W = window.Width();
    Attr.H = window.Height();
}

bool CommentPopup::Create()
{
    const bool made = OWL::TWindow::Create();
    if (made && Orv::IsApplicationVisible())
        ShowWindow(SW_SHOWNOACTIVATE);
    return made;
}

void CommentPopup::GetWindowClass(WNDCLASSEXW& windowClass)
{
    OWL::TWindow::GetWindowClass(windowClass);
    windowClass.style |= CS_SAVEBITS;
    windowClass.hbrBackground = GetSysColorBrush(COLOR_INFOBK);
}

void CommentPopup::Paint(OWL::TDC& dc, bool, OWL::TRect&)
{
    const OWL::SelectedObject normal(dc, *normalFont_);
    const COLORREF background = SetBkColor(dc, GetSysColor(COLOR_INFOBK));
    const COLORREF text = SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    const OWL::TRect client = GetClientRect();
    DrawComment(dc, dc, CommentDrawRecord{client.Width() / 2, 0, client.bottom, client.bottom, PopupMarkerFlags},
                CommentAppearance{std::wstring(), 0, comment_.fill});
    {
        const OWL::SelectedObject bold(dc, *boldFont_);
        TextOutW(dc, headerRect_.left, headerRect_.top, header_.c_str(), static_cast<int>(header_.size()));
    }
    RECT area = textRect_;
    DrawTextW(dc, comment_.text.c_str(), static_cast<int>(comment_.text.size()), &area, DT_WORDBREAK);
    SetTextColor(dc, text);
    SetBkColor(dc, background);
}
