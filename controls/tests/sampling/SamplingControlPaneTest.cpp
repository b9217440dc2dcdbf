#include "controls/sampling/SamplingControlPane.h"

#include "hostframework/messaging/SistraIds.h"
#include "hostframework/tests/FrameworkTestSupport.h"
#include "platform/owl/tests/Screenshot.h"
#include "platform/owl/tests/TestPopup.h"

#include "hostapi/VyrDocuments.h"

#include <gtest/gtest.h>

#include <map>

namespace
{

// A host document as the pane sees it: its sampling state, its subject and its frame's current object.
class HostObject final : public TestSupport::StackComObject<IHostSampling, ISubject, IVyrDocumentFrame>
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IHostSampling))
            *object = static_cast<IHostSampling*>(this);
        else if (IsEqualIID(iid, IID_ISubject))
            *object = static_cast<ISubject*>(this);
        else if (IsEqualIID(iid, IID_IVyrDocumentFrame))
            *object = static_cast<IVyrDocumentFrame*>(this);
        else
            return *object = nullptr, E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsSampling(ULONG, int16_t* flag) override { return *flag = sampling ? -1 : 0, S_OK; }
    HRESULT STDMETHODCALLTYPE IsRecording(ULONG, LONG, int16_t* flag) override { return *flag = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE CanToggleSampling() override { return canToggle ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE IsBusy(int16_t* busy) override { return *busy = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE Notify(ULONG eventId, void* data) override
    {
        for (auto [at, end] = observers.equal_range(eventId); at != end; ++at)
            at->second->Notify(this, eventId, 0, data);
        return S_OK;
    }
    // The observer subscribes to the events its map names.
    HRESULT STDMETHODCALLTYPE AddObserver(IObserver* observer) override { return observer->RegisterEvents(this); }
    HRESULT STDMETHODCALLTYPE RemoveObserver(IObserver* observer) override
    {
        std::erase_if(observers, [&](const auto& entry) { return entry.second == observer; });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AddObserverForEvent(IObserver* observer, ULONG eventId, ULONG) override
    {
        observers.emplace(eventId, observer);
        return S_OK;
    }
    void STDMETHODCALLTYPE Destroy() override {}
    HRESULT STDMETHODCALLTYPE GetFrameServices(IUnknown** services) override { return *services = nullptr, E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetHostObject(IUnknown** object) override
    {
        *object = static_cast<IHostSampling*>(this);
        AddRef();
        return S_OK;
    }

    void Send(ULONG eventId, bool flag)
    {
        VARIANT_BOOL value = flag ? VARIANT_TRUE : VARIANT_FALSE;
        Notify(eventId, &value);
    }

    bool sampling = false;
    bool canToggle = true;
    std::multimap<ULONG, IObserver*> observers;
};

// What the host runs for its start/stop command: it flips the sampling state.
class StartStop final : public TestSupport::StackComObject<IVyrHostCommand>
{
public:
    explicit StartStop(HostObject& host) : host_(host) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = IsEqualIID(iid, IID_IVyrHostCommand) || IsEqualIID(iid, IID_IUnknown) ? this : nullptr;
        return *object ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE Execute(ULONG) override
    {
        ++runs;
        host_.sampling = !host_.sampling;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetImage(ULONG, HBITMAP* image) override { return *image = nullptr, S_FALSE; }
    int runs = 0;

private:
    HostObject& host_;
};

ULONG Sampling(USHORT number)
{
    ULONG id = 0;
    return *(number == 0 ? MsgIdClass<&HostSamplingEventGUID, 0>::GetId(&id)
             : number == 1 ? MsgIdClass<&HostSamplingEventGUID, 1>::GetId(&id)
                           : MsgIdClass<&HostSamplingEventGUID, 16>::GetId(&id));
}

class Dialog : public OwlTest::TestPopup
{
public:
    Dialog() : OwlTest::TestPopup(L"Calibration", 150, 150, 220, 60) {}
};

// The display shows what was painted a moment later: the picture waits for it.
void SavePicture(OWL::TWindow& window, const wchar_t* name)
{
    UpdateWindow(window.GetHandle());
    for (int i = 0; i < 3; ++i)
    {
        Sleep(50);
        OwlTest::PumpMessages();
    }
    OwlTest::SaveWindowPng(window.GetHandle(), name);
}

struct PaneState
{
    const wchar_t* text;
    OWL::TButtonGadget::TState state;
};

void ExpectShows(StrixLib::SamplingControlPaneWin& pane, const PaneState& expected, const char* when)
{
    EXPECT_EQ(expected.text, pane.StartStopGadget().GetText()) << when;
    EXPECT_EQ(expected.state, pane.StartStopGadget().GetButtonState()) << when;
}

TEST(SamplingControlPane, FollowsTheHostsSamplingEventsAndStopsListeningOnceDetached)
{
    HostObject host;
    Dialog dialog;
    ASSERT_TRUE(dialog.Create());
    HWND placeholder = CreateWindowW(L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, 200, 30, dialog.GetHandle(),
                                     nullptr, nullptr, nullptr);
    std::vector<bool> told;
    const std::function<void(bool)> callback = [&](bool sampling) { told.push_back(sampling); };
    Sistra::OwlSamplingButton button(placeholder, static_cast<IHostSampling*>(&host), &callback);
    StrixLib::SamplingControlPaneWin& pane = button.Pane();
    EXPECT_FALSE(IsWindowVisible(placeholder));
    const PaneState stopped{L"Start ", OWL::TButtonGadget::Up}, running{L"Stop", OWL::TButtonGadget::Down};
    ExpectShows(pane, stopped, "at first");

    const struct
    {
        ULONG event;
        bool flag;
        PaneState shows;
    } steps[] = {{Sampling(0), true, running}, {Sampling(1), false, stopped}, {Sampling(0), false, stopped},
                 {Sampling(0), true, running}, {Sampling(16), false, stopped}};
    for (const auto& step : steps)
    {
        host.Send(step.event, step.flag);
        ExpectShows(pane, step.shows, "after an event");
    }
    EXPECT_EQ((std::vector<bool>{true, false, true, false}), told);
    told.clear();
    OwlTest::PumpMessages();
    host.Send(Sampling(0), true);
    SavePicture(pane, L"sampling_pane_running");
    host.Send(Sampling(16), false);
    SavePicture(pane, L"sampling_pane");

    // The frame's object closes: only the end of sampling still reaches the pane.
    StrixLib::HostEventWordPair closing{reinterpret_cast<ULONG_PTR>(static_cast<IHostSampling*>(&host)),
                                        reinterpret_cast<ULONG_PTR>(static_cast<IHostSampling*>(&host))};
    host.Notify(0x80000001, &closing);
    ASSERT_TRUE(pane.IsDetached());
    host.Send(Sampling(0), true);
    ExpectShows(pane, stopped, "detached");
    pane.OnSamplingStateChanged(true);
    host.Send(Sampling(16), false);
    ExpectShows(pane, stopped, "sampling ended while detached");
}

TEST(SamplingControlPane, ExecutesTheHostsCommandOncePerPressAndEnablesByTheHostsAnswer)
{
    HostObject host;
    StartStop command(host);
    ASSERT_EQ(S_OK, TestSupport::StandIn()->SetHostCommandTarget(VyrHostCommandId::StartStopSampling, &command));
    {
        Dialog dialog;
        ASSERT_TRUE(dialog.Create());
        HWND placeholder = CreateWindowW(L"STATIC", L"", WS_CHILD, 10, 10, 200, 30, dialog.GetHandle(), nullptr,
                                         nullptr, nullptr);
        Sistra::OwlSamplingButton button(placeholder, static_cast<IHostSampling*>(&host));
        StrixLib::SamplingControlPaneWin& pane = button.Pane();
        const OWL::TRect bounds = pane.StartStopGadget().GetBounds();
        EXPECT_EQ(pane.GetClientRect().Width(), bounds.Width()) << "the button takes the strip's width";
        const LPARAM at = MAKELPARAM((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
        pane.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        pane.SendMessage(WM_LBUTTONUP, 0, at);
        OwlTest::PumpMessages();
        EXPECT_EQ(1, command.runs);

        host.canToggle = false;
        pane.StartStopGadget().CommandEnable();
        EXPECT_FALSE(pane.StartStopGadget().GetEnabled());
        EXPECT_EQ(L"Stop", pane.StartStopGadget().GetText()) << "disabled, the text still follows the host";
        host.canToggle = true;
        host.sampling = false;
        pane.StartStopGadget().CommandEnable();
        EXPECT_TRUE(pane.StartStopGadget().GetEnabled());
        EXPECT_EQ(L"Start ", pane.StartStopGadget().GetText());
    }
    TestSupport::StandIn()->SetHostCommandTarget(VyrHostCommandId::StartStopSampling, nullptr);
}

} // namespace
