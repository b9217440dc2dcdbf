// The strip along a data pane that shows the time axis: ticks, time labels whose step follows the
// zoom and, while milliseconds are shown, a units note. It always holds exactly one time label drawer.
#pragma once

#include "tracedisplay/drawers/DrawerInterfaces.h"
#include "tracedisplay/panes/ChildPaneBase.h"

#include "platform/owl/gdi/GdiObjects.h"

#include <memory>

namespace StrixDraw
{

class TimeScale : public ChildPaneBase
{
public:
    static constexpr ULONG SavedVersion = 2;
    static constexpr wchar_t WidestLabel[] = L"10:00:00.0000 a.m.";
    static constexpr int LabelPoints = 10;

    explicit TimeScale(ChildPaneOwner* owner);
    ~TimeScale() override;

    void SetLayout(LONG paneId, const LONG placement[2], const OWL::TRect& rect) override;
    HRESULT RemoveDrawers(ULONG mask, ChannelPair position) override;
    HRESULT OnSamplingStart(LONG record, bool newRecord) override;
    void Paint(HDC dc, const StripPaintContext& context, const OWL::TRect& invalid, ULONG paintFlags,
               ULONG layerMask) override;
    HRESULT Load(IBinInStream* stream) override;
    HRESULT Save(IBinOutStream* stream) override;
    void Compose(HDC dc, int cursorX, bool drawCursor) override;
    HRESULT AttachStore(ULONG flags, IUnknown* store) override;
    void FontChanged() { SetUpFont(); }
    void DisplaySettingsChanged() { SetUpFont(); }

    int StripHeight() const { return stripHeight_; }
    // A pane without controls keeps the strip, with no height.
    void Collapse() { stripHeight_ = 0; }
    // The width of the widest label; measured on first need.
    int LabelWidth();
    HFONT LabelFont() const { return font_ ? font_->GetHandle() : nullptr; }
    double PixelScale() const;
    TimeAxis Axis() const;
    // Where the ticks of the strip fall, in strip positions: the channel strips' time grid. False while
    // the pane has no time per position.
    bool Grid(TimeGrid& grid);

private:
    void SetUpFont();
    void EnsureLabelDrawer();

    int stripHeight_ = 0;
    int labelWidth_ = 0;
    int charWidth_ = 0; // the labels' average character width, measured on first need
    std::unique_ptr<OWL::TFont> font_;
    ULONG labelMode_ = TimeMode::Elapsed;
    bool flag_ = false;
};

} // namespace StrixDraw
