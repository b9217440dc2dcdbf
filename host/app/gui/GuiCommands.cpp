#include "host/app/gui/GuiCommands.h"

#include "host/app/commands/ExitCodes.h"
#include "host/app/files/TextConversion.h"
#include "host/app/files/WholeFile.h"
#include "host/app/gui/FrameSession.h"
#include "host/app/gui/HostMessageBox.h"
#include "host/app/gui/OpenedRecording.h"
#include "host/app/gui/SamplingBar.h"
#include "host/app/gui/SamplingPlayer.h"
#include "host/app/gui/TraceView.h"
#include "host/app/gui/ViewFrame.h"
#include "host/app/gui/WindowPicture.h"

#include <charconv>
#include <optional>
#include <set>
#include <stdexcept>

namespace Host
{

namespace
{

// The host's own main data view, which snapshot shows by this name.
constexpr const wchar_t* TraceViewName = L"Data";

struct ViewAlias
{
    const char* alias;
    const wchar_t* name;
};

// Short names for the module's views on the command line.
constexpr ViewAlias ViewAliases[] = {
    {"table", L"Sistra Hemodynamics TableView"},
    {"loop", L"Loop View"},
    {"prsw", L"Sistra PRSW GraphView"},
    {"dpdt", L"Sistra dP/dt Max versus EDV GraphView"},
    {"saline", L"Sistra Saline Calibration GraphView"},
    {"pva-edv", L"Sistra PVA EDV View"},
    {"pva-esp", L"Sistra PVA ESP View"},
    {"cuvette", L"Sistra Cuvette Calibration View"},
    {"workflow", L"Sistra Workflow"},
    {"trace", TraceViewName},
};


constexpr int DefaultWidth = 640, DefaultHeight = 480;
constexpr int SmallestSide = 64, LargestSide = 4096;
constexpr RECT FramePlace{40, 40, 1240, 940};
// Faster than this, a timer's beat would hand over minutes of recording at once.
constexpr double MaxSpeed = 1000.0;

// What gui and snapshot are told: the recording, how to open it, and for a snapshot the view and picture.
struct WindowOptions
{
    std::string file;
    OpenOptions open;
    std::string view;
    std::string out;
    int width = DefaultWidth;
    int height = DefaultHeight;
    double speed = 1.0; // gui --sample: seconds of recording played per second
    bool speedGiven = false;
};

bool ParseSide(std::string_view text, int& side)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), side);
    return error == std::errc() && end == text.data() + text.size() && side >= SmallestSide && side <= LargestSide;
}

bool ParseSize(const std::string& text, WindowOptions& options)
{
    const size_t x = text.find('x');
    return x != std::string::npos && ParseSide(std::string_view(text).substr(0, x), options.width) &&
           ParseSide(std::string_view(text).substr(x + 1), options.height);
}

// snapshot: whether the snapshot's options (--view, --out, --size) are taken.
// The options that are followed by their value, as each command takes them.
bool TakesValue(const std::string& arg, bool snapshot)
{
    if (arg == "--pressure" || arg == "--volume" || arg == "--ecg")
        return true;
    return snapshot ? arg == "--view" || arg == "--out" || arg == "--size" : arg == "--speed";
}

std::optional<WindowOptions> ParseWindowOptions(const std::vector<std::string>& args, bool snapshot,
                                                std::string& problem)
{
    WindowOptions options;
    std::set<std::string> given;
    for (size_t index = 1; index < args.size(); ++index)
    {
        const std::string& arg = args[index];
        const bool hasValue = index + 1 < args.size();
        // The second of an option would silently take the first one's place.
        if (arg.starts_with("--") && !given.insert(arg).second)
        {
            problem = arg + " is given twice: give it once";
            return std::nullopt;
        }
        if (arg == "--pressure" && hasValue)
            options.open.channels.pressure = args[++index];
        else if (arg == "--volume" && hasValue)
            options.open.channels.volume = args[++index];
        else if (arg == "--ecg" && hasValue)
            options.open.channels.ecg = args[++index];
        else if (arg == "--no-workflow")
            options.open.leaveWorkflow = true;
        else if (arg == "--language" && hasValue)
        {
            const std::string& name = args[++index];
            const LCID locale = LocaleNameToLCID(FromUtf8(name).c_str(), 0);
            if (locale == 0)
            {
                problem = "--language needs a language name such as es-ES or en-US, not '" + name + "'";
                return std::nullopt;
            }
            options.open.language = LANGIDFROMLCID(locale);
        }
        else if (!snapshot && arg == "--sample")
            options.open.sampled = true;
        else if (!snapshot && arg == "--speed" && hasValue)
        {
            const std::string& text = args[++index];
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), options.speed);
            if (error != std::errc() || end != text.data() + text.size() || !(options.speed > 0.0) ||
                options.speed > MaxSpeed)
            {
                problem = "--speed needs a number above 0 and up to " + std::to_string(static_cast<int>(MaxSpeed)) +
                          ", not '" + text + "'";
                return std::nullopt;
            }
            options.speedGiven = true;
        }
        else if (snapshot && arg == "--view" && hasValue)
            options.view = args[++index];
        else if (snapshot && arg == "--out" && hasValue)
            options.out = args[++index];
        else if (snapshot && arg == "--size" && hasValue)
        {
            if (!ParseSize(args[++index], options))
            {
                problem = "--size needs WIDTHxHEIGHT, each from " + std::to_string(SmallestSide) + " to " +
                          std::to_string(LargestSide) + ", not '" + args[index] + "'";
                return std::nullopt;
            }
        }
        else if (!hasValue && TakesValue(arg, snapshot))
        {
            problem = arg + " needs a value";
            return std::nullopt;
        }
        else if (arg.starts_with("--") || !options.file.empty())
        {
            problem = "unexpected argument '" + arg + "'";
            return std::nullopt;
        }
        else
            options.file = arg;
    }
    if (snapshot && (options.file.empty() || options.view.empty() || options.out.empty()))
    {
        problem = "snapshot needs a recording, --view NAME and --out FILE.png";
        return std::nullopt;
    }
    if (options.file.empty())
    {
        problem = "gui takes one recording file";
        return std::nullopt;
    }
    if (options.speedGiven && !options.open.sampled)
    {
        problem = "--speed goes with --sample";
        return std::nullopt;
    }
    return options;
}

// The host's main data view alone in a bare window of the snapshot's size, saved as a picture.
void SaveTraceView(const OpenedRecording& opened, const WindowOptions& options)
{
    const RECT outer{0, 0, options.width, options.height};
    HWND container = CreateWindowExW(0, L"STATIC", TraceViewName, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, outer.left,
                                     outer.top, outer.right, outer.bottom, nullptr, nullptr, GetModuleHandleW(nullptr),
                                     nullptr);
    if (!container)
        throw std::runtime_error("cannot make the snapshot's window: " + SystemErrorText(GetLastError()));
    try
    {
        TraceView trace(opened.Host(), opened.Document(), opened.StandIn(), container, outer);
        SaveSettledWindowPicture(container, FromUtf8(options.out));
    }
    catch (...)
    {
        DestroyWindow(container);
        throw;
    }
    DestroyWindow(container);
}

int Fail(std::ostream& err, const std::string& command, const std::string& what)
{
    err << "sistra " << command << ": " << what << "\n";
    return ExitFailure;
}

// What opening a document warns of (no checks in it) and the saved computed channels that could not be
// made again: the rest of the document opened. With a frame, the person is told there too.
void TellOpeningNotes(const OpenedRecording& opened, const char* command, std::ostream& err, HWND frame = nullptr)
{
    std::string told;
    for (const std::string& warning : opened.Warnings())
    {
        err << "sistra " << command << ": warning: " << warning << "\n";
        told += warning + "\n";
    }
    for (const std::string& message : opened.LeftOut())
    {
        err << "sistra " << command << ": " << message << "\n";
        told += message + "\n";
    }
    if (frame && !told.empty())
        ShowHostMessageBox(frame, FromUtf8(told), L"Open Document", MB_OK | MB_ICONWARNING);
}

} // namespace

std::string GuiUsage()
{
    std::string usage = "  gui FILE [--pressure CH] [--volume CH] [--ecg CH] [--no-workflow] [--sample [--speed X]]\n"
                        "           [--language NAME]\n"
                        "            the frame window with the recording's document (analysed as for snapshot), its\n"
                        "            menus, its views and the host's trace view; FILE may also be a document that\n"
                        "            File > Save wrote, which opens its recording with the settings it saved;\n"
                        "            --sample plays the recording into a new document as a live acquisition, X times\n"
                        "            real time (default 1), analysed online while it samples; the host's Stop (the\n"
                        "            sampling bar above the trace view) ends it where it is; --language speaks the\n"
                        "            language NAME (es-ES, en-US, ...) in the host's and the module's texts that have it\n"
                        "  snapshot FILE --view NAME --out FILE.png [--size WxH] [--pressure CH] [--volume CH]\n"
                        "           [--ecg CH] [--no-workflow] [--language NAME]\n"
                        "            one view of the recording's document, analysed (over the channels named as for\n"
                        "            analyze, by default those whose names hold \"pressure\" and \"volume\"), saved\n"
                        "            as a PNG picture of WxH pixels (default 640x480), frame included, once it has\n"
                        "            settled; --no-workflow leaves the workflow first, as Workflow Mode... with its\n"
                        "            box cleared does; NAME is a view's name or one of:\n";
    for (const ViewAlias& alias : ViewAliases)
        usage += "              " + std::string(alias.alias) + std::string(10 - std::string(alias.alias).size(), ' ') +
                 ToUtf8(alias.name) + "\n";
    return usage;
}

std::wstring ViewClassNameOf(const std::string& viewArgument)
{
    for (const ViewAlias& alias : ViewAliases)
        if (viewArgument == alias.alias)
            return alias.name;
    return FromUtf8(viewArgument);
}

int RunGui(const std::vector<std::string>& args, std::ostream&, std::ostream& err)
{
    std::string problem;
    const auto options = ParseWindowOptions(args, false, problem);
    if (!options)
    {
        err << "sistra gui: " << problem << "\nusage:\n" << GuiUsage();
        return ExitUsage;
    }
    try
    {
        // File > Open... closes the frame and names the document the next one shows.
        for (std::string file = options->file;;)
        {
            OpenedRecording opened(file, options->open);
            if (!opened.NotAnalysed().empty())
                err << "sistra gui: not analysed: " << opened.NotAnalysed() << "\n";
            FrameSession session(opened, L"Sistra - " + opened.Title(), FramePlace, err);
            FrameWindow& frame = session.Frame();
            TellOpeningNotes(opened, "gui", err, frame.Handle());
            std::optional<SamplingPlayer> player;
            std::optional<SamplingBar> samplingBar;
            if (options->open.sampled)
            {
                player.emplace(opened.Host(), opened.StandIn(), options->speed);
                samplingBar.emplace(frame.Handle(), opened.Host().Unknown(), *player);
                frame.SetToolStrip(samplingBar->Handle(), SamplingBar::Height);
                player->Start();
            }
            if (frame.Run(&opened.StandIn()) != 0)
                return ExitFailure;
            if (!session.NextDocument())
                return ExitOk;
            file = ToUtf8(*session.NextDocument());
        }
    }
    catch (const std::exception& e)
    {
        // A person who started the frame and got none is told why, not the terminal alone.
        TellWithoutFrame(FromUtf8(e.what()), L"Sistra");
        return Fail(err, "gui", e.what());
    }
}

namespace
{

// "wrote FILE (WxH)", said where it does not go into the picture: on the standard error when the picture went
// to the standard output.
void TellWritten(const WindowOptions& options, std::ostream& out, std::ostream& err)
{
    const std::optional<DWORD> stream = StandardStreamNamed(FromUtf8(options.out));
    (stream == STD_OUTPUT_HANDLE ? err : out) << "wrote " << options.out << " (" << options.width << "x"
                                              << options.height << ")\n";
}

} // namespace

int RunSnapshot(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::string problem;
    const auto options = ParseWindowOptions(args, true, problem);
    if (!options)
    {
        err << "sistra snapshot: " << problem << "\nusage:\n" << GuiUsage();
        return ExitUsage;
    }
    try
    {
        const OpenedRecording opened(options->file, options->open);
        TellOpeningNotes(opened, "snapshot", err);
        if (ViewClassNameOf(options->view) == TraceViewName)
        {
            // The traces are the recording's own: they need no analysis.
            if (!opened.NotAnalysed().empty())
                err << "sistra snapshot: not analysed: " << opened.NotAnalysed() << "\n";
            SaveTraceView(opened, *options);
            TellWritten(*options, out, err);
            return ExitOk;
        }
        IDocViewClass* viewClass = opened.Classes().FindView(ViewClassNameOf(options->view));
        if (!viewClass)
        {
            err << "sistra snapshot: no view is named '" << options->view << "'\nusage:\n" << GuiUsage();
            return ExitUsage;
        }
        // A picture of empty axes would pass for the picture of the analysis.
        if (!opened.NotAnalysed().empty())
            return Fail(err, "snapshot", "not analysed: " + opened.NotAnalysed() + "; nothing written");
        const ViewFrame view(*viewClass, opened.Document(), nullptr, RECT{0, 0, options->width, options->height});
        SaveSettledWindowPicture(view.Outer(), FromUtf8(options->out));
        TellWritten(*options, out, err);
        return ExitOk;
    }
    catch (const std::exception& e)
    {
        return Fail(err, "snapshot", e.what());
    }
}

} // namespace Host
