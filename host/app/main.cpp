// sistra-host.exe: the host application stand-in.
#include "host/app/CommandLine.h"
#include "host/app/TextConversion.h"

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

    const int status = Host::RunCommandLine(args, std::cout, std::cerr);
    // A command that wrote through std::cout directly learns of a failed write only here.
    if (!std::cout.flush() && status == Host::ExitOk)
    {
        std::cerr << "sistra: cannot write the output\n";
        return Host::ExitFailure;
    }
    return status;
}
