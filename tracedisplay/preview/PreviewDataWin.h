// The preview's trace windows: the preview data window, which makes the sampling bar, and the one with
// buttons that the settings dialog's loop preview shows: it also makes the trace bar and keeps the
// trace drawers it was given, so that the source-only mode can take the second axis's traces off the
// lane and put them back.
#pragma once

#include "tracedisplay/datawin/DataWin.h"
#include "tracedisplay/preview/PreviewDataPane.h"

#include "foundation/containers/Containers.h"

namespace StrixDraw
{

class PreviewDataWin : public DataWin<PreviewDataPane>
{
public:
    using DataWin<PreviewDataPane>::DataWin;

    virtual PreviewControl* CreatePreviewControl(PreviewListener* listener, ULONG flags);
    virtual PreviewControl* CreateTraceControl(PreviewListener* listener, ULONG enableMask);

protected:
    std::unique_ptr<PreviewControl> CreateSamplingBar(ULONG style) override;
    std::unique_ptr<PreviewControl> CreateTraceBar(ULONG flags, ULONG enableMask) override;
};

// A trace drawer the window was given, with where it goes.
struct TraceDrawerItem
{
    TraceDrawerItem(LONG channel, ULONG flags, IStrixRecordDrawer* drawer, bool secondAxis)
        : channel(channel), flags(flags), drawer(drawer), secondAxis(secondAxis)
    {
    }

    LONG channel;
    ULONG flags;
    Orv::ComPtr<IStrixRecordDrawer> drawer;
    bool secondAxis;
};

class PreviewDataWinWButtons : public PreviewDataWin
{
public:
    template <class... PaneArguments>
    explicit PreviewDataWinWButtons(OWL::TWindow* parent, PaneArguments&&... arguments)
        : PreviewDataWin(parent, std::forward<PaneArguments>(arguments)...)
    {
        SetTraceModeHandler(0, [this](ULONG mode) { SetShowAllTraces(mode != 0); });
    }

    // The drawer goes to the first lane, unless it draws on the second axis while only the source
    // trace shows.
    HRESULT AddTraceDrawer(IStrixRecordDrawer* drawer);
    // Takes every drawer out of the window and its lanes, so that a new set can be added.
    void RemoveTraceDrawers();
    // Shows (true) or hides the second axis's traces.
    void SetShowAllTraces(bool show);
    bool ShowsAllTraces() const { return showAll_; }
    unsigned ItemCount() const { return items_.Count(); }

    PreviewControl* CreateTraceControl(PreviewListener* listener, ULONG enableMask) override;

private:
    bool AnySecondAxisTrace() const;
    bool IsItem(IStrixRecordDrawer* drawer) const;

    CIArray<TraceDrawerItem> items_{8, 0, true};
    bool showAll_ = true;
};

} // namespace StrixDraw
