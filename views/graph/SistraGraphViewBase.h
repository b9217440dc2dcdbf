// The base of the module's x-y graph views: a graph window with an optional title line and a help
// button, fed with the view's loops in batches of 100 (one series plotter each), drawn on screen within
// a time bound, its axes titled, scaled and ranged from the data, and the host's copy and print
// commands answered for the graph, with the fitted regression copied as text. A concrete view answers
// the questions below: its data, axis names, channels, texts and help.
#pragma once

#include "views/base/SistraViewBase.h"

#include "controls/buttons/BmpTxtButton.h"
#include "controls/windows/SmallWindowUtilities.h"
#include "document/analysis/SistraData.h"
#include "foundation/containers/Bitset.h"
#include "foundation/containers/Containers.h"
#include "foundation/numbers/Units.h"
#include "graph/messages/MessageSystem.h"
#include "graph/plotdata/PlotData.h"
#include "graph/plotters/GlyphPlotter.h"
#include "graph/windows/Graph2DWindow.h"
#include "hostframework/printing/Printout.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Sistra
{

class ViewPlotData;

// What a regression's measure of fit is: r squared, or the correlation r itself, which the major-axis line
// gives (negative for a falling line, and no less a fit for it).
enum class FitMeasure
{
    RSquared,
    Correlation,
};

// The regression a graph view shows: y = slope * x + intercept.
struct ViewRegression
{
    double intercept = 0.0;
    double slope = 0.0;
    double fit = 0.0;
    FitMeasure measure = FitMeasure::RSquared;

    // Further from its points than their mean (r squared below 0): no relation to show.
    bool IsNoFit() const { return measure == FitMeasure::RSquared && FitsWorseThanMean(fit); }
};

// A host channel as two words: its number and its sub-index.
struct ViewChannel
{
    int32_t channel = 0x80000000;
    int32_t subIndex = 0;
};

// The four extents of a view's data; the vertical pair first, as the analysis data hands them out.
struct ViewExtents
{
    float yLow = 0.0f, yHigh = 0.0f, xLow = 0.0f, xHigh = 0.0f;
};

// The loops a view draws, cut into series of at most BatchSize loops from its first series id on.
struct ViewBatches
{
    int32_t firstSeries = 0;
    int32_t endSeries = 0;
    int32_t batchSize = 0;
    int32_t remainder = 0;
};

struct ViewBatchRange
{
    int32_t firstLoop = 0;
    int32_t loopCount = 0;
};

struct ViewMargins
{
    int left = 0, right = 0, top = 0, bottom = 0;
};

// What the title line says of the point under the pointer: the view's sentence, and the two values side by
// side, which a line too narrow for the sentence shows without the quantities' names and, narrower still,
// without their units (the axes name both). The line stays one line high: a second one would cover the
// controls below it.
struct PointReadOut
{
    std::wstring sentence;
    std::wstring rangeValue;
    std::wstring domainValue;
    std::wstring separator;
    std::wstring rangeNumber;
    std::wstring domainNumber;

    // The forms to show, the fullest first.
    std::vector<std::wstring> Forms() const;
};

// Steps of the update cycle: the lowest pending runs first.
namespace UpdateStep
{
constexpr uint32_t Data = 0;
constexpr uint32_t Plot = 1;
constexpr uint32_t Axes = 2;
constexpr uint32_t LastViewStep = 99;   // steps 3 to 99 belong to the concrete view
constexpr int StepsPerPaint = 102;
} // namespace UpdateStep

class SistraGraphViewBase : public SistraViewBase,
                            private MGraph1::XYCPlotData,
                            private MGraph1::FunctionGlyphPlotData,
                            private MessSys::MessageReceiver
{
public:
    static constexpr int HelpButtonId = 9;
    static constexpr int32_t BatchSize = 100;
    // Drawing on screen stops once a redraw has taken this long.
    static constexpr DWORD DrawingTimeLimitMs = 701;
    // The milliseconds the drawing bound is measured in.
    using DrawingClock = std::function<DWORD()>;
    // While sampling online only the batches holding at least this many newest loops are built.
    static constexpr int32_t OnlineLoopWindow = 30;
    static constexpr COLORREF RegressionColour = 0x808080;

    SistraGraphViewBase(const ViewCreation& creation, const Orv::String& title, int32_t viewNumber,
                        int modelKind = NoModel);
    ~SistraGraphViewBase() override;

    // Marks every update step pending and runs the cycle now.
    void DataChanged(uint32_t hint) override;

    // The view's questions and the base's answers, in their slot order.
    virtual void UpdateAxes(MGraph1::Graph2DDrawer& graph);
    virtual void BuildPlot(MGraph1::Graph2DDrawer& graph);
    virtual void UpdateData(MGraph1::Graph2DDrawer& graph);
    virtual bool IsScreenDrawing();
    virtual bool CopyToClipboard();
    virtual void GetDomainLimits(double& low, double& high);
    virtual void GetRangeLimits(double& low, double& high);
    virtual std::unique_ptr<OWL::TFont> MakeGraphFont();
    virtual Orv::String GetTitle() = 0;
    virtual bool GetRegression(ViewRegression& regression) = 0;
    virtual ViewChannel GetDomainChannel() = 0;
    virtual Orv::String GetDomainTitle() = 0;
    virtual Orv::String GetDomainSymbol() = 0;
    virtual Orv::String GetDomainUnits();
    virtual double GetDomainUnitScale();
    virtual ViewChannel GetRangeChannel() = 0;
    virtual Orv::String GetRangeTitle() = 0;
    virtual Orv::String GetRangeSymbol() = 0;
    virtual Orv::String GetRangeUnits();
    virtual double GetRangeUnitScale();
    virtual int32_t GetSeriesId() = 0;
    virtual int32_t GetFunctionIndex() = 0;
    virtual int32_t GetAuxSeriesId() { return GetSeriesId(); }
    virtual bool GetDataExtents(ViewExtents& extents) = 0;
    virtual Orv::String GetTooltipFormat() = 0;
    virtual Orv::String GetHelpText() = 0;
    virtual Orv::String GetHelpTopic() = 0;
    virtual int GetTitleWidth() { return Attr.W; }
    virtual bool HasTitle() { return true; }
    virtual void BeginUpdate(const Orv::Bitset&) {}
    virtual ViewMargins GetGraphMargins() { return {}; }
    virtual SIZE GetDefaultSize() { return {300, 200}; }
    virtual bool HasWhiteBackground() { return true; }
    virtual void UpdatePart(uint32_t) {}
    virtual bool IsHelpButtonInGraph() { return true; }
    virtual bool ShowsAnalysisData() { return true; }
    virtual bool IsPlotEnabled() { return true; }
    virtual void OnPointClicked(int32_t) {}
    virtual std::optional<ViewBatchRange> GetBatchRange(int32_t series);
    virtual std::optional<ViewBatches> GetBatches();
    virtual std::optional<Orv::String> GetRegressionText();
    virtual bool CanCopyRegression();
    virtual bool ShowRegressionLabel() { return true; }
    // The least client size the view lays its controls and a readable plot out in; zero where any size
    // will do. The host's frame keeps the view at least that large and scrolls it.
    virtual SIZE GetLeastSize() { return {}; }

    // Copy and print.
    void GetCopyCommandText(Orv::String& text) override;
    void GetPrintCommandText(Orv::String& text) override;
    // Draws the whole graph into any device context, never cut short by the screen's time bound.
    void Render(HDC dc, HDC attributeDc, const RECT& rect);
    void CopyRegression();
    void PrintView(bool secondForm);

    // The plot area the graph would get in a client area of the given size with the given margins.
    RECT PlotRectIn(SIZE client, const ViewMargins& margins);
    // What the title line, the axes and the margins take around the plot in a client area that wide.
    SIZE PlotOverhead(const ViewMargins& margins, LONG width = WideClient);
    // The plot width the view's equations take at their full size, or (shortest) the least they are
    // written readably in, each on two lines; 0 without equations.
    int EquationsRoom(bool shortest);
    // The least plot that holds least, equations pixels wide, and the axes' captions (each title with its
    // units in brackets) whole in a dialog's text size, the least their strips write them whole in.
    SIZE LeastPlotHolding(SIZE least, int equations);

    // The extent of a child control's text in the graph font.
    SIZE MeasureControlText(int controlId);
    // The graph font the views' controls are written in: one font for the module, made by the first view.
    HFONT ControlFont();

    // The parts the concrete views and the series objects reach.
    MGraph1::Graph2DWindow& GraphWindow() { return *graphWindow_; }
    OrvControls::StaticText* TitleLine() { return titleText_.get(); }
    OrvControls::TBmpTxtButton& HelpButton() { return *helpButton_; }
    const std::wstring& HintText() const { return hintText_; }
    void SetHintText(const std::wstring& text) { hintText_ = text; }
    void SetReadOut(const PointReadOut& readOut);
    // The graph reported the pointer's moves: while it is near a point the title line tells that point, in
    // the fullest form its width holds; away from every point, and once it has left the graph, nothing.
    void ShowHint(bool nearPoint);
    bool HasRegression() const { return hasRegression_; }
    bool IsRenderingForOutput() const { return renderingForOutput_; }
    bool TimedOut() const { return timedOut_ != 0; }
    void ClearTimedOut() { timedOut_ = 0; }
    // GetTickCount unless a test gives the bound a clock of its own.
    void SetDrawingClock(DrawingClock clock) { drawingClock_ = std::move(clock); }
    const Orv::Bitset& PendingSteps() const { return dirty_; }
    // Marks a step pending; the next paint (or DataChanged) runs it.
    void RequestStep(uint32_t step) { dirty_.Set(step); }
    // The series objects of the last build, by series number (null where there is none).
    ViewPlotData* SeriesObject(int32_t series) const;
    // Whether online analysis runs: online mode on and the host sampling.
    bool IsOnlineAnalysisRunning() const;
    // The analysis data of the view's document; null without a document.
    SistraData* AnalysisData() const;
    // The loop (its index among all loops) that a batch's point stands for; -1 for none.
    int32_t LoopOfPoint(int32_t firstLoop, int32_t pointIndex);
    // Asks for a redraw of the graph window, without erasing.
    void InvalidateGraph();
    // The help topic shown through the host's help.
    void ShowHelp();
    // Runs the pending update steps (at most StepsPerPaint), then ranges the axes and asks for a redraw.
    void RunUpdateCycle();

    // The regression's text in display units: "y = a * x + b, r² = <r²>" (or "r = <r>").
    // "<name>: no fit, r² = <r²> is below 0", said in place of an equation whose fit is worse than none.
    static Orv::String NoFitText(const Orv::String& name, double rSquared);
    static Orv::String RegressionText(const Orv::String& rangeSymbol, const Orv::String& domainSymbol,
                                      const ViewRegression& regression, double domainScale, double rangeScale);

protected:
    // The least plot, inside the axes, that points and the equations above them can be read in.
    static constexpr SIZE LeastPlot{120, 120};
    // A client area wider and higher than any screen, to measure what the parts around the plot take.
    static constexpr LONG WideClient = 2000;

    void SetupWindow() override;
    void Paint(OWL::TDC& dc, bool erase, OWL::TRect& rect) override;
    void GetWindowClass(WNDCLASSEXW& windowClass) override;
    void EvSize(UINT sizeType, const OWL::TSize& size);
    void EvGetMinMaxInfo(MINMAXINFO& limits);
    // Asks the window to lay itself out again, once the messages before have been handled.
    static void PlaceAgain(HWND window);
    // Has the host's frame place the view again where its least size changed since it last asked.
    void NoteLeastSize();
    HBRUSH EvCtlColor(HDC dc, HWND child, UINT controlType);

    // The units of an axis channel in the block of the first loop; empty without loops.
    Orv::String ChannelUnitsText(const ViewChannel& channel);
    std::optional<Orv::PrefixedUnit> ChannelUnit(int32_t channel);
    // What a value of the channel's unprefixed unit is multiplied by to show it in the channel's unit.
    double UnitScaleOf(const ViewChannel& channel);

    DECLARE_RESPONSE_TABLE(SistraGraphViewBase);

    // The plot-data parts: the series of the batches, the bound on drawing, the regression line; the
    // graph's messages.
    bool GetSeries(int seriesId, int* count, int* firstIndex, const float** x, const float** y,
                   const COLORREF** colours, COLORREF* colour, uint32_t* flags) override;
    bool ContinueDrawing(int) override;
    bool GetGlyphs(double domainLow, double domainHigh, int seriesId, int* count,
                   const MGraph1::GlyphRecord** records) override;
    bool GetFunctions(double, double, int, int* count, const MGraph1::FunctionRecord** records) override;
    bool OnMessage(const MessSys::Message& message) override;
    // The same parts as the plotters take them.
    MGraph1::XYCPlotData& SeriesSource() { return *this; }
    MGraph1::FunctionGlyphPlotData& FunctionSource() { return *this; }
    // Where a series' points are kept while its plotter paints.
    SistraData::Series& KeptSeries(int seriesId) { return seriesData_[seriesId]; }
    // The host's graph display settings for the document, applied to the graph.
    void ApplyDisplaySettings(MGraph1::Graph2DDrawer& graph);

private:
    friend class ViewPlotData;
    friend class SistraGraphViewBasePrintout;

    void AutoRange();
    // The form of the read-out that the title line's width holds; the narrowest when none does.
    std::wstring FittingReadOut() const;
    // The title line's place: one line high, or as many lines as the read-out shown needs, lying over the
    // graph's top edge while it is shown.
    void PlaceTitleLine(const RECT& client);
    // Until data have ranged the axes, each spans 0 to 1 in the units it prints, also after those units
    // changed (the first loops bring them; the PVA plots take no range from data while online analysis runs).
    void KeepStartingSpans();
    // Moves each axis to its proposed limits as the ranging does: a display the user moved stays.
    void ProposeLimits(std::pair<double, double> domain, std::pair<double, double> range);
    void SetUpAxes();
    void PlaceChildren(const RECT& client);
    // Where the graph window lies in the client area: below the title line, inside the margins.
    RECT GraphRectIn(const RECT& client, const ViewMargins& margins);
    // Builds the plot of this view on the given graph (the screen's or an output copy).
    void BuildSeries(MGraph1::Graph2DDrawer& graph, int32_t first, int32_t end, int32_t batchSize);

    void OnDefaultSize(LONG* words);
    void OnHostDataChanged();
    void OnHostDisplayChanged();
    void OnDisplaySettingsChanged();
    void OnCopy();
    void OnPrint();
    void OnPrintSecondForm();
    void OnCopyRegressionEnable(IVyrCommandState& state);

    std::unique_ptr<MGraph1::Graph2DWindow> graphWindow_;
    std::unique_ptr<OrvControls::StaticText> titleText_;
    std::unique_ptr<OrvControls::TBmpTxtButton> helpButton_;
    Orv::Bitset dirty_;
    std::wstring hintText_;
    PointReadOut readOut_;
    int16_t hasRegression_ = 0;
    bool renderingForOutput_ = false;
    int16_t timedOut_ = 0;
    DWORD drawStart_ = 0;
    DrawingClock drawingClock_ = [] { return ::GetTickCount(); };
    // The graph keeps its last picture and paints it again until a plotter needs drawing: a picture cut
    // short stays cut short, and each paint of it tells so. The first bound check of a redraw means its
    // plotters draw anew.
    bool pictureCutShort_ = false;
    bool plottersDrawing_ = false;
    CIArray<ViewPlotData> series_;
    // What the plotters draw from, kept while they paint.
    std::map<int, SistraData::Series> seriesData_;
    MGraph1::GlyphRecord regressionLine_{};
    SIZE notedLeastSize_{};
    // The limits this view last set on each axis, to tell whether the user moved the display since.
    std::pair<double, double> lastDomain_{0.0, 1.0};
    std::pair<double, double> lastRange_{0.0, 1.0};
    bool rangedFromData_ = false;

    VYR_DECLARE_EVENT_MAP()
};

// The one-page printout of a graph view: the graph alone, laid out in the rectangle the host gives.
class SistraGraphViewBasePrintout final : public VyrSinglePagePrintout
{
public:
    static constexpr ULONG PrintKind = 2;

    SistraGraphViewBasePrintout(IUnknown* owner, SistraGraphViewBase& view, const Orv::String& title);

protected:
    void DrawPage(ULONG page, OWL::TDC& dc, ULONG_PTR argument) override;

private:
    SistraGraphViewBase& view_;
};

} // namespace Sistra
