#include "host/app/commands/FunctionsCommand.h"

#include "host/app/commands/ExitCodes.h"
#include "host/app/FrameworkHost.h"
#include "host/app/HostApplication.h"
#include "host/app/ModuleLoader.h"
#include "host/app/files/TextConversion.h"

#include <string_view>
#include <utility>

namespace Host
{

namespace
{

// What a function's numbers mean beyond their names and ranges, by function name.
constexpr std::pair<std::string_view, std::string_view> FunctionNotes[] = {
    {"PvaCalc",
     "  the intersection and the terms are in the units the calculation reads its channels in: without\n"
     "  their prefixes (a volume recorded in uL or mL in L): the volume at the intersection in L, ESPVR term 2\n"
     "  per L and term 3 per L squared, the EDPVR's rate (term 2) per L; analyze shows the relations in the\n"
     "  recorded units (uL: multiply a volume by 1e-6, divide a term per uL by 1e-6, one per uL squared by\n"
     "  1e-12)\n"},
};

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
    for (const auto& [name, note] : FunctionNotes)
        if (function.Name() == name)
            out << note;
}

} // namespace

void PrintFunctions(const Calc::ModuleFunctionTable& functions, std::ostream& out)
{
    out << "functions: " << functions.FunctionCount() << "\n"
        << "numbers and channels are read without unit prefixes: a channel recorded in mV in V, in uL in L\n";
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
