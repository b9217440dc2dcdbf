#include "tableview/transfer/TableClipboard.h"

#include "foundation/system/ModalMessage.h"
#include "hostframework/services/HostServices.h"

#include <cstring>

namespace TableView
{

namespace
{

// The arrow comes back however the copy ends.
class WaitCursor
{
public:
    WaitCursor() { SetCursor(LoadCursorW(nullptr, IDC_WAIT)); }
    ~WaitCursor() { SetCursor(LoadCursorW(nullptr, IDC_ARROW)); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// A movable block with the text and its terminator; null when memory is short.
HGLOBAL CopyToGlobal(const std::wstring& text)
{
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!block)
        return nullptr;
    void* const memory = GlobalLock(block);
    if (!memory)
    {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(memory, text.c_str(), bytes);
    GlobalUnlock(block);
    return block;
}

} // namespace

// The clipboard is emptied only once the text is ready to replace what it holds, so a copy that
// fails leaves the user's clipboard as it was.
bool CopyTextToClipboard(HWND owner, const std::wstring& text, const ClipboardFailureBox& failure)
{
    WaitCursor wait;
    const auto fail = [&] {
        Orv::ShowMessageBox(owner, Orv::String(L"Unable to copy to clipboard at present"),
                            Orv::String(failure.caption.c_str()), MB_OK | failure.icon);
        return false;
    };
    // Without an owner the emptied clipboard would refuse the new text.
    if (!owner || !IsWindow(owner))
        return fail();
    const HGLOBAL block = CopyToGlobal(text);
    if (!block)
        return fail();
    if (IHostClipboardService* host = GetHostClipboardService())
        host->PrepareForModuleWrite(0);
    if (!OpenClipboard(owner))
    {
        GlobalFree(block);
        return fail();
    }
    EmptyClipboard();
    const bool placed = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    if (!placed)
        GlobalFree(block);
    CloseClipboard();
    return placed || fail();
}

} // namespace TableView
