#include "host/app/MacroCommand.h"

#include "host/app/AnalyzeCommand.h"
#include "host/app/DocumentAnalysis.h"
#include "host/app/ExitCodes.h"
#include "host/app/FrameworkHost.h"
#include "host/app/HostApplication.h"
#include "host/app/ModuleLoader.h"
#include "host/app/TextConversion.h"
#include "host/app/TextOutput.h"
#include "host/app/calc/SampleFilterClass.h"
#include "host/app/macro/MacroText.h"
#include "host/app/recording/RecordingText.h"
#include "hostapi/VyrMessaging.h"

#include <cwchar>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace Host
{
namespace
{

// The prefix of the host's own statements, which stand for the setup pane and the loop view.
constexpr std::wstring_view HostPrefix = L"Host.";

// A line that cannot run: the macro stops there.
class MacroLineError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

std::vector<std::wstring> ReadMacroLines(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot open " + path);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    std::string text = bytes.str();
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    std::vector<std::wstring> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(FromUtf8(line));
    }
    return lines;
}

bool IsBlankOrComment(const std::wstring& line)
{
    const size_t first = line.find_first_not_of(L" \t");
    return first == std::wstring::npos || line[first] == L'\'';
}

// The statement's argument of that name (any letter case) as text.
std::wstring ArgumentText(Macro::Statement& statement, const wchar_t* name)
{
    const auto& names = statement.ArgumentNames();
    DISPPARAMS* parameters = statement.Parameters();
    for (size_t i = 0; i < names.size(); ++i)
    {
        if (_wcsicmp(names[i].c_str(), name) != 0)
            continue;
        VARIANT text;
        VariantInit(&text);
        VARIANT& argument = parameters->rgvarg[parameters->cArgs - 1 - i];
        if (FAILED(VariantChangeTypeEx(&text, &argument, 0x409, 0, VT_BSTR)))
            throw MacroLineError("the argument " + ToUtf8(name) + " is not text");
        std::wstring value(V_BSTR(&text), SysStringLen(V_BSTR(&text)));
        VariantClear(&text);
        return value;
    }
    throw MacroLineError("the statement has no argument " + ToUtf8(name));
}

class MacroRun
{
public:
    MacroRun(const Recording& recording, DocumentAnalysis& analysis, std::ostream& out)
        : recording_(recording), analysis_(analysis), out_(out)
    {
    }

    void RunLine(const std::wstring& line)
    {
        const size_t first = line.find_first_not_of(L" \t");
        const std::wstring_view text = std::wstring_view(line).substr(first);
        if (text.substr(0, HostPrefix.size()) == HostPrefix)
            RunHostStatement(std::wstring(Macro::StatementPrefix) + std::wstring(text.substr(HostPrefix.size())));
        else
            RunCommand(std::wstring(text));
    }

private:
    void RunCommand(const std::wstring& text)
    {
        Macro::Statement statement(text);
        LONG answer = 0;
        try
        {
            answer = analysis_.RunStatement(statement);
        }
        catch (const std::invalid_argument& e)
        {
            throw MacroLineError(e.what());
        }
        out_ << ToUtf8(statement.Command()) << ": " << answer << "\n";
    }

    void RunHostStatement(const std::wstring& text)
    {
        Macro::Statement statement(text);
        const std::wstring& name = statement.Command();
        if (_wcsicmp(name.c_str(), L"Channels") == 0)
        {
            const int32_t pressure = ResolveChannel(recording_, ToUtf8(ArgumentText(statement, L"pressure")));
            const int32_t volume = ResolveChannel(recording_, ToUtf8(ArgumentText(statement, L"volume")));
            out_ << "Host.Channels: " << (SUCCEEDED(analysis_.Pane().SetSources(pressure, volume, nullptr)) ? 1 : 0)
                 << "\n";
        }
        else if (_wcsicmp(name.c_str(), L"ExcludeLoops") == 0)
        {
            std::vector<ULONG> loops;
            std::wistringstream numbers(ArgumentText(statement, L"loops"));
            for (long number = 0; numbers >> number;)
            {
                if (number < 1)
                    throw MacroLineError("loops are counted from 1");
                loops.push_back(static_cast<ULONG>(number - 1));
            }
            if (!numbers.eof())
                throw MacroLineError("loops:= takes loop numbers separated by blanks");
            out_ << "Host.ExcludeLoops: "
                 << (SUCCEEDED(analysis_.Pane().ExcludeLoops(static_cast<ULONG>(loops.size()), loops.data())) ? 1 : 0)
                 << "\n";
        }
        else
        {
            throw MacroLineError("the host has no statement " + ToUtf8(name));
        }
    }

    const Recording& recording_;
    DocumentAnalysis& analysis_;
    std::ostream& out_;
};

} // namespace

int RunMacro(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 3)
    {
        err << "sistra macro: give a macro file and a recording\nusage:\n" << MacroUsage;
        return ExitUsage;
    }
    const std::string& macroFile = args[1];
    try
    {
        const std::vector<std::wstring> lines = ReadMacroLines(macroFile);
        const Recording recording = LoadRecordingFile(args[2]);
        HostSession session;
        HostApplication application;
        Calc::RegisterSampleFilterClass(session.Framework().StandIn());
        const HRESULT loaded = session.LoadModule(ExecutableFolder() + L"Sistra.dll", &application);
        if (FAILED(loaded))
            throw std::runtime_error("the module did not register (" + HResultText(loaded) + ")");
        IVyrStandIn& standIn = session.Framework().StandIn();
        standIn.ScriptProgressCancel(-1);
        const Orv::ComPtr<HostDocument> host = HostDocument::Offline(recording);
        BlockOutputStream blocks(out);
        {
            DocumentAnalysis analysis(standIn, *host.Get(), AnalysisChoices{});
            MacroRun run(recording, analysis, blocks);
            for (size_t index = 0; index < lines.size(); ++index)
            {
                if (IsBlankOrComment(lines[index]))
                    continue;
                const std::string place = macroFile + ":" + std::to_string(index + 1);
                try
                {
                    run.RunLine(lines[index]);
                }
                catch (const Macro::MacroSyntaxError& e)
                {
                    throw std::runtime_error(place + ":" + std::to_string(e.column) + ": " + e.what());
                }
                catch (const MacroLineError& e)
                {
                    throw std::runtime_error(place + ": " + e.what());
                }
            }
            blocks << "\n";
            PutText(blocks, SummaryTable(analysis.Summaries()));
            blocks << "\n";
            PutText(blocks, RegressionTable(analysis.Relations()));
        }
        blocks.Finish();
        return ExitOk;
    }
    catch (const std::exception& e)
    {
        err << "sistra macro: " << e.what() << "\n";
        return ExitFailure;
    }
}

} // namespace Host
