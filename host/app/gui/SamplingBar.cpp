#include "host/app/gui/SamplingBar.h"
#include "host/app/gui/WindowClass.h"

#include "host/app/files/TextConversion.h"

#include "foundation/system/GdiObjects.h"

#include <stdexcept>

namespace Host
{

namespace
{

constexpr const wchar_t* BarClass = L"SistraHostSamplingBar";
constexpr UINT_PTR RefreshTimer = 1;
// Often enough that the button follows a stop that the recording's end or a module made.
constexpr UINT RefreshMilliseconds = 250;
constexpr int ButtonId = 1;
constexpr int ButtonWidth = 84, Margin = 3, ImageSide = 16, ImageGap = 6;

HBITMAP ImageOf(IVyrHostCommand& command, ULONG state)
{
    HBITMAP image = nullptr;
    return SUCCEEDED(command.GetImage(state, &image)) ? image : nullptr;
}

} // namespace

SamplingBar::SamplingBar(HWND parent, IUnknown* document, IVyrHostCommand& command) : command_(command)
{
    if (document)
        document->QueryInterface(IID_IHostSampling, document_.PutVoid());
    EnsureWindowClass(BarClass, Procedure, {true, COLOR_BTNFACE}, "the sampling bar's");
    window_ = CreateWindowExW(0, BarClass, L"Sampling", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, ButtonWidth,
                              Height, parent, nullptr, GetModuleHandleW(nullptr), this);
    if (!window_)
        throw std::runtime_error("cannot make the sampling bar: " + SystemErrorText(GetLastError()));
    button_ = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, Margin, Margin, ButtonWidth,
                              Height - 2 * Margin, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ButtonId)),
                              GetModuleHandleW(nullptr), nullptr);
    startImage_ = ImageOf(command_, VyrHostCommandImage::Normal);
    stopImage_ = ImageOf(command_, VyrHostCommandImage::Pressed);
    Refresh();
    SetTimer(window_, RefreshTimer, RefreshMilliseconds, nullptr);
}

SamplingBar::~SamplingBar()
{
    if (IsWindow(window_))
    {
        KillTimer(window_, RefreshTimer);
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    for (HBITMAP image : {startImage_, stopImage_})
        if (image)
            DeleteObject(image);
}

void SamplingBar::Refresh()
{
    int16_t sampling = 0;
    const bool canToggle = document_ && document_->CanToggleSampling() == S_OK;
    if (document_)
        document_->IsSampling(0, &sampling);
    const std::wstring text = sampling ? L"Stop" : L"Start";
    if (text != text_ || (sampling != 0) != sampling_ || canToggle != IsEnabled())
    {
        text_ = text;
        sampling_ = sampling != 0;
        EnableWindow(button_, canToggle);
        InvalidateRect(button_, nullptr, TRUE);
    }
}

void SamplingBar::Press()
{
    command_.Execute(0);
    Refresh();
}

void SamplingBar::Draw(const DRAWITEMSTRUCT& item) const
{
    RECT face = item.rcItem;
    const bool down = sampling_ || (item.itemState & ODS_SELECTED);
    DrawFrameControl(item.hDC, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (down ? DFCS_PUSHED : 0));
    const int middle = (face.top + face.bottom) / 2;
    int left = face.left + ImageGap;
    if (HBITMAP image = sampling_ ? stopImage_ : startImage_)
    {
        const Orv::MemoryDc source(item.hDC);
        const Orv::SelectedObject selected(source.Get(), image);
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        AlphaBlend(item.hDC, left, middle - ImageSide / 2, ImageSide, ImageSide, source.Get(), 0, 0, ImageSide,
                   ImageSide, blend);
        left += ImageSide + ImageGap;
    }
    RECT label{left, face.top, face.right - ImageGap, face.bottom};
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor((item.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    const Orv::SelectedObject font(item.hDC, GetStockObject(DEFAULT_GUI_FONT));
    DrawTextW(item.hDC, text_.c_str(), -1, &label, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
}

LRESULT CALLBACK SamplingBar::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* bar = reinterpret_cast<SamplingBar*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!bar)
        return DefWindowProcW(window, message, wParam, lParam);
    // Nothing thrown may leave a window procedure.
    try
    {
        switch (message)
        {
        case WM_TIMER:
            bar->Refresh();
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == ButtonId && HIWORD(wParam) == BN_CLICKED)
                bar->Press();
            return 0;
        case WM_DRAWITEM:
            bar->Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        default:
            break;
        }
    }
    catch (...)
    {
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace Host
