#include "hostframework/printing/Printout.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"

#include "hostapi/VyrDocuments.h"

VyrPrintout::VyrPrintout(IUnknown* owner, const Orv::String& title, ULONG kind, IOrvBitset* pages)
    : pages_(pages), title_(title), kind_(kind), owner_(owner)
{
    pages_.MakeUnique();
}

VyrPrintout::~VyrPrintout() = default;

HRESULT STDMETHODCALLTYPE VyrPrintout::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryFaces(iid, object,
                           {{static_cast<IVyrPrintoutEx*>(this), {IID_IVyrPrintout, IID_IVyrPrintoutEx}},
                            {static_cast<IVyrPrintoutType*>(this), {IID_IVyrPrintoutType}}});
}

HRESULT STDMETHODCALLTYPE VyrPrintout::GetKind(ULONG* kind)
{
    return Orv::AnswerValue(kind, kind_);
}

HRESULT STDMETHODCALLTYPE VyrPrintout::GetTitle(BSTR* title)
{
    if (!title)
        return S_OK;
    SysFreeString(*title);
    *title = nullptr;
    if (title_.Length() == 0)
        return S_OK;
    *title = SysAllocStringLen(title_.c_str(), static_cast<UINT>(title_.Length()));
    return *title ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE VyrPrintout::SetDC(const RECT* printRect, HDC target, HDC printer)
{
    return Orv::CatchReturn([&] {
        printRect_ = printRect ? *printRect : RECT{};
        // The preview context draws for the printer context: it goes first.
        pageDC_.reset();
        printerDC_.reset();
        if (!printer)
        {
            pageDC_ = std::make_unique<OWL::TDC>(target);
            return;
        }
        printerDC_ = std::make_unique<OWL::TPrintDC>(printer);
        OWL::TDC screen(target);
        pageDC_ = std::make_unique<OWL::TPrintPreviewDC>(screen, *printerDC_, OWL::TRect(printRect_),
                                                         OWL::TRect(printRect_));
    });
}

HRESULT STDMETHODCALLTYPE VyrPrintout::GetPageCount(ULONG* count)
{
    return Orv::CatchReturn([&] {
        pageCount_ = CountPages();
        return Orv::AnswerValue(count, pageCount_);
    });
}

HRESULT STDMETHODCALLTYPE VyrPrintout::HasPage(ULONG page)
{
    return page < pageCount_ ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE VyrPrintout::PrintPage(ULONG page, ULONG_PTR argument)
{
    if (!pageDC_)
        return E_UNEXPECTED;
    return Orv::CatchReturn([&] {
        DrawPage(page, *pageDC_, argument);
        pageDC_->RestoreObjects();
    });
}

HRESULT STDMETHODCALLTYPE VyrPrintout::GetOwner(IUnknown** owner)
{
    if (!owner)
        return E_POINTER;
    *owner = owner_.Get();
    if (*owner)
        (*owner)->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE VyrPrintout::SetPages(IOrvBitset* pages)
{
    return Orv::CatchReturn([&] { pages_ = Orv::Bitset(pages); });
}

HRESULT STDMETHODCALLTYPE VyrPrintout::IsPageSelected(ULONG page)
{
    // An empty selection means every page.
    if (pages_.None())
        return S_OK;
    return pages_.Test(page) ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE VyrPrintout::SetOptions(ULONG bits, ULONG mask)
{
    options_ = (options_ & ~mask) | bits;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE VyrPrintout::GetOptions(ULONG* options)
{
    return Orv::AnswerValue(options, options_);
}

Orv::String PrintoutTitle(IUnknown* document, const Orv::String& printed)
{
    Orv::ComPtr<ICustomDocument> named;
    IAutoOrvString* name = nullptr;
    if (!document || FAILED(document->QueryInterface(IID_ICustomDocument, named.PutVoid())) || !named ||
        FAILED(named->GetName(0, &name)) || !name)
        return printed;
    Orv::String title = Orv::String::FromInterface(name);
    name->Release();
    if (title.Length() == 0)
        return printed;
    title += L": ";
    title += printed;
    return title;
}
