#include "host/app/gui/HostListWindow.h"
#include "host/app/gui/WindowClass.h"

#include "host/app/files/TextConversion.h"
#include "host/vyr/ToolCaption.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

namespace Host
{

namespace
{

constexpr const wchar_t* ListWindowClass = L"SistraHostList";
constexpr UINT RefreshMessage = WM_APP + 1;
constexpr int ColumnWidth = 110;
// Room beside a cell's text: the list's margins at both sides and the room it keeps before the next column.
constexpr int CellTextRoom = 24;
constexpr int ButtonStripHeight = 32, ButtonWidth = 170, ButtonHeight = 24, ButtonGap = 8;
constexpr int FirstButtonId = 100;

void RegisterListWindowClass(WNDPROC procedure)
{
    EnsureWindowClass(ListWindowClass, procedure, {true, COLOR_BTNFACE}, "the host's list");
}

} // namespace

HostListWindow::HostListWindow(HWND owner, std::wstring title, const RECT& place)
    : owner_(owner), title_(std::move(title)), place_(place)
{
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    RegisterListWindowClass(Procedure);
    // Refreshes are posted to a message-only window of the same class, which lives as long as this.
    messenger_ = CreateWindowExW(0, ListWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleW(nullptr), this);
    if (!messenger_)
        throw std::runtime_error("cannot make the host's list window: " + SystemErrorText(GetLastError()));
}

HostListWindow::~HostListWindow()
{
    for (HWND window : {window_, messenger_})
        if (IsWindow(window))
        {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            DestroyWindow(window);
        }
}

void HostListWindow::Create()
{
    // A tool window: its caption and close box are drawn also where no window manager decorates windows
    // (the host draws them).
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, ListWindowClass, title_.c_str(),
                              WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, place_.left, place_.top,
                              place_.right - place_.left, place_.bottom - place_.top, owner_, nullptr,
                              GetModuleHandleW(nullptr), this);
    if (!window_)
        throw std::runtime_error("cannot make the host's list window: " + SystemErrorText(GetLastError()));
    list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOSORTHEADER, 0, 0, 0, 0, window_, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (!list_)
        throw std::runtime_error("cannot make the host's list: " + SystemErrorText(GetLastError()));
    buttonWindows_.clear();
    for (size_t index = 0; index < buttons_.size(); ++index)
        buttonWindows_.push_back(CreateWindowExW(0, L"BUTTON", buttons_[index].caption.c_str(),
                                                 WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0,
                                                 window_, reinterpret_cast<HMENU>(FirstButtonId + index),
                                                 GetModuleHandleW(nullptr), nullptr));
    RECT client{};
    GetClientRect(window_, &client);
    Place(client.right, client.bottom);
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT,
                 LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
}

void HostListWindow::Place(int width, int height)
{
    const int strip = buttonWindows_.empty() ? 0 : ButtonStripHeight;
    MoveWindow(list_, 0, 0, width, height - strip, TRUE);
    for (size_t index = 0; index < buttonWindows_.size(); ++index)
        MoveWindow(buttonWindows_[index], ButtonGap + static_cast<int>(index) * (ButtonWidth + ButtonGap),
                   height - strip + (strip - ButtonHeight) / 2, ButtonWidth, ButtonHeight, TRUE);
}

void HostListWindow::RunButton(size_t index)
{
    try
    {
        buttons_.at(index).run();
    }
    catch (const std::exception& e)
    {
        MessageBoxW(window_, FromUtf8(e.what()).c_str(), title_.c_str(), MB_OK | MB_ICONERROR);
    }
}

void HostListWindow::Show(const std::vector<std::wstring>& columns,
                          const std::vector<std::vector<std::wstring>>& rows)
{
    if (!Handle())
        Create();
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list_);
    while (ListView_DeleteColumn(list_, 0))
        ;
    for (size_t column = 0; column < columns.size(); ++column)
    {
        LVCOLUMNW header{LVCF_TEXT | LVCF_WIDTH};
        header.cx = ColumnWidth;
        header.pszText = const_cast<wchar_t*>(columns[column].c_str());
        ListView_InsertColumn(list_, static_cast<int>(column), &header);
    }
    for (size_t row = 0; row < rows.size(); ++row)
        for (size_t column = 0; column < rows[row].size() && column < columns.size(); ++column)
        {
            LVITEMW item{LVIF_TEXT};
            item.iItem = static_cast<int>(row);
            item.iSubItem = static_cast<int>(column);
            item.pszText = const_cast<wchar_t*>(rows[row][column].c_str());
            if (column == 0)
                ListView_InsertItem(list_, &item);
            else
                ListView_SetItem(list_, &item);
        }
    FitColumns(columns, rows);
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(list_);
}

// Every column as wide as its widest text, its title's included, so that none is cut short ("record 1,
// 0 s to rec..."); never narrower than the usual width.
void HostListWindow::FitColumns(const std::vector<std::wstring>& columns,
                                const std::vector<std::vector<std::wstring>>& rows) const
{
    for (size_t column = 0; column < columns.size(); ++column)
    {
        int widest = ListView_GetStringWidth(list_, columns[column].c_str());
        for (const auto& row : rows)
            if (column < row.size())
                widest = std::max(widest, ListView_GetStringWidth(list_, row[column].c_str()));
        ListView_SetColumnWidth(list_, static_cast<int>(column), std::max(ColumnWidth, widest + CellTextRoom));
    }
}

void HostListWindow::RequestRefresh(std::function<void()> refresh)
{
    refresh_ = std::move(refresh);
    if (!refreshDue_.exchange(true))
        PostMessageW(messenger_, RefreshMessage, 0, 0);
}

LRESULT CALLBACK HostListWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* owner = reinterpret_cast<HostListWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!owner)
        return DefWindowProcW(window, message, wParam, lParam);
    if (LRESULT result = 0; Vyr::ToolCaption::Handle(window, message, wParam, lParam, result))
        return result;
    switch (message)
    {
    case RefreshMessage:
        owner->refreshDue_ = false;
        try
        {
            if (owner->refresh_)
                owner->refresh_();
        }
        catch (const std::exception& e)
        {
            MessageBoxW(owner->owner_, FromUtf8(e.what()).c_str(), owner->title_.c_str(),
                        MB_OK | MB_ICONERROR);
        }
        return 0;
    case WM_SIZE:
        if (window == owner->window_ && owner->list_)
            owner->Place(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_COMMAND:
        if (window == owner->window_ && HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) >= FirstButtonId &&
            LOWORD(wParam) < FirstButtonId + owner->buttons_.size())
        {
            owner->RunButton(LOWORD(wParam) - FirstButtonId);
            return 0;
        }
        break;
    case WM_NOTIFY:
        // The list has the keyboard: Escape reaches the window as the list's notification.
        if (reinterpret_cast<NMHDR*>(lParam)->code == LVN_KEYDOWN &&
            reinterpret_cast<NMLVKEYDOWN*>(lParam)->wVKey == VK_ESCAPE)
        {
            DestroyWindow(window);
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace Host
