// The two button bars beside the settings preview's trace window: the preview bar (view, start and
// pause sampling) and the trace bar (stack, overlay, or the source trace only). Their commands go to
// the preview data pane.
#pragma once

#include "tracedisplay/controls/ControlBase.h"
#include "tracedisplay/controls/GadgetTooltips.h"

#include "controls/gadgets/GadgetWindows.h"
#include "platform/owl/gdi/GdiObjects.h"

class UxSizableButtonGadget;

namespace StrixDraw
{

// What the bars ask of the preview data pane.
class PreviewListener
{
public:
    virtual void StopSampling() = 0;
    virtual void StartSampling() = 0;
    virtual void PauseSampling() = 0;
    virtual void OnTraceCommand(UINT command, UINT flags) = 0;
    virtual bool HasSource() const = 0;

protected:
    ~PreviewListener() = default;
};

class PreviewControl : public ControlBase
{
public:
    virtual void GetDesiredSize(OWL::TSize& size) = 0;
    virtual void SetButtonsEnabled(ULONG mask) = 0;
    virtual void SetStopped() = 0;
    // Paints what is pending now, so that a bar shows the pane's new state before anything else runs.
    virtual void UpdateNow() {}
};

namespace PreviewCommand
{
constexpr UINT View = 100;
constexpr UINT Start = 101;
constexpr UINT Pause = 102;
} // namespace PreviewCommand

namespace TraceCommand
{
constexpr UINT Stack = 2;
constexpr UINT Overlay = 4;
constexpr UINT SourceOnly = 8;
} // namespace TraceCommand

// The bars' shared window part: a fixed gadget window that loses its border.
class PreviewBarBase : public FixedGadgetWindow, public PreviewControl
{
public:
    PreviewBarBase(OWL::TWindow* parent);

    void SetRect(const OWL::TRect& rect) override;
    bool IsEnabled() const override;
    void Enable(bool enable) override;
    void GetDesiredSize(OWL::TSize& size) override { FixedGadgetWindow::GetDesiredSize(size); }
    void UpdateNow() override;

    std::wstring TooltipOf(UINT id) const { return tooltips_.Text(GetHandle(), id); }

protected:
    UxSizableButtonGadget* AddButton(UINT command, UINT glyph, int type, int state);
    void ShowTip(UINT command, const std::wstring& text) { tooltips_.Show(*this, command, text); }
    void EvLButtonDown(UINT modKeys, const OWL::TPoint& point);
    void EvLButtonUp(UINT modKeys, const OWL::TPoint& point);

private:
    GadgetTooltips tooltips_;

    DECLARE_RESPONSE_TABLE(PreviewBarBase);
};

class PreviewControlWin : public PreviewBarBase
{
public:
    // Flag: the bar has no view button and starts sampling.
    static constexpr ULONG WithoutViewButton = 0x40000000u;

    PreviewControlWin(OWL::TWindow* parent, PreviewListener* listener, ULONG flags);

    void Enable(bool enable) override;
    void SetButtonsEnabled(ULONG) override {}
    void SetStopped() override;
    LRESULT EvCommand(UINT id, HWND control, UINT notifyCode) override;
    void EvCommandEnable(OWL::TCommandEnabler& enabler) override;

    UxSizableButtonGadget* ViewButton() const { return view_; }
    UxSizableButtonGadget* StartButton() const { return start_; }

private:
    PreviewListener* listener_;
    UxSizableButtonGadget* view_ = nullptr;
    UxSizableButtonGadget* start_ = nullptr;
    UxSizableButtonGadget* pause_ = nullptr;
};

class TraceControlWin : public PreviewBarBase
{
public:
    static constexpr int SpacerId = 30000;

    TraceControlWin(OWL::TWindow* parent, PreviewListener* listener, ULONG enableMask);

    void SetupWindow() override;
    void SetButtonsEnabled(ULONG mask) override;
    void SetStopped() override {}
    LRESULT EvCommand(UINT id, HWND control, UINT notifyCode) override;
    void EvCommandEnable(OWL::TCommandEnabler& enabler) override;

    bool IsStacked() const { return stacked_; }
    UxSizableButtonGadget* SourceOnlyButton() const { return sourceOnly_; }

private:
    void Arrange(UINT command);
    bool SourceOnlyDown() const;

    PreviewListener* listener_;
    UxSizableButtonGadget* stack_ = nullptr;
    UxSizableButtonGadget* overlay_ = nullptr;
    UxSizableButtonGadget* sourceOnly_ = nullptr;
    ULONG enableMask_;
    bool stacked_ = false;
};

} // namespace StrixDraw
