#include "tracedisplay/datapane/InteractiveObjectContainer.h"
#include "tracedisplay/preview/PreviewDataWin.h"
#include "tracedisplay/tests/support/FakePaneStore.h"
#include "tracedisplay/tests/support/SilentObject.h"
#include "tracedisplay/tests/support/TestFrame.h"

#include "foundation/com/ResultCodes.h"
#include "foundation/com/XOrv.h"
#include "foundation/streams/BinaryStream.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace StrixDraw
{
namespace
{

// An object that writes down what reaches it.
class Recorder : public TraceTest::SilentObject, public IInteractiveObjectExt
{
public:
    Recorder(std::wstring name, std::vector<std::wstring>& log) : name(std::move(name)), log(log) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = nullptr;
        if (iid == IID_IInteractiveObjectExt && extended)
            *out = static_cast<IInteractiveObjectExt*>(this);
        else if (iid == IID_IUnknown || iid == IID_IInteractiveObject)
            *out = static_cast<IInteractiveObject*>(this);
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }

    HRESULT STDMETHODCALLTYPE OnLButtonDown(UINT, POINT at) override { return NoteAt(L"down", at); }
    HRESULT STDMETHODCALLTYPE OnLButtonUp(UINT, POINT at) override { return NoteAt(L"up", at); }
    HRESULT STDMETHODCALLTYPE OnLButtonDblClk(UINT, POINT at, BYTE*) override
    {
        return NoteAt(L"double", at);
    }
    HRESULT STDMETHODCALLTYPE OnMouseMove(UINT, POINT) override { return Note(L"move"); }
    HRESULT STDMETHODCALLTYPE OnRefresh() override { return Note(L"refresh"); }
    BOOL STDMETHODCALLTYPE OnSetCursor(HWND, UINT, UINT, BYTE* carryOn) override
    {
        Note(L"cursor");
        *carryOn = lets;
        return setsCursor;
    }
    HRESULT STDMETHODCALLTYPE OnRButtonDown(UINT, POINT at) override { return NoteAt(L"right down", at); }
    HRESULT STDMETHODCALLTYPE OnRButtonUp(UINT, POINT at) override { return NoteAt(L"right up", at); }
    HRESULT STDMETHODCALLTYPE OnTimer(UINT_PTR id) override { return Note(L"timer " + std::to_wstring(id)); }
    BOOL STDMETHODCALLTYPE OnNotify(UINT, NMHDR*) override { return Note(L"notify"), notifies; }
    HRESULT STDMETHODCALLTYPE Load(IBinInStream* stream) override
    {
        ULONG value = 0;
        stream->ReadULong(&value);
        return Note(L"load " + std::to_wstring(value));
    }
    HRESULT STDMETHODCALLTYPE Save(IBinOutStream* stream) override { return stream->WriteULong(saved); }
    BOOL STDMETHODCALLTYPE AcceptsEvent(ULONG) override { return !claims; }
    ULONG_PTR STDMETHODCALLTYPE GetGroup() override { return group; }
    HRESULT STDMETHODCALLTYPE SetMode(ULONG, ULONG mode) override { return Note(L"mode " + std::to_wstring(mode)); }

    HRESULT NoteAt(const std::wstring& what, POINT at)
    {
        return Note(what + L" " + std::to_wstring(at.x) + L"," + std::to_wstring(at.y));
    }
    HRESULT Note(const std::wstring& what)
    {
        log.push_back(name + L" " + what);
        return S_OK;
    }

    std::wstring name;
    std::vector<std::wstring>& log;
    LONG references = 1;
    bool extended = false;
    bool claims = false;
    bool setsCursor = false;
    BYTE lets = 0;
    BOOL notifies = FALSE;
    ULONG_PTR group = 0;
    ULONG saved = 0;
};

TEST(InteractiveObjectContainerTest, WithoutObjectsEveryoneAgreesAndNobodyHandles)
{
    InteractiveObjectContainer container;
    IInteractiveObject* refuser = reinterpret_cast<IInteractiveObject*>(1);
    EXPECT_TRUE(container.AllAgree(InteractiveObjectContainer::MouseMove, &refuser));
    EXPECT_EQ(nullptr, refuser);
    EXPECT_FALSE(container.AnyHandles(nullptr, HTCLIENT, WM_MOUSEMOVE));
    EXPECT_FALSE(container.AnyNotify(1, nullptr));
}

TEST(InteractiveObjectContainerTest, VisitsInKeyOrderAndEqualKeysInTheOrderTheyCame)
{
    std::vector<std::wstring> log;
    Recorder a(L"a", log), b(L"b", log), c(L"c", log);
    c.extended = true;
    {
        InteractiveObjectContainer container;
        container.AddObject(&a, 1);
        container.AddObject(&b, 0);
        container.AdoptObject(&c, 1);
        EXPECT_EQ(1u, container.ExtendedCount());
        container.ForEachObject([](IInteractiveObject& object) { object.OnRefresh(); });
        container.NotifyAllChannels(7);
        EXPECT_EQ((std::vector<std::wstring>{L"b refresh", L"a refresh", L"c refresh", L"b mode 7", L"a mode 7",
                                             L"c mode 7"}),
                  log);
        EXPECT_EQ(2, a.references);
    }
    EXPECT_EQ(1, a.references);
    EXPECT_EQ(0, c.references);
}

TEST(InteractiveObjectContainerTest, AClaimedMouseMoveReachesOnlyTheClaimersGroup)
{
    std::vector<std::wstring> log;
    Recorder dragging(L"dragging", log), partner(L"partner", log), other(L"other", log);
    dragging.claims = true;
    dragging.group = partner.group = 5;
    other.group = 6;
    InteractiveObjectContainer container;
    container.AddObject(&other, 0);
    container.AddObject(&dragging, 1);
    container.AddObject(&partner, 2);
    container.ClaimedBroadcast(InteractiveObjectContainer::MouseMove,
                               [](IInteractiveObject& object) { object.OnMouseMove(0, {1, 1}); });
    EXPECT_EQ((std::vector<std::wstring>{L"dragging move", L"partner move"}), log);
}

TEST(InteractiveObjectContainerTest, TheCursorWalkStopsAtTheFirstObjectThatSetsIt)
{
    std::vector<std::wstring> log;
    Recorder first(L"first", log), second(L"second", log), third(L"third", log);
    first.setsCursor = second.setsCursor = true;
    first.lets = 1;
    InteractiveObjectContainer container;
    container.AddObject(&first, 0);
    container.AddObject(&second, 1);
    container.AddObject(&third, 2);
    EXPECT_TRUE(container.AnyHandles(nullptr, HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ((std::vector<std::wstring>{L"first cursor", L"second cursor"}), log);
    third.notifies = TRUE;
    EXPECT_TRUE(container.AnyNotify(1, nullptr));
}

TEST(InteractiveObjectContainerTest, ReadsBackTheRecordsItWroteAndRefusesALaterVersion)
{
    std::vector<std::wstring> log;
    Recorder a(L"a", log), b(L"b", log);
    a.saved = 11;
    b.saved = 22;
    InteractiveObjectContainer container;
    container.AddObject(&a, 0);
    container.AddObject(&b, 1);
    std::stringbuf buffer;
    Orv::BinOStream out(&buffer);
    ASSERT_EQ(S_OK, container.SaveObjects(&out));
    Orv::BinIStream in(&buffer);
    ASSERT_EQ(S_OK, container.LoadObjects(&in));
    EXPECT_EQ((std::vector<std::wstring>{L"a load 11", L"b load 22"}), log);

    std::stringbuf later;
    Orv::BinOStream laterOut(&later);
    laterOut.WriteULong(3);
    Orv::BinIStream laterIn(&later);
    try
    {
        container.LoadObjects(&laterIn);
        FAIL() << "a later record was read";
    }
    catch (const XOrv& error)
    {
        EXPECT_EQ(Orv::E_ORV_NEWER_VERSION, error.Code());
    }
}

// The window hands its messages to the pane's routes, in the pane's coordinates; each time the mouse
// leaves, the next move asks again to hear of its leaving.
TEST(InteractiveObjectContainerTest, ATraceWindowRoutesItsMouseAndTimersThroughItsPane)
{
    std::vector<std::wstring> log;
    Recorder object(L"o", log);
    TraceTest::FakePaneSource source;
    TraceTest::TestFrame frame(420, 260);
    auto* window = new PreviewDataWinWButtons(&frame, &source, PreviewBarsBesideScales, AxisFlag::FirstAxis,
                                              0x80000000u);
    window->Attr.W = 420;
    window->Attr.H = 260;
    ASSERT_TRUE(frame.Create());
    window->AddObject(&object, 0);
    const HWND handle = window->GetHandle();
    const OWL::TPoint origin = window->ClientOrigin();
    const LPARAM at = MAKELPARAM(origin.x + 10, origin.y + 20);
    for (const UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP})
        SendMessageW(handle, message, 0, at);
    SendMessageW(handle, WM_TIMER, 7, 0);
    EXPECT_EQ((std::vector<std::wstring>{L"o down 10,20", L"o up 10,20", L"o double 10,20",
                                         L"o right down 10,20", L"o right up 10,20", L"o timer 7"}),
              log);

    for (int pass = 0; pass < 2; ++pass)
    {
        SendMessageW(handle, WM_MOUSEMOVE, 0, at);
        EXPECT_TRUE(window->TracksMouseLeave()) << pass;
        SendMessageW(handle, WM_MOUSELEAVE, 0, 0);
        EXPECT_FALSE(window->TracksMouseLeave()) << pass;
    }
    EXPECT_EQ(L"o move", log.back());
    frame.Destroy();
}

} // namespace
} // namespace StrixDraw
