// The byte store under a compound file: one Win32 file, removed by the system when its handle closes.
#pragma once

#include "foundation/com/ComObjectRoot.h"
#include "foundation/storage/OrvStorageInterfaces.h"
#include "foundation/text/String.h"
#include "foundation/com/XOrv.h"

namespace Orv
{

// Raised when the file under a byte store cannot be created.
class XLockBytesCreate : public XOrv
{
public:
    using XOrv::XOrv;
};

// A new, empty, uniquely named file in the temporary folder, prefix "Orv".
HRESULT MakeTemporaryFileName(String& name);

// The relative path put in the folder of the running executable.
String MakePathBesideHostExe(const String& relativePath);

} // namespace Orv

namespace FileLockBytesImpl
{

class FileLockBytes final : public IOrvLockBytes, private Orv::CComObjectRoot
{
public:
    // Temporary: creates (or empties) the file, which goes when the store is released. Kept: opens the
    // file as it is (creating it when missing) and leaves it in place. Raises Orv::XLockBytesCreate
    // when the file cannot be opened.
    enum class Life
    {
        Temporary,
        Kept,
    };
    explicit FileLockBytes(const Orv::String& fileName, Life life = Life::Temporary);
    FileLockBytes(const FileLockBytes&) = delete;
    FileLockBytes& operator=(const FileLockBytes&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE ReadAt(ULARGE_INTEGER offset, void* buffer, ULONG count, ULONG* read) override;
    HRESULT STDMETHODCALLTYPE WriteAt(ULARGE_INTEGER offset, const void* buffer, ULONG count, ULONG* written) override;
    HRESULT STDMETHODCALLTYPE Flush() override;
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override;
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD type) override;
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD type) override;
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flag) override;
    void* STDMETHODCALLTYPE MemoryView() override { return nullptr; }
    HRESULT STDMETHODCALLTYPE QueryPassThrough(void** out) override;
    ULONG_PTR STDMETHODCALLTYPE PassThrough(ULONG_PTR) override { return 0; }

private:
    ~FileLockBytes();
    HRESULT MoveTo(ULONGLONG offset);

    static constexpr DWORD StoreMode = STGM_DELETEONRELEASE | STGM_TRANSACTED | STGM_CREATE |
                                       STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
    static constexpr DWORD DeleteByNameFlag = 1u << 28;
    static constexpr DWORD FailWhenDiskFullFlag = 1u << 30;

    HANDLE file_ = INVALID_HANDLE_VALUE;
    ULONGLONG position_ = 0;
    Orv::String fileName_;
    DWORD flags_ = 0x4000000F;
    Life life_;
};

} // namespace FileLockBytesImpl
