#include "host/app/CommandLine.h"

#include "host/app/CalcCommand.h"

#include "host/app/HostApplication.h"
#include "host/app/ModuleLoader.h"
#include "host/app/TextConversion.h"

#include <stdexcept>

namespace Host
{

namespace
{

constexpr const char* Usage = "usage: sistra <command> [arguments]\n"
                              "commands:\n"
                              "  info      load the module and print its registration result\n"
                              "  --help    print this text\n";

// The commands that carry their own usage text follow the general ones.
std::string UsageText()
{
    return std::string(Usage) + CalcUsage;
}

int RunInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 1)
    {
        err << "info takes no arguments\n" << UsageText();
        return ExitUsage;
    }
    LoadedModule module(ExecutableFolder() + L"Sistra.dll");
    HostApplication host;
    const HRESULT result = module.RegisterClassObjects(&host);
    out << "module: " << ToUtf8(module.Path()) << "\n";
    out << "DllRegisterClassObjects: " << HResultText(result) << (SUCCEEDED(result) ? " (success)" : " (failure)")
        << "\n";
    return SUCCEEDED(result) ? ExitOk : ExitFailure;
}

} // namespace

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.empty())
    {
        err << UsageText();
        return ExitUsage;
    }
    const std::string& command = args.front();
    try
    {
        if (command == "--help" || command == "-h" || command == "help")
        {
            out << UsageText();
            return ExitOk;
        }
        if (command == "info")
            return RunInfo(args, out, err);
        if (command == "calc")
            return RunCalc(args, out, err);
    }
    catch (const std::exception& e)
    {
        err << "sistra " << command << ": " << e.what() << "\n";
        return ExitFailure;
    }
    err << "unknown command: " << command << "\n" << UsageText();
    return ExitUsage;
}

} // namespace Host
