#include "host/app/commands/TextOutput.h"

#include <windows.h>

#include <io.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace Host
{

namespace
{

[[noreturn]] void ThrowWriteError()
{
    const int error = errno;
    throw OutputWriteError(std::string("cannot write the output") + (error != 0 ? ": " + std::string(std::strerror(error)) : ""));
}

} // namespace

BlockOutputBuffer::BlockOutputBuffer(std::ostream& target) : target_(target), block_(BlockBytes)
{
    setp(block_.data(), block_.data() + block_.size());
}

void BlockOutputBuffer::WriteBlock()
{
    const std::streamsize count = pptr() - pbase();
    if (held_)
    {
        block_.resize(static_cast<size_t>(count));
        heldBlocks_.push_back(std::exchange(block_, std::vector<char>(BlockBytes)));
        setp(block_.data(), block_.data() + block_.size());
        return;
    }
    setp(block_.data(), block_.data() + block_.size());
    if (count == 0)
        return;
    errno = 0;
    if (!target_.write(block_.data(), count))
        ThrowWriteError();
}

BlockOutputBuffer::int_type BlockOutputBuffer::overflow(int_type character)
{
    WriteBlock();
    if (!traits_type::eq_int_type(character, traits_type::eof()))
    {
        *pptr() = traits_type::to_char_type(character);
        pbump(1);
    }
    return traits_type::not_eof(character);
}

std::streamsize BlockOutputBuffer::xsputn(const char* text, std::streamsize count)
{
    std::streamsize written = 0;
    while (written < count)
    {
        if (pptr() == epptr())
            WriteBlock();
        const std::streamsize room = std::min<std::streamsize>(epptr() - pptr(), count - written);
        std::memcpy(pptr(), text + written, static_cast<size_t>(room));
        pbump(static_cast<int>(room));
        written += room;
    }
    return written;
}

void BlockOutputBuffer::Release()
{
    if (!held_)
        return;
    held_ = false;
    for (std::vector<char>& block : heldBlocks_)
    {
        errno = 0;
        if (!target_.write(block.data(), static_cast<std::streamsize>(block.size())))
            ThrowWriteError();
        std::vector<char>().swap(block);
    }
    heldBlocks_.clear();
}

int BlockOutputBuffer::sync()
{
    if (held_)
        return 0;
    WriteBlock();
    errno = 0;
    if (!target_.flush())
        ThrowWriteError();
    return 0;
}

BlockOutputStream::BlockOutputStream(std::ostream& target) : std::ostream(nullptr), buffer_(target), target_(target)
{
    rdbuf(&buffer_);
    exceptions(std::ios::badbit);
}

void BlockOutputStream::Finish()
{
    flush();
}

void StandardOutputBuffer::NoteRefusal()
{
    // The C runtime's binary writes keep no system error, and Wine's tells a pipe whose reader left by EINVAL
    // alone; a pipe is asked directly, with a byte that can no longer reach anyone when the pipe is broken.
    const auto readerLeft = [](DWORD system) {
        return system == ERROR_BROKEN_PIPE || system == ERROR_NO_DATA || system == ERROR_PIPE_NOT_CONNECTED;
    };
    if (errno == EPIPE || readerLeft(GetLastError()))
    {
        readerGone_ = true;
        return;
    }
    const auto pipe = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file_)));
    DWORD written = 0;
    if (pipe != INVALID_HANDLE_VALUE && GetFileType(pipe) == FILE_TYPE_PIPE && !WriteFile(pipe, "\n", 1, &written, nullptr))
        readerGone_ = readerLeft(GetLastError());
}

StandardOutputBuffer::int_type StandardOutputBuffer::overflow(int_type character)
{
    if (traits_type::eq_int_type(character, traits_type::eof()))
        return traits_type::not_eof(character);
    const char text = traits_type::to_char_type(character);
    return xsputn(&text, 1) == 1 ? character : traits_type::eof();
}

std::streamsize StandardOutputBuffer::xsputn(const char* text, std::streamsize count)
{
    errno = 0;
    SetLastError(ERROR_SUCCESS);
    const size_t written = std::fwrite(text, 1, static_cast<size_t>(count), file_);
    if (written < static_cast<size_t>(count))
        NoteRefusal();
    return static_cast<std::streamsize>(written);
}

int StandardOutputBuffer::sync()
{
    errno = 0;
    SetLastError(ERROR_SUCCESS);
    if (std::fflush(file_) == 0)
        return 0;
    NoteRefusal();
    return -1;
}

QuietOnceReaderGoneBuffer::int_type QuietOnceReaderGoneBuffer::overflow(int_type character)
{
    if (output_.ReaderGone() || traits_type::eq_int_type(character, traits_type::eof()))
        return traits_type::not_eof(character);
    return target_.sputc(traits_type::to_char_type(character));
}

std::streamsize QuietOnceReaderGoneBuffer::xsputn(const char* text, std::streamsize count)
{
    return output_.ReaderGone() ? count : target_.sputn(text, count);
}

int QuietOnceReaderGoneBuffer::sync()
{
    return target_.pubsync();
}

} // namespace Host
