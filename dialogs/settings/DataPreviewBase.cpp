#include "dialogs/settings/DataPreviewBase.h"

#include "controls/windows/SmallWindowUtilities.h"
#include "foundation/numbers/NumberUtilities.h"
#include "graph/grid/GraphDisplaySettings.h"
#include "tracedisplay/preview/PreviewDataWin.h"

#include "hostapi/HostDocument.h"
#include "hostapi/PaneDataStore.h"
#include "hostapi/PreviewSampling.h"
#include "hostapi/TraceDataSource.h"
#include "hostapi/VyrAnalysis.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace Sistra
{
namespace
{

constexpr int PreviewWindowId = 12080;
constexpr ULONG WholeRecording = static_cast<ULONG>(HostItemUnsetSecond);
constexpr int32_t NoSelection = 0x7FFFFFFF;
// The position a sampling source is prepared for: the newest data on.
constexpr ULONG FromNewestData = 0x80000000u;
// The share of a shown range left free above and below the trace.
constexpr double RangeMargin = 0.05;

// The samples of the records before this one, as the preview's data lays them end to end.
LONGLONG SamplesBefore(IUnknown* hostDocument, int32_t record)
{
    Orv::ComPtr<IHostDocument> document;
    if (FAILED(hostDocument->QueryInterface(IID_IHostDocument, document.PutVoid())))
        return 0;
    LONGLONG samples = 0;
    for (int32_t before = 0; before < record; ++before)
    {
        int32_t ticks = 0;
        if (SUCCEEDED(document->GetRecordLength(0, before, &ticks)))
            samples += ticks;
    }
    return samples;
}

// The sampling bar comes back only with a source to sample from.
void EnableControls(StrixDraw::PreviewDataWinWButtons& window, bool enable)
{
    if (StrixDraw::PreviewControl* bar = window.SamplingBar())
        bar->Enable(enable && window.HasSource());
    if (StrixDraw::PreviewControl* bar = window.TraceBar())
        bar->Enable(enable);
}

// The preview shows times as the host's own windows do.
void TakeHostTimeDisplay(StrixDraw::PreviewDataWinWButtons& window, IUnknown* hostDocument)
{
    uint32_t mode = StrixDraw::TimeMode::Elapsed;
    Orv::ComPtr<IHostDocument> document;
    if (hostDocument && SUCCEEDED(hostDocument->QueryInterface(IID_IHostDocument, document.PutVoid())) && document)
        document->GetTimeDisplayMode(&mode);
    window.SetTimeDisplayMode(mode);
    window.NotifyAllChannels(mode);
    for (StrixDraw::PreviewControl* bar : {window.SamplingBar(), window.TraceBar()})
        if (bar)
            bar->UpdateNow();
    window.InvalidatePanes();
}

} // namespace

// The controls and the live data come back however the rebuild ends: a text that does not compile
// leaves the preview without marks, not frozen.
class DataPreviewBase::Rebuilding
{
public:
    explicit Rebuilding(StrixDraw::PreviewDataWinWButtons& window)
        : window_(window), sampled_(window.SamplingState() == StrixDraw::SamplingState::Sampling)
    {
        if (sampled_)
            window_.StopSampling();
        window_.SuspendPainting(true);
        EnableControls(window_, false);
        window_.RemoveTraceDrawers();
        window_.UpdatePaneRanges();
    }
    ~Rebuilding()
    {
        EnableControls(window_, true);
        window_.SuspendPainting(false);
        window_.UpdatePaneRanges();
        window_.InvalidatePanes();
        if (sampled_)
            window_.StartSampling();
    }
    Rebuilding(const Rebuilding&) = delete;
    Rebuilding& operator=(const Rebuilding&) = delete;

private:
    StrixDraw::PreviewDataWinWButtons& window_;
    const bool sampled_;
};

// The channels leave the host before the window that shows them.
DataPreviewBase::~DataPreviewBase()
{
    channels_.reset();
    delete window_;
}

void DataPreviewBase::Attach(IUnknown* hostDocument, IUnknown* hostData, OWL::TWindow* owner)
{
    hostDocument_ = Orv::ComPtr<IUnknown>(hostDocument);
    hostData_ = Orv::ComPtr<IUnknown>(hostData);
    owner_ = owner;
    Orv::ComPtr<ISampleHolderSource> holders;
    if (hostData && SUCCEEDED(hostData->QueryInterface(IID_ISampleHolderSource, holders.PutVoid())) && holders)
        holders->CreateHolder(WholeRecording, previewData_.Put());
    if (!channels_)
        channels_ = std::make_unique<PreviewChannels>(hostDocument);
    CreatePreviewWindow(PreviewWindowId);
    if (window_)
        TakeHostTimeDisplay(*window_, hostDocument);
    AttachSamplingSource();
}

// The host's first source, while it can sample, lets the preview's bar start and pause live data.
void DataPreviewBase::AttachSamplingSource()
{
    Orv::ComPtr<IHostSamplingSources> sources;
    LONG state = -1, count = 0;
    if (!window_ || !hostDocument_ ||
        FAILED(hostDocument_->QueryInterface(IID_IHostSamplingSources, sources.PutVoid())) || !sources ||
        FAILED(sources->GetState(0, &state)) || state != 0 || FAILED(sources->GetSourceCount(&count)) || count <= 0)
        return;
    Orv::ComPtr<ISamplingSource> source;
    if (SUCCEEDED(sources->PrepareSource(0, 0, FromNewestData, source.Put())) && source)
        window_->AttachSamplingSource(source.Get());
}

void DataPreviewBase::CreatePreviewWindow(int value)
{
    delete window_;
    window_ = nullptr;
    Orv::ComPtr<IPaneDataSource> source;
    if (!owner_ || !previewData_ ||
        FAILED(previewData_->QueryInterface(IID_IPaneDataSource, source.PutVoid())) || !source)
        return;
    window_ = new StrixDraw::PreviewDataWinWButtons(owner_, source.Get(), StrixDraw::PreviewBarsBesideScales,
                                                    StrixDraw::AxisFlag::FirstAxis);
    window_->Attr.Id = value;
    window_->SetControlFlags(StrixDraw::PreviewFlag::TraceBar);
    if (owner_->GetHandle())
        window_->Create();
}

// The preview shows a refused text by showing no marks; a concrete preview may say more.
void DataPreviewBase::ReportExpressionError(const Orv::String&, const Orv::String&, const Orv::String&) {}

void DataPreviewBase::ShowAt(int, int placeholderId)
{
    if (!window_ || !owner_->GetHandle())
        return;
    const OrvControls::DialogItemPlacement placement(owner_->GetHandle(), placeholderId);
    window_->MoveWindow(OWL::TRect(placement.rect), true);
    LONGLONG start = 0;
    const double step = PreviewStep(start);
    int numerator = 1, denominator = 1;
    Orv::BestRationalApproximation(step, numerator, denominator);
    window_->SetHorizontalScale(numerator, denominator, nullptr, true);
    // The pane counts positions in pixels of the scale just set, and scrolls to its right edge: at more than
    // one sample a pixel, a start counted in samples put the view past the end of the data.
    window_->ScrollToPosition(0.0, static_cast<LONGLONG>(std::floor(start / step)) + window_->VisibleWidth());
    Update();
}

// The host's selection, over one record or several, fills about SelectionPixels; start: the
// selection's first sample counted over the records laid end to end. Without a selection the preview
// opens from the first sample as many samples a pixel as the host's view of the data shows.
double DataPreviewBase::PreviewStep(LONGLONG& start) const
{
    start = 0;
    Orv::ComPtr<IHostSelection> selection;
    TickPosition first{NoSelection, NoSelection}, last{NoSelection, NoSelection};
    LONGLONG from = 0, to = 0;
    if (hostDocument_ && SUCCEEDED(hostDocument_->QueryInterface(IID_IHostSelection, selection.PutVoid())) &&
        SUCCEEDED(selection->GetSelection(&first, &last)) && first.record != NoSelection && last.record != NoSelection)
    {
        from = SamplesBefore(hostDocument_.Get(), first.record) + first.tick;
        to = SamplesBefore(hostDocument_.Get(), last.record) + last.tick;
    }
    if (from != to)
    {
        start = std::min(from, to);
        return Orv::PreviewStepForRatio(static_cast<double>(std::abs(to - from)) / SelectionPixels);
    }
    const std::optional<double> shown = HostSamplesPerPixel();
    return shown ? Orv::PreviewStepForRatio(*shown) : 1.0;
}

void DataPreviewBase::Update()
{
    if (!window_)
        return;
    std::vector<Orv::String> expressions;
    std::vector<TraceUnit> units;
    GetExpressions(expressions);
    GetTraceUnits(units);
    ApplyExpressions(expressions, units);
}

PreviewChannels* DataPreviewBase::Channels()
{
    if (channels_)
        channels_->Make();
    return channels_.get();
}

void DataPreviewBase::ApplyExpressions(const std::vector<Orv::String>& expressions,
                                       const std::vector<TraceUnit>& units)
{
    PreviewChannels* channels = Channels();
    if (!window_ || !channels || !channels->Made() || channels->IsApplied(expressions, units))
        return;
    const Rebuilding rebuilding(*window_);
    OnBeforeCompile();
    if (channels->Apply(expressions, units) == PreviewChannels::Applied::Failed)
    {
        ReportExpressionError(Orv::String(L"Invalid Equation"), Orv::String(L"The equation you entered is not valid"),
                              channels->Refusal());
        return;
    }
    OnExpressionCompiled();
    ++rebuilds_;
    BuildDrawers();
}

// The grid and the trace in the colours the host's own trace display uses.
void DataPreviewBase::ReadDisplaySettings()
{
    Orv::ComPtr<IHostViewSettings> settings;
    if (hostDocument_)
        hostDocument_->QueryInterface(IID_IHostViewSettings, settings.PutVoid());
    const MGraph1::GraphDisplaySettings display(settings.Get());
    gridColour_ = display.gridColour;
    traceColour_ = display.traceColour;
}

// The range found wins over the window's own scaling, which knows the data only once it has drawn them.
void DataPreviewBase::SetAxisRange(bool secondAxis, const std::pair<double, double>* range)
{
    const LONG axis = secondAxis ? 2 : 1;
    window_->UpdateView(0x80000000u);
    StrixDraw::ChannelPane* lane = window_->Lane(0);
    SHORT scales = 0;
    if (range)
        ApplyAxisRange(secondAxis, range->first, range->second);
    else if (lane && SUCCEEDED(window_->QueryPaneFlag(static_cast<ULONG>(axis), &scales)) && scales)
        lane->AutoScaleAxis(axis);
}

void DataPreviewBase::ApplyAxisRange(bool secondAxis, double low, double high)
{
    const LONG axis = secondAxis ? 2 : 1;
    if (StrixDraw::ChannelPane* lane = window_->Lane(0))
    {
        lane->ApplyAxisRange(axis, low, high);
        lane->SetAxisRange(axis, low, high, true, false);
    }
}

// The range the host shows the channel over, which holds what is still to be sampled too, when the host
// keeps one; else the range of the data in view, which a preview opened before sampling has none of.
std::optional<std::pair<double, double>> DataPreviewBase::ShownRange(LONG channel) const
{
    if (!window_)
        return std::nullopt;
    double low = DBL_MAX, high = -DBL_MAX;
    Orv::ComPtr<IHostChannelDisplay> display;
    Orv::ComPtr<IRecordDataSource> data;
    const bool hostRange = hostDocument_ &&
                           SUCCEEDED(hostDocument_->QueryInterface(IID_IHostChannelDisplay, display.PutVoid())) &&
                           display && display->GetDisplayRange(channel, HostDisplayRangeShown, &low, &high) == S_OK;
    if (!hostRange &&
        (!window_->Store() || FAILED(window_->Store()->QueryInterface(IID_IRecordDataSource, data.PutVoid())) ||
         !data || data->GetRange(0, channel, window_->ViewLeft(), window_->ScrollPosition(), &low, &high, 0, 0, 0, 0) != S_OK))
        return std::nullopt;
    if (!(low <= high))
        return std::nullopt;
    const double margin = std::max(high - low, 1.0) * RangeMargin;
    return std::pair(low - margin, high + margin);
}

} // namespace Sistra
