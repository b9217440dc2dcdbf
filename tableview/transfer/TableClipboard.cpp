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

bool CopyTextToClipboard(HWND owner, const std::wstring& text)
{
    WaitCursor wait;
    if (IHostClipboardService* host = GetHostClipboardService())
        host->PrepareForModuleWrite(0);
    if (!OpenClipboard(owner))
    {
        Orv::ShowMessageBox(owner, Orv::String(L"Unable to copy to clipboard at present"), Orv::String(L"Error"), MB_OK);
        return false;
    }
    EmptyClipboard();
    if (const HGLOBAL block = CopyToGlobal(text))
        if (!SetClipboardData(CF_UNICODETEXT, block))
            GlobalFree(block);
    CloseClipboard();
    return true;
}

} // namespace TableView
