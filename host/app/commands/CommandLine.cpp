#include "host/app/commands/CommandLine.h"

#include "host/app/commands/AnalyzeCommand.h"
#include "host/app/commands/CalcCommand.h"
#include "host/app/FrameworkHost.h"
#include "host/app/commands/FunctionsCommand.h"
#include "host/app/HostApplication.h"
#include "host/app/gui/GuiCommands.h"
#include "host/app/commands/MacroCommand.h"
#include "host/app/ModuleLoader.h"
#include "host/app/commands/SelfTestCommand.h"
#include "host/app/files/TextConversion.h"

#include <cstdio>
#include <stdexcept>

namespace Host
{

namespace
{

constexpr const char* Usage = "usage: sistra <command> [arguments]\n"
                              "commands:\n"
                              "  info      load the module and print what it registered, in order\n"
                              "  --help    print this text\n";

// The commands that carry their own usage text follow the general ones.
std::string UsageText()
{
    return std::string(Usage) + FunctionsUsage + CalcUsage + AnalyzeUsage + GuiUsage() + MacroUsage + SelfTestUsage;
}

void PrintRegistrations(const std::vector<VyrRegistrationRecord>& records, std::ostream& out)
{
    out << "registrations: " << records.size() << "\n";
    int number = 0;
    for (const VyrRegistrationRecord& record : records)
    {
        char typeId[16];
        std::snprintf(typeId, sizeof typeId, "0x%08lX", static_cast<unsigned long>(record.typeId));
        out << "  " << ++number << ". " << RegistrationKindText(record.kind) << " \"" << ToUtf8(record.name)
            << "\" type id " << typeId << ": " << HResultText(record.result) << "\n";
    }
}

int RunInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 1)
    {
        err << "info takes no arguments\n" << UsageText();
        return ExitUsage;
    }
    HostSession session;
    HostApplication host;
    const HRESULT result = session.LoadModule(ExecutableFolder() + L"Sistra.dll", &host);
    out << "module: " << ToUtf8(session.Module().Path()) << "\n";
    PrintRegistrations(session.Framework().Registrations(), out);
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
        if (command == "functions")
            return RunFunctions(args, out, err);
        if (command == "macro")
            return RunMacro(args, out, err);
        if (command == "calc")
            return RunCalc(args, out, err);
        if (command == "analyze")
            return RunAnalyze(args, out, err);
        if (command == "gui")
            return RunGui(args, out, err);
        if (command == "snapshot")
            return RunSnapshot(args, out, err);
        if (command == "selftest")
            return RunSelfTest(args, out, err);
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
