#include "host/app/commands/TextOutput.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sstream>

#include <gtest/gtest.h>

namespace
{

// Output held over several blocks reaches the target whole and in order once released, and nothing before.
TEST(BlockOutputStream, HeldOutputIsWrittenWholeOnRelease)
{
    std::ostringstream target;
    std::string expected;
    {
        Host::BlockOutputStream out(target);
        out.Hold();
        for (int line = 0; expected.size() < 3 * Host::BlockOutputBuffer::BlockBytes + 7; ++line)
        {
            const std::string text = std::to_string(line) + "\n";
            Host::PutText(out, text);
            expected += text;
        }
        out.flush();
        EXPECT_TRUE(target.str().empty());
        out.Release();
        Host::PutText(out, "after");
        expected += "after";
        out.Finish();
    }
    EXPECT_EQ(expected, target.str());
}

// A C stream over a system handle, closed with it.
struct HandleStream
{
    explicit HandleStream(HANDLE handle) : file(_fdopen(_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY), "wb")) {}
    ~HandleStream()
    {
        if (file)
            std::fclose(file);
    }
    std::FILE* file;
};

// A pipe whose reader has closed it ends the output quietly; a full device is an error to report, and
// what the command says of it reaches the error stream.
TEST(StandardOutputBuffer, OnlyAPipeWithoutAReaderSilencesTheErrors)
{
    HANDLE reader = nullptr, writer = nullptr;
    ASSERT_TRUE(CreatePipe(&reader, &writer, nullptr, 0));
    CloseHandle(reader);
    const HANDLE full = CreateFileW(L"Z:\\dev\\full", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, full);
    const struct
    {
        HANDLE handle;
        bool readerGone;
    } cases[] = {{writer, true}, {full, false}};
    for (const auto& c : cases)
    {
        const HandleStream stream(c.handle);
        ASSERT_NE(nullptr, stream.file);
        Host::StandardOutputBuffer output(stream.file);
        std::ostream out(&output);
        std::ostringstream said;
        Host::QuietOnceReaderGoneBuffer errors(*said.rdbuf(), output);
        std::ostream err(&errors);
        out << std::string(1 << 16, 'x') << std::flush;
        EXPECT_FALSE(out.good()) << c.readerGone;
        err << "cannot write the output";
        EXPECT_EQ(c.readerGone, output.ReaderGone());
        EXPECT_EQ(c.readerGone, said.str().empty()) << said.str();
    }
}

} // namespace
