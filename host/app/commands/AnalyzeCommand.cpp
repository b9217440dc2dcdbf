#include "host/app/commands/AnalyzeCommand.h"
#include "foundation/system/ExactFileName.h"

#include "host/app/document/DocumentAnalysis.h"
#include "host/app/document/DocumentFileOpening.h"
#include "host/app/calc/EcgRhythm.h"
#include "host/app/commands/ExitCodes.h"
#include "host/app/FrameworkHost.h"
#include "host/app/RegisteredServices.h"
#include "host/app/document/HostDocument.h"
#include "host/app/commands/LoopRecordReport.h"
#include "host/app/ModuleSession.h"
#include "host/app/commands/ResultDoubts.h"
#include "host/app/files/TextConversion.h"
#include "host/app/commands/TextOutput.h"
#include "host/app/files/WholeFile.h"
#include "host/app/gui/ModuleClasses.h"
#include "host/app/gui/ViewFrame.h"
#include "host/app/recording/RecordingReader.h"
#include "host/app/recording/RecordingText.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <cmath>
#include <array>
#include <filesystem>
#include <fstream>
#include <io.h>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>

namespace Host
{
namespace
{

constexpr int64_t DefaultOnlineChunk = 2500;
// Ticks within this share of a sample from a region's edge count as on it (seconds are printed rounded).
constexpr double EdgeTolerance = 1e-6;
// Long enough to hold a whole beat at the slowest heart rates (20 a minute).
constexpr double EcgWindowSeconds = 3.0;
constexpr const wchar_t* HemodynamicsTableViewName = L"Sistra Hemodynamics TableView";
// Where the table's view is opened while its table goes to the results sheet.
constexpr RECT TableViewPlace{0, 0, 1000, 700};

struct AnalyzeOptions
{
    std::string file;
    std::optional<std::string> pressure, volume, ecg;
    std::optional<std::pair<double, double>> region;
    bool online = false;
    std::optional<int64_t> chunk;
    std::optional<std::string> outFolder;
    // Channel text and numbers of each calibration.
    std::optional<std::pair<std::string, std::array<double, 4>>> pressureCalibration;
    std::optional<std::pair<std::string, std::array<double, 2>>> volumeCalibration;
    std::optional<std::string> settingsFile;
    std::optional<std::string> saveSettingsFile;
    std::optional<std::string> resultsSheetFile;
};

class UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

template <typename Number>
bool ParseWhole(const std::string& text, Number& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

std::pair<double, double> ParseRegion(const std::string& text)
{
    const size_t colon = text.find(':');
    double start = 0.0, end = 0.0;
    if (colon == std::string::npos || !ParseWhole(text.substr(0, colon), start) ||
        !ParseWhole(text.substr(colon + 1), end) || !std::isfinite(start) || !std::isfinite(end))
        throw UsageError("--region needs START:END in seconds, not '" + text + "'");
    return {start, end};
}

// CH:N1<sep>N2<sep>... with the separators given in order; the numbers must be finite.
template <size_t Count>
std::pair<std::string, std::array<double, Count>> ParseCalibration(const std::string& option, const std::string& text,
                                                                   const char (&separators)[Count], const char* form)
{
    const auto refuse = [&] { return UsageError(option + " needs " + form + ", not '" + text + "'"); };
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        throw refuse();
    std::array<double, Count> numbers{};
    size_t from = colon + 1;
    for (size_t index = 0; index < Count; ++index)
    {
        const size_t to = separators[index] ? text.find(separators[index], from) : text.size();
        if (to == std::string::npos || !ParseWhole(text.substr(from, to - from), numbers[index]) ||
            !std::isfinite(numbers[index]))
            throw refuse();
        from = to + 1;
    }
    return {text.substr(0, colon), numbers};
}

// Where --results-sheet sends the sheet: a file, or one of the command's own output streams.
enum class SheetPlace
{
    None,
    File,
    Output,
    Errors
};

SheetPlace SheetPlaceOf(const std::optional<std::string>& option)
{
    if (!option)
        return SheetPlace::None;
    if (*option == "-")
        return SheetPlace::Output;
    const std::optional<DWORD> stream = StandardStreamNamed(FromUtf8(*option));
    if (!stream)
        return SheetPlace::File;
    return *stream == STD_OUTPUT_HANDLE ? SheetPlace::Output : SheetPlace::Errors;
}

std::string InFolder(const std::string& folder, const char* name)
{
    // Paths in messages as the user wrote the folder.
    return folder + (folder.ends_with('/') || folder.ends_with('\\') ? "" : "/") + name;
}

const char* const TableFileNames[] = {"loops.tsv", "summary.tsv", "regressions.tsv"};

struct NamedFile
{
    std::string role, name;
    std::wstring identity;
};

// The outputs of a run that go to files, each by the file it will be (folders as named, their links, "." and
// ".." resolved), compared before anything is written: two outputs of one file would leave only the one
// written last, and an output named as the recording would replace it (the recording is the file its name
// finds, and the name itself).
void RefuseClashingFiles(const AnalyzeOptions& options)
{
    const std::wstring recording = FromUtf8(options.file);
    std::vector<NamedFile> files{{"the recording", options.file, Orv::FoundFileIdentity(recording)},
                                 {"the recording", options.file, Orv::ExactFileName(Orv::FoundFileName(recording)).Identity()}};
    const size_t recordingNames = files.size();
    const auto add = [&](std::string role, const std::string& name) {
        try
        {
            RefuseUnwritableName(FromUtf8(name));
        }
        catch (const FileWriteError& error)
        {
            throw UsageError(role + ": " + error.what());
        }
        files.push_back({std::move(role), name, Orv::ExactFileName(FromUtf8(name)).Identity()});
    };
    if (options.outFolder)
        for (const char* name : TableFileNames)
            add(std::string("--out's ") + name, InFolder(*options.outFolder, name));
    if (SheetPlaceOf(options.resultsSheetFile) == SheetPlace::File)
        add("--results-sheet", *options.resultsSheetFile);
    if (options.saveSettingsFile)
        add("--save-settings", *options.saveSettingsFile);
    for (size_t later = recordingNames; later < files.size(); ++later)
        for (size_t earlier = 0; earlier < later; ++earlier)
            if (SameButCase(files[earlier].identity, files[later].identity))
                throw UsageError(files[later].role + " " + files[later].name +
                                 (files[earlier].identity == files[later].identity ? " is the same file as "
                                                                                     : " differs only in case from ") +
                                 files[earlier].role + ": give it another name");
}

// The command's standard output carries the summaries (or the sheet in their place) and its standard error
// the messages; an output named as either standard stream goes there too. Two of them on one stream
// would be mixed into a text that neither reader takes (the settings' bytes amid the summaries).
void RefuseSharedStreams(const AnalyzeOptions& options)
{
    struct StreamOutput
    {
        std::string what;
        DWORD stream;
    };
    std::vector<StreamOutput> outputs;
    const SheetPlace sheet = SheetPlaceOf(options.resultsSheetFile);
    if (sheet == SheetPlace::Output || sheet == SheetPlace::Errors)
        outputs.push_back({"the results sheet (--results-sheet " + *options.resultsSheetFile + ")",
                           sheet == SheetPlace::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE});
    else
        outputs.push_back({"the summaries", STD_OUTPUT_HANDLE});
    if (options.saveSettingsFile)
        if (const std::optional<DWORD> stream = StandardStreamNamed(FromUtf8(*options.saveSettingsFile)))
            outputs.push_back({"the settings (--save-settings " + *options.saveSettingsFile + ")", *stream});
    for (size_t later = 1; later < outputs.size(); ++later)
        for (size_t earlier = 0; earlier < later; ++earlier)
            if (outputs[earlier].stream == outputs[later].stream)
                throw UsageError(outputs[later].what + " and " + outputs[earlier].what + " would be mixed on the " +
                                 (outputs[later].stream == STD_OUTPUT_HANDLE ? "standard output" : "standard error") +
                                 ": send one of them elsewhere");
}

AnalyzeOptions ParseOptions(const std::vector<std::string>& args)
{
    AnalyzeOptions options;
    std::vector<std::string> files;
    std::set<std::string> given;
    for (size_t index = 1; index < args.size(); ++index)
    {
        const std::string& arg = args[index];
        // The second of an option would silently take the first one's place.
        if (arg.starts_with("--") && !given.insert(arg).second)
            throw UsageError(arg + " is given twice: give it once");
        const auto value = [&]() -> const std::string& {
            if (index + 1 >= args.size())
                throw UsageError(arg + " needs a value");
            return args[++index];
        };
        if (arg == "--pressure")
            options.pressure = value();
        else if (arg == "--volume")
            options.volume = value();
        else if (arg == "--ecg")
            options.ecg = value();
        else if (arg == "--region")
            options.region = ParseRegion(value());
        else if (arg == "--online")
            options.online = true;
        else if (arg == "--out")
            options.outFolder = value();
        else if (arg == "--calibrate-pressure")
            options.pressureCalibration = ParseCalibration(arg, value(), {'=', ',', '=', '\0'}, "CH:RAW1=P1,RAW2=P2");
        else if (arg == "--calibrate-volume")
            options.volumeCalibration = ParseCalibration(arg, value(), {',', '\0'}, "CH:SCALE,OFFSET");
        else if (arg == "--settings")
            options.settingsFile = value();
        else if (arg == "--save-settings")
            options.saveSettingsFile = value();
        else if (arg == "--results-sheet")
            options.resultsSheetFile = value();
        else if (arg == "--chunk")
        {
            const std::string& text = value();
            int64_t chunk = 0;
            if (!ParseWhole(text, chunk) || chunk < 1)
                throw UsageError("--chunk needs a whole number of samples above 0, not '" + text + "'");
            options.chunk = chunk;
        }
        else if (arg.starts_with("--"))
            throw UsageError("unknown option " + arg);
        else
            files.push_back(arg);
    }
    if (files.size() != 1)
        throw UsageError("analyze needs exactly one recording file");
    if (options.chunk && !options.online)
        throw UsageError("--chunk goes with --online");
    if (options.settingsFile && (options.pressure || options.volume || options.ecg))
        throw UsageError("--settings gives the channels: --pressure, --volume and --ecg go without it");
    if (options.region && options.online)
        throw UsageError("--region cannot go with --online: a recording being sampled has no selection yet");
    options.file = files.front();
    RefuseSharedStreams(options);
    RefuseClashingFiles(options);
    return options;
}


std::string Number(double value)
{
    return LoopRecordReport::NumberText(value);
}

} // namespace

double TypicalEcgRange(const Recording& recording, size_t channel)
{
    std::vector<float> ranges;
    for (size_t record = 0; record < recording.RecordCount(); ++record)
    {
        const Record& data = recording.RecordAt(record);
        const std::span<const float> samples = data.Samples(channel);
        const auto window = std::max<size_t>(1, static_cast<size_t>(EcgWindowSeconds / data.SampleInterval()));
        for (size_t start = 0; start < samples.size(); start += window)
        {
            const auto [low, high] =
                std::minmax_element(samples.begin() + static_cast<std::ptrdiff_t>(start),
                                    samples.begin() + static_cast<std::ptrdiff_t>(std::min(start + window, samples.size())));
            ranges.push_back(*high - *low);
        }
    }
    if (ranges.empty())
        return 0.0;
    const auto median = ranges.begin() + static_cast<std::ptrdiff_t>(ranges.size() / 2);
    std::nth_element(ranges.begin(), median, ranges.end());
    return *median;
}

namespace
{

// The ECG's R waves as the host's R-wave detector finds them: one beat per QRS, past T waves, baseline
// wander and a scanner's gradient spikes, no two closer than the document's minimum period. Only those that
// open a beat with an ejection, a pressure that rises the pressure detector's least height (kept in mmHg,
// so that it holds in the unit a later calibration shows the channel in), mark end-diastole: a dropout or
// pause after an R wave is no beat, as it is none for the pressure's peaks.
std::wstring EcgSourceText(const Recording& recording, int32_t channel, const AnalysisChoices& choices)
{
    if (!(TypicalEcgRange(recording, static_cast<size_t>(channel)) > 0.0))
        throw std::runtime_error("the ECG channel " + std::to_string(channel + 1) + " has no R waves: it is flat");
    return FromUtf8("ejectingbeats(rwavedet(ch" + std::to_string(channel + 1) + ", " + Number(choices.minimumPeriod) +
                    "), ch" + std::to_string(choices.pressureChannel + 1) + ", " + Number(choices.peakHeight) + ")");
}

// Ctrl+C cancels the run as the progress window's cancel button would, while this lives.
class ConsoleCancel
{
public:
    explicit ConsoleCancel(IVyrStandIn& standIn)
    {
        standIn_ = &standIn;
        cancelled_ = false;
        SetConsoleCtrlHandler(&ConsoleCancel::Handle, TRUE);
    }
    ~ConsoleCancel()
    {
        SetConsoleCtrlHandler(&ConsoleCancel::Handle, FALSE);
        standIn_ = nullptr;
    }
    ConsoleCancel(const ConsoleCancel&) = delete;
    ConsoleCancel& operator=(const ConsoleCancel&) = delete;

    static bool Cancelled() { return cancelled_; }

private:
    static BOOL WINAPI Handle(DWORD event)
    {
        if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
            return FALSE;
        cancelled_ = true;
        if (IVyrStandIn* standIn = standIn_)
            standIn->RequestProgressCancel();
        return TRUE;
    }

    static inline std::atomic<IVyrStandIn*> standIn_{nullptr};
    static inline std::atomic<bool> cancelled_{false};
};

// What the document asked the user while it ran (the batch host answers for them), for stderr.
class MessageBoxLog
{
public:
    explicit MessageBoxLog(IVyrStandIn& standIn) : standIn_(standIn), first_(Count()) {}

    void Report(std::ostream& err)
    {
        for (ULONG index = first_; index < Count(); ++index)
        {
            BSTR text = nullptr, caption = nullptr;
            UINT style = 0;
            LONG answer = 0;
            // Dialogs the host answered are recorded beside the boxes, without a text.
            if (SUCCEEDED(standIn_.GetMessageBox(index, &text, &caption, &style, &answer)) && text && *text)
                err << "sistra analyze: the module says: " << ToUtf8(text) << "\n";
            SysFreeString(text);
            SysFreeString(caption);
        }
    }

private:
    ULONG Count()
    {
        ULONG count = 0;
        BSTR text = nullptr, caption = nullptr;
        UINT style = 0;
        LONG answer = 0;
        while (SUCCEEDED(standIn_.GetMessageBox(count, &text, &caption, &style, &answer)))
        {
            SysFreeString(text);
            SysFreeString(caption);
            text = caption = nullptr;
            ++count;
        }
        return count;
    }

    IVyrStandIn& standIn_;
    ULONG first_;
};

struct AnalysisTables
{
    std::string summary;
    std::string regressions;
    std::string loops;
};

std::string WithUnit(const char* name, const std::string& unit)
{
    return unit.empty() ? std::string(name) : std::string(name) + " (" + unit + ")";
}

// Seconds from the start of the recording at which each record starts.
std::vector<double> RecordStarts(const Recording& recording)
{
    std::vector<double> starts;
    double at = 0.0;
    for (size_t record = 0; record < recording.RecordCount(); ++record)
    {
        starts.push_back(at);
        const Record& r = recording.RecordAt(record);
        at += static_cast<double>(r.Length()) * r.SampleInterval();
    }
    return starts;
}

std::string LoopTable(const Recording& recording, const std::vector<LoopRow>& loops, const std::vector<SummaryRow>& units)
{
    const std::vector<double> starts = RecordStarts(recording);
    std::ostringstream text;
    text << "block\tloop\ttime (s)\tstate";
    for (size_t index = 0; index < units.size(); ++index)
        text << '\t' << WithUnit(LoopParameterShortNames[index], units[index].unit);
    text << '\n';
    for (size_t loop = 0; loop < loops.size(); ++loop)
    {
        const LoopRow& row = loops[loop];
        const auto record = static_cast<size_t>(row.block);
        const double seconds = starts.at(record) + (row.record.base.tick + row.record.base.fraction) *
                                                       recording.RecordAt(record).SampleInterval();
        text << row.block + 1 << '\t' << loop + 1 << '\t' << Number(seconds) << '\t' << row.record.state;
        for (double value : row.values)
            text << '\t' << Number(value);
        text << '\n';
    }
    return text.str();
}

// --out's folder, each of its folders made under exactly the name given where it is not there.
void MakeFolder(const std::string& folderText)
{
    const DWORD error = Orv::MakeExactFolders(FromUtf8(folderText));
    if (error == ERROR_ALREADY_EXISTS)
        throw std::runtime_error("cannot make the folder " + folderText + ": a file of that name is in the way");
    if (error != ERROR_SUCCESS)
        throw std::runtime_error("cannot make the folder " + folderText + ": " + SystemErrorText(error));
}

// The tables, each beside its final name first; they take their names once all are whole.
void AddTables(WholeFileSet& files, const std::string& folderText, const AnalysisTables& tables)
{
    MakeFolder(folderText);
    const std::string* contents[] = {&tables.loops, &tables.summary, &tables.regressions};
    for (size_t index = 0; index < std::size(TableFileNames); ++index)
        files.Add(FromUtf8(InFolder(folderText, TableFileNames[index])), [&](std::ostream& out) { PutText(out, *contents[index]); });
}

void SelectRegion(HostDocument& host, const Recording& recording, std::pair<double, double> seconds)
{
    const TickRange range = RegionTicks(recording, seconds.first, seconds.second);
    host.SetSelection({range.firstRecord, range.firstTick}, {range.endRecord, range.endTick});
}

// A saved document holds its channels, detector and calibrations as its settings do.
AnalysisChoices DocumentChoices(const AnalyzeOptions& options, const DocumentFileOpening& document)
{
    const std::pair<bool, const char*> given[] = {{options.pressure.has_value(), "--pressure"},
                                                  {options.volume.has_value(), "--volume"},
                                                  {options.ecg.has_value(), "--ecg"},
                                                  {options.settingsFile.has_value(), "--settings"},
                                                  {options.pressureCalibration.has_value(), "--calibrate-pressure"},
                                                  {options.volumeCalibration.has_value(), "--calibrate-volume"}};
    for (const auto& [set, option] : given)
        if (set)
            throw std::runtime_error(std::string(option) + " goes with a recording: " + document.Path() +
                                     " is a saved document, which holds its channels, detector and calibrations");
    AnalysisChoices choices = document.Choices();
    choices.wholeRecording = !options.region;
    choices.online = options.online;
    return choices;
}

AnalysisChoices ChoicesFor(const Recording& recording, const AnalyzeOptions& options,
                           const std::optional<DocumentFileOpening>& document)
{
    if (document)
        return DocumentChoices(options, *document);
    AnalysisChoices choices;
    choices.wholeRecording = !options.region;
    choices.online = options.online;
    if (options.settingsFile)
    {
        if (options.pressureCalibration || options.volumeCalibration)
            throw std::runtime_error(std::string(options.pressureCalibration ? "--calibrate-pressure" : "--calibrate-volume") +
                                     " cannot go with --settings: the settings file holds the calibrations");
        choices.settingsFile = FromUtf8(*options.settingsFile);
        return choices;
    }
    ChooseChannels(recording, {options.pressure, options.volume, options.ecg}, choices);
    const auto checkChannel = [&](const std::string& option, const std::string& text, int32_t analysed, const char* what) {
        if (ResolveChannel(recording, text) != analysed)
            throw std::runtime_error(option + " names channel " + text + ", but the " + what + " channel is " +
                                     std::to_string(analysed + 1));
    };
    if (const auto& pressure = options.pressureCalibration)
    {
        checkChannel("--calibrate-pressure", pressure->first, choices.pressureChannel, "pressure");
        choices.pressurePoints = pressure->second;
    }
    if (const auto& volume = options.volumeCalibration)
    {
        checkChannel("--calibrate-volume", volume->first, choices.volumeChannel, "volume");
        choices.volumeLine = volume->second;
    }
    return choices;
}

// The hemodynamics table added to the results sheet as a user adds it, with the table's view open on
// the document and the document's own command.
void AddTableToResultsSheet(HostSession& session, const ModuleClasses& classes, DocumentAnalysis& analysis)
{
    {
        IDocViewClass* table = classes.FindView(HemodynamicsTableViewName);
        if (!table)
            throw std::runtime_error("the module has no hemodynamics table view");
        const ViewFrame view(*table, analysis.Document(), nullptr, TableViewPlace);
        analysis.CopyTableToResultsSheet();
    }
    if (session.Sheet().IsEmpty())
        throw std::runtime_error("the hemodynamics table was not added to the results sheet");
}

// Where the sheet's file goes, asked through the host's save dialog as a user is asked, answered with the path.
std::wstring AskResultsSheetFile(HostSession& session, const std::string& path)
{
    session.Framework().StandIn().ScriptSaveFileAnswer(FromUtf8(path).c_str());
    const auto dialogs = HostApplicationService<IHostFileDialogs>(IID_IHostFileDialogs);
    if (!dialogs)
        throw std::runtime_error("the host offers no save dialog");
    const std::wstring chosen = AskResultsSheetPath(*dialogs.Get(), nullptr);
    if (chosen.empty())
        throw std::runtime_error("the results sheet was not saved");
    return chosen;
}

int Fail(std::ostream& err, const std::string& message)
{
    err << "sistra analyze: " << message << "\n";
    return ExitFailure;
}

} // namespace

void ChooseChannels(const Recording& recording, const ChannelArguments& channels, AnalysisChoices& choices)
{
    choices.pressureChannel =
        channels.pressure ? ResolveChannel(recording, *channels.pressure) : ChannelByWord(recording, "pressure");
    choices.volumeChannel = channels.volume ? ResolveChannel(recording, *channels.volume) : ChannelByWord(recording, "volume");
    if (choices.pressureChannel == choices.volumeChannel)
        throw std::runtime_error("pressure and volume are both channel " + std::to_string(choices.pressureChannel + 1));
    if (channels.ecg)
        ChooseEcg(recording, *channels.ecg, choices);
}

void ChooseEcg(const Recording& recording, const std::string& channel, AnalysisChoices& choices)
{
    const int32_t ecg = ResolveChannel(recording, channel);
    if (ecg == choices.pressureChannel || ecg == choices.volumeChannel)
        choices.warnings.push_back("the ECG is taken from channel " + std::to_string(ecg + 1) + ", the " +
                                   (ecg == choices.pressureChannel ? "pressure" : "volume") +
                                   " channel: the beats are found in that signal, not in an ECG");
    choices.ecgSource = EcgSourceText(recording, ecg, choices);
    if (const auto doubt = EcgRhythmDoubt(MeasureEcgRhythm(recording, static_cast<size_t>(ecg), choices.minimumPeriod),
                                          static_cast<size_t>(ecg)))
        choices.warnings.push_back(*doubt);
}

int32_t ChannelByWord(const Recording& recording, const std::string& word)
{
    std::vector<int32_t> found;
    const auto& channels = recording.Channels();
    for (size_t channel = 0; channel < channels.size(); ++channel)
        if (LowerCase(channels[channel].name).find(word) != std::string::npos)
            found.push_back(static_cast<int32_t>(channel));
    if (found.size() != 1)
        throw std::runtime_error((found.empty() ? "no channel is named as the " : "several channels could be the ") +
                                 word + ": name one with --" + word);
    return found.front();
}

std::string SummaryTable(const std::vector<SummaryRow>& rows)
{
    std::ostringstream text;
    text << "parameter\tunit\tcount\taverage\tmin\tmax\n";
    for (size_t index = 0; index < rows.size(); ++index)
    {
        const auto& summary = rows[index].summary;
        text << LoopParameterShortNames[index] << '\t' << rows[index].unit << '\t' << (summary ? summary->count : 0);
        if (summary && summary->count > 0)
            text << '\t' << Number(summary->average) << '\t' << Number(summary->minimum) << '\t'
                 << Number(summary->maximum) << '\n';
        else
            text << "\tNaN\tNaN\tNaN\n";
    }
    return text.str();
}

std::string RegressionTable(const std::vector<RelationRow>& rows)
{
    std::ostringstream text;
    text << "relation\tslope\tslope unit\tintercept\tintercept unit\tcurvature\tcurvature unit\tfit\tfit measure\n";
    for (const RelationRow& row : rows)
    {
        const auto& [slopeUnit, interceptUnit, curvatureUnit] = row.units;
        const SistraRegression fit = row.fit.value_or(SistraRegression{NAN, NAN, NAN, NAN});
        text << row.name << '\t' << Number(fit.slope) << '\t' << slopeUnit << '\t' << Number(fit.intercept) << '\t'
             << interceptUnit << '\t' << Number(fit.curvature) << '\t' << curvatureUnit << '\t'
             << Number(fit.rSquared) << '\t' << row.measure << '\n';
    }
    return text.str();
}

int32_t ResolveChannel(const Recording& recording, const std::string& text)
{
    const auto& channels = recording.Channels();
    int32_t number = 0;
    if (ParseWhole(text, number))
    {
        if (number < 1 || static_cast<size_t>(number) > channels.size())
            throw std::runtime_error("there is no channel " + text + ": the recording has " +
                                     std::to_string(channels.size()) + " channels");
        return number - 1;
    }
    std::vector<int32_t> found;
    for (size_t channel = 0; channel < channels.size(); ++channel)
        if (LowerCase(channels[channel].name) == LowerCase(text))
            found.push_back(static_cast<int32_t>(channel));
    if (found.empty())
        throw std::runtime_error("there is no channel named '" + text + "'");
    if (found.size() > 1)
        throw std::runtime_error("the channel name '" + text + "' is ambiguous: channels " +
                                 std::to_string(found[0] + 1) + " and " + std::to_string(found[1] + 1) +
                                 " carry it; give its number");
    return found.front();
}

double PositionSeconds(const Recording& recording, int32_t record, int32_t tick)
{
    const auto at = static_cast<size_t>(record);
    return RecordStarts(recording).at(at) + tick * recording.RecordAt(at).SampleInterval();
}

TickRange RegionTicks(const Recording& recording, double startSeconds, double endSeconds)
{
    const std::vector<double> starts = RecordStarts(recording);
    std::optional<std::pair<int32_t, int32_t>> first, end;
    for (size_t record = 0; record < recording.RecordCount(); ++record)
    {
        const Record& r = recording.RecordAt(record);
        const double interval = r.SampleInterval();
        const auto ticks = [&](double seconds) {
            const double at = std::ceil((seconds - starts[record]) / interval - EdgeTolerance);
            return static_cast<int32_t>(std::clamp(at, 0.0, static_cast<double>(r.Length())));
        };
        const int32_t from = ticks(startSeconds), to = ticks(endSeconds);
        if (!first && from < r.Length())
            first = {static_cast<int32_t>(record), from};
        if (to > 0)
            end = {static_cast<int32_t>(record), to};
    }
    if (!first || !end || std::make_pair(first->first, first->second) >= std::make_pair(end->first, end->second))
        throw std::runtime_error("the region " + Number(startSeconds) + ":" + Number(endSeconds) +
                                 " holds no samples of the recording");
    return {first->first, first->second, end->first, end->second};
}

namespace
{

// The module as the command uses it: loaded, and its classes attached once it registered, as the host
// attaches them (the document's menus are there). A run over the whole text after a streamed one that could
// not go on finds it ready.
class AnalyzingModule
{
public:
    HRESULT Load()
    {
        const HRESULT loaded = module_.Load();
        if (SUCCEEDED(loaded) && !classes_)
            classes_.emplace(module_.Session().Framework());
        return loaded;
    }
    HostSession& Session() { return module_.Session(); }
    const ModuleClasses& Classes() const { return *classes_; }

private:
    ModuleSession module_;
    std::optional<ModuleClasses> classes_;
};

// The module's document analyses the recording; the feed (none: the recording is whole) brings its samples.
// A saved document's recording is analysed as the document showed it, with its settings, its analysis
// as it was saved (the loops the person left out left out) unless a region or online run asks for another.
int Analyze(const AnalyzeOptions& options, AnalyzingModule& module, const Recording& recording, SampleFeed* feed,
            std::ostream& out, std::ostream& err, std::optional<DocumentFileOpening>& document)
{
    AnalysisChoices choices = ChoicesFor(recording, options, document);
    // Rows handed over as they are read arrive as sampled data do.
    choices.online = choices.online || feed;
    const HRESULT loaded = module.Load();
    if (FAILED(loaded))
        return Fail(err, "the module did not register (" + HResultText(loaded) + ")");
    HostSession& session = module.Session();
    IVyrStandIn& standIn = session.Framework().StandIn();
    const ModuleClasses& classes = module.Classes();
    const Orv::ComPtr<HostDocument> host = feed             ? HostDocument::Sampling(*feed)
                                           : options.online ? HostDocument::Sampling(recording)
                                                            : HostDocument::Offline(recording);
    if (options.region)
        SelectRegion(*host.Get(), recording, *options.region);
    if (document)
        document->PrepareHost(*host.Get());
    standIn.ScriptProgressCancel(-1);
    standIn.ShowProgressOnConsole(_isatty(_fileno(stderr)) ? VARIANT_TRUE : VARIANT_FALSE);
    MessageBoxLog messages(standIn);
    ConsoleCancel cancel(standIn);
    const SheetPlace sheetPlace = SheetPlaceOf(options.resultsSheetFile);
    AnalysisTables tables;
    std::optional<std::wstring> sheetFile;
    {
        DocumentAnalysis analysis(standIn, *host.Get(), choices);
        // Said first: a doubtful choice may be why the analysis then finds nothing.
        std::vector<std::string> warnings = choices.warnings;
        warnings.insert(warnings.end(), analysis.Warnings().begin(), analysis.Warnings().end());
        FinishOpening(document, *host.Get(), std::move(warnings), err, "sistra analyze: warning: ");
        if (options.region || options.online || !ShowsSavedAnalysis(document, analysis))
            analysis.AnalyzeNow();
        while (!host->IsSamplingDone() && !ConsoleCancel::Cancelled())
            host->FeedSamples(options.chunk.value_or(DefaultOnlineChunk));
        messages.Report(err);
        if (ConsoleCancel::Cancelled())
            return Fail(err, "cancelled; nothing written");
        if (analysis.LoopCount() == 0)
            return Fail(err, "no loops found in " + options.file + "; nothing written");
        if (options.saveSettingsFile)
            analysis.SaveSettings(FromUtf8(*options.saveSettingsFile));
        if (sheetPlace != SheetPlace::None)
            AddTableToResultsSheet(session, classes, analysis);
        if (sheetPlace == SheetPlace::File)
            sheetFile = AskResultsSheetFile(session, *options.resultsSheetFile);
        const std::vector<SummaryRow> summaries = analysis.Summaries();
        const std::vector<RelationRow> relations = analysis.Relations();
        const std::vector<LoopRow> loops = analysis.Loops();
        for (const std::string& doubt : DoubtfulResults({summaries, relations, loops}))
            err << "sistra analyze: warning: " << doubt << "\n";
        tables.summary = SummaryTable(summaries);
        tables.regressions = RegressionTable(relations);
        if (options.outFolder)
            tables.loops = LoopTable(host->Data(), loops, summaries);
    }
    // The tables and the sheet take their names together, once all are whole (the sheet may go into --out's
    // folder, which is made first).
    WholeFileSet files;
    if (options.outFolder)
        AddTables(files, *options.outFolder, tables);
    if (sheetFile)
        files.Add(*sheetFile, [&](std::ostream& stream) { session.Sheet().SaveTsv(stream); });
    files.Commit();
    if (sheetPlace == SheetPlace::Errors)
        session.Sheet().SaveTsv(err);
    BlockOutputStream blocks(out);
    // The sheet on standard output is what the command prints, in place of the summaries.
    if (sheetPlace == SheetPlace::Output)
        session.Sheet().SaveTsv(blocks);
    else
    {
        PutText(blocks, tables.summary);
        blocks.put('\n');
        PutText(blocks, tables.regressions);
    }
    blocks.Finish();
    return ExitOk;
}

} // namespace

int RunAnalyze(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    AnalyzeOptions options;
    try
    {
        options = ParseOptions(args);
    }
    catch (const UsageError& e)
    {
        err << "sistra analyze: " << e.what() << "\nusage:\n" << AnalyzeUsage;
        return ExitUsage;
    }
    try
    {
        // An online run samples the recording read whole; a region is placed and the R waves' height measured
        // before the analysis starts.
        AnalyzingModule module;
        std::optional<DocumentFileOpening> document = DocumentFileOpening::Read(options.file);
        if (document || options.online || options.region || options.ecg)
        {
            const Recording recording = document ? document->TakeRecording() : LoadRecordingFile(options.file);
            return Analyze(options, module, recording, nullptr, out, err, document);
        }
        // Otherwise the text is parsed on a thread of its own while the document analyses the rows parsed so far;
        // the module loads while the reader finds the records.
        return RunWhileReading(
            options.file, err,
            [&](const Recording& recording, SampleFeed* feed, std::ostream& runErr) {
                return Analyze(options, module, recording, feed, out, runErr, document);
            },
            [&](const std::string& fault) { return Fail(err, fault); }, [&] { module.Load(); });
    }
    catch (const std::exception& e)
    {
        return Fail(err, e.what());
    }
}

} // namespace Host
