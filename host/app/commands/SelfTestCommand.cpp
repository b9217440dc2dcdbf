#include "host/app/commands/SelfTestCommand.h"

#include "host/app/commands/ExitCodes.h"
#include "host/app/calc/HostCalcClasses.h"
#include "host/app/FrameworkHost.h"
#include "host/app/HostApplication.h"
#include "host/app/ModuleLoader.h"
#include "host/app/files/TextConversion.h"
#include "host/app/commands/TextOutput.h"

#include "foundation/com/ComPtr.h"

#include <oleauto.h>

#include <stdexcept>

namespace Host
{
namespace
{

// Takes the string a test object handed out (one reference for the caller).
std::string TakeText(IAutoOrvString* text)
{
    if (!text)
        return {};
    BSTR copy = nullptr;
    const HRESULT read = text->GetBSTR(&copy);
    text->Release();
    const std::wstring wide = SUCCEEDED(read) && copy ? std::wstring(copy, SysStringLen(copy)) : std::wstring();
    SysFreeString(copy);
    return ToUtf8(wide);
}

struct Tally
{
    int passed = 0;
    int failed = 0;
};

// A line of the report, written at once; once the output refuses it (a reader that left the pipe, a full
// disk) there is no one to run the remaining tests for.
void ReportLine(std::ostream& out, const std::string& line)
{
    if (!(out << line << "\n" << std::flush))
        throw OutputWriteError("cannot write the output");
}

void RunObject(IUnitTest& test, bool listOnly, const std::string& filter, Tally& tally, std::ostream& out)
{
    LONG count = 0;
    if (FAILED(test.Initialize()) || FAILED(test.GetTestCount(&count)))
        throw std::runtime_error("a self-test object cannot list its tests");
    for (LONG index = 0; index < count; ++index)
    {
        IAutoOrvString* handed = nullptr;
        if (FAILED(test.GetTestName(index, &handed)))
            throw std::runtime_error("a self-test object cannot name test " + std::to_string(index));
        const std::string name = TakeText(handed);
        if (name.find(filter) == std::string::npos)
            continue;
        if (listOnly)
        {
            ReportLine(out, name);
            continue;
        }
        VARIANT_BOOL passed = VARIANT_FALSE;
        IAutoOrvString* message = nullptr;
        if (FAILED(test.RunTest(index)) || FAILED(test.GetResult(&passed, &message)))
            throw std::runtime_error("self-test " + name + " could not be run");
        const std::string failure = TakeText(message);
        if (passed)
        {
            ++tally.passed;
            ReportLine(out, "ok     " + name);
        }
        else
        {
            ++tally.failed;
            ReportLine(out, "FAILED " + name + ": " + failure);
        }
    }
}

} // namespace

int RunSelfTest(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    bool listOnly = false;
    std::string filter;
    for (size_t i = 1; i < args.size(); ++i)
    {
        if (args[i] == "--list")
            listOnly = true;
        else if (filter.empty() && !args[i].starts_with("--"))
            filter = args[i];
        else
        {
            err << "selftest: unexpected argument " << args[i] << "\nusage:\n" << SelfTestUsage;
            return ExitUsage;
        }
    }
    HostSession session;
    HostApplication host;
    const HRESULT loaded = session.LoadModule(ExecutableFolder() + L"Sistra.dll", &host);
    if (FAILED(loaded))
        throw std::runtime_error("the module did not register: " + HResultText(loaded));
    // The self-tests' calculations are the host's expression calculation over the module's functions.
    Calc::RegisterHostCalculationClasses(session.Framework().StandIn());
    Tally tally;
    Orv::ComPtr<IUnitTest> test;
    for (ULONG index = 0; SUCCEEDED(session.Framework().StandIn().GetSelfTest(index, test.Put())); ++index)
        RunObject(*test.Get(), listOnly, filter, tally, out);
    if (listOnly)
        return ExitOk;
    out << "self-tests: " << tally.passed << " passed, " << tally.failed << " failed\n";
    if (tally.passed + tally.failed == 0)
    {
        err << "selftest: no self-test matches\n";
        return ExitFailure;
    }
    return tally.failed == 0 ? ExitOk : ExitFailure;
}

} // namespace Host
