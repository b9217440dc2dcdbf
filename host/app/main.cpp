// sistra-host.exe: the host application stand-in.
#include "host/app/commands/CommandLine.h"
#include "host/app/files/TextConversion.h"
#include "host/app/commands/TextOutput.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <iostream>
#include <memory>
#include <shellapi.h>

namespace
{

struct LocalMemoryRelease
{
    void operator()(wchar_t** block) const { LocalFree(block); }
};

// What a shell reports for a command that SIGPIPE ended: a reader that closed the pipe early (`| head`)
// ends the command quietly, with this status.
constexpr int ExitReaderGone = 141;

// Puts a stream's buffer back when the one that replaced it goes.
class StreamBufferSwap
{
public:
    StreamBufferSwap(std::ostream& stream, std::streambuf& buffer) : stream_(stream), previous_(stream.rdbuf(&buffer)) {}
    ~StreamBufferSwap() { stream_.rdbuf(previous_); }
    StreamBufferSwap(const StreamBufferSwap&) = delete;
    StreamBufferSwap& operator=(const StreamBufferSwap&) = delete;

private:
    std::ostream& stream_;
    std::streambuf* previous_;
};

} // namespace

int main()
{
    // The console text is UTF-8 with bare line feeds, as on the Linux side that reads it.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    int count = 0;
    const std::unique_ptr<wchar_t*, LocalMemoryRelease> arguments(CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i)
        args.push_back(Host::ToUtf8(arguments.get()[i]));

    Host::StandardOutputBuffer output(stdout);
    const StreamBufferSwap standardOutput(std::cout, output);
    Host::QuietOnceReaderGoneBuffer errors(*std::cerr.rdbuf(), output);
    std::ostream err(&errors);
    const int status = Host::RunCommandLine(args, std::cout, err);
    // A command that wrote through std::cout directly learns of a failed write only here.
    const bool flushed = static_cast<bool>(std::cout.flush());
    if (output.ReaderGone())
        return ExitReaderGone;
    if (!flushed && status == Host::ExitOk)
    {
        err << "sistra: cannot write the output\n";
        return Host::ExitFailure;
    }
    return status;
}
