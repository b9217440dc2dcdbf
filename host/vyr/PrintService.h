// The host's printing as the stand-in does it: its printer is a white A4 page in memory at the screen's
// resolution, with a 10 mm margin, in whose top the job's title is printed on every page (in the default
// GUI font, ending in an ellipsis where it is longer than the printable width). Every page a printout has
// is drawn there; each job is recorded and the pages of the last few are kept, so that a test or a person
// can see what was printed (one print command may run a job per part of a view).
#pragma once

#include "ComObjects.h"
#include "hostapi/VyrPrintout.h"

#include <mutex>
#include <string>
#include <vector>

namespace Vyr
{

class PrintService final : public StaticComObject<IHostPrintService, &IID_IHostPrintService>
{
public:
    // A4 at 96 pixels per inch.
    static constexpr int PageWidth = 794;
    static constexpr int PageHeight = 1123;
    static constexpr int Margin = 38;

    PrintService() = default;
    PrintService(const PrintService&) = delete;
    PrintService& operator=(const PrintService&) = delete;
    ~PrintService();

    HRESULT STDMETHODCALLTYPE Print(IVyrPrintout* printout, ULONG flags) override;
    HRESULT STDMETHODCALLTYPE PrintSecondForm(IVyrPrintout* printout) override;

    bool Job(ULONG index, std::wstring* title, ULONG* pages);
    // Jobs whose pages are kept, the newest last.
    static constexpr size_t KeptJobs = 8;

    // A copy of a page of the last job; null past its last page.
    HBITMAP CopyPage(ULONG page);
    // A copy of a page of the job of that index (as Job counts them); null when it is not kept.
    HBITMAP CopyJobPage(ULONG job, ULONG page);

private:
    struct JobRecord
    {
        std::wstring title;
        ULONG pages;
        std::vector<HBITMAP> printed;  // empty once the job is no longer kept
    };

    HRESULT PrintEveryPage(IVyrPrintout* printout);
    // Under the lock.
    HBITMAP CopyKeptPage(ULONG job, ULONG page) const;
    // Lets the pages of the jobs before the last KeptJobs go.
    void ForgetOldPages();

    std::mutex lock_;
    std::vector<JobRecord> jobs_;
};

} // namespace Vyr
