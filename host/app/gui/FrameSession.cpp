#include "host/app/gui/FrameSession.h"

#include <stdexcept>

namespace Host
{

namespace
{

constexpr const wchar_t* WorkflowViewName = L"Sistra Workflow";
constexpr LONG TraceHeight = 300;
constexpr const wchar_t* ArrangeViewsStatement = L"Doc.ArrangeSistraViews";

} // namespace

FrameSession::FrameSession(OpenedRecording& opened, const std::wstring& title, const RECT& place, std::ostream& err)
    : frame_(title, CollectMenuCommands(opened.StandIn()), place)
{
    opened.StandIn().SetMainWindow(frame_.Handle());
    frame_.ShowDocument(opened.Document(), opened.Classes().Views());
    frame_.SetHost(&opened.StandIn());
    hostWindows_.emplace(frame_, opened);
    files_.emplace(frame_, opened);
    // A person sits at the frame: the module shows its dialogs.
    opened.StandIn().ShowModuleDialogs(VARIANT_TRUE);
    // The workflow's view opens as its menu command opens it, while the workflow is on.
    for (const ViewClassEntry& view : opened.Classes().Views())
        if (view.name != WorkflowViewName)
            try
            {
                frame_.OpenView(*view.viewClass.Get(), opened.Document());
            }
            catch (const std::runtime_error& e)
            {
                err << "sistra gui: not opened: " << e.what() << "\n";
            }
    // With the workflow on, the frame opens as the workflow's current step arranges the views (the setup
    // step shows none: the host's data view has the area), as it does whenever the step changes.
    if (frame_.ChooseCommand(WorkflowMenuPath) && opened.Analysis())
    {
        Macro::Statement arrange(ArrangeViewsStatement);
        opened.Analysis()->RunStatement(arrange);
    }
    frame_.FollowDocument();
    trace_.emplace(opened.Host(), opened.Document(), opened.StandIn(), frame_.Handle(),
                   RECT{0, 0, place.right - place.left, TraceHeight});
    frame_.SetTopWindow(trace_->Handle());
    const auto redrawTrace = [this] {
        trace_->Refresh();
        InvalidateRect(trace_->Handle(), nullptr, FALSE);
    };
    channels_.emplace(frame_, opened.Host(), opened.ChannelHosts(), redrawTrace);
    channelCommands_.emplace(frame_, opened, redrawTrace);
    macros_.emplace(frame_, opened);
    AnalysisRange& range = range_.emplace(opened.Host());
    frame_.SetAnalysisRangeCommands({[&range] { range.Set(); }, [&range] { return range.CanSet(); }},
                                    {[&range] { range.Clear(); }, [&range] { return range.IsSet(); }});
}

} // namespace Host
