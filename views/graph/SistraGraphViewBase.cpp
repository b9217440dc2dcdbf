// The graph view's window: its children and their layout, the update cycle that rebuilds what the
// data changed, the ranging of the axes, and the host events it answers.
#include "views/graph/SistraGraphViewBase.h"

#include "views/graph/ViewPlotData.h"

#include "document/core/SistraDocument.h"
#include "foundation/numbers/Units.h"
#include "graph/grid/GraphDisplaySettings.h"
#include "graph/plotters/GlyphPlotter.h"
#include "hostframework/messaging/SistraIds.h"
#include "hostframework/services/HostHelp.h"
#include "resources/ResourceIds.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <sstream>

namespace Sistra
{

namespace
{

constexpr int TitleInset = 7;
constexpr int TitleMaxHeight = 18;
constexpr int HelpButtonWidth = 30;
constexpr int HelpButtonHeight = 23;
constexpr int HelpButtonInset = 2;
constexpr UINT HelpBitmapId = IDB_VIEW_HELP;
constexpr uint32_t DataChangedRefreshHint = 0x18;
// The axis limits the user has not moved equal the last ones set, to this relative tolerance.
constexpr double UnmovedTolerance = 1e-6;
constexpr double UnmovedFloor = 1e-12;

constexpr ULONG DefaultSizeQuery = 0x80080002;
constexpr ULONG CopyMessage = 0x80010008;
constexpr ULONG PrintMessage = 0x8001000B;
constexpr ULONG PrintSecondFormMessage = 0x8001000C;

bool SameLimits(double a, double b, double relative, double floor)
{
    if (std::fabs(a) < floor && std::fabs(b) < floor)
        return true;
    return std::fabs(a - b) <= relative * std::max(std::fabs(a), std::fabs(b));
}

// The limits that put [low, high] in the middle half of an axis. Values without spread get a tenth of
// their size either side, and values of 0 the span an empty axis has (an axis from 0 to 0 shows nothing).
std::pair<double, double> MiddleHalf(double low, double high, double emptySpan)
{
    double width = high - low;
    if (width <= 0.0)
        width = std::fabs(high * 0.1);
    if (width == 0.0)
        width = emptySpan;
    const double centre = (low + high) * 0.5;
    return {centre - width, centre + width};
}

// Extents of points that can be shown: finite, and low not above high (a range widened by no value at
// all runs from FLT_MAX down to -FLT_MAX, and the axes ranged on it went to some ±1e38).
bool ExtentsHoldPoints(const ViewExtents& extents)
{
    const auto holds = [](float low, float high) { return std::isfinite(low) && std::isfinite(high) && low <= high; };
    return holds(extents.xLow, extents.xHigh) && holds(extents.yLow, extents.yHigh);
}

// Moves an axis to the proposed limits when they differ from the last ones set; a display the user
// zoomed or moved since stays where it is.
template <class Set>
void RangeAxis(std::pair<double, double>& last, std::pair<double, double> displayed, std::pair<double, double> proposed,
               Set set)
{
    constexpr double DifferentRelative = 1e-13;
    constexpr double DifferentFloor = 1e-32;
    if (SameLimits(proposed.first, last.first, DifferentRelative, DifferentFloor) &&
        SameLimits(proposed.second, last.second, DifferentRelative, DifferentFloor))
        return;
    const bool unmoved = SameLimits(displayed.first, last.first, UnmovedTolerance, UnmovedFloor) &&
                         SameLimits(displayed.second, last.second, UnmovedTolerance, UnmovedFloor);
    last = proposed;
    if (unmoved)
        set(proposed.first, proposed.second);
}

// An empty axis: 0 to 1 in the units its scale prints (not a million microlitres).
double EmptyAxisSpan(double unitFactor)
{
    return 1.0 / unitFactor;
}

std::pair<double, double> StartingSpan(double unitFactor)
{
    return {0.0, EmptyAxisSpan(unitFactor)};
}

constexpr int StaticTextRoom = 2;

OWL::TFont& SharedGraphFont(SistraGraphViewBase& view)
{
    // Made once, by the first graph view, for the module's lifetime.
    static const std::unique_ptr<OWL::TFont> font = view.MakeGraphFont();
    return *font;
}

} // namespace

DEFINE_RESPONSE_TABLE1(SistraGraphViewBase, SistraViewBase)
    EV_WM_SIZE,
    EV_WM_GETMINMAXINFO,
    EV_BN_CLICKED(SistraGraphViewBase::HelpButtonId, ShowHelp),
    EV_WM_CTLCOLORBTN,
    EV_WM_CTLCOLORSTATIC,
END_RESPONSE_TABLE;

VYR_DEFINE_EVENT_MAP(SistraGraphViewBase, SistraViewBase){
    VyrEventMap::Header(),
    VyrEventMap::Observer(&ConstantId<DefaultSizeQuery>,
                          &DispatchObserverEvent<SistraGraphViewBase, LONG, &SistraGraphViewBase::OnDefaultSize>),
    VyrEventMap::Observer(&MsgIdClass<&HostDocEventGUID, 5>::GetId,
                          &CallMemberNoArgs<SistraGraphViewBase, &SistraGraphViewBase::OnHostDataChanged>),
    VyrEventMap::Observer(&MsgIdClass<&HostDocEventGUID, 7>::GetId,
                          &CallMemberNoArgs<SistraGraphViewBase, &SistraGraphViewBase::OnHostDisplayChanged>),
    VyrEventMap::Observer(&MsgIdClass<&HostDocEventGUID, 8>::GetId,
                          &CallMemberNoArgs<SistraGraphViewBase, &SistraGraphViewBase::OnDisplaySettingsChanged>),
    VyrEventMap::Message(&ConstantId<CopyMessage>, &DispatchMessageNoArgs<SistraGraphViewBase, &SistraGraphViewBase::OnCopy>),
    VyrEventMap::Message(&ConstantId<PrintMessage>,
                         &DispatchMessageNoArgs<SistraGraphViewBase, &SistraGraphViewBase::OnPrint>),
    VyrEventMap::Message(&ConstantId<PrintSecondFormMessage>,
                         &DispatchMessageNoArgs<SistraGraphViewBase, &SistraGraphViewBase::OnPrintSecondForm>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &MsgIdClass<&SistraDocumentGUID, Command::CopyRegression>::GetId,
                         &CallMemberNoArgs<SistraGraphViewBase, &SistraGraphViewBase::CopyRegression>),
    VyrEventMap::Command(VyrEventKind::CommandEnable, &MsgIdClass<&SistraDocumentGUID, Command::CopyRegression>::GetId,
                         &DispatchCommandEnable<SistraGraphViewBase, &SistraGraphViewBase::OnCopyRegressionEnable>),
    VyrEventMap::End(),
};

SistraGraphViewBase::SistraGraphViewBase(const ViewCreation& creation, const Orv::String& title, int32_t viewNumber,
                                         int modelKind)
    : SistraViewBase(creation, title, viewNumber, modelKind), series_(8)
{
    graphWindow_ = std::make_unique<MGraph1::Graph2DWindow>(this, title.c_str(), creation.module);
    helpButton_ = std::make_unique<OrvControls::TBmpTxtButton>(this, HelpButtonId, L"", 0, 0, 0, 0, Orv::String(),
                                                               false, creation.module);
}

SistraGraphViewBase::~SistraGraphViewBase()
{
    // The series objects are the drawer's message receivers: they leave before it.
    if (graphWindow_)
        for (unsigned i = 0; i < series_.Count(); ++i)
            if (ViewPlotData* object = series_[i])
                graphWindow_->RemoveMouseReceiver(object);
    if (graphWindow_)
    {
        graphWindow_->RemoveAllPlotters();
        graphWindow_->RemoveAllAnnotations();
        graphWindow_->RemoveRedrawReceiver(this);
        graphWindow_->RemoveMouseReceiver(this);
    }
}

void SistraGraphViewBase::GetWindowClass(WNDCLASSEXW& windowClass)
{
    SistraViewBase::GetWindowClass(windowClass);
    windowClass.style |= CS_HREDRAW | CS_VREDRAW;
    windowClass.hbrBackground = HasWhiteBackground() ? static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH))
                                                     : reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
}

HBRUSH SistraGraphViewBase::EvCtlColor(HDC dc, HWND, UINT)
{
    ::SetBkMode(dc, TRANSPARENT);
    return HasWhiteBackground() ? static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)) : ::GetSysColorBrush(COLOR_BTNFACE);
}

std::unique_ptr<OWL::TFont> SistraGraphViewBase::MakeGraphFont()
{
    return std::make_unique<OWL::TFont>(L"Tahoma", 13, 0, 0, 0, FW_NORMAL, DEFAULT_PITCH | FF_DONTCARE, FALSE, FALSE,
                                        FALSE, DEFAULT_CHARSET);
}

void SistraGraphViewBase::SetupWindow()
{
    SharedGraphFont(*this);
    if (HasTitle())
        titleText_ = std::make_unique<OrvControls::StaticText>(this);
    SistraViewBase::SetupWindow();
    if (titleText_)
    {
        titleText_->SetFont(MakeGraphFont());
        titleText_->Text().Clear();
        const COLORREF back = HasWhiteBackground() ? RGB(255, 255, 255) : ::GetSysColor(COLOR_BTNFACE);
        titleText_->SetColours(::GetSysColor(COLOR_WINDOWTEXT), back);
    }
    SetUpAxes();
    helpButton_->SetBitmap(HelpBitmapId);
    helpButton_->SetHelpText(GetHelpText());
    // The window was sized before its children existed.
    if (const OWL::TRect client = GetClientRect(); client.Width() > 0 || client.Height() > 0)
        PlaceChildren(client);
    DataChanged(DataChangedRefreshHint);
}

void SistraGraphViewBase::SetUpAxes()
{
    MGraph1::Graph2DDrawer& graph = *graphWindow_;
    SistraData* data = AnalysisData();
    if (!ShowsAnalysisData())
    {
        graph.SetDomainUnitScale(GetDomainUnitScale());
        graph.SetRangeUnitScale(GetRangeUnitScale());
    }
    else if (data && data->GetLoopCount() > 0)
    {
        // Both axes start on the horizontal channel's units; the first update puts each on its own.
        const double scale = GetDomainUnitScale();
        graph.SetDomainUnitScale(scale);
        graph.SetRangeUnitScale(scale);
    }
    graph.SetDomainBounds(-DBL_MAX, DBL_MAX);
    graph.SetRangeBounds(-DBL_MAX, DBL_MAX);
    lastDomain_ = StartingSpan(graph.domainUnitFactor);
    lastRange_ = StartingSpan(graph.rangeUnitFactor);
    rangedFromData_ = false;
    graph.SetDomain(lastDomain_.first, lastDomain_.second);
    graph.SetRange(lastRange_.first, lastRange_.second);
    graph.EnableDomainScaleOption();
    graph.EnableRangeScaleOption();
    graph.AddRedrawReceiver(this);
    graph.AddMouseReceiver(this);
}

void SistraGraphViewBase::EvSize(UINT sizeType, const OWL::TSize& size)
{
    SistraViewBase::EvSize(sizeType, size);
    if (size.cx == 0 && size.cy == 0)
        return;
    // The host sizes the view's window itself: its width attribute, which bounds the title line, follows,
    // else the line keeps the width the window was made with (none) and never shows a hint.
    const OWL::TRect outer = GetWindowRect();
    Attr.W = outer.Width();
    Attr.H = outer.Height();
    PlaceChildren(GetClientRect());
    Invalidate(true);
}

RECT SistraGraphViewBase::GraphRectIn(const RECT& client, const ViewMargins& margins)
{
    RECT graph = client;
    if (titleText_ && titleText_->GetHandle())
        graph.top = client.top + TitleInset + TitleMaxHeight;
    graph.left += margins.left;
    graph.right -= margins.right;
    graph.top += margins.top;
    graph.bottom -= margins.bottom;
    return graph;
}

void SistraGraphViewBase::PlaceTitleLine(const RECT& client)
{
    // The line ends inside the view, as far from its right edge as it starts from its left.
    const int width = std::clamp(GetTitleWidth(), 0, static_cast<int>(client.right - client.left) - 2 * TitleInset);
    // Above the strip of controls it lies in; the graph begins below it.
    ::SetWindowPos(titleText_->GetHandle(), HWND_TOP, client.left + TitleInset, client.top + TitleInset, width,
                   TitleMaxHeight, SWP_NOACTIVATE);
}

void SistraGraphViewBase::PlaceChildren(const RECT& client)
{
    if (titleText_ && titleText_->GetHandle())
        PlaceTitleLine(client);
    const RECT graph = GraphRectIn(client, GetGraphMargins());
    if (graphWindow_->GetHandle())
        graphWindow_->MoveWindow(OWL::TRect(graph.left, graph.top, graph.right, graph.bottom), true);
    const RECT& around = IsHelpButtonInGraph() ? graph : client;
    // The button lies over the graph's corner: above it in the z-order, or the graph (made first, so
    // on top) would take its clicks and paint over it.
    if (helpButton_->GetHandle())
        ::SetWindowPos(helpButton_->GetHandle(), HWND_TOP, around.left + HelpButtonInset,
                       around.bottom - HelpButtonInset - HelpButtonHeight, HelpButtonWidth, HelpButtonHeight,
                       SWP_NOACTIVATE);
}

RECT SistraGraphViewBase::PlotRectIn(SIZE client, const ViewMargins& margins)
{
    RECT graph = GraphRectIn(RECT{0, 0, client.cx, client.cy}, margins);
    // The graph window's own edges, then the drawer's inset and its axis strips.
    if (graphWindow_->GetHandle())
    {
        const OWL::TRect outer = graphWindow_->GetWindowRect();
        const OWL::TRect inner = graphWindow_->GetClientRect();
        graph.right -= outer.Width() - inner.Width();
        graph.bottom -= outer.Height() - inner.Height();
    }
    const RECT inset{graph.left + graphWindow_->marginLeft, graph.top + graphWindow_->marginTop,
                     graph.right - graphWindow_->marginRight, graph.bottom - graphWindow_->marginBottom};
    RECT plot{};
    graphWindow_->GetPlotRect(plot, inset);
    return plot;
}

SIZE SistraGraphViewBase::PlotOverhead(const ViewMargins& margins, LONG width)
{
    const RECT plot = PlotRectIn(SIZE{width, WideClient}, margins);
    return SIZE{width - (plot.right - plot.left), WideClient - (plot.bottom - plot.top)};
}

int SistraGraphViewBase::EquationsRoom(bool shortest)
{
    const std::optional<Orv::String> equations = GetRegressionText();
    if (!equations)
        return 0;
    const OWL::TClientDC dc(GraphWindow().GetHandle());
    int room = 0;
    std::wistringstream lines(equations->c_str());
    for (std::wstring line; std::getline(lines, line);)
    {
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        room = std::max(room, shortest ? MGraph1::ShortestCornerLabelRoom(dc.GetHDC(), line)
                                        : MGraph1::CornerLabelRoom(dc.GetHDC(), line));
    }
    return room;
}

SIZE SistraGraphViewBase::LeastPlotHolding(SIZE least, int equations)
{
    MGraph1::Graph2DWindow& graph = GraphWindow();
    const OWL::TClientDC dc(graph.GetHandle());
    // Clear of the strip's ends, so that a caption does not run into the next one or the tile's edge.
    constexpr LONG CaptionEndGap = 4;
    const auto captionWidth = [&](const std::wstring& title, const std::wstring& units) -> LONG {
        const std::wstring caption = title.empty() ? units : units.empty() ? title : title + L" (" + units + L")";
        return MGraph1::ReadableTextWidth(dc.GetHDC(), caption) + 2 * CaptionEndGap;
    };
    const LONG across = captionWidth(graph.GetDomainTitle(), graph.GetDomainUnits());
    const LONG up = captionWidth(graph.GetRangeTitle(), graph.GetRangeUnits());
    return SIZE{std::max({least.cx, static_cast<LONG>(equations), across}), std::max(least.cy, up)};
}

void SistraGraphViewBase::EvGetMinMaxInfo(MINMAXINFO& limits)
{
    const SIZE least = GetLeastSize();
    if (least.cx > 0 || least.cy > 0)
        limits.ptMinTrackSize = POINT{least.cx, least.cy};
}

void SistraGraphViewBase::PlaceAgain(HWND window)
{
    RECT area{};
    ::GetClientRect(window, &area);
    ::PostMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(area.right, area.bottom));
}

void SistraGraphViewBase::NoteLeastSize()
{
    const SIZE least = GetLeastSize();
    if (least.cx == notedLeastSize_.cx && least.cy == notedLeastSize_.cy)
        return;
    notedLeastSize_ = least;
    if (GetHandle())
        if (const HWND parent = ::GetParent(GetHandle()))
            PlaceAgain(parent);
}

void SistraGraphViewBase::Paint(OWL::TDC& dc, bool erase, OWL::TRect& rect)
{
    RunUpdateCycle();
    if (titleText_ && titleText_->GetHandle())
        titleText_->Invalidate(true);
    SistraViewBase::Paint(dc, erase, rect);
}

void SistraGraphViewBase::DataChanged(uint32_t)
{
    dirty_.SetLowBits(UpdateStep::LastViewStep + 1);
    InvalidateGraph();
    RunUpdateCycle();
    if (GetHandle())
        Invalidate(true);
    // New equations may need a wider plot than the tile the view was given.
    NoteLeastSize();
}

void SistraGraphViewBase::RunUpdateCycle()
{
    if (dirty_.None())
        return;
    BeginUpdate(dirty_);
    MGraph1::Graph2DDrawer& graph = *graphWindow_;
    for (int step = 0; step < UpdateStep::StepsPerPaint && !dirty_.None(); ++step)
    {
        const auto bit = static_cast<uint32_t>(dirty_.FirstSetBit());
        dirty_.Set(bit, false);
        switch (bit)
        {
        case UpdateStep::Data:
            UpdateData(graph);
            break;
        case UpdateStep::Plot:
            BuildPlot(graph);
            break;
        case UpdateStep::Axes:
            UpdateAxes(graph);
            break;
        default:
            UpdatePart(bit);
        }
    }
    AutoRange();
    KeepStartingSpans();
    InvalidateGraph();
}

// Without points to show (no loops, as after Clear Analysis, or extents of no values) the axes go back
// to the spans they started with rather than keeping the last data's; a view that has loops but does not
// range on too few of them keeps its axes where they are.
void SistraGraphViewBase::AutoRange()
{
    if (!IsPlotEnabled())
        return;
    ViewExtents extents;
    const bool handedOut = GetDataExtents(extents);
    if (handedOut && ExtentsHoldPoints(extents))
    {
        rangedFromData_ = true;
        const MGraph1::Graph2DDrawer& graph = *graphWindow_;
        ProposeLimits(MiddleHalf(extents.xLow, extents.xHigh, EmptyAxisSpan(graph.domainUnitFactor)),
                      MiddleHalf(extents.yLow, extents.yHigh, EmptyAxisSpan(graph.rangeUnitFactor)));
        return;
    }
    SistraData* data = AnalysisData();
    if (handedOut || (ShowsAnalysisData() && !(data && data->GetLoopCount() > 0)))
        rangedFromData_ = false;
}

void SistraGraphViewBase::KeepStartingSpans()
{
    if (rangedFromData_)
        return;
    const MGraph1::Graph2DDrawer& graph = *graphWindow_;
    ProposeLimits(StartingSpan(graph.domainUnitFactor), StartingSpan(graph.rangeUnitFactor));
}

void SistraGraphViewBase::ProposeLimits(std::pair<double, double> domain, std::pair<double, double> range)
{
    MGraph1::Graph2DDrawer& graph = *graphWindow_;
    // A double-click on an axis (the graph's autoscale) goes back to these limits: without them it went
    // to the graph's own 0..1 and every point left the plot.
    graph.SetDomainExtent(domain.first, domain.second);
    graph.SetRangeExtent(range.first, range.second);
    // The axes' limits are in the data's units; the unit scales change only what the scales print.
    std::pair<double, double> displayed;
    graph.GetDomain(displayed.first, displayed.second);
    RangeAxis(lastDomain_, displayed, domain, [&](double low, double high) { graph.SetDomain(low, high); });
    graph.GetRange(displayed.first, displayed.second);
    RangeAxis(lastRange_, displayed, range, [&](double low, double high) { graph.SetRange(low, high); });
}

void SistraGraphViewBase::UpdateAxes(MGraph1::Graph2DDrawer& graph)
{
    SistraData* data = AnalysisData();
    if (ShowsAnalysisData() && !(data && data->GetLoopCount() > 0))
        return;
    graph.SetRangeTitle(GetRangeTitle().c_str());
    graph.SetDomainTitle(GetDomainTitle().c_str());
    graph.SetDomainUnitScale(GetDomainUnitScale());
    graph.SetDomainUnits(GetDomainUnits().c_str());
    graph.SetRangeUnitScale(GetRangeUnitScale());
    graph.SetRangeUnits(GetRangeUnits().c_str());
}

void SistraGraphViewBase::UpdateData(MGraph1::Graph2DDrawer&)
{
    RequestStep(UpdateStep::Plot);
}

bool SistraGraphViewBase::IsScreenDrawing()
{
    return !renderingForOutput_;
}

void SistraGraphViewBase::GetDomainLimits(double& low, double& high)
{
    graphWindow_->GetDomain(low, high);
}

void SistraGraphViewBase::GetRangeLimits(double& low, double& high)
{
    graphWindow_->GetRange(low, high);
}

SIZE SistraGraphViewBase::MeasureControlText(int controlId)
{
    const Orv::String text = GetControlText(controlId);
    const OWL::TScreenDC screen;
    const OWL::SelectedObject font(screen, SharedGraphFont(*this));
    SIZE extent{};
    ::GetTextExtentPoint32W(screen.GetHDC(), text.c_str(), static_cast<int>(text.Length()), &extent);
    // A static control exactly as wide as its text's extent loses the text's last pixel column when it
    // draws: a closing full stop went missing.
    if (extent.cx > 0)
        extent.cx += StaticTextRoom;
    return extent;
}

HFONT SistraGraphViewBase::ControlFont()
{
    return SharedGraphFont(*this).GetHandle();
}

void SistraGraphViewBase::ShowHelp()
{
    ShowSistraHelp(Document() ? Document()->GetFrameServices() : nullptr, GetHelpTopic().c_str());
}

void SistraGraphViewBase::InvalidateGraph()
{
    OWL::TWindow& window = *graphWindow_;
    if (window.GetHandle())
        window.Invalidate(false);
}

SistraData* SistraGraphViewBase::AnalysisData() const
{
    return Document() ? &Document()->Data() : nullptr;
}

bool SistraGraphViewBase::IsOnlineAnalysisRunning() const
{
    SistraData* data = AnalysisData();
    return data && data->IsOnlineAnalysisRunning();
}

ViewPlotData* SistraGraphViewBase::SeriesObject(int32_t series) const
{
    return series >= 0 && static_cast<unsigned>(series) < series_.Count() ? series_[static_cast<unsigned>(series)]
                                                                           : nullptr;
}

void SistraGraphViewBase::OnDefaultSize(LONG* words)
{
    if (!words)
        return;
    const SIZE size = GetDefaultSize();
    words[0] = size.cx;
    words[1] = size.cy;
}

void SistraGraphViewBase::OnHostDataChanged()
{
    if (GetHandle())
        Invalidate(false);
}

void SistraGraphViewBase::OnHostDisplayChanged()
{
    InvalidateGraph();
    if (GetHandle())
        Invalidate(false);
}

void SistraGraphViewBase::OnDisplaySettingsChanged()
{
    ApplyDisplaySettings(*graphWindow_);
    InvalidateGraph();
}

void SistraGraphViewBase::ApplyDisplaySettings(MGraph1::Graph2DDrawer& graph)
{
    Orv::ComPtr<IHostViewSettings> settings;
    if (Document() && Document()->HostDocumentObject())
        Document()->HostDocumentObject()->QueryInterface(IID_IHostViewSettings, settings.PutVoid());
    MGraph1::GraphDisplaySettings(settings.Get()).ApplyTo(graph);
}

std::vector<std::wstring> PointReadOut::Forms() const
{
    return {sentence, rangeValue + separator + L" " + domainValue, rangeNumber + separator + L" " + domainNumber};
}

void SistraGraphViewBase::SetReadOut(const PointReadOut& readOut)
{
    readOut_ = readOut;
    hintText_ = readOut.sentence;
}

std::wstring SistraGraphViewBase::FittingReadOut() const
{
    const std::vector<std::wstring> forms = readOut_.Forms();
    const int room = titleText_->GetClientRect().Width();
    for (const std::wstring& form : forms)
    {
        // A line exactly as wide as the title line would lose its last pixel column.
        if (titleText_->LineExtent(form).cx + StaticTextRoom <= room)
            return form;
    }
    return forms.back();
}

void SistraGraphViewBase::ShowHint(bool nearPoint)
{
    if (titleText_ && titleText_->GetHandle())
    {
        const std::wstring text = nearPoint ? FittingReadOut() : std::wstring();
        titleText_->SetText(text);
    }
    InvalidateGraph();
    if (GetHandle())
        Invalidate(false);
}

bool SistraGraphViewBase::OnMessage(const MessSys::Message& message)
{
    // The view hears the graph's mouse as a receiver of its own: the hint of a plot whose series are
    // no receivers (the regression plots') shows too.
    if (const auto* hint = dynamic_cast<const MGraph1::MouseTrackHintMsg*>(&message))
    {
        ShowHint(HintsNameAPoint(*hint));
        return true;
    }
    if (dynamic_cast<const MGraph1::MouseLeaveMsg*>(&message))
    {
        ShowHint(false);
        return true;
    }
    if (dynamic_cast<const MGraph1::MsgGraph2DDrawerNotifyBeginRedraw*>(&message))
    {
        drawStart_ = drawingClock_();
        plottersDrawing_ = false;
        if (pictureCutShort_)
            timedOut_ = -1;
        return true;
    }
    if (dynamic_cast<const MGraph1::MsgGraph2DDrawerNotifyEndRedraw*>(&message))
    {
        timedOut_ = 0;
        return true;
    }
    return false;
}

bool SistraGraphViewBase::ContinueDrawing(int)
{
    if (!IsScreenDrawing())
        return true;
    if (!plottersDrawing_)
    {
        plottersDrawing_ = true;
        pictureCutShort_ = false;
        timedOut_ = 0;
    }
    // Once cut short, the rest of the redraw is skipped without asking the clock again.
    if (timedOut_)
        return false;
    if (drawingClock_() - drawStart_ < DrawingTimeLimitMs)
        return true;
    timedOut_ = -1;
    pictureCutShort_ = true;
    return false;
}

} // namespace Sistra
