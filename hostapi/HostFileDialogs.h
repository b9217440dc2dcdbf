// The file dialogs of a module, which the host shows, or answers without a person in a batch run or a
// test, like its message boxes. Queried from the host application.
#pragma once

#include <oaidl.h>
#include <unknwn.h>

// What a save-file dialog asks. filter: pairs of a description and its patterns, each ended by a NUL,
// the list ended by a second NUL. flags: the OFN_ flags of the common dialog; with OFN_FILEMUSTEXIST the
// host asks which existing file to open.
struct HostSaveFileRequest
{
    const WCHAR* title;
    const WCHAR* filter;
    ULONG filterIndex;
    const WCHAR* initialDirectory;
    const WCHAR* defaultExtension;
    ULONG flags;
};

struct IHostFileDialogs : IUnknown
{
    // 3: S_OK and the chosen path (the caller frees it); S_FALSE and null when the user cancelled.
    virtual HRESULT STDMETHODCALLTYPE AskSaveFileName(HWND owner, const HostSaveFileRequest* request,
                                                      BSTR* path) = 0;
};

// {B3E1A6D4-5C2F-4E8B-9A71-2D40C6F3E915}
__CRT_UUID_DECL(IHostFileDialogs, 0xB3E1A6D4, 0x5C2F, 0x4E8B, 0x9A, 0x71, 0x2D, 0x40, 0xC6, 0xF3, 0xE9, 0x15)
inline constexpr IID IID_IHostFileDialogs = __uuidof(IHostFileDialogs);
