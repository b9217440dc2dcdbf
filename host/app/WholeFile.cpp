#include "host/app/WholeFile.h"

#include "host/app/TextConversion.h"

#include <memory>
#include <streambuf>

namespace Host
{
namespace
{

struct HandleClose
{
    void operator()(HANDLE file) const { CloseHandle(file); }
};
using UniqueFile = std::unique_ptr<void, HandleClose>;

// A stream buffer that writes to a file handle and keeps the system's error of the first refused write.
class FileHandleBuffer : public std::streambuf
{
public:
    explicit FileHandleBuffer(HANDLE file) : file_(file), buffer_(BufferBytes)
    {
        setp(buffer_.data(), buffer_.data() + buffer_.size());
    }
    DWORD Error() const { return error_; }

protected:
    int_type overflow(int_type character) override
    {
        if (!Drain())
            return traits_type::eof();
        if (!traits_type::eq_int_type(character, traits_type::eof()))
        {
            *pptr() = traits_type::to_char_type(character);
            pbump(1);
        }
        return traits_type::not_eof(character);
    }
    int sync() override { return Drain() ? 0 : -1; }

private:
    static constexpr size_t BufferBytes = size_t{1} << 16;

    bool Drain()
    {
        for (const char* from = pbase(); from < pptr() && error_ == ERROR_SUCCESS;)
        {
            DWORD written = 0;
            if (!WriteFile(file_, from, static_cast<DWORD>(pptr() - from), &written, nullptr))
                error_ = GetLastError();
            else if (written == 0)
                error_ = ERROR_WRITE_FAULT;
            from += written;
        }
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        return error_ == ERROR_SUCCESS;
    }

    HANDLE file_;
    std::vector<char> buffer_;
    DWORD error_ = ERROR_SUCCESS;
};

std::string FolderOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"/\\");
    return slash == std::wstring::npos ? "." : ToUtf8(path.substr(0, slash == 0 ? 1 : slash));
}

std::string ReasonText(const std::wstring& path, DWORD error)
{
    if (error == ERROR_PATH_NOT_FOUND)
        return "the folder " + FolderOf(path) + " does not exist";
    return SystemErrorText(error);
}

// Under Wine a Unix device or process folder (/dev/stdout, /proc/self/fd/1) reaches the file or terminal it
// stands for, often through a link that a rename would replace: such a target is written in place.
bool InUnixDeviceFolder(const std::wstring& path)
{
    using UnixFileName = char*(CDECL*)(const wchar_t*);
    const auto unixFileName = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unixFileName ? unixFileName(path.c_str()) : nullptr;
    if (!name)
        return false;
    const std::string unixPath(name);
    HeapFree(GetProcessHeap(), 0, name);
    return unixPath.starts_with("/dev/") || unixPath.starts_with("/proc/");
}

// An existing target that is no file on a disk (a device, a pipe), opened for writing in place.
UniqueFile OpenInPlaceTarget(const std::wstring& path)
{
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
    {
        file.release();
        return nullptr;
    }
    if (GetFileType(file.get()) == FILE_TYPE_DISK && !InUnixDeviceFolder(path))
        return nullptr;
    return file;
}

void WriteThrough(HANDLE file, const std::wstring& target, const FileContentWriter& write)
{
    FileHandleBuffer buffer(file);
    std::ostream stream(&buffer);
    try
    {
        write(stream);
        stream.flush();
    }
    catch (...)
    {
        // A writer that stops because the file refused its text: the file's reason, not the writer's.
        if (buffer.Error() != ERROR_SUCCESS)
            throw FileWriteError(target, buffer.Error());
        throw;
    }
    if (buffer.Error() != ERROR_SUCCESS)
        throw FileWriteError(target, buffer.Error());
    if (!stream)
        throw FileWriteError(target, ERROR_WRITE_FAULT);
}

} // namespace

FileWriteError::FileWriteError(const std::wstring& path, DWORD error)
    : std::runtime_error("cannot write " + ToUtf8(path) + ": " + ReasonText(path, error)), error_(error)
{
}

FileWriteError::FileWriteError(const std::wstring& path, const std::string& reason, DWORD error)
    : std::runtime_error("cannot write " + ToUtf8(path) + ": " + reason), error_(error)
{
}

WholeFileSet::~WholeFileSet()
{
    RemoveStaged();
}

void WholeFileSet::RemoveStaged()
{
    for (const Staged& file : staged_)
        DeleteFileW(file.temporary.c_str());
    staged_.clear();
}

void WholeFileSet::Add(const std::wstring& path, const FileContentWriter& write)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw FileWriteError(path, "it is a folder: name a file", ERROR_DIRECTORY);
    if (const UniqueFile device = OpenInPlaceTarget(path))
    {
        WriteThrough(device.get(), path, write);
        return;
    }
    const std::wstring temporary =
        path + L".part" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(staged_.size());
    UniqueFile file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
    {
        file.release();
        throw FileWriteError(path, GetLastError());
    }
    staged_.push_back({path, temporary});
    WriteThrough(file.get(), path, write);
    if (!FlushFileBuffers(file.get()))
        throw FileWriteError(path, GetLastError());
}

void WholeFileSet::Commit()
{
    for (const Staged& file : staged_)
        if (!MoveFileExW(file.temporary.c_str(), file.target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            throw FileWriteError(file.target, GetLastError());
    staged_.clear();
}

void WriteWholeFile(const std::wstring& path, const FileContentWriter& write)
{
    WholeFileSet file;
    file.Add(path, write);
    file.Commit();
}

void WriteWholeFile(const std::wstring& path, std::string_view content)
{
    WriteWholeFile(path, [&](std::ostream& out) { out.write(content.data(), static_cast<std::streamsize>(content.size())); });
}

} // namespace Host
