// A graph view's copies and printouts: the graph as an enhanced metafile on the clipboard, the fitted
// regression as text, and a one-page printout; each draws the plot anew, never cut short by the
// screen's time bound.
#include "views/graph/SistraGraphViewBase.h"
#include "views/base/ViewHelpers.h"

#include "document/core/SistraDocument.h"
#include "foundation/text/FormatStream.h"
#include "hostframework/services/HostServices.h"
#include "resources/ResourceIds.h"
#include "tableview/transfer/TableClipboard.h"

namespace Sistra
{

namespace
{

constexpr ULONG PrintFirstFormFlags = 1;

// The clipboard, opened for a window for a scope.
class OpenedClipboard
{
public:
    explicit OpenedClipboard(HWND owner) : open_(::OpenClipboard(owner) != FALSE) {}
    ~OpenedClipboard()
    {
        if (open_)
            ::CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    bool IsOpen() const { return open_; }

private:
    bool open_;
};

} // namespace

void SistraGraphViewBase::GetCopyCommandText(Orv::String& text)
{
    text = TitledCommandText(IDS_VIEW_COPY_COMMAND, GetTitle());
}

void SistraGraphViewBase::GetPrintCommandText(Orv::String& text)
{
    text = TitledCommandText(IDS_VIEW_PRINT_COMMAND, GetTitle());
}

void SistraGraphViewBase::OnCopyRegressionEnable(IVyrCommandState& state)
{
    AnswerCommandState(state, TitledCommandText(IDS_VIEW_COPY_REGRESSION, GetTitle()).c_str(), CanCopyRegression());
}

bool SistraGraphViewBase::CanCopyRegression()
{
    return hasRegression_ != 0 && !IsOnlineAnalysisRunning();
}

void SistraGraphViewBase::CopyRegression()
{
    if (const std::optional<Orv::String> text = GetRegressionText())
        TableView::CopyTextToClipboard(GetHandle(), text->c_str());
}

void SistraGraphViewBase::Render(HDC dc, HDC attributeDc, const RECT& rect)
{
    const RaisedFlag output(renderingForOutput_);
    MGraph1::Graph2DDrawer& screen = *graphWindow_;
    MGraph1::Graph2DDrawer graph;
    UpdateAxes(graph);
    UpdateData(graph);
    BuildPlot(graph);
    graph.SetDomainUnitScale(screen.domainUnitFactor);
    graph.SetRangeUnitScale(screen.rangeUnitFactor);
    double low = 0.0, high = 0.0;
    screen.GetDomain(low, high);
    graph.SetDomain(low, high);
    screen.GetRange(low, high);
    graph.SetRange(low, high);
    graph.SetDomainTitle(screen.GetDomainTitle());
    graph.SetRangeTitle(screen.GetRangeTitle());
    graph.SetDomainUnits(screen.GetDomainUnits());
    graph.SetRangeUnits(screen.GetRangeUnits());
    const RECT target = rect.right > rect.left && rect.bottom > rect.top ? rect : graph.rect;
    graph.DrawTo(dc, attributeDc, target);
    // The series objects now belong to the output's build: the screen's plot is built again.
    graph.RemoveAllPlotters();
    graph.RemoveAllAnnotations();
    RequestStep(UpdateStep::Plot);
    if (GetHandle())
        Invalidate(false);
}

bool SistraGraphViewBase::CopyToClipboard()
{
    if (!GetHandle())
        return false;
    const OWL::TRect client = GetClientRect();
    const OWL::TClientDC reference(GetHandle());
    const HDC referenceDc = reference.GetHDC();
    // The metafile's frame is the client area in hundredths of a millimetre.
    const RECT frame{0, 0,
                     MulDiv(client.Width(), ::GetDeviceCaps(referenceDc, HORZSIZE) * 100,
                            ::GetDeviceCaps(referenceDc, HORZRES)),
                     MulDiv(client.Height(), ::GetDeviceCaps(referenceDc, VERTSIZE) * 100,
                            ::GetDeviceCaps(referenceDc, VERTRES))};
    const HDC metafileDc = ::CreateEnhMetaFileW(referenceDc, nullptr, &frame, nullptr);
    if (!metafileDc)
        return false;
    Render(metafileDc, nullptr, RECT{0, 0, client.Width(), client.Height()});
    const HENHMETAFILE metafile = ::CloseEnhMetaFile(metafileDc);
    if (!metafile)
        return false;
    if (IHostClipboardService* host = GetHostClipboardService())
        host->PrepareForModuleWrite(0);
    const OpenedClipboard clipboard(GetHandle());
    if (!clipboard.IsOpen() || !::EmptyClipboard() || !::SetClipboardData(CF_ENHMETAFILE, metafile))
    {
        ::DeleteEnhMetaFile(metafile);
        return false;
    }
    return true;
}

void SistraGraphViewBase::PrintView(bool secondForm)
{
    IHostApplication* application = HostAppAccessor::Get();
    Orv::ComPtr<IHostPrintService> service;
    if (!application || FAILED(application->GetPrintService(service.Put())) || !service)
        return;
    const Orv::String title = PrintoutTitle(Document() ? static_cast<ICustomDocument*>(Document()) : nullptr, Name());
    const Orv::ComPtr<SistraGraphViewBasePrintout> printout(
        new SistraGraphViewBasePrintout(ViewInterface(), *this, title));
    if (secondForm)
        service->PrintSecondForm(printout.Get());
    else
        service->Print(printout.Get(), PrintFirstFormFlags);
}

void SistraGraphViewBase::OnCopy()
{
    CopyToClipboard();
}

void SistraGraphViewBase::OnPrint()
{
    PrintView(false);
}

void SistraGraphViewBase::OnPrintSecondForm()
{
    PrintView(true);
}

SistraGraphViewBasePrintout::SistraGraphViewBasePrintout(IUnknown* owner, SistraGraphViewBase& view,
                                                         const Orv::String& title)
    : VyrSinglePagePrintout(owner, title, PrintKind, nullptr), view_(view)
{
}

void SistraGraphViewBasePrintout::DrawPage(ULONG, OWL::TDC& dc, ULONG_PTR)
{
    view_.Render(dc.GetHDC(), nullptr, PrintRect());
}

} // namespace Sistra
