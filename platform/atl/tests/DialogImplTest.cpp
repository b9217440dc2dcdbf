#include "AtlTestIds.h"

#include "platform/atl/DialogImpl.h"
#include "platform/atl/DialogResize.h"

#include <gtest/gtest.h>

#include <functional>

// Rectangles compare by their edges (found by the comparisons of the tests below).
static bool operator==(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

namespace
{

using namespace WTL;

RECT ControlRect(HWND dialog, int id)
{
    RECT rect{};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class ResizablePage : public ATL::CDialogImpl<ResizablePage>, public CDialogResize<ResizablePage>
{
public:
    enum
    {
        IDD = IDD_ATL_RESIZE
    };
    explicit ResizablePage(std::function<void(ResizablePage&)> script) : script_(std::move(script)) {}

    BEGIN_DLGRESIZE_MAP(ResizablePage)
        DLGRESIZE_CONTROL(IDC_ATL_STRETCH, DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(IDC_ATL_MOVE, DLSZ_MOVE_X)
        DLGRESIZE_CONTROL(IDC_ATL_BOTH, DLSZ_SIZE_X | DLSZ_SIZE_Y)
        DLGRESIZE_CONTROL(IDOK, DLSZ_MOVE_X | DLSZ_MOVE_Y)
    END_DLGRESIZE_MAP()

    BEGIN_MSG_MAP(ResizablePage)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_APP, OnScript)
        COMMAND_ID_HANDLER(IDOK, OnOk)
        CHAIN_MSG_MAP(CDialogResize<ResizablePage>)
    END_MSG_MAP()

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
    {
        DlgResize_Init(false);
        PostMessage(WM_APP);
        return TRUE;
    }
    LRESULT OnScript(UINT, WPARAM, LPARAM, BOOL&)
    {
        script_(*this);
        return 0;
    }
    LRESULT OnOk(WORD, WORD, HWND, BOOL&)
    {
        EndDialog(IDOK);
        return 0;
    }
    void OnFinalMessage(HWND) override { finished = true; }

    bool finished = false;

private:
    std::function<void(ResizablePage&)> script_;
};

TEST(AtlDialogImpl, AModalDialogFromItsTemplateResizesItsControlsByTheMapAndKeepsItsMinimumSize)
{
    RECT stretch0{}, move0{}, fixed0{}, both0{}, ok0{}, stretch1{}, move1{}, fixed1{}, both1{}, ok1{};
    MINMAXINFO limits{};
    ResizablePage page([&](ResizablePage& p) {
        stretch0 = ControlRect(p, IDC_ATL_STRETCH);
        move0 = ControlRect(p, IDC_ATL_MOVE);
        fixed0 = ControlRect(p, IDC_ATL_FIXED);
        both0 = ControlRect(p, IDC_ATL_BOTH);
        ok0 = ControlRect(p, IDOK);
        RECT window{};
        p.GetWindowRect(&window);
        p.SetWindowPos(nullptr, 0, 0, window.right - window.left + 60, window.bottom - window.top + 30,
                       SWP_NOMOVE | SWP_NOZORDER);
        stretch1 = ControlRect(p, IDC_ATL_STRETCH);
        move1 = ControlRect(p, IDC_ATL_MOVE);
        fixed1 = ControlRect(p, IDC_ATL_FIXED);
        both1 = ControlRect(p, IDC_ATL_BOTH);
        ok1 = ControlRect(p, IDOK);
        p.SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        p.SendMessage(WM_COMMAND, IDOK);
    });
    EXPECT_EQ(IDOK, page.DoModal(nullptr));
    EXPECT_TRUE(page.finished);
    EXPECT_EQ(ResizedControlRect(stretch0, DLSZ_SIZE_X, 60, 30), stretch1);
    EXPECT_EQ(stretch0.right + 60, stretch1.right);
    EXPECT_EQ(ResizedControlRect(move0, DLSZ_MOVE_X, 60, 30), move1);
    EXPECT_EQ(fixed0, fixed1);
    EXPECT_EQ(both0.bottom + 30, both1.bottom);
    EXPECT_EQ(ok0.left + 60, ok1.left);
    EXPECT_EQ(ok0.top + 30, ok1.top);
    EXPECT_EQ(page.m_ptMinTrackSize.x, limits.ptMinTrackSize.x);
    EXPECT_GT(limits.ptMinTrackSize.x, 0);
}

TEST(AtlDialogResize, EachFlagMovesOrStretchesItsSide)
{
    const RECT start{10, 20, 50, 40};
    struct Case
    {
        DWORD flags;
        RECT expected;
    };
    const Case cases[] = {
        {0, {10, 20, 50, 40}},
        {DLSZ_SIZE_X, {10, 20, 60, 40}},
        {DLSZ_SIZE_Y, {10, 20, 50, 46}},
        {DLSZ_MOVE_X, {20, 20, 60, 40}},
        {DLSZ_MOVE_Y, {10, 26, 50, 46}},
        {DLSZ_CENTER_X, {15, 20, 55, 40}},
        {DLSZ_CENTER_Y, {10, 23, 50, 43}},
        {DLSZ_MOVE_X | DLSZ_SIZE_Y, {20, 20, 60, 46}},
    };
    for (const Case& test : cases)
        EXPECT_EQ(test.expected, ResizedControlRect(start, test.flags, 10, 6)) << test.flags;
}

} // namespace
