// The zoom bar under a trace window: compress, a ratio button with the list of fixed ratios, expand, and
// optionally auto-scale and show-latest buttons. It keeps no zoom state: every command goes to its
// listener (the data pane), which tells the bar which ratio to show.
#pragma once

#include "tracedisplay/controls/ControlBase.h"
#include "tracedisplay/controls/GadgetTooltips.h"
#include "tracedisplay/controls/NoEraseGadgetWindow.h"

#include "platform/owl/window/CommandEnabler.h"

#include <memory>
#include <string>

namespace Orv
{
class UxButtonMenuGadget;
}
class UxSizableButtonGadget;

namespace StrixDraw
{

// Commands of the bar.
namespace ZoomCommand
{
constexpr UINT Expand = 103;
constexpr UINT ToggleFollow = 102;
constexpr UINT Compress = 109;
constexpr UINT AutoScale = 213;
constexpr UINT ShowLatest = 2149;
constexpr UINT FirstRatio = 1130;
constexpr UINT LastRatio = 1150;
} // namespace ZoomCommand

// Construction flags of the bar.
namespace ZoomBarFlag
{
constexpr ULONG ShowLatestButton = 0x80000000u;
constexpr ULONG AutoScaleButton = 0x20000000u;
constexpr ULONG ClipSiblings = 0x10000000u;
} // namespace ZoomBarFlag

// What the zoom bar asks of the data pane.
class ZoomListener
{
public:
    virtual void JumpToLatest() = 0;
    virtual void RequestFollowLatest(bool follow, bool notify) = 0;
    virtual void ZoomStep(bool zoomIn) = 0;
    virtual void ApplyZoomChoice(int control, UINT command) = 0;
    virtual void UpdateZoomCommand(int control, OWL::TCommandEnabler& enabler) = 0;
    virtual void FillZoomMenu(HMENU menu, UINT first, UINT end) = 0;
    virtual HRESULT AutoScaleHorizontally(ULONG flags) = 0;
    virtual bool CanZoomIn(int control) = 0;
    virtual HWND ListenerWindow() const = 0;

protected:
    ~ZoomListener() = default;
};

struct Ratio
{
    LONGLONG numerator;
    LONGLONG denominator;
};

// "x10" for a tenth of a sample per pixel, "5:1", "1k:1", "x?" for no ratio.
std::wstring FormatRatio(LONGLONG numerator, LONGLONG denominator);
// The ratio of an item of the ratio menu, as a reduced fraction; 0/1 for another command.
Ratio RatioForCommand(UINT command);

class ZoomControl : public ControlBase
{
public:
    virtual std::wstring FormatRatioText(LONGLONG numerator, LONGLONG denominator) const = 0;
    virtual void SetRatio(LONGLONG numerator, LONGLONG denominator) = 0;
    virtual void GetDesiredSize(OWL::TSize& size) = 0;
    virtual void SetRatioText(const std::wstring& text) = 0;
    virtual void SetTitle(const std::wstring& title) = 0;
    virtual void ResetToggleState() = 0;
    virtual void SetToggleState(bool following) = 0;
    virtual Ratio RatioOfCommand(UINT command) const = 0;
    virtual void Repaint() = 0;
};

class ZoomControlWin : public OrvControls::UxNoEraseGadgetWindow, public ZoomControl
{
public:
    ZoomControlWin(OWL::TWindow* parent, ZoomListener* listener, ULONG flags);
    ~ZoomControlWin() override;

    void SetRect(const OWL::TRect& rect) override;
    bool IsEnabled() const override;
    void Enable(bool enable) override;
    std::wstring FormatRatioText(LONGLONG numerator, LONGLONG denominator) const override;
    void SetRatio(LONGLONG numerator, LONGLONG denominator) override;
    void GetDesiredSize(OWL::TSize& size) override;
    void SetRatioText(const std::wstring& text) override;
    void SetTitle(const std::wstring& title) override { title_ = title; }
    void ResetToggleState() override { SetToggleState(false); }
    void SetToggleState(bool following) override;
    Ratio RatioOfCommand(UINT command) const override { return RatioForCommand(command); }
    void Repaint() override;

    LRESULT EvCommand(UINT id, HWND control, UINT notifyCode) override;
    void EvCommandEnable(OWL::TCommandEnabler& enabler) override;

    // The gadgets from left to right.
    int GadgetCount() const;
    const std::wstring& RatioText() const;
    std::wstring TooltipOf(UINT id) const { return tooltips_.Text(GetHandle(), id); }

protected:
    void EvInitMenuPopup(HMENU menu, UINT index, bool isSystem);
    void EvLButtonDown(UINT modKeys, const OWL::TPoint& point);
    void EvLButtonUp(UINT modKeys, const OWL::TPoint& point);

private:
    ZoomListener* listener_;
    // The window owns its gadgets.
    UxSizableButtonGadget* showLatest_ = nullptr;
    UxSizableButtonGadget* autoScale_ = nullptr;
    UxSizableButtonGadget* compress_ = nullptr;
    Orv::UxButtonMenuGadget* ratio_ = nullptr;
    UxSizableButtonGadget* expand_ = nullptr;
    std::wstring title_;
    GadgetTooltips tooltips_;

    DECLARE_RESPONSE_TABLE(ZoomControlWin);
};

} // namespace StrixDraw
