#include "platform/owl/window/CommandEnabler.h"
#include "platform/owl/window/Window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using OWL::TCommandEnabler;
using OWL::TWindow;

constexpr UINT CmShared = 101;    // handled by base and derived
constexpr UINT CmBaseOnly = 102;  // handled by the base only
constexpr UINT CmEnabled = 103;   // has an enable handler
constexpr UINT CmUnknown = 199;   // handled by nobody
constexpr int ButtonId = 300;

class RecordingEnabler : public TCommandEnabler
{
public:
    using TCommandEnabler::TCommandEnabler;
    void Enable(bool enable) override
    {
        TCommandEnabler::Enable(enable);
        enabled = enable;
    }
    void SetText(const wchar_t* newText) override { text = newText; }
    void SetCheck(int state) override { check = state; }

    bool enabled = false;
    std::wstring text;
    int check = -1;
};

class BaseWindow : public TWindow
{
public:
    using TWindow::TWindow;
    std::vector<std::string> calls;

    void EvSize(UINT, const OWL::TSize& size)
    {
        calls.push_back("base size " + std::to_string(size.cx));
        TWindow::EvSize(0, size);
    }
    void CmSharedCommand() { calls.push_back("base shared"); }
    void CmBaseCommand() { calls.push_back("base only"); }

    DECLARE_RESPONSE_TABLE(BaseWindow);
};

DEFINE_RESPONSE_TABLE1(BaseWindow, TWindow)
    EV_WM_SIZE,
    EV_COMMAND(CmShared, CmSharedCommand),
    EV_COMMAND(CmBaseOnly, CmBaseCommand),
END_RESPONSE_TABLE;

class DerivedWindow : public BaseWindow
{
public:
    using BaseWindow::BaseWindow;

    void EvSize(UINT type, const OWL::TSize& size)
    {
        calls.push_back("derived size");
        BaseWindow::EvSize(type, size);
    }
    void CmDerivedShared() { calls.push_back("derived shared"); }
    void CeEnabled(TCommandEnabler& enabler)
    {
        enabler.Enable(false);
        enabler.SetText(L"Print Loops");
        enabler.SetCheck(TCommandEnabler::Checked);
    }
    void ButtonClicked() { calls.push_back("button clicked"); }
    void ButtonAnyCode(UINT code) { calls.push_back("button code " + std::to_string(code)); }
    void EvChildInvalid(HWND) { calls.push_back("child invalid"); }

    DECLARE_RESPONSE_TABLE(DerivedWindow);
};

DEFINE_RESPONSE_TABLE1(DerivedWindow, BaseWindow)
    EV_WM_SIZE,
    EV_COMMAND(CmShared, CmDerivedShared),
    EV_COMMAND_ENABLE(CmEnabled, CeEnabled),
    EV_BN_CLICKED(ButtonId, ButtonClicked),
    EV_CHILD_NOTIFY_ALL_CODES(ButtonId + 1, ButtonAnyCode),
    EV_WM_CHILDINVALID,
END_RESPONSE_TABLE;

struct DispatchCase
{
    const char* name;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    std::vector<std::string> expected;
};

TEST(OwlResponseTable, DerivedEntriesAreFoundBeforeTheBasesAndEachMessageReachesItsHandler)
{
    const HWND someControl = reinterpret_cast<HWND>(0x1234);
    const std::vector<DispatchCase> cases = {
        {"size reaches derived, then base", WM_SIZE, 0, MAKELPARAM(40, 30), {"derived size", "base size 40"}},
        {"derived command hides base", WM_COMMAND, CmShared, 0, {"derived shared"}},
        {"base command still found", WM_COMMAND, CmBaseOnly, 0, {"base only"}},
        {"unknown command does nothing", WM_COMMAND, CmUnknown, 0, {}},
        {"button click by notification entry", WM_COMMAND, MAKEWPARAM(ButtonId, BN_CLICKED),
         reinterpret_cast<LPARAM>(someControl), {"button clicked"}},
        {"other codes of that button are not clicks", WM_COMMAND, MAKEWPARAM(ButtonId, BN_SETFOCUS),
         reinterpret_cast<LPARAM>(someControl), {}},
        {"all-codes entry gets the code", WM_COMMAND, MAKEWPARAM(ButtonId + 1, EN_CHANGE),
         reinterpret_cast<LPARAM>(someControl), {"button code " + std::to_string(EN_CHANGE)}},
        {"a click on a button with a command entry runs the command", WM_COMMAND, MAKEWPARAM(CmBaseOnly, BN_CLICKED),
         reinterpret_cast<LPARAM>(someControl), {"base only"}},
        {"child invalid", WM_CHILDINVALID, 0, 0, {"child invalid"}},
    };
    for (const DispatchCase& test : cases)
    {
        DerivedWindow window(static_cast<TWindow*>(nullptr));
        window.HandleMessage(test.msg, test.wParam, test.lParam);
        EXPECT_EQ(test.expected, window.calls) << test.name;
    }
}

TEST(OwlResponseTable, CommandEnableIsAnsweredByTheEnableEntryOrByACommandEntryOrPassedToTheParent)
{
    DerivedWindow parent(static_cast<TWindow*>(nullptr));
    TWindow child(&parent);

    RecordingEnabler explicitEnable(CmEnabled);
    child.HandleMessage(WM_COMMAND_ENABLE, 0, reinterpret_cast<LPARAM>(&explicitEnable));
    EXPECT_TRUE(explicitEnable.GetHandled());
    EXPECT_FALSE(explicitEnable.enabled);
    EXPECT_EQ(L"Print Loops", explicitEnable.text);
    EXPECT_EQ(TCommandEnabler::Checked, explicitEnable.check);

    RecordingEnabler handledCommand(CmBaseOnly);
    child.HandleMessage(WM_COMMAND_ENABLE, 0, reinterpret_cast<LPARAM>(&handledCommand));
    EXPECT_TRUE(handledCommand.GetHandled());
    EXPECT_TRUE(handledCommand.enabled);

    RecordingEnabler nobody(CmUnknown);
    child.HandleMessage(WM_COMMAND_ENABLE, 0, reinterpret_cast<LPARAM>(&nobody));
    EXPECT_FALSE(nobody.GetHandled());
}

} // namespace
