// The concrete data panes: the simple one lays its lanes out where its pane rectangle says, with no
// state of its own; the preview pane adds the sampling of the live preview (stopped, sampling,
// paused), the two bars beside its scroll bar (the sampling bar and, when asked for, the trace bar),
// the trace bar's commands (stack, overlay, the source trace only) and its lanes' channels: lane i
// shows channel i.
#pragma once

#include "tracedisplay/controls/PreviewControls.h"
#include "tracedisplay/datapane/DataPane.h"
#include "tracedisplay/preview/PreviewSampling.h"

#include <functional>
#include <memory>

namespace StrixDraw
{

class SimpleDataPane : public DataPane
{
public:
    using DataPane::DataPane;

protected:
    // The lanes take the area right of the scales: the pane's coordinates start there.
    void LayoutLanes(LONG x, LONG y, LONG width, LONG height, ULONG flag) override;
};

// Control flags of the preview pane.
namespace PreviewFlag
{
constexpr ULONG TraceBar = 0x1;
} // namespace PreviewFlag

// Style bit of the preview pane: the sampling bar has no view button and the scales' strip is widened
// to hold the bars.
inline constexpr ULONG PreviewBarsBesideScales = 0x40000000u;

class PreviewDataPane : public SimpleDataPane, public PreviewListener, private PreviewSamplingPane
{
public:
    // The pane's own data source; channelStyle: its lanes' style flags (PreviewBarsBesideScales too).
    PreviewDataPane(IPaneDataSource* source, ULONG channelStyle, ULONG options = 0x80000000u,
                    ULONG state = 0x80000000u);
    ~PreviewDataPane() override;

    void SetWindow(OWL::TWindow* parent, HWND window) override;
    void ReleaseWindow() override;
    void SetPaneRect(const OWL::TRect& rect) override;
    HRESULT AttachSource(ULONG flags, IPaneDataSource* source, const LONGLONG* origin) override;
    void SetClientSize(const OWL::TSize& size) override;

    ChannelDescription DescribeLane(LONG lane) const override;
    LONG LaneOfChannel(LONG channel, ULONG position) const override;

    virtual void SetSamplingState(ULONG state);
    void OnTraceCommand(UINT command, UINT flags) override;
    virtual void SetTraceMode(ULONG mode);
    // The host object that samples for the preview, or none.
    void AttachSamplingSource(ISamplingSource* source);
    void SetTraceModeHandler(ULONG flags, std::function<void(ULONG)> handler);
    // PreviewFlag bits, taken in when the window is made.
    void SetControlFlags(ULONG flags) { controlFlags_ = flags; }

    // PreviewListener: the sampling bar's buttons.
    void StopSampling() override;
    void StartSampling() override;
    void PauseSampling() override;
    bool HasSource() const override { return sampling_.Source() != nullptr; }

    PreviewSampling& Sampling() { return sampling_; }
    PreviewControl* SamplingBar() const { return samplingBar_.get(); }
    PreviewControl* TraceBar() const { return traceBar_.get(); }
    ULONG SamplingState() const { return sampling_.State(); }

protected:
    // The window makes the bars, with this pane as their listener; null when it cannot.
    virtual std::unique_ptr<PreviewControl> CreateSamplingBar(ULONG style) = 0;
    virtual std::unique_ptr<PreviewControl> CreateTraceBar(ULONG flags, ULONG enableMask) = 0;

private:
    // PreviewSamplingPane
    HRESULT AttachPaneSource(ULONG flags, IUnknown* source, const LONGLONG* origin) override;
    LONGLONG PaneScrollPosition() const override { return ScrollPosition(); }
    HWND PaneWindow() const override { return Window(); }

    void ChangeSampling(ULONG state);
    void ApplyStackedRange(LONG axis);
    // The height of the row of bars and controls under the lanes.
    LONG ControlRowHeight() const;
    LONG BarsWidth() const;
    // The bars that exist, the trace bar first, with the sizes they wish.
    template <class Call>
    void ForEachBar(Call&& call) const;

    ULONG style_;
    ULONG controlFlags_ = 0;
    std::unique_ptr<PreviewControl> samplingBar_;
    std::unique_ptr<PreviewControl> traceBar_;
    PreviewSampling sampling_{*this};
    std::function<void(ULONG)> traceModeHandler_;
};

} // namespace StrixDraw
