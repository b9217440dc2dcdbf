#include "tracedisplay/controls/PreviewControls.h"

#include "controls/gadgets/ButtonGadgets.h"
#include "foundation/text/ProductTokens.h"
#include "resources/TraceDisplayIds.h"

#include <objbase.h>

#include <gdiplus.h>

namespace StrixDraw
{

namespace
{
constexpr UINT ViewGlyph = 106;
constexpr UINT StartGlyph = 107;
constexpr UINT PauseGlyph = 108;
constexpr UINT StackGlyph = 209;
constexpr UINT OverlayGlyph = 210;
constexpr UINT SourceOnlyGlyph = 211;
constexpr UINT ShowSourceOnly = 1;
constexpr UINT ReArrange = 2;
using Gadget = OWL::TButtonGadget;
} // namespace

DEFINE_RESPONSE_TABLE1(PreviewBarBase, FixedGadgetWindow)
    EV_WM_LBUTTONDOWN,
    EV_WM_LBUTTONUP,
END_RESPONSE_TABLE;

// The window takes the font.
PreviewBarBase::PreviewBarBase(OWL::TWindow* parent) : FixedGadgetWindow(parent, 0, new OWL::TGadgetWindowFont2())
{
    Attr.Style &= ~WS_BORDER;
    SetShrinkWrap(true, true);
    SetMargins(OWL::TMargins(OWL::TMargins::Pixels, 0, 0, 0, 0));
}

UxSizableButtonGadget* PreviewBarBase::AddButton(UINT command, UINT glyph, int type, int state)
{
    auto* button = new UxSizableButtonGadget(static_cast<int>(command), glyph, static_cast<Gadget::TType>(type));
    button->SetButtonState(static_cast<Gadget::TState>(state));
    Insert(*button);
    return button;
}

void PreviewBarBase::SetRect(const OWL::TRect& rect)
{
    if (GetHandle())
        MoveWindow(rect, false);
}

bool PreviewBarBase::IsEnabled() const
{
    return IsWindowHandleEnabled(GetHandle());
}

void PreviewBarBase::Enable(bool enable)
{
    EnableWindowHandle(GetHandle(), enable);
}

void PreviewBarBase::UpdateNow()
{
    if (GetHandle())
        UpdateWindow();
}

// A press closes a showing tip.
void PreviewBarBase::EvLButtonDown(UINT modKeys, const OWL::TPoint& point)
{
    tooltips_.Activate(false);
    FixedGadgetWindow::EvLButtonDown(modKeys, point);
}

void PreviewBarBase::EvLButtonUp(UINT modKeys, const OWL::TPoint& point)
{
    tooltips_.Activate(true);
    FixedGadgetWindow::EvLButtonUp(modKeys, point);
}

namespace
{
// Why sampling cannot start: the hardware's name in the text.
std::wstring NoHardwareText()
{
    Orv::String hardware(L"QUARKBOX");
    Orv::SubstituteProductTokens(hardware);
    std::wstring text = TooltipText(IDS_TRACE_NO_HARDWARE);
    const size_t placeholder = text.find(L"%1");
    if (placeholder != std::wstring::npos)
        text.replace(placeholder, 2, hardware.c_str());
    return text;
}
} // namespace

PreviewControlWin::PreviewControlWin(OWL::TWindow* parent, PreviewListener* listener, ULONG flags)
    : PreviewBarBase(parent), listener_(listener)
{
    const bool withView = !(flags & WithoutViewButton);
    if (withView)
        view_ = AddButton(PreviewCommand::View, ViewGlyph, Gadget::Exclusive, Gadget::Down);
    start_ = AddButton(PreviewCommand::Start, StartGlyph, Gadget::Exclusive, withView ? Gadget::Up : Gadget::Down);
    pause_ = AddButton(PreviewCommand::Pause, PauseGlyph, Gadget::Exclusive, Gadget::Up);
}

void PreviewControlWin::Enable(bool enable)
{
    PreviewBarBase::Enable(enable);
    for (UxSizableButtonGadget* button : {view_, start_, pause_})
        if (button)
            button->SetEnabled(enable);
}

void PreviewControlWin::SetStopped()
{
    if (view_)
        view_->SetButtonState(Gadget::Down);
    if (listener_)
        listener_->StopSampling();
}

LRESULT PreviewControlWin::EvCommand(UINT id, HWND control, UINT notifyCode)
{
    if (listener_ && !control)
    {
        switch (id)
        {
        case PreviewCommand::View:
            listener_->StopSampling();
            return 0;
        case PreviewCommand::Start:
            listener_->StartSampling();
            return 0;
        case PreviewCommand::Pause:
            listener_->PauseSampling();
            return 0;
        default:
            break;
        }
    }
    return PreviewBarBase::EvCommand(id, control, notifyCode);
}

// Sampling needs a source; pausing also needs the view to be left.
void PreviewControlWin::EvCommandEnable(OWL::TCommandEnabler& enabler)
{
    const bool source = listener_ && listener_->HasSource();
    switch (enabler.GetId())
    {
    case PreviewCommand::View:
        ShowTip(PreviewCommand::View, TooltipText(IDS_TRACE_VIEW));
        enabler.Enable(true);
        return;
    case PreviewCommand::Start:
        ShowTip(PreviewCommand::Start, source ? TooltipText(IDS_TRACE_START_SAMPLING) : NoHardwareText());
        enabler.Enable(source);
        return;
    case PreviewCommand::Pause:
        ShowTip(PreviewCommand::Pause, TooltipText(IDS_TRACE_PAUSE_SAMPLING));
        enabler.Enable(source && (!view_ || view_->GetButtonState() == Gadget::Up));
        return;
    default:
        PreviewBarBase::EvCommandEnable(enabler);
    }
}

TraceControlWin::TraceControlWin(OWL::TWindow* parent, PreviewListener* listener, ULONG enableMask)
    : PreviewBarBase(parent), listener_(listener), enableMask_(enableMask)
{
    stack_ = AddButton(TraceCommand::Stack, StackGlyph, Gadget::Command, Gadget::Up);
    overlay_ = AddButton(TraceCommand::Overlay, OverlayGlyph, Gadget::Command, Gadget::Up);
    auto* spacer = new OWL::TGadget(SpacerId);
    spacer->SetMargins(OWL::TMargins(OWL::TMargins::Pixels, 3, 3, 0, 0));
    Insert(*spacer);
    sourceOnly_ = AddButton(TraceCommand::SourceOnly, SourceOnlyGlyph, Gadget::NonExclusive, Gadget::Up);
}

void TraceControlWin::SetupWindow()
{
    PreviewBarBase::SetupWindow();
    SetButtonsEnabled(enableMask_);
}

void TraceControlWin::SetButtonsEnabled(ULONG mask)
{
    enableMask_ = mask;
    stack_->SetEnabled((mask & TraceCommand::Stack) != 0);
    overlay_->SetEnabled((mask & TraceCommand::Overlay) != 0);
    sourceOnly_->SetEnabled((mask & TraceCommand::SourceOnly) != 0);
}

bool TraceControlWin::SourceOnlyDown() const
{
    return sourceOnly_->GetButtonState() == Gadget::Down;
}

void TraceControlWin::Arrange(UINT command)
{
    listener_->OnTraceCommand(command, 0);
    stacked_ = command == TraceCommand::Stack;
}

LRESULT TraceControlWin::EvCommand(UINT id, HWND control, UINT notifyCode)
{
    if (!listener_ || control)
        return PreviewBarBase::EvCommand(id, control, notifyCode);
    switch (id)
    {
    case TraceCommand::Stack:
    case TraceCommand::Overlay:
        Arrange(id);
        return 0;
    // Down shows the source trace only, up every trace again: telling both when it goes down would
    // show every trace at once again.
    case TraceCommand::SourceOnly:
        listener_->OnTraceCommand(TraceCommand::SourceOnly, SourceOnlyDown() ? ShowSourceOnly : ReArrange);
        Arrange(stacked_ ? TraceCommand::Stack : TraceCommand::Overlay);
        return 0;
    default:
        return PreviewBarBase::EvCommand(id, control, notifyCode);
    }
}

// While only the source trace shows, stacking and overlaying have nothing to arrange.
void TraceControlWin::EvCommandEnable(OWL::TCommandEnabler& enabler)
{
    const UINT id = enabler.GetId();
    static constexpr std::pair<UINT, UINT> Tips[] = {{TraceCommand::Stack, IDS_TRACE_STACK},
                                                     {TraceCommand::Overlay, IDS_TRACE_OVERLAY},
                                                     {TraceCommand::SourceOnly, IDS_TRACE_SOURCE_ONLY}};
    for (const auto& [command, text] : Tips)
        if (id == command)
            ShowTip(command, TooltipText(text));
    if (id == TraceCommand::Stack || id == TraceCommand::Overlay)
        enabler.Enable((enableMask_ & id) != 0 && !SourceOnlyDown());
    else if (id == TraceCommand::SourceOnly)
        enabler.Enable((enableMask_ & id) != 0);
    else
        PreviewBarBase::EvCommandEnable(enabler);
}

} // namespace StrixDraw
