// The one-button strip that starts and stops the host's sampling from inside a module dialog: the
// logic (host interfaces, host events, the command and its enable query), the strip window with its
// one themed button, and the OWL window that puts the strip over a placeholder control of a dialog.
#pragma once

#include "controls/gadgets/ButtonGadgets.h"
#include "controls/gadgets/GadgetWindows.h"
#include "foundation/com/ComPtr.h"
#include "hostframework/messaging/EventHandlers.h"

#include "hostapi/VyrAnalysis.h"
#include "hostapi/VyrCommands.h"

#include <functional>
#include <memory>

namespace StrixDraw
{

// An element of a module's window that can be placed and measured and shows the recording state.
class SamplingControlPaneBase
{
public:
    virtual ~SamplingControlPaneBase() = default;
    virtual void Move(const OWL::TRect& rect) = 0;
    virtual void GetRect(OWL::TRect& rect) = 0;
    virtual void GetDesiredSize(OWL::TSize& size) = 0;
    virtual void SetRecordingState(bool recording) = 0;
};

} // namespace StrixDraw

namespace StrixLib
{

// What the host's events with two words (0x80000000 and 0x80000001) carry.
struct HostEventWordPair
{
    ULONG_PTR first;
    ULONG_PTR second;
};

class SamplingControlPane : public VyrCppEventHandler, public StrixDraw::SamplingControlPaneBase
{
    VYR_DECLARE_EVENT_MAP()

public:
    // The host view or document object the pane works for; it is held, and observed.
    explicit SamplingControlPane(IUnknown* host);
    ~SamplingControlPane() override;

    void SetStateChangedCallback(std::function<void(bool)> callback) { stateChanged_ = std::move(callback); }
    void SetBeforeToggleCallback(std::function<void()> callback) { beforeToggle_ = std::move(callback); }
    bool IsDetached() const { return detached_; }

    virtual void OnSamplingStateChanged(bool sampling) = 0;
    virtual void RefreshState() = 0;
    virtual void SyncRecordingState();

protected:
    // Runs the host's start/stop command after the before-toggle callback.
    void ToggleSampling();
    // The start/stop command's image for a button state; null when the host has none.
    std::unique_ptr<Gdiplus::Bitmap> CommandImage(ULONG state) const;
    bool HostIsSampling() const;
    bool HostCanToggle() const;
    void CallStateChanged(bool sampling) const;

private:
    void OnSamplingStarted(VARIANT_BOOL* sampling);
    void OnSamplingEnded();
    void OnSamplingStopped();
    void OnViewsRefresh(HostEventWordPair* words);
    void OnFrameObjectClosing(HostEventWordPair* words);
    void OnRecordingChanged(VARIANT_BOOL* recording);
    void OnRefreshEvent();

    std::function<void(bool)> stateChanged_;
    Orv::ComPtr<IUnknown> host_;
    Orv::ComPtr<IVyrHostCommand> command_;
    Orv::ComPtr<IHostSampling> sampling_;
    std::function<void()> beforeToggle_;
    bool detached_ = false;
};

class SamplingControlPaneWin : public SamplingControlPane, public FixedGadgetWindow
{
public:
    static constexpr int StartStopCommand = 22032;

    SamplingControlPaneWin(OWL::TWindow* parent, IUnknown* host, OWL::TFont* font = nullptr);

    DECLARE_RESPONSE_TABLE(SamplingControlPaneWin);

    UxCustomButtonGadget& StartStopGadget() const { return *startStop_; }

    void SetupWindow() override;
    void LayoutSession() override;

    void OnSamplingStateChanged(bool sampling) override;
    void RefreshState() override {}

    void Move(const OWL::TRect& rect) override;
    void GetRect(OWL::TRect& rect) override;
    void GetDesiredSize(OWL::TSize& size) override;
    // The strip has no recording gadget: nothing shows the recording state.
    void SetRecordingState(bool) override {}

protected:
    void CmStartStop();
    void CeStartStop(OWL::TCommandEnabler& enabler);

private:
    UxCustomButtonGadget* startStop_;
};

} // namespace StrixLib

namespace Sistra
{

// Stands on a placeholder control of a dialog: puts the sampling strip over its rectangle and hides it.
// The strip follows the placeholder wherever the dialog's layout moves it, so that it never stays behind
// under a label that grew into its old place.
class OwlSamplingButton : public OWL::TWindow
{
public:
    OwlSamplingButton(HWND placeholder, IUnknown* host, const std::function<void(bool)>* stateChanged = nullptr);
    ~OwlSamplingButton() override;

    StrixLib::SamplingControlPaneWin& Pane() const { return *pane_; }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void FollowPlaceholder();

    std::unique_ptr<OWL::TWindow> parentAlias_;
    std::unique_ptr<StrixLib::SamplingControlPaneWin> pane_;
};

} // namespace Sistra
