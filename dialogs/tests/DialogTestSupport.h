// What the dialogs' tests share: a module document over a small recording of the host stand-in (pressure
// on channel 1, volume in mL on channel 2, two records), the message boxes the host answered,
// and pictures of the windows they open.
#pragma once

#include "document/core/SistraDocument.h"
#include "platform/owl/tests/Screenshot.h"
#include "testsupport/StandInHost.h"
#include "testsupport/VyrTestSupport.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace DialogTests
{

inline StandInHost::Recording TwoChannelRecording(const std::string& pressureUnit)
{
    StandInHost::Recording recording({{"LV Pressure", pressureUnit}, {"LV Volume", "mL"}});
    const std::vector<float> pressure(200, 10.0f), volume(200, 30.0f);
    for (int record = 0; record < 2; ++record)
    {
        const std::vector<std::span<const float>> rows{pressure, volume};
        StandInHost::Record added = recording.AddRecord(0.001);
        added.Append(rows);
        added.MarkComplete();
    }
    recording.MarkFinished();
    return recording;
}

// A document over the two-channel recording, its channels set as the recording has them; the pressure
// channel in the unit given.
class DocumentFixture
{
public:
    // calculated: the texts of the document's calculated channels (vch1 first).
    explicit DocumentFixture(const std::string& pressureUnit = "mmHg", std::vector<std::string> calculated = {})
        : recording_(TwoChannelRecording(pressureUnit)), document_(recording_, false, false, std::move(calculated))
    {
    }

    Sistra::SistraDocument& Document() { return document_.Document(); }
    StandInHost::HostDocument& Host() { return document_.Host(); }

private:
    StandInHost::Recording recording_;
    StandInHost::DocumentOnHost document_;
};

inline std::vector<RecordedMessageBox> MessageBoxes()
{
    return RecordedMessageBoxes(StandInHost::StandIn());
}

// Shows the window, lets the display catch up and saves it as build/screenshots/<name>.png.
inline void SaveShown(HWND window, const std::wstring& name)
{
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    for (int round = 0; round < 5; ++round)
    {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        OwlTest::PumpMessages();
        Sleep(50);
    }
    OwlTest::SaveWindowPng(window, name);
}

// Runs run, which shows a modal dialog of that caption, while a timer hands the dialog, once shown, to
// script (which ends it). The result is what run returned.
template <class Run>
auto WithModalScript(const wchar_t* caption, std::function<void(HWND)> script, Run run)
{
    static const wchar_t* wanted = nullptr;
    static std::function<void(HWND)> pending;
    wanted = caption;
    pending = std::move(script);
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND dialog = FindWindowW(L"#32770", wanted);
        if (!dialog || !IsWindowVisible(dialog) || !pending)
            return;
        KillTimer(nullptr, id);
        const auto act = std::exchange(pending, nullptr);
        act(dialog);
    });
    auto result = run();
    KillTimer(nullptr, timer);
    pending = nullptr;
    return result;
}

// The accordion pane a step page lives in: a plain window that keeps what the page told it.
class TestPane
{
public:
    struct Told
    {
        UINT message;
        std::wstring title;
        std::wstring text;
        WPARAM ready;
    };

    TestPane()
    {
        static const ATOM registered = [] {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = &Procedure;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
            windowClass.lpszClassName = L"DialogsTestPane";
            return RegisterClassW(&windowClass);
        }();
        (void)registered;
        window_ = CreateWindowExW(WS_EX_CONTROLPARENT, L"DialogsTestPane", L"pane", WS_POPUP | WS_VISIBLE, 50, 50, 360,
                                  240, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    }
    ~TestPane() { DestroyWindow(window_); }

    HWND Window() const { return window_; }
    std::vector<Told> told;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE)
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* pane = reinterpret_cast<TestPane*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (pane && message == WM_USER + 2)
            pane->told.push_back({message, wParam ? reinterpret_cast<const wchar_t*>(wParam) : L"",
                                  lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"", 0});
        else if (pane && message == WM_USER + 3)
            pane->told.push_back({message, L"", L"", wParam});
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_;
};

inline std::wstring TextOf(HWND dialog, int id)
{
    wchar_t text[256] = {};
    GetDlgItemTextW(dialog, id, text, 256);
    return text;
}

inline void Click(HWND dialog, int id)
{
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

} // namespace DialogTests
