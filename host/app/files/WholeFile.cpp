#include "host/app/files/WholeFile.h"

#include "foundation/system/ExactFileName.h"
#include "host/app/files/TextConversion.h"

#include <atomic>
#include <memory>
#include <streambuf>
#include <utility>

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

std::wstring NameOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"/\\");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::string ReasonText(const std::wstring& path, DWORD error)
{
    if (error == ERROR_PATH_NOT_FOUND)
        return "the folder " + FolderOf(path) + " does not exist";
    return SystemErrorText(error);
}

// A file's name holds at most 255 bytes on the Unix file systems Wine writes to (and 255 characters on
// Windows's).
constexpr size_t LongestFileName = 255;

// Under Wine a Unix device or process folder (/dev/stdout, /proc/self/fd/1) reaches the file or terminal it
// stands for, often through a link that a rename would replace: such a target is written in place.
bool InUnixDeviceFolder(const std::wstring& path)
{
    const std::wstring unixPath = Orv::UnixFileName(path);
    return unixPath.starts_with(L"/dev/") || unixPath.starts_with(L"/proc/");
}

// An existing target that is no file on a disk (a device, a pipe), opened for writing in place.
UniqueFile OpenInPlaceTarget(const std::wstring& path)
{
    const std::wstring openAs = Orv::ExactFileName(path).OpenAs();
    if (openAs.empty())
        return nullptr;
    UniqueFile file(CreateFileW(openAs.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
    {
        file.release();
        return nullptr;
    }
    if (GetFileType(file.get()) == FILE_TYPE_DISK && !InUnixDeviceFolder(openAs))
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

// What opens exactly the target's file, or why nothing can: a target that is a folder, a name no file can
// have, a path too long to name exactly what the system takes for another file (a twin in case, a device).
std::wstring WritableName(const std::wstring& target)
{
    RefuseUnwritableName(target);
    const Orv::ExactFileName exact(target);
    if (exact.OpenAs().empty())
        throw FileWriteError(target,
                             "the system takes it for " + ToUtf8(exact.Twin()) +
                                 (SameButCase(exact.Twin(), exact.Identity()) ? ", whose name differs only in case,"
                                                                               : ", another file,") +
                                 " and cannot tell the two apart on a path this long (" + std::to_string(MAX_PATH) +
                                 " characters or more): name another file",
                             ERROR_FILE_EXISTS);
    const DWORD attributes = GetFileAttributesW(exact.OpenAs().c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw FileWriteError(target, "it is a folder: name a file", ERROR_DIRECTORY);
    return exact.OpenAs();
}

// Staged files of the process are told apart by a number of their own, as several sets may be open at once.
std::atomic<unsigned> stagedFiles{0};

// A short name beside the file openAs names.
std::wstring StagingName(const std::wstring& openAs)
{
    const size_t slash = openAs.find_last_of(L"/\\");
    return openAs.substr(0, slash == std::wstring::npos ? 0 : slash + 1) + L".sistra-" +
           std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(stagedFiles++) + L".part";
}

} // namespace

bool SameButCase(const std::wstring& one, const std::wstring& other)
{
    return CompareStringOrdinal(one.c_str(), static_cast<int>(one.size()), other.c_str(), static_cast<int>(other.size()),
                                TRUE) == CSTR_EQUAL;
}

FileWriteError::FileWriteError(const std::wstring& path, DWORD error) : FileWriteError(path, ReasonText(path, error), error)
{
}

FileWriteError::FileWriteError(const std::wstring& path, const std::string& reason, DWORD error)
    : std::runtime_error("cannot write " + ToUtf8(path) + ": " + reason), error_(error), reason_(reason)
{
}

void RefuseUnwritableName(const std::wstring& target)
{
    const std::string name = ToUtf8(NameOf(target));
    if (name.size() > LongestFileName)
        throw FileWriteError(target,
                             "its name is " + std::to_string(name.size()) + " bytes long, and a file's name holds at most " +
                                 std::to_string(LongestFileName),
                             ERROR_FILENAME_EXCED_RANGE);
    if (const std::optional<wchar_t> character = Orv::CharacterNoNameHolds(target))
        throw FileWriteError(target,
                             "it holds " + ToUtf8(std::wstring(1, *character)) +
                                 ", which no name of a file or folder can hold here (* ? < > | and \" are Windows's "
                                 "own): name another file",
                             ERROR_INVALID_NAME);
}

std::optional<DWORD> StandardStreamNamed(const std::wstring& path)
{
    for (const auto& [number, stream] : {std::pair{L"1", STD_OUTPUT_HANDLE}, std::pair{L"2", STD_ERROR_HANDLE}})
        if (path == std::wstring(L"/dev/fd/") + number || path == std::wstring(L"/proc/self/fd/") + number)
            return stream;
    if (path == L"/dev/stdout")
        return STD_OUTPUT_HANDLE;
    if (path == L"/dev/stderr")
        return STD_ERROR_HANDLE;
    return std::nullopt;
}

StagedFile::StagedFile(const std::wstring& target) : target_(target), openAs_(WritableName(target))
{
    // A name left by an earlier run of a process with the same number is passed over.
    for (int attempt = 0; file_ == INVALID_HANDLE_VALUE; ++attempt)
    {
        staged_ = StagingName(openAs_);
        file_ = CreateFileW(staged_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD error = file_ == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
        // A new file that is not found is one whose folder is not there (so says a Unix path).
        if (error == ERROR_FILE_NOT_FOUND)
            error = ERROR_PATH_NOT_FOUND;
        if (error != ERROR_SUCCESS && (error != ERROR_FILE_EXISTS || attempt == 100))
            throw FileWriteError(target_, error);
    }
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : target_(std::move(other.target_)), openAs_(std::move(other.openAs_)), staged_(std::move(other.staged_)),
      file_(std::exchange(other.file_, INVALID_HANDLE_VALUE))
{
    other.staged_.clear();
}

StagedFile::~StagedFile()
{
    if (file_ != INVALID_HANDLE_VALUE)
        CloseHandle(file_);
    if (!staged_.empty())
        DeleteFileW(staged_.c_str());
}

void StagedFile::Close()
{
    if (file_ == INVALID_HANDLE_VALUE)
        return;
    const DWORD error = FlushFileBuffers(file_) ? ERROR_SUCCESS : GetLastError();
    CloseHandle(std::exchange(file_, INVALID_HANDLE_VALUE));
    if (error != ERROR_SUCCESS)
        throw FileWriteError(target_, error);
}

void StagedFile::Commit()
{
    Close();
    if (!MoveFileExW(staged_.c_str(), openAs_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw FileWriteError(target_, GetLastError());
    staged_.clear();
}

void WholeFileSet::Add(const std::wstring& path, const FileContentWriter& write)
{
    if (const std::optional<DWORD> stream = StandardStreamNamed(path))
    {
        WriteThrough(GetStdHandle(*stream), path, write);
        return;
    }
    if (const UniqueFile device = OpenInPlaceTarget(path))
    {
        WriteThrough(device.get(), path, write);
        return;
    }
    staged_.emplace_back(path);
    WriteThrough(staged_.back().Handle(), path, write);
    // On the disk before any file of the set takes its name.
    staged_.back().Close();
}

void WholeFileSet::Commit()
{
    for (StagedFile& file : staged_)
        file.Commit();
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
