#include "foundation/storage/FileLockBytes.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace Orv
{

namespace
{
constexpr DWORD PathUnits = MAX_PATH;
constexpr DWORD SplitPartUnits = 256;
constexpr DWORD DriveUnits = 3;
constexpr wchar_t TemporaryPrefix[] = L"Orv";
// Offsets with this high half are read from wherever the file pointer stands.
constexpr DWORD CurrentPointerHighHalf = 0x80000000u;

String FullPathOf(const String& name)
{
    if (name.IsEmpty())
        return name;
    wchar_t full[PathUnits];
    const DWORD length = GetFullPathNameW(name.c_str(), PathUnits, full, nullptr);
    return length == 0 || length >= PathUnits ? name : String(full);
}

// The name with its last component as the file system spells it, all in lower case.
String OnDiskNameOf(const String& name)
{
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(name.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return name;
    FindClose(search);
    std::wstring path(name.c_str());
    const auto separator = path.find_last_of(L'\\');
    path = (separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1)) + found.cFileName;
    if (path.size() >= PathUnits)
        return name;
    CharLowerBuffW(path.data(), static_cast<DWORD>(path.size()));
    return String(path);
}
} // namespace

HRESULT MakeTemporaryFileName(String& name)
{
    wchar_t folder[PathUnits];
    const DWORD length = GetTempPathW(PathUnits, folder);
    if (length == 0 || length > PathUnits)
        return E_FAIL;
    wchar_t file[PathUnits];
    if (GetTempFileNameW(folder, TemporaryPrefix, 0, file) == 0)
        return LastErrorResult();
    name = String(file);
    return S_OK;
}

String MakePathBesideHostExe(const String& relativePath)
{
    wchar_t executable[PathUnits];
    const DWORD length = GetModuleFileNameW(nullptr, executable, PathUnits);
    if (length == 0 || length >= PathUnits)
        return relativePath;
    wchar_t drive[DriveUnits + 1], folder[SplitPartUnits], name[SplitPartUnits], extension[SplitPartUnits];
    wchar_t givenDrive[DriveUnits + 1], givenFolder[SplitPartUnits];
    if (_wsplitpath_s(executable, drive, std::size(drive), folder, std::size(folder), nullptr, 0, nullptr, 0) != 0 ||
        _wsplitpath_s(relativePath.c_str(), givenDrive, std::size(givenDrive), givenFolder, std::size(givenFolder), name,
                      std::size(name), extension, std::size(extension)) != 0)
        return relativePath;
    std::wstring joinedFolder = std::wstring(folder) + givenFolder;
    wchar_t result[PathUnits];
    if (_wmakepath_s(result, PathUnits, drive, joinedFolder.c_str(), name, extension) != 0)
        return relativePath;
    return String(result);
}

} // namespace Orv

namespace FileLockBytesImpl
{

FileLockBytes::FileLockBytes(const Orv::String& fileName, Life life)
    : CComObjectRoot(1), fileName_(Orv::FullPathOf(fileName)), life_(life)
{
    const bool kept = life == Life::Kept;
    file_ = CreateFileW(fileName_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, kept ? OPEN_ALWAYS : CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL | (kept ? 0 : FILE_FLAG_DELETE_ON_CLOSE), nullptr);
    const HRESULT failure = file_ == INVALID_HANDLE_VALUE ? Orv::LastErrorResult() : S_OK;
    fileName_ = Orv::FullPathOf(fileName_);
    if (!fileName_.IsEmpty())
        fileName_ = Orv::OnDiskNameOf(fileName_);
    if (FAILED(failure))
        throw Orv::XLockBytesCreate(fileName_, failure);
}

FileLockBytes::~FileLockBytes()
{
    if (file_ == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(file_);
    if ((flags_ & DeleteByNameFlag) != 0)
        DeleteFileW(fileName_.c_str());
}

HRESULT FileLockBytes::QueryInterface(REFIID iid, void** out)
{
    return Orv::QueryOneFace(static_cast<IOrvLockBytes*>(this), iid, out, IID_ILockBytes, IID_IOrvLockBytes);
}

ULONG FileLockBytes::AddRef()
{
    return InternalAddRef();
}

ULONG FileLockBytes::Release()
{
    const ULONG left = InternalRelease();
    if (left == 0)
        delete this;
    return left;
}

HRESULT FileLockBytes::MoveTo(ULONGLONG offset)
{
    if (offset == position_)
        return S_OK;
    LARGE_INTEGER distance{};
    distance.QuadPart = static_cast<LONGLONG>(offset);
    if (SetFilePointerEx(file_, distance, nullptr, FILE_BEGIN))
    {
        position_ = offset;
        return S_OK;
    }
    return Orv::LastErrorResult();
}

HRESULT FileLockBytes::ReadAt(ULARGE_INTEGER offset, void* buffer, ULONG count, ULONG* read)
{
    DWORD done = 0;
    if (read)
        *read = 0;
    const HRESULT moved = MoveTo(offset.QuadPart);
    if (FAILED(moved) && offset.HighPart != Orv::CurrentPointerHighHalf)
        return moved;
    const BOOL ok = ReadFile(file_, buffer, count, &done, nullptr);
    const HRESULT result = ok ? S_OK : Orv::LastErrorResult();
    position_ = offset.QuadPart + done;
    if (read)
        *read = done;
    return result;
}

HRESULT FileLockBytes::WriteAt(ULARGE_INTEGER offset, const void* buffer, ULONG count, ULONG* written)
{
    DWORD done = 0;
    if (written)
        *written = 0;
    const HRESULT moved = MoveTo(offset.QuadPart);
    if (FAILED(moved))
        return moved;
    // This store fails at once on a full disk (FailWhenDiskFullFlag), so no prompt is ever offered.
    const BOOL ok = WriteFile(file_, buffer, count, &done, nullptr);
    const HRESULT result = ok ? S_OK : Orv::LastErrorResult();
    position_ += done;
    if (written)
        *written = done;
    return result;
}

HRESULT FileLockBytes::Flush()
{
    return FlushFileBuffers(file_) ? S_OK : Orv::LastErrorResult();
}

HRESULT FileLockBytes::SetSize(ULARGE_INTEGER size)
{
    LARGE_INTEGER distance{};
    distance.QuadPart = static_cast<LONGLONG>(size.QuadPart);
    if (!SetFilePointerEx(file_, distance, nullptr, FILE_BEGIN))
        return Orv::LastErrorResult();
    position_ = size.QuadPart;
    return SetEndOfFile(file_) ? S_OK : Orv::LastErrorResult();
}

HRESULT FileLockBytes::LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD)
{
    return LockFile(file_, offset.LowPart, offset.HighPart, count.LowPart, count.HighPart) ? S_OK
                                                                                           : Orv::LastErrorResult();
}

HRESULT FileLockBytes::UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD)
{
    return UnlockFile(file_, offset.LowPart, offset.HighPart, count.LowPart, count.HighPart) ? S_OK
                                                                                             : Orv::LastErrorResult();
}

HRESULT FileLockBytes::Stat(STATSTG* stat, DWORD flag)
{
    if (!stat)
        return STG_E_INVALIDPOINTER;
    std::memset(stat, 0, sizeof(*stat));
    HRESULT result = S_OK;
    if ((flag & STATFLAG_NONAME) == 0)
    {
        // The caller frees the name with the task allocator (CoTaskMemFree).
        const size_t bytes = (fileName_.Length() + 1) * sizeof(wchar_t);
        stat->pwcsName = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
        if (stat->pwcsName)
            std::memcpy(stat->pwcsName, fileName_.c_str(), bytes);
        else
            result = STG_E_INSUFFICIENTMEMORY;
    }
    stat->type = STGTY_LOCKBYTES;
    stat->grfMode = life_ == Life::Kept ? StoreMode & ~(STGM_DELETEONRELEASE | STGM_CREATE) : StoreMode;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file_, &size))
        stat->cbSize.QuadPart = static_cast<ULONGLONG>(size.QuadPart);
    GetFileTime(file_, &stat->ctime, &stat->atime, &stat->mtime);
    return result;
}

HRESULT FileLockBytes::QueryPassThrough(void** out)
{
    if (out)
        *out = nullptr;
    return S_OK;
}

} // namespace FileLockBytesImpl
