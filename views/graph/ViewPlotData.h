// The series objects of a graph view: one per batch of loops, the data source of its plotter, the
// finder of the point under the mouse and the target of a click that selects a loop. All series of one
// plot build share one tracking state, so that only the series holding the nearest point shows its
// marker; and an annotation tells the user when drawing was cut short.
#pragma once

#include "graph/annotations/Annotation.h"
#include "graph/messages/GraphMessages.h"
#include "graph/messages/MessageSystem.h"
#include "foundation/text/String.h"
#include "graph/plotdata/PlotData.h"

#include <cfloat>
#include <cstdint>
#include <memory>

namespace Sistra
{

class SistraDocument;
class SistraGraphViewBase;

// Which series holds the point nearest the mouse in the current tracking pass.
struct SharedTrackingState
{
    bool found = false;
    double bestDistanceSquared = DBL_MAX;
    int32_t series = -1;

    // The next pass looks for the nearest point afresh; the series that holds the mark keeps it, so that
    // the graph's repaints until then draw it again.
    void NextPass()
    {
        found = false;
        bestDistanceSquared = DBL_MAX;
    }
};

class ViewPlotData final : public MGraph1::XYCPlotData,
                           public MessSys::MessageReceiver,
                           public MGraph1::ClickAnnotation,
                           public MGraph1::AnnotationTracker
{
public:
    ViewPlotData(SistraGraphViewBase& view, int32_t seriesNumber, int32_t firstLoop, int32_t loopCount,
                 std::shared_ptr<SharedTrackingState> tracking);

    // Takes the object into a new plot build.
    void Reset(int32_t seriesNumber, int32_t firstLoop, int32_t loopCount, std::shared_ptr<SharedTrackingState> tracking);

    // The series and the drawing bound are the view's.
    bool GetSeries(int seriesId, int* count, int* firstIndex, const float** x, const float** y,
                   const COLORREF** colours, COLORREF* colour, uint32_t* flags) override;
    bool ContinueDrawing(int seriesId) override;
    // The marker of the series follows the nearest point of this series within reach of the mouse.
    bool Track(int32_t series, MGraph1::TrackInfo& info) override;
    bool OnMessage(const MessSys::Message& message) override;
    bool OnClick(int32_t id, const RECT& plotRect, UINT keys, const POINT& down, const POINT& up) override;
    // The click area is the whole plot: there is nothing of it to draw.
    void OnDraw(HDC, HDC, RECT, RECT) override {}

    int32_t SeriesNumber() const { return seriesNumber_; }
    int32_t FirstLoop() const { return firstLoop_; }
    int32_t LoopCount() const { return loopCount_; }
    const std::shared_ptr<SharedTrackingState>& Tracking() const { return tracking_; }

private:
    SistraGraphViewBase& view_;
    int32_t seriesNumber_;
    int32_t firstLoop_;
    int32_t loopCount_;
    std::shared_ptr<SharedTrackingState> tracking_;
};

// The tracking marker of one series: drawn only by the series that holds the nearest point, which then
// opens the next tracking pass.
class SharedBasicAnnotation final : public MGraph1::BasicAnnotation
{
public:
    SharedBasicAnnotation(int32_t seriesNumber, std::shared_ptr<SharedTrackingState> tracking);
    ~SharedBasicAnnotation() override;

    void OnDraw(HDC dc, HDC attributeDc, RECT plotRect, RECT clipRect) override;

private:
    std::shared_ptr<SharedTrackingState> tracking_;
    int32_t seriesNumber_;
};

// "Loop drawing timed out." in the graph's bottom-right corner after a redraw was cut short, or while
// a loop is selected.
class AbandonedDrawingAnnotation final : public MGraph1::Annotation
{
public:
    AbandonedDrawingAnnotation(SistraDocument* document, SistraGraphViewBase& view);

    void OnDraw(HDC dc, HDC attributeDc, RECT plotRect, RECT clipRect) override;

private:
    SistraDocument* document_;
    SistraGraphViewBase& view_;
};

// Whether the graph's hints for the pointer's position name a point: the series that holds the
// nearest point gives its read-out as its marker's text.
bool HintsNameAPoint(const MGraph1::MouseTrackHintMsg& hint);

// A one-line notice in 10-point "MS Shell Dlg 2" whose lower right corner sits 6 units inside the
// rectangle's.
void DrawCornerNotice(HDC dc, const RECT& rect, const Orv::String& text, bool italic);

} // namespace Sistra
