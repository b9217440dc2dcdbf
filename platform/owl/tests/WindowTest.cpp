#include "Screenshot.h"

#include "platform/owl/Failure.h"
#include "platform/owl/gdi/DC.h"
#include "platform/owl/window/Window.h"

#include "foundation/com/XOrv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace
{

using OWL::TRect;
using OWL::TWindow;

std::vector<std::wstring>& LoggedFailures()
{
    static std::vector<std::wstring> failures;
    return failures;
}

void RecordFailure(const std::wstring& text) noexcept
{
    LoggedFailures().push_back(text);
}

// Collects the failures logged while it lives.
class FailureLogScope
{
public:
    FailureLogScope() : previous_(Orv::SetFailureSink(&RecordFailure)) { LoggedFailures().clear(); }
    ~FailureLogScope() { Orv::SetFailureSink(previous_); }
    const std::vector<std::wstring>& Failures() const { return LoggedFailures(); }

private:
    Orv::FailureSink previous_;
};

class TopWindow : public TWindow
{
public:
    // Hidden unless a test shows it: a shown top-level window takes Wine a while to take down.
    explicit TopWindow(DWORD visible = 0) : TWindow(static_cast<TWindow*>(nullptr), L"Owl test")
    {
        Attr.Style = WS_OVERLAPPEDWINDOW | visible;
        Attr.X = Attr.Y = 10;
        Attr.W = 240;
        Attr.H = 160;
    }
};

// A child that paints two coloured halves and throws where a test asks it to.
class ThrowingChild : public TWindow
{
public:
    explicit ThrowingChild(TWindow* parent) : TWindow(parent)
    {
        Attr.Id = 7;
        Attr.W = 200;
        Attr.H = 100;
    }
    bool throwOnSize = false;
    bool throwOnPaint = false;
    int setupCount = 0;

    void SetupWindow() override
    {
        TWindow::SetupWindow();
        ++setupCount;
    }
    void Paint(OWL::TDC& dc, bool, TRect&) override
    {
        if (throwOnPaint)
            throw XOrv(Orv::String(L"paint failed"), E_FAIL);
        dc.TextRect(TRect(0, 0, 100, 100), OWL::TColor(200, 30, 30));
        dc.TextRect(TRect(100, 0, 200, 100), OWL::TColor(30, 30, 200));
    }
    void EvSize(UINT type, const OWL::TSize& size)
    {
        if (throwOnSize)
            throw XOrv(Orv::String(L"size failed"), E_INVALIDARG);
        TWindow::EvSize(type, size);
    }

    DECLARE_RESPONSE_TABLE(ThrowingChild);
};

DEFINE_RESPONSE_TABLE1(ThrowingChild, TWindow)
    EV_WM_SIZE,
END_RESPONSE_TABLE;

TEST(OwlWindow, CreatingAWindowCreatesItsChildrenAndBindsEachObjectToItsHandle)
{
    TopWindow top;
    auto* child = new ThrowingChild(&top);
    ASSERT_TRUE(top.Create());
    ASSERT_TRUE(IsWindow(top.GetHandle()));
    ASSERT_TRUE(IsWindow(child->GetHandle()));
    EXPECT_EQ(&top, TWindow::FromHandle(top.GetHandle()));
    EXPECT_EQ(child, TWindow::FromHandle(child->GetHandle()));
    EXPECT_EQ(top.GetHandle(), GetParent(child->GetHandle()));
    EXPECT_EQ(7, GetDlgCtrlID(child->GetHandle()));
    EXPECT_EQ(1, child->setupCount);
    EXPECT_EQ(child, top.ChildWithId(7));
    EXPECT_TRUE(child->IsFlagSet(OWL::wfFullyCreated));
}

TEST(OwlWindow, DeletingAChildTakesItOffItsParentAndDeletingTheParentDestroysTheRest)
{
    auto top = std::make_unique<TopWindow>();
    auto* first = new ThrowingChild(top.get());
    auto* second = new ThrowingChild(top.get());
    top->Create();
    const HWND secondHandle = second->GetHandle();
    delete first;
    EXPECT_EQ(std::vector<TWindow*>{second}, top->GetChildren());
    const HWND topHandle = top->GetHandle();
    top.reset();
    EXPECT_FALSE(IsWindow(topHandle));
    EXPECT_FALSE(IsWindow(secondHandle));
}

TEST(OwlWindow, TheLibraryLeavesTheUserDataOfItsOwnWindowsFree)
{
    TopWindow top;
    top.Create();
    EXPECT_EQ(0, GetWindowLongPtrW(top.GetHandle(), GWLP_USERDATA));
    SetWindowLongPtrW(top.GetHandle(), GWLP_USERDATA, 0x5A5A);
    top.SetCaption(L"still bound");
    EXPECT_EQ(&top, TWindow::FromHandle(top.GetHandle()));
    EXPECT_EQ(0x5A5A, GetWindowLongPtrW(top.GetHandle(), GWLP_USERDATA));
}

// A window class of someone else that keeps its own state in its user data.
LRESULT CALLBACK ForeignProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_APP)
    {
        auto* count = reinterpret_cast<int*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        return count ? ++*count : -1;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

HWND CreateForeignWindow(int* state)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &ForeignProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"OwlTestForeign";
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowW(L"OwlTestForeign", L"", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    return window;
}

class CountingAlias : public TWindow
{
public:
    using TWindow::TWindow;
    int seen = 0;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_APP)
            ++seen;
        return TWindow::WindowProc(msg, wParam, lParam);
    }
};

TEST(OwlWindow, AnAliasSubclassesAForeignWindowWithoutTouchingItsUserDataAndGivesItBackWhenDeleted)
{
    int foreignCount = 0;
    const HWND foreign = CreateForeignWindow(&foreignCount);
    const LONG_PTR originalProcedure = GetWindowLongPtrW(foreign, GWLP_WNDPROC);
    {
        CountingAlias alias(foreign);
        EXPECT_EQ(&alias, TWindow::FromHandle(foreign));
        EXPECT_EQ(1, SendMessageW(foreign, WM_APP, 0, 0));
        EXPECT_EQ(1, alias.seen);
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(&foreignCount), GetWindowLongPtrW(foreign, GWLP_USERDATA));
        EXPECT_TRUE(alias.IsFlagSet(OWL::wfAlias));
    }
    EXPECT_TRUE(IsWindow(foreign)) << "an alias does not destroy the window";
    EXPECT_EQ(nullptr, TWindow::FromHandle(foreign));
    EXPECT_EQ(originalProcedure, GetWindowLongPtrW(foreign, GWLP_WNDPROC));
    EXPECT_EQ(2, SendMessageW(foreign, WM_APP, 0, 0));
    DestroyWindow(foreign);
}

// A foreign window whose own procedure deletes the alias that binds it at one message, as a dialog deletes
// what it owns (an alias of its window among them) at its last message. The alias lives in storage the test
// fills once the alias has gone, so that anything written to it afterwards shows.
struct DoomedAlias
{
    alignas(CountingAlias) std::byte storage[sizeof(CountingAlias)];
    CountingAlias* alias = nullptr;
    UINT deleteAt = 0;
};
DoomedAlias doomed;
constexpr std::byte GonePattern{0xA5};
constexpr UINT SendsOnward = WM_APP + 1;

LRESULT CALLBACK DeletingProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == SendsOnward)
        return SendMessageW(window, WM_APP, 0, 0);
    if (msg == doomed.deleteAt && doomed.alias)
    {
        std::exchange(doomed.alias, nullptr)->~CountingAlias();
        std::fill(std::begin(doomed.storage), std::end(doomed.storage), GonePattern);
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

TEST(OwlWindow, AnAliasDeletedWhileItsWindowsMessagePassesThroughItIsNotWrittenAfterwards)
{
    struct Case
    {
        const char* name;
        UINT deleteAt;
        bool destroy; // the window's destruction brings the message; otherwise SendsOnward, nested in it
    };
    const Case cases[] = {{"at the window's last message", WM_NCDESTROY, true},
                          {"at a message sent while another passes through it", WM_APP, false}};
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &DeletingProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"OwlTestDeleting";
    RegisterClassW(&windowClass);
    for (const Case& test : cases)
    {
        SCOPED_TRACE(test.name);
        const HWND window = CreateWindowW(L"OwlTestDeleting", L"", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                                          GetModuleHandleW(nullptr), nullptr);
        doomed.alias = new (doomed.storage) CountingAlias(window);
        doomed.deleteAt = test.deleteAt;
        if (test.destroy)
            DestroyWindow(window);
        else
            SendMessageW(window, SendsOnward, 0, 0);
        EXPECT_EQ(nullptr, doomed.alias);
        EXPECT_TRUE(std::all_of(std::begin(doomed.storage), std::end(doomed.storage),
                                [](std::byte b) { return b == GonePattern; }));
        DestroyWindow(window);
    }
}

TEST(OwlWindow, SomethingThrownInAHandlerIsLoggedAndTheMessageGetsItsDefaultProcessing)
{
    FailureLogScope log;
    TopWindow top;
    auto* child = new ThrowingChild(&top);
    top.Create();
    child->throwOnSize = true;
    SetWindowPos(child->GetHandle(), nullptr, 0, 0, 150, 80, SWP_NOZORDER | SWP_NOMOVE);
    ASSERT_EQ(1u, log.Failures().size());
    EXPECT_NE(std::wstring::npos, log.Failures()[0].find(L"0x0005")) << log.Failures()[0];
    EXPECT_NE(std::wstring::npos, log.Failures()[0].find(L"0x80070057")) << log.Failures()[0];
    EXPECT_EQ(TRect(0, 0, 150, 80), child->GetClientRect());
}

TEST(OwlWindow, APaintThatThrowsIsLoggedAndLeavesNothingToRepaint)
{
    FailureLogScope log;
    TopWindow top(WS_VISIBLE);
    auto* child = new ThrowingChild(&top);
    top.Create();
    OwlTest::PumpMessages();
    child->throwOnPaint = true;
    child->Invalidate();
    child->UpdateWindow();
    EXPECT_EQ(1u, log.Failures().size());
    RECT stillInvalid{};
    EXPECT_FALSE(GetUpdateRect(child->GetHandle(), &stillInvalid, FALSE));
}

TEST(OwlWindow, PaintDrawsThroughTheResponseTableIntoTheWindow)
{
    TopWindow top(WS_VISIBLE);
    auto* child = new ThrowingChild(&top);
    top.Create();
    SetWindowPos(top.GetHandle(), HWND_TOPMOST, 10, 10, 0, 0, SWP_NOSIZE);
    OwlTest::PumpMessages();
    child->Invalidate();
    child->UpdateWindow();
    OWL::TClientDC dc(child->GetHandle());
    EXPECT_EQ(RGB(200, 30, 30), dc.GetPixel(OWL::TPoint(50, 50)).GetValue());
    EXPECT_EQ(RGB(30, 30, 200), dc.GetPixel(OWL::TPoint(150, 50)).GetValue());
    EXPECT_FALSE(OwlTest::SaveWindowPng(top.GetHandle(), L"owl_window_paint").empty());
}

} // namespace
