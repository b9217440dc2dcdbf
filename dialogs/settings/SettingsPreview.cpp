#include "dialogs/settings/SettingsPreview.h"

#include "document/analysis/PeakHeightInChannelUnit.h"
#include "document/core/SistraDocument.h"
#include "document/models/workflow/WorkflowModelReader.h"
#include "hostframework/messaging/SistraIds.h"
#include "tracedisplay/drawers/EventDrawer.h"
#include "tracedisplay/drawers/GraticuleDrawer.h"
#include "tracedisplay/drawers/PolyLineTraceDrawer.h"
#include "tracedisplay/preview/PreviewDataWin.h"

namespace Sistra
{
namespace
{

// The first axis: the scale the grid and the pressure trace are drawn against.
constexpr ULONG PressureScale = 1;

// The dialog shows the preview once the program has its window.
const bool installed = (InstalledSettingsPreview() = [] { return std::make_unique<SettingsPreview>(); }, true);

void AddDrawer(StrixDraw::PreviewDataWinWButtons& window, IStrixRecordDrawer* made)
{
    const Orv::ComPtr<IStrixRecordDrawer> drawer(made);
    window.AddTraceDrawer(drawer.Get());
}

} // namespace

VYR_DEFINE_EVENT_MAP(SettingsPreview, VyrCppEventHandler){
    VyrEventMap::Header(),
    VyrEventMap::Observer(&MsgIdClass<&SistraDocumentGUID, DocumentNotification::ModelPropertiesChanged>::GetId,
                          &CallMemberNoArgs<SettingsPreview, &SettingsPreview::OnModelChanged>),
    VyrEventMap::End(),
};

SettingsPreview::~SettingsPreview() = default;

void SettingsPreview::SetModel(ModelPtr model, SistraDocument* document)
{
    model_ = std::move(model);
    document_ = document;
    if (model_)
        Observe(static_cast<ISubject*>(model_.get()));
}

int32_t SettingsPreview::PressureChannel() const
{
    return model_ ? model_->GetPressureChannel() : 0;
}

HostItemId SettingsPreview::GetReferenceChannel()
{
    return HostItemId{PressureChannel(), HostItemUnsetSecond};
}

void SettingsPreview::GetExpressions(std::vector<Orv::String>& expressions)
{
    expressions.clear();
    PreviewChannels* channels = Channels();
    if (!model_ || !channels || !channels->Made())
        return;
    const WorkflowModelReader setup(model_);
    const PeakHeightInChannelUnit reader(setup, document_ ? ChannelPeakHeightScale(document_->GetHostDocument(), PressureChannel()) : 1.0);
    expressions = SettingsPreviewExpressions(reader, channels->TextName(0));
}

void SettingsPreview::GetTraceUnits(std::vector<TraceUnit>& units)
{
    units = SettingsPreviewUnits();
}

std::optional<double> SettingsPreview::HostSamplesPerPixel() const
{
    double samples = 0.0;
    const Orv::ComPtr<IHostTraceView> view = document_ ? document_->MainDataView() : Orv::ComPtr<IHostTraceView>();
    if (!view || view->GetSamplesPerPixel(&samples) != S_OK || !(samples > 0.0))
        return std::nullopt;
    return samples;
}

void SettingsPreview::BuildDrawers()
{
    StrixDraw::PreviewDataWinWButtons* window = Window();
    PreviewChannels* channels = Channels();
    if (!window || !channels)
        return;
    ReadDisplaySettings();
    const LONG pressure = PressureChannel();
    window->RemoveTraceDrawers();
    const COLORREF trace = TraceColour();
    AddDrawer(*window, new StrixDraw::GraticuleDrawer(PressureScale, GridColour(), {pressure, 0}));
    AddDrawer(*window, new StrixDraw::PolyLineTraceDrawer(PressureScale, &trace, {pressure, 0}));
    for (const HostItemId& id : channels->Ids())
        AddDrawer(*window, new StrixDraw::EventDrawer({id.first, static_cast<ULONG>(id.second)}));
    const auto range = ShownRange(pressure);
    SetAxisRange(false, range ? &*range : nullptr);
}

} // namespace Sistra
