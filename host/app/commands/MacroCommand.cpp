#include "host/app/commands/MacroCommand.h"

#include "host/app/commands/AnalyzeCommand.h"
#include "host/app/document/DocumentAnalysis.h"
#include "host/app/document/DocumentFileOpening.h"
#include "host/app/commands/ExitCodes.h"
#include "host/app/FrameworkHost.h"
#include "host/app/HostApplication.h"
#include "host/app/ModuleLoader.h"
#include "host/app/commands/ResultDoubts.h"
#include "host/app/files/TextConversion.h"
#include "host/app/commands/TextOutput.h"
#include "host/app/calc/HostCalcClasses.h"
#include "host/app/gui/ModuleClasses.h"
#include "host/app/macro/CommandHelp.h"
#include "host/app/macro/CuvetteViewInput.h"
#include "host/app/macro/MacroText.h"
#include "host/app/recording/RecordingText.h"
#include "hostapi/VyrMessaging.h"

#include "foundation/com/ErrorReason.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <limits>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <tuple>
#include <utility>
#include <variant>

namespace Host
{
namespace
{

// The prefix of the host's own statements, which stand for the setup pane, the loop view and the cuvette
// calibration view.
constexpr std::wstring_view HostPrefix = L"Host.";

constexpr const wchar_t* CuvetteViewName = L"Sistra Cuvette Calibration View";
constexpr std::wstring_view AddSelectionToCuvette = L"AddSelToSistraCuvetteCalibration";

// A line that cannot run: the macro stops there.
class MacroLineError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A command the document did not carry out: it answered 0, and the macro goes on as the host's macro
// does, to end as a failure.
class RefusedCommand : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A statement is a line of a few hundred characters at most: a longer line is no macro text.
constexpr size_t LongestMacroLine = 64 * 1024;

// The macro's lines, one at a time, so that a statement is judged (and a bad one stops the run) before
// anything after it is read: a macro that never ends takes no more memory than its longest line.
class MacroLines
{
public:
    // The path is UTF-8: opened by its wide form, so that a name beyond ASCII is found. The names of the
    // standard input read the process's own: opened by name, the system would hand another process's.
    explicit MacroLines(const std::string& path) : path_(path)
    {
        if (IsStandardInputName(path))
        {
            in_ = &std::cin;
            return;
        }
        std::error_code error;
        if (std::filesystem::is_directory(std::filesystem::path(FromUtf8(path)), error))
            throw std::runtime_error("the macro " + path + " is a folder: name a macro file");
        file_.open(std::filesystem::path(FromUtf8(path)), std::ios::binary);
        if (!file_)
            throw std::runtime_error("cannot open the macro " + path + ": " + std::strerror(errno));
    }

    // The next line without its line end; false at the end of the text.
    bool Next(std::wstring& line)
    {
        std::string bytes;
        int c = 0;
        while ((c = in_->get()) != std::char_traits<char>::eof() && c != '\n')
        {
            if (bytes.size() == LongestMacroLine)
                throw std::runtime_error(path_ + ":" + std::to_string(number_ + 1) + ": the line is longer than " +
                                         std::to_string(LongestMacroLine) + " bytes: no macro statement");
            bytes.push_back(static_cast<char>(c));
        }
        if (in_->bad())
            throw std::runtime_error("cannot read the macro " + path_);
        if (c == std::char_traits<char>::eof() && bytes.empty())
            return false;
        ++number_;
        if (number_ == 1 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
            bytes.erase(0, 3);
        if (!bytes.empty() && bytes.back() == '\r')
            bytes.pop_back();
        line = FromUtf8(bytes);
        return true;
    }

    // Where the last line read stands: the file and its line number.
    std::string Place() const { return path_ + ":" + std::to_string(number_); }

private:
    static bool IsStandardInputName(const std::string& path)
    {
        return path == "-" || path == "/dev/stdin" || path == "/dev/fd/0" || path == "/proc/self/fd/0";
    }

    std::string path_;
    std::ifstream file_;
    std::istream* in_ = &file_;
    size_t number_ = 0;
};

bool IsBlankOrComment(const std::wstring& line)
{
    const size_t first = line.find_first_not_of(L" \t");
    return first == std::wstring::npos || line[first] == L'\'';
}

// The statement's argument of that name (any letter case) as text; none when the statement does not give it.
std::optional<std::wstring> OptionalArgumentText(Macro::Statement& statement, const wchar_t* name)
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
    return std::nullopt;
}

std::wstring ArgumentText(Macro::Statement& statement, const wchar_t* name)
{
    if (std::optional<std::wstring> text = OptionalArgumentText(statement, name))
        return std::move(*text);
    throw MacroLineError("the statement has no argument " + ToUtf8(name));
}

bool TruthOf(const std::wstring& text)
{
    if (_wcsicmp(text.c_str(), L"True") == 0 || text == L"-1" || text == L"1")
        return true;
    if (_wcsicmp(text.c_str(), L"False") == 0 || text == L"0")
        return false;
    throw MacroLineError("on:= takes True or False, not " + ToUtf8(text));
}

// The loops:= text, "N N ...", as loop indexes from 0. A number too large for any loop is named as it
// stands, never wrapped round onto a loop that exists.
std::vector<ULONG> LoopIndexes(const std::wstring& text)
{
    std::vector<ULONG> loops;
    std::wistringstream words(text);
    for (std::wstring word; words >> word;)
    {
        const std::string number = ToUtf8(word);
        uint64_t value = 0;
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (end != number.data() + number.size() || (error != std::errc() && error != std::errc::result_out_of_range))
            throw MacroLineError("loops:= takes loop numbers separated by blanks, not '" + number + "'");
        if (value == 0)
            throw MacroLineError("loops:= counts loops from 1");
        if (error == std::errc::result_out_of_range || value > std::numeric_limits<ULONG>::max())
            throw MacroLineError("loops:= names loop " + number + ", beyond any analysis");
        loops.push_back(static_cast<ULONG>(value - 1));
    }
    return loops;
}

// The volumes:= text, "N N ...": each a number, kept as written for the view to read as typed.
std::vector<std::wstring> WellVolumes(const std::wstring& text)
{
    std::vector<std::wstring> volumes;
    std::wistringstream words(text);
    for (std::wstring word; words >> word;)
    {
        const std::string number = ToUtf8(word);
        double value = 0;
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (end != number.data() + number.size() || error != std::errc() || !std::isfinite(value))
            throw MacroLineError("volumes:= takes the wells' known volumes as numbers separated by blanks, not '" +
                                 number + "'");
        // The view refuses such a volume in a balloon, which a batch does not read.
        if (value <= 0.0)
            throw MacroLineError("volumes:= takes volumes above zero: a well holds no " + number + " uL");
        volumes.push_back(word);
    }
    if (volumes.empty())
        throw MacroLineError("volumes:= names no well");
    return volumes;
}

// A number of seconds as the argument of that name gives it.
double SecondsArgument(Macro::Statement& statement, const wchar_t* name)
{
    const std::string text = ToUtf8(ArgumentText(statement, name));
    double seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (text.empty() || end != text.data() + text.size() || error != std::errc() || !std::isfinite(seconds))
        throw MacroLineError(ToUtf8(name) + ":= takes a time in seconds from the recording's start, not '" + text + "'");
    return seconds;
}

// The sources the document analyses: its pressure and volume channels and the text of its ECG's source.
using AnalysedSources = std::tuple<int32_t, int32_t, std::optional<std::wstring>>;

class MacroRun
{
public:
    // sources: those the document starts on; none when they are not known (a settings file gave them).
    MacroRun(const Recording& recording, HostDocument& host, DocumentAnalysis& analysis, const ModuleClasses& classes,
             IVyrStandIn& standIn, std::optional<AnalysedSources> sources, std::ostream& out, std::ostream& err)
        : recording_(recording), host_(host), analysis_(analysis), classes_(classes), standIn_(standIn), out_(out),
          err_(err), sources_(std::move(sources))
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
            SetErrorInfo(0, nullptr);
            answer = analysis_.RunStatement(statement);
        }
        catch (const std::invalid_argument& e)
        {
            throw MacroLineError(e.what());
        }
        out_ << ToUtf8(statement.Command()) << ": " << answer << "\n";
        if (answer == 0)
        {
            std::wstring reason = Orv::TakeErrorReason();
            // The view's reasons name what a person does at it; a macro does it with the host's statements.
            if (_wcsicmp(statement.Command().c_str(), std::wstring(AddSelectionToCuvette).c_str()) == 0)
                reason += L" (in a macro, Host.CuvetteWells opens the cuvette view, types the wells' known volumes and "
                          L"selects the first well, and Host.Select selects the stretch of the volume channel)";
            Refused(statement.Command(), reason);
        }
    }

    [[noreturn]] static void Refused(const std::wstring& command, const std::wstring& reason)
    {
        throw RefusedCommand(ToUtf8(command) + " was refused" + (reason.empty() ? std::string() : ": " + ToUtf8(reason)));
    }

    void RunHostStatement(const std::wstring& text)
    {
        Macro::Statement statement(text);
        const std::wstring& name = statement.Command();
        if (_wcsicmp(name.c_str(), L"Channels") == 0)
            Channels(statement);
        else if (_wcsicmp(name.c_str(), L"ExcludeLoops") == 0)
        {
            const std::vector<ULONG> loops = LoopIndexes(ArgumentText(statement, L"loops"));
            SetErrorInfo(0, nullptr);
            const bool done =
                SUCCEEDED(analysis_.Pane().ExcludeLoops(static_cast<ULONG>(loops.size()), loops.data()));
            out_ << "Host.ExcludeLoops: " << (done ? 1 : 0) << "\n";
            if (!done)
                Refused(L"Host.ExcludeLoops", Orv::TakeErrorReason());
        }
        else if (_wcsicmp(name.c_str(), L"WorkflowMode") == 0)
        {
            const bool on = TruthOf(ArgumentText(statement, L"on"));
            try
            {
                analysis_.SetWorkflowMode(on);
            }
            catch (const std::runtime_error& e)
            {
                out_ << "Host.WorkflowMode: 0\n";
                Refused(L"Host.WorkflowMode", FromUtf8(e.what()));
            }
            out_ << "Host.WorkflowMode: 1\n";
        }
        else if (_wcsicmp(name.c_str(), L"Select") == 0)
            Select(statement);
        else if (_wcsicmp(name.c_str(), L"CuvetteWells") == 0)
        {
            const std::vector<std::wstring> volumes = WellVolumes(ArgumentText(statement, L"volumes"));
            try
            {
                CuvetteView().TypeWells(volumes);
            }
            catch (const CuvetteViewRefusal& e)
            {
                throw MacroLineError(e.what());
            }
            out_ << "Host.CuvetteWells: 1\n";
        }
        else if (_wcsicmp(name.c_str(), L"CuvetteApply") == 0)
            CuvetteApply();
        else
        {
            throw MacroLineError("the host has no statement " + ToUtf8(name) +
                                 ": it has Host.Channels, Host.ExcludeLoops, Host.WorkflowMode, Host.Select, "
                                 "Host.CuvetteWells and Host.CuvetteApply");
        }
    }

    // As the setup pane sets them; the ECG's R waves found as analyze --ecg finds them.
    void Channels(Macro::Statement& statement)
    {
        AnalysisChoices choices;
        try
        {
            choices.pressureChannel = ResolveChannel(recording_, ToUtf8(ArgumentText(statement, L"pressure")));
            choices.volumeChannel = ResolveChannel(recording_, ToUtf8(ArgumentText(statement, L"volume")));
            if (const std::optional<std::wstring> ecg = OptionalArgumentText(statement, L"ecg"))
                ChooseEcg(recording_, ToUtf8(*ecg), choices);
        }
        catch (const std::runtime_error& e)
        {
            throw MacroLineError(e.what());
        }
        for (const std::string& warning : choices.warnings)
            err_ << "sistra macro: warning: " << warning << "\n";
        SetErrorInfo(0, nullptr);
        const bool done = SUCCEEDED(analysis_.Pane().SetSources(choices.pressureChannel, choices.volumeChannel,
                                                                choices.ecgSource ? choices.ecgSource->c_str() : nullptr));
        out_ << "Host.Channels: " << (done ? 1 : 0) << "\n";
        if (!done)
            Refused(L"Host.Channels", Orv::TakeErrorReason());
        // The loops found before were found on the sources before: their summaries would be printed under
        // the units of the new ones, or from other beats.
        const AnalysedSources chosen{choices.pressureChannel, choices.volumeChannel, choices.ecgSource};
        if (std::exchange(sources_, chosen) != chosen && analysis_.LoopCount() > 0)
        {
            Macro::Statement clear(std::wstring(Macro::StatementPrefix) + L"ClearSistraAnalysis");
            if (analysis_.RunStatement(clear) == 0)
                Refused(L"Host.Channels", L"the earlier analysis could not be cleared");
            out_ << "Host.Channels: the earlier analysis was cleared (analyse again for the new channels)\n";
        }
    }

    // As a person drags across the trace view: every channel from start to end, so that the commands that
    // take their values from the selection have one.
    void Select(Macro::Statement& statement)
    {
        const double start = SecondsArgument(statement, L"start"), end = SecondsArgument(statement, L"end");
        TickRange range{};
        try
        {
            range = RegionTicks(recording_, start, end);
        }
        catch (const std::runtime_error& e)
        {
            throw MacroLineError(e.what());
        }
        host_.SelectByUser({range.firstRecord, range.firstTick}, {range.endRecord, range.endTick});
        out_ << "Host.Select: 1\n";
    }

    // The cuvette calibration view, opened on first use as a person opens it to work with its table.
    CuvetteViewInput& CuvetteView()
    {
        if (!cuvette_)
        {
            IDocViewClass* view = classes_.FindView(CuvetteViewName);
            if (!view)
                throw MacroLineError("the module has no cuvette calibration view");
            try
            {
                cuvette_.emplace(*view, analysis_.Document(), standIn_);
            }
            catch (const std::runtime_error& e)
            {
                throw MacroLineError(std::string("the cuvette calibration view could not open (") + e.what() +
                                     "): its statements need a display; sistra gives a macro file that uses them a "
                                     "virtual one, a macro on the standard input needs xvfb-run");
            }
        }
        return *cuvette_;
    }

    void CuvetteApply()
    {
        std::wstring line;
        try
        {
            line = CuvetteView().Apply();
        }
        catch (const CuvetteViewRefusal& e)
        {
            out_ << "Host.CuvetteApply: 0\n";
            Refused(L"Host.CuvetteApply", FromUtf8(e.what()));
        }
        out_ << "Host.CuvetteApply: 1\nHost.CuvetteApply: applied " << ToUtf8(line) << "\n";
    }

    const Recording& recording_;
    HostDocument& host_;
    DocumentAnalysis& analysis_;
    const ModuleClasses& classes_;
    IVyrStandIn& standIn_;
    std::optional<CuvetteViewInput> cuvette_;
    std::ostream& out_;
    std::ostream& err_;
    std::optional<AnalysedSources> sources_;
};

void LoadModule(HostSession& session, HostApplication& application)
{
    Calc::RegisterHostCalculationClasses(session.Framework().StandIn());
    const HRESULT loaded = session.LoadModule(ExecutableFolder() + L"Sistra.dll", &application);
    if (FAILED(loaded))
        throw std::runtime_error("the module did not register: " + FailureText(loaded));
}

// The usage, every command the module registered with its arguments, the host's statements and an example.
int PrintMacroHelp(std::ostream& out, std::ostream& err)
{
    try
    {
        HostSession session;
        HostApplication application;
        LoadModule(session, application);
        std::vector<Orv::ComPtr<IMsgIdMessageClassObject>> held;
        std::vector<IMsgIdMessageClassObject*> commands;
        for (const VyrRegistrationRecord& record : session.Framework().Registrations())
            if (record.kind == VyrRegistrationKind::MessageClass &&
                SUCCEEDED(session.Framework().StandIn().FindMessageClass(record.name, held.emplace_back().Put())) &&
                held.back())
                commands.push_back(held.back().Get());
        BlockOutputStream text(out);
        text << "usage:\n" << MacroUsage << "\nThe module's commands, each with an example of its statement:\n";
        Macro::WriteCommandHelp(commands, text);
        text << "\n" << MacroHostStatements << "\nExample (runs on a recording whose channels 1 and 2 are pressure and volume, as\n  "
             << MacroExampleCommand << "):\n" << MacroExample
             << "\nCuvette example (runs on a recording whose volume channel 2 sampled three cuvette wells of 30, 52\n"
                "and 90 uL, a second each from 32 s on, as\n  "
             << MacroCuvetteExampleCommand << "):\n" << MacroCuvetteExample;
        text.Finish();
        return ExitOk;
    }
    catch (const std::exception& e)
    {
        err << "sistra macro: " << e.what() << "\n";
        return ExitFailure;
    }
}

} // namespace

std::wstring SelectStatement(const Recording& recording, TickPosition start, TickPosition end)
{
    // The shortest text that reads back as the same double, so that the run finds the same ticks.
    const auto seconds = [&](TickPosition at) {
        char text[32];
        const auto written = std::to_chars(std::begin(text), std::end(text), PositionSeconds(recording, at.record, at.tick));
        return FromUtf8(std::string(text, written.ptr));
    };
    return std::wstring(HostPrefix) + L"Select start:=" + seconds(start) + L", end:=" + seconds(end);
}

std::wstring ChannelsStatement(int32_t pressure, int32_t volume, std::optional<int32_t> ecg)
{
    std::wstring text = std::wstring(HostPrefix) + L"Channels pressure:=" + std::to_wstring(pressure + 1) +
                        L", volume:=" + std::to_wstring(volume + 1);
    if (ecg)
        text += L", ecg:=" + std::to_wstring(*ecg + 1);
    return text;
}

std::wstring WorkflowModeStatement(bool on)
{
    return std::wstring(HostPrefix) + L"WorkflowMode on:=" + (on ? L"True" : L"False");
}

std::wstring ExcludeLoopsStatement(const std::vector<uint32_t>& loops)
{
    std::wstring numbers;
    for (const uint32_t loop : loops)
        numbers += (numbers.empty() ? L"" : L" ") + std::to_wstring(loop + 1);
    return std::wstring(HostPrefix) + L"ExcludeLoops loops:=\"" + numbers + L"\"";
}

namespace
{

struct MacroOptions
{
    std::string macroFile, recordingFile;
    std::optional<std::string> settingsFile;
    bool leaveWorkflow = false;
};

// The options, or the reason they are not a macro run's.
std::variant<MacroOptions, std::string> ReadMacroOptions(const std::vector<std::string>& args)
{
    MacroOptions options;
    std::vector<std::string> files;
    for (size_t index = 1; index < args.size(); ++index)
    {
        const std::string& arg = args[index];
        if (arg == "--settings")
        {
            if (index + 1 == args.size())
                return std::string("--settings needs a settings file");
            if (options.settingsFile)
                return std::string("--settings is given twice");
            options.settingsFile = args[++index];
        }
        else if (arg == "--no-workflow")
            options.leaveWorkflow = true;
        else if (arg.starts_with("--"))
            return "unknown option " + arg;
        else
            files.push_back(arg);
    }
    if (files.size() != 2)
        return std::string("give a macro file and a recording");
    options.macroFile = files[0];
    options.recordingFile = files[1];
    return options;
}

} // namespace

int RunMacro(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.size() == 2 && (args[1] == "--help" || args[1] == "-h"))
        return PrintMacroHelp(out, err);
    const auto read = ReadMacroOptions(args);
    if (const std::string* problem = std::get_if<std::string>(&read))
    {
        err << "sistra macro: " << *problem << "\nusage:\n" << MacroUsage;
        return ExitUsage;
    }
    const MacroOptions& options = std::get<MacroOptions>(read);
    const std::string& macroFile = options.macroFile;
    try
    {
        MacroLines lines(macroFile);
        // A saved document runs the macro on the recording as it showed it, with its settings and analysis.
        std::optional<DocumentFileOpening> document = DocumentFileOpening::Read(options.recordingFile);
        const Recording recording = document ? document->TakeRecording() : LoadRecordingFile(options.recordingFile);
        HostSession session;
        HostApplication application;
        LoadModule(session, application);
        // As the host does once a module registered: the document class installs its menus ("Workflow
        // Mode..." among them, which Host.WorkflowMode runs).
        const ModuleClasses classes(session.Framework());
        IVyrStandIn& standIn = session.Framework().StandIn();
        standIn.ScriptProgressCancel(-1);
        const Orv::ComPtr<HostDocument> host = HostDocument::Offline(recording);
        if (document)
            document->PrepareHost(*host.Get());
        BlockOutputStream blocks(out);
        {
            AnalysisChoices choices = document ? document->Choices() : AnalysisChoices{};
            std::optional<AnalysedSources> sources = AnalysedSources{choices.pressureChannel, choices.volumeChannel, std::nullopt};
            if (options.settingsFile && document)
                throw std::runtime_error("--settings goes with a recording: " + options.recordingFile +
                                         " is a saved document, which holds its settings");
            if (options.settingsFile)
                choices.settingsFile = FromUtf8(*options.settingsFile);
            // The settings file or the document gave the channels.
            if (options.settingsFile || document)
                sources.reset();
            DocumentAnalysis analysis(standIn, *host.Get(), choices);
            FinishOpening(document, *host.Get(), analysis.Warnings(), err, "sistra macro: warning: ");
            if (options.leaveWorkflow)
                analysis.LeaveWorkflowMode();
            MacroRun run(recording, *host.Get(), analysis, classes, standIn, std::move(sources), blocks, err);
            size_t refused = 0;
            // The answers of the statements that ran are printed before the run stops at a bad line.
            const auto stop = [&](const std::string& why) {
                blocks.Finish();
                return std::runtime_error(why);
            };
            for (std::wstring line;;)
            {
                try
                {
                    if (!lines.Next(line))
                        break;
                }
                catch (const std::runtime_error& e)
                {
                    throw stop(e.what());
                }
                if (IsBlankOrComment(line))
                    continue;
                try
                {
                    run.RunLine(line);
                }
                catch (const Macro::MacroSyntaxError& e)
                {
                    throw stop(lines.Place() + ":" + std::to_string(e.column) + ": " + e.what());
                }
                catch (const MacroLineError& e)
                {
                    throw stop(lines.Place() + ": " + e.what());
                }
                catch (const RefusedCommand& e)
                {
                    err << "sistra macro: " << lines.Place() << ": " << e.what() << "\n";
                    ++refused;
                }
            }
            if (analysis.LoopCount() == 0)
            {
                blocks.Finish();
                throw std::runtime_error("no loops analysed: the macro ran no Doc.AnalyzeSistraNow, or it found none; "
                                         "no summaries printed");
            }
            blocks << "\n";
            const std::vector<SummaryRow> summaries = analysis.Summaries();
            const std::vector<RelationRow> relations = analysis.Relations();
            for (const std::string& doubt : DoubtfulResults({summaries, relations, analysis.Loops()}))
                err << "sistra macro: warning: " << doubt << "\n";
            PutText(blocks, SummaryTable(summaries));
            blocks << "\n";
            PutText(blocks, RegressionTable(relations));
            if (refused > 0)
            {
                blocks.Finish();
                err << "sistra macro: " << refused << (refused == 1 ? " command was" : " commands were")
                    << " refused\n";
                return ExitFailure;
            }
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
