#include "host/app/macro/CuvetteViewInput.h"

#include "host/app/files/TextConversion.h"

#include <climits>
#include <iterator>
#include <optional>

namespace Host
{

namespace
{

// Large enough for the table to show its first wells beside the plot.
constexpr RECT CuvetteViewPlace{0, 0, 1000, 700};

// The view's controls that the batch uses.
constexpr int ApplyButton = 3008;
constexpr int EnableBox = 3003;
constexpr int FitText = 3010;

// A point inside the first cell of the table's cells: well 1's known volume.
constexpr POINT FirstCell{20, 6};

// A key that starts an edit in the selected cell; the text typed then replaces what it put there.
constexpr WPARAM StartEditKey = '0';

// Bounds what the windows may post themselves between two inputs: a window that keeps posting is a fault,
// never a reason to wait.
constexpr int MostPostedMessages = 10000;

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

// The text of a message box the module asked for (counted from 0); none past the last.
std::optional<std::wstring> MessageBoxText(IVyrStandIn& standIn, ULONG index)
{
    BSTR text = nullptr, caption = nullptr;
    UINT style = 0;
    LONG answer = 0;
    std::optional<std::wstring> said;
    if (SUCCEEDED(standIn.GetMessageBox(index, &text, &caption, &style, &answer)))
        said = text ? text : L"";
    SysFreeString(text);
    SysFreeString(caption);
    return said;
}

ULONG MessageBoxCount(IVyrStandIn& standIn)
{
    ULONG count = 0;
    while (MessageBoxText(standIn, count))
        ++count;
    return count;
}

} // namespace

CuvetteViewInput::CuvetteViewInput(IDocViewClass& viewClass, IUnknown* document, IVyrStandIn& standIn)
    : standIn_(standIn), view_(viewClass, document, nullptr, CuvetteViewPlace)
{
    HandlePostedMessages();
}

HWND CuvetteViewInput::Control(int id) const
{
    return GetDlgItem(view_.ViewWindow(), id);
}

// The topmost visible pane of cells: the table's own (a title strip above it has none).
HWND CuvetteViewInput::CellPane() const
{
    struct Search
    {
        HWND found = nullptr;
        LONG top = LONG_MAX;
    } search;
    EnumChildWindows(
        view_.ViewWindow(),
        [](HWND child, LPARAM data) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(data);
            RECT place{};
            GetWindowRect(child, &place);
            if (ClassOf(child) == L"GridPane" && IsWindowVisible(child) && place.top < search.top)
                search = {child, place.top};
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        throw CuvetteViewRefusal("the cuvette calibration view shows no table");
    return search.found;
}

HWND CuvetteViewInput::CellEditor() const
{
    for (HWND child = GetWindow(CellPane(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child))
            return child;
    return nullptr;
}

void CuvetteViewInput::Key(HWND window, WPARAM key)
{
    SendMessageW(window, WM_KEYDOWN, key, 1);
    SendMessageW(window, WM_KEYUP, key, 0xC0000001);
    HandlePostedMessages();
}

void CuvetteViewInput::HandlePostedMessages()
{
    MSG message{};
    for (int handled = 0; handled < MostPostedMessages && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++handled)
    {
        if (standIn_.PreTranslateLoopMessage(&message) == S_OK)
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// A click in well 1 opens its known volume for typing; Enter takes what was typed and moves down to the
// next well, whose typing a key starts. Back up the column at the end, to well 1.
void CuvetteViewInput::TypeWells(const std::vector<std::wstring>& volumes)
{
    HandlePostedMessages();
    const HWND pane = CellPane();
    SendMessageW(pane, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(FirstCell.x, FirstCell.y));
    SendMessageW(pane, WM_LBUTTONUP, 0, MAKELPARAM(FirstCell.x, FirstCell.y));
    HandlePostedMessages();
    for (const std::wstring& volume : volumes)
    {
        if (!CellEditor())
            Key(pane, StartEditKey);
        const HWND editor = CellEditor();
        if (!editor)
            throw CuvetteViewRefusal("the cuvette calibration view's table took no typing");
        SetWindowTextW(editor, volume.c_str());
        Key(editor, VK_RETURN);
    }
    for (size_t well = 0; well < volumes.size(); ++well)
        Key(pane, VK_UP);
}

std::wstring CuvetteViewInput::Apply()
{
    // What the readings taken since the last input changed (the fit, the button it shows) first.
    HandlePostedMessages();
    const HWND apply = Control(ApplyButton);
    if (!IsWindowVisible(Control(EnableBox)))
        throw CuvetteViewRefusal("the cuvette view applies its line only outside the workflow (in it the workflow's cuvette "
                                 "step does): run the macro with --no-workflow, or Host.WorkflowMode on:=False first");
    if (!IsWindowVisible(apply))
        throw CuvetteViewRefusal("the cuvette table holds no line to apply: it takes two wells with a known volume and a "
                                 "reading (Host.CuvetteWells, then Host.Select and Doc.AddSelToSistraCuvetteCalibration "
                                 "for each well)");
    if (!IsWindowEnabled(apply))
        throw CuvetteViewRefusal("the cuvette view's Apply is not available while the host samples");
    const ULONG boxes = MessageBoxCount(standIn_);
    SendMessageW(view_.ViewWindow(), WM_COMMAND, MAKEWPARAM(ApplyButton, BN_CLICKED), reinterpret_cast<LPARAM>(apply));
    HandlePostedMessages();
    // The view says why it does not apply in a box.
    if (MessageBoxCount(standIn_) > boxes)
        throw CuvetteViewRefusal(ToUtf8(MessageBoxText(standIn_, boxes).value_or(L"")));
    return WindowText(Control(FitText));
}

} // namespace Host
