#include "ScaleControls.h"

#include "foundation/com/ComBoundary.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <string>
#include <vector>

namespace Vyr
{

namespace
{
constexpr LONG TickLength = 5;
constexpr LONG LabelGap = 2;
// A lane's axes are numbered from 1: the second stands right of the traces.
constexpr LONG SecondTraceAxis = 2;
constexpr LONG MinTickSpacingX = 60;
constexpr LONG MinTickSpacingY = 30;
constexpr int LabelDigits = 6;
constexpr wchar_t StripClassName[] = L"VyrScaleStrip";
constexpr wchar_t FontFace[] = L"MS Shell Dlg 2";

class ScopedFont
{
public:
    ScopedFont(HDC dc, LONG points, LONG escapement)
    {
        LOGFONTW font{};
        font.lfHeight = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
        font.lfEscapement = font.lfOrientation = escapement;
        font.lfWeight = FW_NORMAL;
        font.lfCharSet = DEFAULT_CHARSET;
        wcscpy_s(font.lfFaceName, FontFace);
        m_font = CreateFontIndirectW(&font);
        m_previous = SelectObject(dc, m_font);
        m_dc = dc;
    }
    ScopedFont(const ScopedFont&) = delete;
    ScopedFont& operator=(const ScopedFont&) = delete;
    ~ScopedFont()
    {
        SelectObject(m_dc, m_previous);
        DeleteObject(m_font);
    }

private:
    HDC m_dc = nullptr;
    HFONT m_font = nullptr;
    HGDIOBJ m_previous = nullptr;
};

// A title shrinks no smaller than dialog text: below that it is no longer read at a glance.
constexpr LONG LeastCaptionPoints = 8;
constexpr wchar_t Ellipsis = L'\u2026';

// The axis's caption: the title with the unit in brackets after it.
std::wstring Caption(const std::wstring& title, const std::wstring& unit)
{
    if (title.empty())
        return unit;
    return unit.empty() ? title : title + L" (" + unit + L")";
}

// The text's first count characters, without the spaces they end with, and an ellipsis.
std::wstring Shortened(const std::wstring& text, size_t count)
{
    std::wstring kept = text.substr(0, count);
    kept.erase(kept.find_last_not_of(L' ') + 1);
    return kept + Ellipsis;
}

LONG TextLength(HDC dc, const std::wstring& text)
{
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    return extent.cx;
}

struct FittedCaption
{
    LONG points;
    std::wstring text;
};

// The caption as it fits in room pixels along its line: at the largest point size from points down to
// the least, and when it does not fit even then, at the least size with its title cut short (the unit
// says what the numbers are, so it stays), or cut itself when the unit alone is too long.
FittedCaption FitCaption(HDC dc, const std::wstring& title, const std::wstring& unit, LONG points, LONG room)
{
    const std::wstring whole = Caption(title, unit);
    for (; points > LeastCaptionPoints; --points)
    {
        const ScopedFont font(dc, points, 0);
        if (TextLength(dc, whole) <= room)
            return {points, whole};
    }
    const ScopedFont font(dc, points, 0);
    std::vector<std::wstring> candidates{whole};
    for (size_t kept = title.size(); kept-- > 0;)
        candidates.push_back(Caption(Shortened(title, kept), unit));
    for (size_t kept = whole.size(); kept-- > 0;)
        candidates.push_back(Shortened(whole, kept));
    for (const std::wstring& candidate : candidates)
        if (TextLength(dc, candidate) <= room)
            return {points, candidate};
    return {points, std::wstring()};
}

// How thick the selected turned font's lines run across them.
LONG TurnedTextThickness(HDC dc)
{
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    return metrics.tmHeight;
}

std::wstring Label(double value)
{
    wchar_t text[32];
    swprintf(text, std::size(text), L"%.*g", LabelDigits, value);
    return text;
}

void Text(HDC dc, LONG x, LONG y, UINT align, const std::wstring& text)
{
    SetTextAlign(dc, align);
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

// What a vertical strip draws its texts with: the labels' point size and the caption as it fits.
struct VerticalTexts
{
    LONG labelPoints;
    FittedCaption caption;
};

// The labels stand between the ticks and the turned caption, which keeps a column of its own at the far
// edge. Labels wider than the room left shrink, then the caption, each no further than dialog text; when
// even then the labels reach into the caption's column, the caption gives way (numbers drawn over it left
// neither readable) and the labels take the whole strip.
VerticalTexts FitVerticalTexts(HDC dc, const std::vector<std::wstring>& labels, const std::wstring& title,
                               const std::wstring& unit, LONG points, const RECT& strip)
{
    const auto widest = [&](LONG labelPoints) {
        const ScopedFont font(dc, labelPoints, 0);
        LONG width = 0;
        for (const std::wstring& label : labels)
            width = std::max(width, TextLength(dc, label));
        return width;
    };
    const auto largestFitting = [&](LONG room) {
        LONG labelPoints = points;
        while (labelPoints > LeastCaptionPoints && widest(labelPoints) > room)
            --labelPoints;
        return labelPoints;
    };
    const LONG across = strip.right - strip.left - TickLength - LabelGap;
    VerticalTexts texts{points, FitCaption(dc, title, unit, points, strip.bottom - strip.top)};
    if (texts.caption.text.empty())
        return {largestFitting(across), texts.caption};
    for (LONG captionPoints = texts.caption.points; captionPoints >= std::min(LeastCaptionPoints, texts.caption.points);
         --captionPoints)
    {
        const ScopedFont turned(dc, captionPoints, 900);
        const LONG room = across - 2 * LabelGap - TurnedTextThickness(dc);
        texts.labelPoints = largestFitting(room);
        if (widest(texts.labelPoints) <= room)
        {
            texts.caption.points = captionPoints;
            return texts;
        }
    }
    return {largestFitting(across), {}};
}

ATOM RegisterStripClass();
} // namespace

LRESULT CALLBACK ScaleStripProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

ScaleControl::ScaleControl(ULONG style) : m_style(style)
{
    m_layout.horizontal = (style & ScaleStyle::Horizontal) != 0;
}

ScaleControl::~ScaleControl()
{
    if (m_window)
    {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
    for (IDragScaleObserver* observer : m_observers)
        observer->Release();
}

HRESULT STDMETHODCALLTYPE ScaleControl::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IScaleControl))
        *object = static_cast<IScaleControl*>(this);
    else if (IsEqualIID(iid, IID_IScaleControlView))
        *object = static_cast<IScaleControlView*>(this);
    else if (IsEqualIID(iid, IID_IScaleTextSize))
        *object = static_cast<IScaleTextSize*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) && m_window)
        *object = static_cast<IOleWindow*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE ScaleControl::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&m_references));
}

ULONG STDMETHODCALLTYPE ScaleControl::Release()
{
    const LONG left = InterlockedDecrement(&m_references);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE ScaleControl::SetUnits(const AxisTransform* unitTransform, const WCHAR* text)
{
    return Guarded([&] {
        if (unitTransform)
            m_layout.units = *unitTransform;
        if (text)
            m_unitText = text;
        if (m_window)
            InvalidateRect(m_window, nullptr, TRUE);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE ScaleControl::GetUnits(AxisTransform* unitTransform, BSTR* text)
{
    if (unitTransform)
        *unitTransform = m_layout.units;
    return text ? CopyToBstr(m_unitText, text) : S_OK;
}

HRESULT STDMETHODCALLTYPE ScaleControl::SetTitle(const WCHAR* text)
{
    return Guarded([&] {
        m_title = text ? text : L"";
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE ScaleControl::SetRect(const RECT* rect)
{
    if (!rect)
        return E_POINTER;
    m_rect = *rect;
    m_layout.length = m_layout.horizontal ? rect->right - rect->left : rect->bottom - rect->top;
    if (m_window)
        MoveWindow(m_window, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ScaleControl::GetTransform(AxisTransform* transform)
{
    return Orv::AnswerValue(transform, m_layout.Transform());
}

HRESULT STDMETHODCALLTYPE ScaleControl::SetLimits(double high, double low)
{
    m_layout.low = low;
    m_layout.high = high;
    NotifyScalingChanged();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ScaleControl::GetLimits(double* high, double* low)
{
    if (!high || !low)
        return E_POINTER;
    *high = m_layout.high;
    *low = m_layout.low;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ScaleControl::SetExtent(double high, double low)
{
    m_extentLow = low;
    m_extentHigh = high;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ScaleControl::SetBounds(double high, double low)
{
    m_boundLow = low;
    m_boundHigh = high;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ScaleControl::SetMinSpan(double span, double)
{
    m_minSpan = span;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ScaleControl::GetStyle(ULONG* style)
{
    return Orv::AnswerValue(style, m_style | (m_layout.Usable() ? ScaleStyle::Ready : 0));
}

HRESULT STDMETHODCALLTYPE ScaleControl::SetStyle(ULONG style)
{
    m_style = style & ~ScaleStyle::Ready;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ScaleControl::GetDragCompanion(LONG, IScaleControl** companion)
{
    if (!companion)
        return E_POINTER;
    return Guarded([&] {
        auto* copy = new ScaleControl(m_style);
        copy->m_rect = m_rect;
        copy->m_layout = m_layout;
        copy->m_unitText = m_unitText;
        copy->m_title = m_title;
        copy->m_textPoints = m_textPoints;
        *companion = copy;
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE ScaleControl::Measure(LONG setting, LONG value, LONG, LONG* result)
{
    if (!result)
        return E_POINTER;
    if (setting != ScaleSettingThickness || value < 0)
        return E_INVALIDARG;
    // Ticks, a row of labels and a row for the title at the given point size on a 96-dpi screen.
    const LONG line = MulDiv(value > 0 ? value : m_textPoints, 96, 72) + 2 * LabelGap;
    *result = TickLength + LabelGap + 2 * line;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ScaleControl::SetOption(VARIANT_BOOL value)
{
    m_option = value != VARIANT_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ScaleControl::AddObserver(IDragScaleObserver* observer)
{
    if (!observer)
        return E_POINTER;
    return Guarded([&] {
        m_observers.push_back(observer);
        observer->AddRef();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE ScaleControl::RemoveObserver(IDragScaleObserver* observer)
{
    const auto found = std::find(m_observers.begin(), m_observers.end(), observer);
    if (found == m_observers.end())
        return S_FALSE;
    m_observers.erase(found);
    observer->Release();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ScaleControl::GetScaling(AxisTransform* scaling, LONG)
{
    return Orv::AnswerValue(scaling, m_layout.units);
}

std::vector<ScaleLayout::Tick> ScaleControl::CurrentTicks() const
{
    return m_layout.Ticks(m_layout.horizontal ? MinTickSpacingX : MinTickSpacingY);
}

HRESULT STDMETHODCALLTYPE ScaleControl::GetGridSpacing(double* first, double* step)
{
    if (!first || !step)
        return E_POINTER;
    *first = 0.0;
    *step = 0.0;
    const auto ticks = CurrentTicks();
    if (ticks.size() < 2)
        return S_OK;
    const auto [lowest, highest] =
        std::minmax_element(ticks.begin(), ticks.end(), [](const auto& a, const auto& b) { return a.pixel < b.pixel; });
    *first = highest->pixel;
    *step = -static_cast<double>(highest->pixel - lowest->pixel) / static_cast<double>(ticks.size() - 1);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ScaleControl::GetRect(RECT* rect)
{
    return Orv::AnswerValue(rect, m_rect);
}

HRESULT STDMETHODCALLTYPE ScaleControl::GetTickCount(LONG* count)
{
    return Orv::AnswerValue(count, static_cast<LONG>(CurrentTicks().size()));
}

HRESULT STDMETHODCALLTYPE ScaleControl::FillTicks(ScaleTick* ticks, LONG capacity, LONG* written)
{
    if (!ticks || !written)
        return E_POINTER;
    const auto current = CurrentTicks();
    const LONG n = std::min(capacity, static_cast<LONG>(current.size()));
    for (LONG i = 0; i < n; ++i)
        ticks[i] = ScaleTick{current[static_cast<size_t>(i)].pixel, 1};
    *written = n;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ScaleControl::GetTextSize(LONG* points)
{
    return Orv::AnswerValue(points, m_textPoints);
}

HRESULT STDMETHODCALLTYPE ScaleControl::GetWindow(HWND* window)
{
    if (!window)
        return E_POINTER;
    *window = m_window;
    return m_window ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE ScaleControl::Paint(HDC dc, LONG, LONG)
{
    if (!dc)
        return E_INVALIDARG;
    return Guarded([&] {
        const int savedState = SaveDC(dc);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        SelectObject(dc, GetStockObject(BLACK_PEN));
        if (m_layout.horizontal)
            PaintHorizontal(dc);
        else
            PaintVertical(dc);
        RestoreDC(dc, savedState);
        return S_OK;
    });
}

void ScaleControl::PaintHorizontal(HDC dc) const
{
    const RECT& r = m_rect;
    const ScopedFont font(dc, m_textPoints, 0);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    for (const auto& tick : CurrentTicks())
    {
        const LONG x = r.left + tick.pixel;
        MoveToEx(dc, x, r.top, nullptr);
        LineTo(dc, x, r.top + TickLength);
        // The end labels are moved inwards so that they stay whole.
        const std::wstring label = Label(tick.displayed);
        const LONG half = TextLength(dc, label) / 2;
        const LONG centre = std::clamp(x, r.left + half, std::max(r.left + half, r.right - half));
        Text(dc, centre, r.top + TickLength + LabelGap, TA_CENTER | TA_TOP, label);
    }
    const FittedCaption caption = FitCaption(dc, m_title, m_unitText, m_textPoints, r.right - r.left);
    const ScopedFont fitted(dc, caption.points, 0);
    Text(dc, (r.left + r.right) / 2, r.top + TickLength + 2 * LabelGap + metrics.tmHeight, TA_CENTER | TA_TOP,
         caption.text);
}

void ScaleControl::PaintVertical(HDC dc) const
{
    const RECT& r = m_rect;
    const std::vector<ScaleLayout::Tick> ticks = CurrentTicks();
    std::vector<std::wstring> labels;
    for (const auto& tick : ticks)
        labels.push_back(Label(tick.displayed));
    const VerticalTexts texts = FitVerticalTexts(dc, labels, m_title, m_unitText, m_textPoints, r);
    const LONG dataEdge = m_rightOfData ? r.left : r.right;
    const LONG inwards = m_rightOfData ? 1 : -1;
    {
        const ScopedFont font(dc, texts.labelPoints, 0);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        for (size_t i = 0; i < ticks.size(); ++i)
        {
            const LONG y = r.top + ticks[i].pixel;
            // Drawn rightwards on either side: a line leaves out its last pixel, and the one on the data edge
            // must stay.
            const LONG tickEnd = dataEdge + inwards * TickLength;
            MoveToEx(dc, std::min(dataEdge, tickEnd), y, nullptr);
            LineTo(dc, std::max(dataEdge, tickEnd), y);
            const LONG top = std::clamp(y - metrics.tmHeight / 2, r.top, std::max(r.top, r.bottom - metrics.tmHeight));
            Text(dc, dataEdge + inwards * (TickLength + LabelGap), top, (m_rightOfData ? TA_LEFT : TA_RIGHT) | TA_TOP,
                 labels[i]);
        }
    }
    const ScopedFont turned(dc, texts.caption.points, 900);
    // The turned caption keeps to the edge away from the data.
    const LONG x = m_rightOfData ? r.right - LabelGap - TurnedTextThickness(dc) : r.left + LabelGap;
    Text(dc, x, (r.top + r.bottom) / 2, TA_CENTER | TA_TOP, texts.caption.text);
}

template <class Notify>
void ScaleControl::ForEachObserver(Notify notify)
{
    // An observer may remove itself while it is told.
    const std::vector<IDragScaleObserver*> observers = m_observers;
    for (IDragScaleObserver* observer : observers)
        notify(observer);
}

void ScaleControl::NotifyScalingChanged()
{
    if (m_window)
        InvalidateRect(m_window, nullptr, TRUE);
    const AxisTransform transform = m_layout.Transform();
    ForEachObserver([&](IDragScaleObserver* observer) { observer->OnScalingChanged(m_childId, 0, &transform); });
}

// A drag keeps the value under the pointer at the pointer, the low end of the axis fixed: dragging
// away from the low end zooms in, towards it zooms out.
void ScaleControl::BeginStripDrag(POINT point)
{
    m_dragging = true;
    m_dragLow = m_layout.low;
    m_dragHigh = m_layout.high;
    m_dragStart = m_layout.horizontal ? point.x : m_layout.length - 1 - point.y;
    ForEachObserver([&](IDragScaleObserver* observer) { observer->OnBeginDrag(m_childId, 0); });
}

void ScaleControl::DragTo(POINT point)
{
    if (!m_dragging)
        return;
    const LONG now = std::max<LONG>(1, m_layout.horizontal ? point.x : m_layout.length - 1 - point.y);
    const LONG start = std::max<LONG>(1, m_dragStart);
    const double span = std::max((m_dragHigh - m_dragLow) * start / now, m_minSpan);
    if (!(span > 0.0) || !std::isfinite(span))
        return;
    m_layout.low = m_dragLow;
    m_layout.high = m_dragLow + span;
    NotifyScalingChanged();
}

void ScaleControl::EndStripDrag()
{
    if (!m_dragging)
        return;
    m_dragging = false;
    ForEachObserver([&](IDragScaleObserver* observer) { observer->OnEndDrag(m_childId, 0); });
}

// A double click asks the observers; they decide whether and how the axis autoscales.
void ScaleControl::RequestAutoScale()
{
    ForEachObserver([&](IDragScaleObserver* observer) { observer->OnAutoScale(m_childId); });
}

HRESULT STDMETHODCALLTYPE ScaleControl::AutoScale(LONG)
{
    if (!m_canAutoScale || !m_hasData)
        return S_FALSE;
    bool found = false;
    double low = 0.0, high = 0.0;
    ForEachObserver([&](IDragScaleObserver* observer) {
        double observedLow = 0.0, observedHigh = 0.0;
        if (observer->GetDataExtent(m_childId, &observedLow, &observedHigh, nullptr) != S_OK)
            return;
        low = found ? std::min(low, observedLow) : observedLow;
        high = found ? std::max(high, observedHigh) : observedHigh;
        found = true;
    });
    if (!found || !(high > low) || !std::isfinite(high - low))
        return S_FALSE;
    return SetLimits(high, low);
}

HRESULT STDMETHODCALLTYPE ScaleControl::SetHasData(VARIANT_BOOL hasData)
{
    m_hasData = hasData != VARIANT_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ScaleControl::SetCanAutoScale(VARIANT_BOOL can)
{
    m_canAutoScale = can != VARIANT_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ScaleControl::SetRange(double high, double low)
{
    return SetExtent(high, low);
}

HRESULT STDMETHODCALLTYPE ScaleControl::SetOwner(void* owner)
{
    m_owner = owner;
    return S_OK;
}

HRESULT ScaleControl::CreateStripWindow(HWND parent, LONG childId)
{
    if (!RegisterStripClass())
        return HRESULT_FROM_WIN32(GetLastError());
    m_childId = childId;
    m_window = CreateWindowExW(0, StripClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 1, 1, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(childId)), GetModuleHandleW(nullptr), nullptr);
    if (!m_window)
        return HRESULT_FROM_WIN32(GetLastError());
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return S_OK;
}

LRESULT CALLBACK ScaleStripProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* control = reinterpret_cast<ScaleControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!control)
        return DefWindowProcW(window, message, wParam, lParam);
    const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (message)
    {
    case WM_PAINT:
    {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(window, &paint);
        RECT client{};
        GetClientRect(window, &client);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        // The control paints in its parent's coordinates.
        SetViewportOrgEx(dc, -control->m_rect.left, -control->m_rect.top, nullptr);
        control->Paint(dc, 0, 0xFFFF);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_LBUTTONDOWN:
        SetCapture(window);
        control->BeginStripDrag(point);
        return 0;
    case WM_MOUSEMOVE:
        control->DragTo(point);
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == window)
            ReleaseCapture();
        control->EndStripDrag();
        return 0;
    case WM_CAPTURECHANGED:
        control->EndStripDrag();
        return 0;
    case WM_LBUTTONDBLCLK:
        control->RequestAutoScale();
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

namespace
{
ATOM RegisterStripClass()
{
    static const ATOM atom = [] {
        WNDCLASSEXW windowClass{sizeof(windowClass)};
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = ScaleStripProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_SIZEALL);
        windowClass.lpszClassName = StripClassName;
        // A framework loaded before in this process left its class behind, with a procedure in code that
        // is gone: this load's class takes its place.
        if (const ATOM registered = RegisterClassExW(&windowClass))
            return registered;
        if (GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return ATOM{0};
        UnregisterClassW(StripClassName, windowClass.hInstance);
        return RegisterClassExW(&windowClass);
    }();
    return atom;
}
} // namespace

HRESULT STDMETHODCALLTYPE ScaleControlFactory::CreateScale(HWND, LONG, ULONG style, IScaleControl** control)
{
    if (!control)
        return E_POINTER;
    return Guarded([&] {
        *control = new ScaleControl(style);
        return S_OK;
    });
}

namespace
{
// A control of the style, with a strip window under parent when asked for.
HRESULT MakeControl(ULONG style, bool stripWindow, HWND parent, LONG childId, IScaleControl** control)
{
    if (!control)
        return E_POINTER;
    *control = nullptr;
    return Guarded([&]() -> HRESULT {
        auto* created = new ScaleControl(style);
        if (stripWindow)
        {
            const HRESULT result = created->CreateStripWindow(parent, childId);
            if (FAILED(result))
            {
                created->Release();
                return result;
            }
        }
        *control = created;
        return S_OK;
    });
}
} // namespace

HRESULT STDMETHODCALLTYPE ScaleControlFactory::CreateTraceScale(HWND parent, LONG, LONG, ULONG style, LONG axis,
                                                                IScaleControl** control)
{
    const HRESULT made = MakeControl(ScaleStyle::Vertical | (style & ~(ScaleStyle::Horizontal | ScaleStyle::Ready)),
                                     parent != nullptr, parent, axis, control);
    if (SUCCEEDED(made) && axis == SecondTraceAxis)
        static_cast<ScaleControl*>(*control)->StandRightOfData();
    return made;
}

HRESULT STDMETHODCALLTYPE ScaleControlFactory::CreateScaleWindow(HWND parent, LONG, LONG, LONG kind, LONG childId,
                                                                 IScaleControl** control)
{
    if (!control)
        return E_POINTER;
    *control = nullptr;
    if (kind != HorizontalStripKind && kind != VerticalStripKind)
        return E_INVALIDARG;
    return MakeControl(kind == HorizontalStripKind ? ScaleStyle::Horizontal | 0x42 : ScaleStyle::Vertical, true, parent,
                       childId, control);
}

} // namespace Vyr
