#include "host/app/gui/ViewPrinting.h"

#include "host/app/gui/WindowPicture.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"
#include "foundation/com/ComPtr.h"
#include "host/app/RegisteredServices.h"
#include "hostapi/VyrPrintout.h"
#include "hostapi/VyrServices.h"

#include <stdexcept>
#include <utility>

namespace Host
{

namespace
{

// A printout of one page: a picture of a window, taken when the print was asked for.
class PicturePrintout final : public IVyrPrintout
{
public:
    PicturePrintout(std::wstring title, WindowImage picture)
        : title_(std::move(title)), picture_(std::move(picture))
    {
    }
    PicturePrintout(const PicturePrintout&) = delete;
    PicturePrintout& operator=(const PicturePrintout&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        return Orv::QueryOneFace(static_cast<IVyrPrintout*>(this), iid, object, IID_IVyrPrintout);
    }
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        return static_cast<ULONG>(InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetKind(ULONG* kind) override { return Orv::AnswerValue(kind, 0); }
    HRESULT STDMETHODCALLTYPE GetTitle(BSTR* title) override
    {
        if (!title)
            return E_POINTER;
        SysFreeString(*title);
        *title = title_.empty() ? nullptr : SysAllocString(title_.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetDC(const RECT* printRect, HDC target, HDC) override
    {
        if (!printRect || !target)
            return E_POINTER;
        printable_ = *printRect;
        target_ = target;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPageCount(ULONG* count) override { return Orv::AnswerValue(count, 1); }
    HRESULT STDMETHODCALLTYPE Unused7(ULONG_PTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused8(ULONG_PTR, ULONG_PTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE HasPage(ULONG page) override { return page == 0 ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE PrintPage(ULONG page, ULONG_PTR) override
    {
        if (page != 0)
            return E_INVALIDARG;
        if (!target_)
            return E_UNEXPECTED;
        const RECT place = FittedPicturePlace(printable_, SIZE{picture_.width, picture_.height});
        BITMAPINFO info{};
        info.bmiHeader = {
            sizeof(BITMAPINFOHEADER), picture_.width, -picture_.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        SetStretchBltMode(target_, HALFTONE);
        const int drawn = StretchDIBits(target_, place.left, place.top, place.right - place.left,
                                        place.bottom - place.top, 0, 0, picture_.width, picture_.height,
                                        picture_.pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
        return drawn > 0 ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE Unused11(ULONG_PTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused12(ULONG_PTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused13(ULONG_PTR, ULONG_PTR) override { return E_NOTIMPL; }

private:
    ~PicturePrintout() = default;

    LONG references_ = 1;
    std::wstring title_;
    WindowImage picture_;
    RECT printable_{};
    HDC target_ = nullptr;
};

Orv::ComPtr<IHostPrintService> HostPrintService()
{
    const auto application = HostApplicationService<IHostApplication>(IID_IHostApplication);
    Orv::ComPtr<IHostPrintService> service;
    if (!application || FAILED(application->GetPrintService(service.Put())) || !service)
        throw std::runtime_error("the host has no printer");
    return service;
}

} // namespace

RECT FittedPicturePlace(const RECT& printable, SIZE picture)
{
    const LONG width = printable.right - printable.left, height = printable.bottom - printable.top;
    if (picture.cx <= 0 || picture.cy <= 0 || width <= 0 || height <= 0)
        return RECT{printable.left, printable.top, printable.left, printable.top};
    // Wider in proportion than the rectangle: the picture takes its width; else its height.
    const bool byWidth =
        static_cast<LONGLONG>(picture.cx) * height >= static_cast<LONGLONG>(picture.cy) * width;
    const LONG placedWidth =
        byWidth ? width : static_cast<LONG>(static_cast<LONGLONG>(picture.cx) * height / picture.cy);
    const LONG placedHeight =
        byWidth ? static_cast<LONG>(static_cast<LONGLONG>(picture.cy) * width / picture.cx) : height;
    return RECT{printable.left, printable.top, printable.left + placedWidth, printable.top + placedHeight};
}

HRESULT STDMETHODCALLTYPE ViewPicturePrinter::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryOneFace(static_cast<IVyrViewPrintService*>(this), iid, object, IID_IVyrViewPrintService);
}

HRESULT STDMETHODCALLTYPE ViewPicturePrinter::CanPrint(VARIANT_BOOL* canPrint)
{
    return Orv::CatchReturn(
        [&]
        {
            const HWND window = activeView_().window;
            return Orv::AnswerValue(canPrint, IsWindow(window) ? VARIANT_TRUE : VARIANT_FALSE);
        });
}

HRESULT STDMETHODCALLTYPE ViewPicturePrinter::Print()
{
    return Orv::CatchReturn(
        [&]() -> HRESULT
        {
            PrintableView view = activeView_();
            if (!IsWindow(view.window))
                return S_FALSE;
            const Orv::ComPtr<IVyrPrintout> printout = Orv::ComPtr<IVyrPrintout>::Adopt(
                new PicturePrintout(std::move(view.title), ReadWindowImage(view.window)));
            return HostPrintService()->Print(printout.Get(), 1);
        });
}

} // namespace Host
