// Fast text output of the command line: numbers are formatted with std::to_chars straight into the stream,
// and the stream underneath is written in large blocks whatever it is (a terminal or the null device leave
// the C runtime unbuffered), with every failed write turned into an error.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <stdexcept>
#include <streambuf>
#include <string_view>
#include <vector>

namespace Host
{

// Output that could not be written (a full disk, a closed pipe).
class OutputWriteError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Collects what is written and hands it to the target stream in blocks; throws OutputWriteError when the
// target refuses a block. Use it through an ostream whose exceptions include badbit, so the error leaves the
// writer instead of quietly setting a flag.
class BlockOutputBuffer : public std::streambuf
{
public:
    static constexpr size_t BlockBytes = size_t{1} << 20;

    explicit BlockOutputBuffer(std::ostream& target);
    BlockOutputBuffer(const BlockOutputBuffer&) = delete;
    BlockOutputBuffer& operator=(const BlockOutputBuffer&) = delete;

    // While held, what is written is kept in blocks, however much it is, and nothing reaches the target;
    // released, it is written.
    void Hold() { held_ = true; }
    void Release();

protected:
    int_type overflow(int_type character) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    void WriteBlock();

    std::ostream& target_;
    std::vector<char> block_;
    bool held_ = false;
    std::vector<std::vector<char>> heldBlocks_; // full blocks, in order, while held
};

// An ostream over a BlockOutputBuffer that throws on a failed write; Finish writes the rest and flushes the
// target, so a failure at the very end is reported too.
class BlockOutputStream : public std::ostream
{
public:
    explicit BlockOutputStream(std::ostream& target);
    void Hold() { buffer_.Hold(); }
    void Release() { buffer_.Release(); }
    void Finish();

private:
    BlockOutputBuffer buffer_;
    std::ostream& target_;
};

// The process's standard output (or any C stream) as a stream buffer. A write refused because the reader
// closed the pipe marks the reader as gone: the command's output has nowhere to go, and, as a command-line
// tool that SIGPIPE ends, the command stops without a word. Any other refusal (a full disk, a closed
// descriptor) is an error like any other.
class StandardOutputBuffer : public std::streambuf
{
public:
    explicit StandardOutputBuffer(std::FILE* file) : file_(file) {}
    bool ReaderGone() const { return readerGone_; }

protected:
    int_type overflow(int_type character) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    void NoteRefusal();

    std::FILE* file_;
    bool readerGone_ = false;
};

// Passes text on to the target until the output's reader is gone, then keeps quiet: what a command says
// after that is only that it could not write.
class QuietOnceReaderGoneBuffer : public std::streambuf
{
public:
    QuietOnceReaderGoneBuffer(std::streambuf& target, const StandardOutputBuffer& output)
        : target_(target), output_(output)
    {
    }

protected:
    int_type overflow(int_type character) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    std::streambuf& target_;
    const StandardOutputBuffer& output_;
};

inline void PutText(std::ostream& out, std::string_view text)
{
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

template <typename Integer>
void PutInteger(std::ostream& out, Integer value)
{
    char text[24];
    out.write(text, std::to_chars(text, text + sizeof text, value).ptr - text);
}

// The shortest text that reads back as the same value, in the classic locale.
template <typename Real>
void PutShortest(std::ostream& out, Real value)
{
    char text[40];
    out.write(text, std::to_chars(text, text + sizeof text, value).ptr - text);
}

} // namespace Host
