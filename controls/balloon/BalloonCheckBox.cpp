#include "controls/balloon/BalloonCheckBox.h"

#include "controls/balloon/BalloonHelp.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

namespace OrvControls
{

namespace
{

constexpr size_t LineScan = 58;
constexpr wchar_t InsideQuotes = L'\x01';
const wchar_t* const LineEnd = L"\r\n";

bool IsSpace(wchar_t c)
{
    return c != L'\n' && c != L'\r' && std::iswspace(c);
}

// Whether a line that starts in the given quote state ends inside quotes after its first length characters.
bool EndsInQuotes(const std::wstring& text, size_t length, bool inQuotes)
{
    for (size_t i = 0; i < length; ++i)
        if (text[i] == L'"')
            inQuotes = !inQuotes;
    return inQuotes;
}

// Takes the next line off text; empty when nothing is left.
std::wstring TakeLine(std::wstring& text)
{
    size_t start = 0;
    while (start < text.size() && IsSpace(text[start]))
        ++start;
    text.erase(0, start);
    if (text.empty())
        return {};
    bool inQuotes = false;
    if (text[0] == InsideQuotes)
    {
        text.erase(0, 1);
        inQuotes = true;
    }
    const bool startsInQuotes = inQuotes;
    size_t lastBreak = std::wstring::npos;
    for (size_t i = 0;; ++i)
    {
        if (i == text.size())
        {
            std::wstring line = text + LineEnd;
            text.clear();
            return line;
        }
        if (i == LineScan)
        {
            const size_t length = std::min(text.size(), lastBreak != std::wstring::npos ? lastBreak + 1 : LineScan + 1);
            std::wstring line = text.substr(0, length) + LineEnd;
            const bool cutInQuotes = EndsInQuotes(text, length, startsInQuotes);
            text.erase(0, length);
            if (cutInQuotes)
                text.insert(text.begin(), InsideQuotes);
            return line;
        }
        const wchar_t c = text[i];
        if (c == L'\r' || c == L'\n')
        {
            std::wstring line = text.substr(0, i) + LineEnd;
            const bool pair = i + 1 < text.size() && text[i + 1] == L'\n';
            text.erase(0, i + (pair ? 2 : 1));
            return line;
        }
        if (c == L'"')
            inQuotes = !inQuotes;
        else if (!inQuotes && (c == L',' || IsSpace(c)))
        {
            lastBreak = i;
            size_t end = i + 1;
            while (end < text.size() && IsSpace(text[end]))
                ++end;
            text.erase(i + 1, end - i - 1);
        }
    }
}

} // namespace

std::wstring WrapBalloonText(const std::wstring& content)
{
    if (content.empty() || (content.size() == 1 && std::iswspace(content[0])))
        return L" \n";
    std::wstring text = content, result;
    for (std::wstring line = TakeLine(text); !line.empty(); line = TakeLine(text))
        result += line;
    return result;
}

DEFINE_RESPONSE_TABLE1(TBalloonCheckBox, OWL::TCheckBox)
    EV_WM_TIMER,
    EV_WM_MOUSEMOVE,
    EV_WM_LBUTTONDOWN,
    EV_WM_MBUTTONDOWN,
    EV_WM_RBUTTONDOWN,
    EV_WM_KEYDOWN,
END_RESPONSE_TABLE;

TBalloonCheckBox::TBalloonCheckBox(OWL::TWindow* parent, int resourceId, OWL::TModule* module)
    : OWL::TCheckBox(parent, resourceId, module)
{
}

void TBalloonCheckBox::SetBalloonText(int, const wchar_t* title, const wchar_t* content, int)
{
    enabled = true;
    title_ = title ? title : L"Title";
    content_ = WrapBalloonText(content ? content : L"Content");
}

void TBalloonCheckBox::EvMouseMove(UINT modKeys, const OWL::TPoint& point)
{
    if (!tracking_)
    {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, GetHandle(), 0};
        TrackMouseEvent(&track);
        tracking_ = true;
        suppressed_ = false;
    }
    if (std::hypot(point.x - last_.x, point.y - last_.y) > 3.0)
    {
        last_ = point;
        if (enabled && !suppressed_)
        {
            if (!shown_)
                SetTimer(HoverTimer, hoverDelay);
            else
                ShowBalloon();
        }
    }
    OWL::TWindow::EvMouseMove(modKeys, point);
}

void TBalloonCheckBox::EvTimer(UINT timerId)
{
    KillTimer(timerId);
    shown_ = true;
    ShowBalloon();
}

void TBalloonCheckBox::Suppress()
{
    KillTimer(HoverTimer);
    shown_ = false;
    suppressed_ = true;
}

void TBalloonCheckBox::EvLButtonDown(UINT modKeys, const OWL::TPoint& point)
{
    Suppress();
    OWL::TWindow::EvLButtonDown(modKeys, point);
}

void TBalloonCheckBox::EvMButtonDown(UINT modKeys, const OWL::TPoint& point)
{
    Suppress();
    OWL::TWindow::EvMButtonDown(modKeys, point);
}

void TBalloonCheckBox::EvRButtonDown(UINT modKeys, const OWL::TPoint& point)
{
    Suppress();
    OWL::TWindow::EvRButtonDown(modKeys, point);
}

void TBalloonCheckBox::EvKeyDown(UINT key, UINT repeatCount, UINT flags)
{
    Suppress();
    OWL::TWindow::EvKeyDown(key, repeatCount, flags);
}

LRESULT TBalloonCheckBox::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_MOUSELEAVE)
        return OWL::TCheckBox::WindowProc(msg, wParam, lParam);
    tracking_ = shown_ = suppressed_ = false;
    KillTimer(HoverTimer);
    return DefWindowProc(msg, wParam, lParam);
}

void TBalloonCheckBox::ShowBalloon()
{
    auto* balloon = new WTL::CBalloonHelp;
    const OWL::TRect window = GetWindowRect();
    WTL::CBalloonHelp::Anchor anchor;
    anchor.x = window.left + 7;
    anchor.y = window.top + 7;
    balloon->SetAnchor(anchor);
    balloon->Relayout();
    balloon->mouseTolerance = 3;
    if (icon)
        balloon->SetIconFromResource(MAKEINTRESOURCEW(icon));
    if (!balloon->Create(GetHandle(), title_.c_str(), content_.c_str(), nullptr, balloonOptions | 0x7200, nullptr, 0,
                         0x2111))
    {
        delete balloon;
        return;
    }
    if (autoCloseTime)
        balloon->SetTimer(1, autoCloseTime);
}

} // namespace OrvControls
