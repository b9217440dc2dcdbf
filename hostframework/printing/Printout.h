// The module's printout object: the host sets its title, pages and options, hands over the device
// contexts (a plain one to print on, or a screen context with a printer context for a preview) and
// asks it to draw page after page; the derived printout draws one page. A page is drawn only after the
// contexts were handed over.
#pragma once

#include "hostapi/VyrPrintout.h"

#include "foundation/com/ComObjectRoot.h"
#include "foundation/com/ComPtr.h"
#include "foundation/containers/Bitset.h"
#include "foundation/text/String.h"

#include "platform/owl/gdi/PrintDC.h"

#include <memory>

class VyrPrintout : public IVyrPrintoutEx, public IVyrPrintoutType, public Orv::CComObjectRoot
{
public:
    // Keeps a copy of the page selection (every page when none is given) and a reference to the owner.
    VyrPrintout(IUnknown* owner, const Orv::String& title, ULONG kind, IOrvBitset* pages);
    virtual ~VyrPrintout();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }

    HRESULT STDMETHODCALLTYPE GetKind(ULONG* kind) override;
    HRESULT STDMETHODCALLTYPE GetTitle(BSTR* title) override;
    HRESULT STDMETHODCALLTYPE SetDC(const RECT* printRect, HDC target, HDC printer) override;
    HRESULT STDMETHODCALLTYPE GetPageCount(ULONG* count) override;
    HRESULT STDMETHODCALLTYPE Unused7(ULONG_PTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Unused8(ULONG_PTR, ULONG_PTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE HasPage(ULONG page) override;
    // E_UNEXPECTED before SetDC: there is nothing to draw on.
    HRESULT STDMETHODCALLTYPE PrintPage(ULONG page, ULONG_PTR argument) override;
    HRESULT STDMETHODCALLTYPE Unused11(ULONG_PTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Unused12(ULONG_PTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Unused13(ULONG_PTR, ULONG_PTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetOwner(IUnknown** owner) override;

    HRESULT STDMETHODCALLTYPE SetPages(IOrvBitset* pages) override;
    HRESULT STDMETHODCALLTYPE IsPageSelected(ULONG page) override;
    HRESULT STDMETHODCALLTYPE SetOptions(ULONG bits, ULONG mask) override;
    HRESULT STDMETHODCALLTYPE GetOptions(ULONG* options) override;

protected:
    // Draws one page on the context (a preview context answers the printer's sizes).
    virtual void DrawPage(ULONG page, OWL::TDC& dc, ULONG_PTR argument) = 0;
    virtual ULONG CountPages() { return 1; }
    const RECT& PrintRect() const { return printRect_; }
    // The context pages are drawn on; null before the host handed one over.
    OWL::TDC* PageDC() const { return pageDC_.get(); }

private:
    Orv::Bitset pages_;
    RECT printRect_{};
    Orv::String title_;
    std::unique_ptr<OWL::TPrintDC> printerDC_;
    std::unique_ptr<OWL::TDC> pageDC_;
    ULONG kind_;
    ULONG options_ = 0;
    Orv::ComPtr<IUnknown> owner_;
    ULONG pageCount_ = 0;
};

// The base of the module's concrete printouts.
class VyrSinglePagePrintout : public VyrPrintout
{
public:
    using VyrPrintout::VyrPrintout;
};

// A printout's title: the document's name as the host gave it (the document's name operation), ": ", then
// what is printed; what is printed alone when the document has no name or is none.
Orv::String PrintoutTitle(IUnknown* document, const Orv::String& printed);
