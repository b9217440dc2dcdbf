#include "PrintService.h"

#include "foundation/system/GdiObjects.h"

#include <oleauto.h>

namespace Vyr
{

namespace
{

// A page the printer draws on: a white bitmap selected into a memory context.
class PrinterPage
{
public:
    PrinterPage() : dc_(CreateCompatibleDC(nullptr))
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = PrintService::PageWidth;
        info.bmiHeader.biHeight = -PrintService::PageHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (dc_ && bitmap_)
        {
            previous_ = SelectObject(dc_, bitmap_);
            PatBlt(dc_, 0, 0, PrintService::PageWidth, PrintService::PageHeight, WHITENESS);
        }
    }
    ~PrinterPage()
    {
        if (previous_)
            SelectObject(dc_, previous_);
        if (bitmap_)
            DeleteObject(bitmap_);
        if (dc_)
            DeleteDC(dc_);
    }
    PrinterPage(const PrinterPage&) = delete;
    PrinterPage& operator=(const PrinterPage&) = delete;

    bool IsReady() const { return previous_ != nullptr; }
    HDC Dc() const { return dc_; }
    // The printed page, which the caller then owns.
    HBITMAP Take()
    {
        SelectObject(dc_, previous_);
        previous_ = nullptr;
        HBITMAP page = bitmap_;
        bitmap_ = nullptr;
        return page;
    }

private:
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// Between the title's line and the printable area.
constexpr int TitleGap = 6;

// The job's title in the page's top margin, as printed pages carry it: the document, and what of it the
// pages show. A title longer than the line ends in an ellipsis.
void PrintTitle(HDC dc, const std::wstring& title)
{
    const Orv::SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
    const Orv::BackgroundMode transparent(dc, TRANSPARENT);
    const Orv::TextColour black(dc, RGB(0, 0, 0));
    RECT line{PrintService::Margin, 0, PrintService::PageWidth - PrintService::Margin, PrintService::Margin - TitleGap};
    DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &line,
              DT_SINGLELINE | DT_BOTTOM | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
}

std::wstring TitleOf(IVyrPrintout& printout)
{
    BSTR title = nullptr;
    printout.GetTitle(&title);
    return TakeBstr(title);
}

} // namespace

PrintService::~PrintService()
{
    for (JobRecord& job : jobs_)
        for (HBITMAP page : job.printed)
            DeleteObject(page);
}

HRESULT STDMETHODCALLTYPE PrintService::Print(IVyrPrintout* printout, ULONG)
{
    return PrintEveryPage(printout);
}

HRESULT STDMETHODCALLTYPE PrintService::PrintSecondForm(IVyrPrintout* printout)
{
    return PrintEveryPage(printout);
}

void PrintService::ForgetOldPages()
{
    for (size_t job = 0; job + KeptJobs < jobs_.size(); ++job)
    {
        for (HBITMAP page : jobs_[job].printed)
            DeleteObject(page);
        jobs_[job].printed.clear();
    }
}

HRESULT PrintService::PrintEveryPage(IVyrPrintout* printout)
{
    if (!printout)
        return E_POINTER;
    return Guarded([&]() -> HRESULT {
        std::lock_guard guard(lock_);
        const RECT printable{Margin, Margin, PageWidth - Margin, PageHeight - Margin};
        ULONG count = 0;
        {
            PrinterPage layout;
            if (!layout.IsReady())
                return E_OUTOFMEMORY;
            HRESULT result = printout->SetDC(&printable, layout.Dc(), nullptr);
            if (SUCCEEDED(result))
                result = printout->GetPageCount(&count);
            if (FAILED(result))
                return result;
        }
        IVyrPrintoutType* selection = nullptr;
        printout->QueryInterface(IID_IVyrPrintoutType, reinterpret_cast<void**>(&selection));
        const std::wstring title = TitleOf(*printout);
        HRESULT result = S_OK;
        std::vector<HBITMAP> printed;
        for (ULONG page = 0; page < count && SUCCEEDED(result); ++page)
        {
            if (selection && selection->IsPageSelected(page) != S_OK)
                continue;
            PrinterPage paper;
            if (!paper.IsReady())
                result = E_OUTOFMEMORY;
            else if (SUCCEEDED(result = printout->SetDC(&printable, paper.Dc(), nullptr)) &&
                     SUCCEEDED(result = printout->PrintPage(page, 0)))
            {
                PrintTitle(paper.Dc(), title);
                GdiFlush();
                printed.push_back(paper.Take());
            }
        }
        if (selection)
            selection->Release();
        const auto printedCount = static_cast<ULONG>(printed.size());
        jobs_.push_back({title, printedCount, std::move(printed)});
        ForgetOldPages();
        return result;
    });
}

bool PrintService::Job(ULONG index, std::wstring* title, ULONG* pages)
{
    std::lock_guard guard(lock_);
    if (index >= jobs_.size())
        return false;
    *title = jobs_[index].title;
    *pages = jobs_[index].pages;
    return true;
}

HBITMAP PrintService::CopyPage(ULONG page)
{
    std::lock_guard guard(lock_);
    return jobs_.empty() ? nullptr : CopyKeptPage(static_cast<ULONG>(jobs_.size() - 1), page);
}

HBITMAP PrintService::CopyJobPage(ULONG job, ULONG page)
{
    std::lock_guard guard(lock_);
    return CopyKeptPage(job, page);
}

HBITMAP PrintService::CopyKeptPage(ULONG job, ULONG page) const
{
    if (job >= jobs_.size() || page >= jobs_[job].printed.size())
        return nullptr;
    return static_cast<HBITMAP>(CopyImage(jobs_[job].printed[page], IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

} // namespace Vyr
