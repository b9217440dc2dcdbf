#include "host/app/FunctionsCommand.h"

#include "host/app/ExitCodes.h"
#include "host/app/FrameworkHost.h"
#include "host/app/HostApplication.h"
#include "host/app/ModuleLoader.h"
#include "host/app/TextConversion.h"

namespace Host
{

namespace
{

void PrintFunction(const Calc::ModuleCalcFunction& function, std::ostream& out)
{
    out << function.Name();
    const auto& aliases = function.Aliases();
    for (size_t index = 0; index < aliases.size(); ++index)
        out << (index == 0 ? " (alias " : ", ") << aliases[index];
    out << (aliases.empty() ? "" : ")") << ": " << function.Description() << "\n  yields " << Calc::KindText(function.Result()) << "\n";
    const auto& parameters = function.Parameters();
    for (size_t index = 0; index < parameters.size(); ++index)
    {
        const Calc::ParameterInfo& parameter = parameters[index];
        out << "  " << index + 1 << ". " << parameter.name << ": " << Calc::KindText(parameter.kind);
        if (parameter.kind == Calc::ValueKind::Number)
            out << ", " << Calc::RangeText(parameter);
        if (index >= function.RequiredArguments())
            out << " (may be left out)";
        out << "\n";
    }
}

} // namespace

void PrintFunctions(const Calc::ModuleFunctionTable& functions, std::ostream& out)
{
    out << "functions: " << functions.FunctionCount() << "\n";
    for (const auto& function : functions.Functions())
    {
        out << "\n";
        PrintFunction(*function, out);
    }
}

int RunFunctions(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 1)
    {
        err << "functions takes no arguments\nusage:\n" << FunctionsUsage;
        return ExitUsage;
    }
    HostSession session;
    HostApplication host;
    const HRESULT loaded = session.LoadModule(ExecutableFolder() + L"Sistra.dll", &host);
    if (FAILED(loaded))
    {
        err << "sistra functions: the module did not register (" << HResultText(loaded) << ")\n";
        return ExitFailure;
    }
    // The descriptions do not depend on data: no recording is needed to read them.
    const Recording noData({});
    PrintFunctions(Calc::ModuleFunctionTable(noData, session.Framework().StandIn()), out);
    return ExitOk;
}

} // namespace Host
