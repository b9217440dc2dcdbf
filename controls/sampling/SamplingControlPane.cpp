#include "controls/sampling/SamplingControlPane.h"

#include "controls/windows/GdiPlusBitmaps.h"
#include "foundation/text/String.h"
#include "foundation/text/StringResources.h"
#include "hostframework/messaging/SistraIds.h"
#include "hostframework/services/HostServices.h"
#include "resources/ResourceIds.h"

#include "hostapi/VyrDocuments.h"

#include <objbase.h>

#include <gdiplus.h>

namespace StrixLib
{

namespace
{

template <USHORT Number>
using SamplingEvent = MsgIdClass<&HostSamplingEventGUID, Number>;
template <USHORT Number>
using SamplingControlEvent = MsgIdClass<&HostSamplingControlEventGUID, Number>;
template <USHORT Number>
using DocumentEvent = MsgIdClass<&HostDocEventGUID, Number>;

// The host's text when it has one, else this module's (the same ids).
std::wstring HostOrModuleText(UINT id)
{
    const Orv::String host(nullptr, id, true);
    return (host.IsEmpty() ? Orv::String(Orv::ThisModule(), id, true) : host).c_str();
}

// "Stop" while sampling, else "Start ", read once.
const std::wstring& ButtonText(bool sampling)
{
    static const std::wstring start = HostOrModuleText(IDS_CONTROLS_START_SAMPLING);
    static const std::wstring stop = HostOrModuleText(IDS_CONTROLS_STOP_SAMPLING);
    return sampling ? stop : start;
}

bool IsTrue(const VARIANT_BOOL* flag)
{
    return flag && *flag != VARIANT_FALSE;
}

} // namespace

using Pane = SamplingControlPane;

VYR_DEFINE_EVENT_MAP(SamplingControlPane, VyrCppEventHandler){
    VyrEventMap::Header(),
    VyrEventMap::Observer(&SamplingEvent<HostSamplingEventNumber::Started>::GetId, &DispatchObserverEvent<Pane, VARIANT_BOOL, &Pane::OnSamplingStarted>),
    VyrEventMap::Observer(&SamplingEvent<HostSamplingEventNumber::Stopped>::GetId, &CallMemberNoArgs<Pane, &Pane::OnSamplingEnded>),
    VyrEventMap::Observer(&FixedId<0x80000000>, &DispatchObserverEvent<Pane, HostEventWordPair, &Pane::OnViewsRefresh>),
    VyrEventMap::Observer(&SamplingEvent<1>::GetId, &CallMemberNoArgs<Pane, &Pane::OnSamplingStopped>),
    VyrEventMap::Observer(&FixedId<0x80000001>,
                          &DispatchObserverEvent<Pane, HostEventWordPair, &Pane::OnFrameObjectClosing>),
    VyrEventMap::Observer(&SamplingControlEvent<0x12>::GetId, &CallMemberNoArgs<Pane, &Pane::OnRefreshEvent>),
    VyrEventMap::Observer(&SamplingControlEvent<3>::GetId, &CallMemberNoArgs<Pane, &Pane::OnRefreshEvent>),
    VyrEventMap::Observer(&SamplingEvent<13>::GetId, &CallMemberNoArgs<Pane, &Pane::OnRefreshEvent>),
    VyrEventMap::Observer(&SamplingEvent<12>::GetId, &CallMemberNoArgs<Pane, &Pane::OnRefreshEvent>),
    VyrEventMap::Observer(&SamplingControlEvent<0x13>::GetId, &CallMemberNoArgs<Pane, &Pane::OnRefreshEvent>),
    VyrEventMap::Observer(&SamplingControlEvent<0x14>::GetId, &CallMemberNoArgs<Pane, &Pane::OnRefreshEvent>),
    VyrEventMap::Observer(&SamplingControlEvent<0x16>::GetId, &CallMemberNoArgs<Pane, &Pane::OnRefreshEvent>),
    VyrEventMap::Observer(&SamplingControlEvent<0x1C>::GetId, &CallMemberNoArgs<Pane, &Pane::OnRefreshEvent>),
    VyrEventMap::Observer(&SamplingEvent<2>::GetId, &DispatchObserverEvent<Pane, VARIANT_BOOL, &Pane::OnRecordingChanged>),
    VyrEventMap::Observer(&DocumentEvent<0x38>::GetId, &CallMemberNoArgs<Pane, &Pane::OnRefreshEvent>),
    VyrEventMap::End(),
};

SamplingControlPane::SamplingControlPane(IUnknown* host) : host_(host)
{
    if (host_)
    {
        host_->QueryInterface(IID_IHostSampling, sampling_.PutVoid());
        Orv::ComPtr<ISubject> subject;
        if (SUCCEEDED(host_->QueryInterface(IID_ISubject, subject.PutVoid())) && subject)
            Observe(subject.Get());
    }
    if (IHostApplication* application = HostAppAccessor::Get())
    {
        Orv::ComPtr<ISubject> subject;
        if (SUCCEEDED(application->QueryInterface(IID_ISubject, subject.PutVoid())) && subject)
            Observe(subject.Get());
    }
    // A host without the command leaves the pane unable to run it.
    if (IHostCommandService* commands = CommandServiceAccessor::Get())
    {
        Orv::ComPtr<IVyrCommand> command;
        if (SUCCEEDED(commands->FindCommand(VyrHostCommandId::StartStopSampling, command.Put())) && command)
            command_ = command.As<IVyrHostCommand>(IID_IVyrHostCommand);
    }
}

SamplingControlPane::~SamplingControlPane()
{
    stateChanged_ = nullptr;
    beforeToggle_ = nullptr;
}

void SamplingControlPane::ToggleSampling()
{
    if (beforeToggle_)
        beforeToggle_();
    if (command_)
        command_->Execute(0);
}

std::unique_ptr<Gdiplus::Bitmap> SamplingControlPane::CommandImage(ULONG state) const
{
    HBITMAP image = nullptr;
    if (!command_ || command_->GetImage(state, &image) != S_OK || !image)
        return nullptr;
    auto bitmap = PargbBitmapFromDib(image);
    DeleteObject(image);
    return bitmap;
}

bool SamplingControlPane::HostIsSampling() const
{
    int16_t sampling = 0;
    return sampling_ && SUCCEEDED(sampling_->IsSampling(0, &sampling)) && sampling != 0;
}

bool SamplingControlPane::HostCanToggle() const
{
    return sampling_ && sampling_->CanToggleSampling() == S_OK;
}

void SamplingControlPane::CallStateChanged(bool sampling) const
{
    if (stateChanged_)
        stateChanged_(sampling);
}

void SamplingControlPane::SyncRecordingState()
{
    int16_t recording = 0;
    if (sampling_ && SUCCEEDED(sampling_->IsRecording(0, static_cast<LONG>(0x80000000), &recording)))
        SetRecordingState(recording != 0);
}

void SamplingControlPane::OnSamplingStarted(VARIANT_BOOL* sampling)
{
    if (!detached_ && IsTrue(sampling))
        OnSamplingStateChanged(true);
}

void SamplingControlPane::OnSamplingEnded()
{
    OnSamplingStateChanged(false);
}

void SamplingControlPane::OnSamplingStopped()
{
    if (!detached_)
        OnSamplingStateChanged(false);
}

void SamplingControlPane::OnViewsRefresh(HostEventWordPair* words)
{
    if (!detached_ && words && words->first == words->second)
        RefreshState();
}

void SamplingControlPane::OnFrameObjectClosing(HostEventWordPair* words)
{
    if (detached_ || !words || words->first != words->second || !host_)
        return;
    Orv::ComPtr<IVyrDocumentFrame> frame;
    Orv::ComPtr<IUnknown> current;
    if (SUCCEEDED(host_->QueryInterface(IID_IVyrDocumentFrame, frame.PutVoid())) && frame &&
        SUCCEEDED(frame->GetHostObject(current.Put())) && current &&
        reinterpret_cast<ULONG_PTR>(current.Get()) == words->second)
        detached_ = true;
}

void SamplingControlPane::OnRecordingChanged(VARIANT_BOOL* recording)
{
    SetRecordingState(IsTrue(recording));
}

void SamplingControlPane::OnRefreshEvent()
{
    if (!detached_)
        RefreshState();
}

DEFINE_RESPONSE_TABLE1(SamplingControlPaneWin, FixedGadgetWindow)
    EV_COMMAND(SamplingControlPaneWin::StartStopCommand, CmStartStop),
    EV_COMMAND_ENABLE(SamplingControlPaneWin::StartStopCommand, CeStartStop),
END_RESPONSE_TABLE;

SamplingControlPaneWin::SamplingControlPaneWin(OWL::TWindow* parent, IUnknown* host, OWL::TFont* font)
    : SamplingControlPane(host), FixedGadgetWindow(parent, 0, font)
{
    Attr.Style &= ~WS_BORDER;
    const bool sampling = HostIsSampling();
    startStop_ = new UxCustomButtonGadget(StartStopCommand, CommandImage(VyrHostCommandImage::Normal), 1,
                                          OWL::TButtonTextGadget::sBitmapText, OWL::TButtonGadget::Command, false,
                                          OWL::TButtonGadget::Up, false, 4);
    startStop_->SetCommandEnableOptions(OWL::TButtonGadget::IgnoreCheck);
    startStop_->SetEnabled(true);
    startStop_->SetLayoutStyle(OWL::TButtonTextGadget::lTextRight);
    startStop_->SetImage(UxSizableButtonGadget::DownImage, CommandImage(VyrHostCommandImage::Pressed));
    OnSamplingStateChanged(sampling);
    startStop_->SetMargins(OWL::TMargins(OWL::TMargins::Pixels, 0, 0, 0, 0));
    Insert(*startStop_);
    SetShrinkWrap(false, true);
}

void SamplingControlPaneWin::SetupWindow()
{
    FixedGadgetWindow::SetupWindow();
    OWL::TSize desired = startStop_->GetBounds().Size();
    startStop_->GetDesiredSize(desired);
    startStop_->SetShrinkWrap(false, false);
    startStop_->SetBounds(OWL::TRect(0, 0, 0, desired.cy));
    LayoutSession();
    SyncRecordingState();
}

void SamplingControlPaneWin::LayoutSession()
{
    FixedGadgetWindow::LayoutSession();
    // The one button takes the strip's whole width.
    if (GetHandle())
    {
        const OWL::TRect client = GetClientRect();
        startStop_->SetBounds(OWL::TRect(client.left, client.top, client.right, client.bottom));
    }
}

void SamplingControlPaneWin::OnSamplingStateChanged(bool sampling)
{
    startStop_->SetText(ButtonText(sampling).c_str());
    startStop_->Invalidate(true);
    startStop_->SetButtonState(sampling ? OWL::TButtonGadget::Down : OWL::TButtonGadget::Up);
    CallStateChanged(sampling);
}

void SamplingControlPaneWin::CmStartStop()
{
    ToggleSampling();
}

void SamplingControlPaneWin::CeStartStop(OWL::TCommandEnabler& enabler)
{
    enabler.Enable(HostCanToggle());
    const bool sampling = HostIsSampling();
    enabler.SetCheck(sampling ? 1 : 0);
    enabler.SetText(ButtonText(sampling).c_str());
}

void SamplingControlPaneWin::Move(const OWL::TRect& rect)
{
    ::MoveWindow(GetHandle(), rect.left, rect.top, rect.Width(), rect.Height(), TRUE);
}

void SamplingControlPaneWin::GetRect(OWL::TRect& rect)
{
    rect = GetWindowRect();
    if (HWND parent = ::GetParent(GetHandle()))
    {
        RECT outer{};
        ::GetWindowRect(parent, &outer);
        rect = OWL::TRect(rect.left - outer.left, rect.top - outer.top, rect.right - outer.left, rect.bottom - outer.top);
    }
}

void SamplingControlPaneWin::GetDesiredSize(OWL::TSize& size)
{
    FixedGadgetWindow::GetDesiredSize(size);
}

} // namespace StrixLib

namespace Sistra
{

OwlSamplingButton::OwlSamplingButton(HWND placeholder, IUnknown* host, const std::function<void(bool)>* stateChanged)
    : OWL::TWindow(placeholder)
{
    HWND parentHandle = ::GetParent(placeholder);
    OWL::TWindow* parent = OWL::TWindow::FromHandle(parentHandle);
    if (!parent)
    {
        parentAlias_ = std::make_unique<OWL::TWindow>(parentHandle);
        parent = parentAlias_.get();
    }
    pane_ = std::make_unique<StrixLib::SamplingControlPaneWin>(parent, host, new OWL::TGadgetWindowFont2());
    if (stateChanged)
        pane_->SetStateChangedCallback(*stateChanged);
    pane_->Create();
    FollowPlaceholder();
    ::ShowWindow(placeholder, SW_HIDE);
}

void OwlSamplingButton::FollowPlaceholder()
{
    if (!pane_ || !pane_->GetHandle())
        return;
    RECT place{};
    ::GetWindowRect(GetHandle(), &place);
    ::MapWindowPoints(nullptr, ::GetParent(GetHandle()), reinterpret_cast<POINT*>(&place), 2);
    pane_->Move(OWL::TRect(place.left, place.top, place.right, place.bottom));
}

LRESULT OwlSamplingButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = OWL::TWindow::WindowProc(msg, wParam, lParam);
    if (msg == WM_WINDOWPOSCHANGED && !(reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_NOMOVE))
        FollowPlaceholder();
    return result;
}

OwlSamplingButton::~OwlSamplingButton()
{
    if (pane_ && pane_->GetHandle())
        pane_->Destroy();
}

} // namespace Sistra
