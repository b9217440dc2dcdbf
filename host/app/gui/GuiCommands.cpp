#include "host/app/gui/GuiCommands.h"

#include "host/app/CommandLine.h"
#include "host/app/TextConversion.h"
#include "host/app/gui/FrameWindow.h"
#include "host/app/gui/OpenedRecording.h"
#include "host/app/gui/ViewFrame.h"
#include "host/app/gui/WindowPicture.h"

#include <charconv>
#include <optional>
#include <stdexcept>

namespace Host
{

namespace
{

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
};

constexpr int DefaultWidth = 640, DefaultHeight = 480;
constexpr int SmallestSide = 64, LargestSide = 4096;
constexpr RECT FramePlace{40, 40, 1240, 940};

struct SnapshotOptions
{
    std::string file;
    std::string view;
    std::string out;
    int width = DefaultWidth;
    int height = DefaultHeight;
};

bool ParseSide(std::string_view text, int& side)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), side);
    return error == std::errc() && end == text.data() + text.size() && side >= SmallestSide && side <= LargestSide;
}

bool ParseSize(const std::string& text, SnapshotOptions& options)
{
    const size_t x = text.find('x');
    return x != std::string::npos && ParseSide(std::string_view(text).substr(0, x), options.width) &&
           ParseSide(std::string_view(text).substr(x + 1), options.height);
}

std::optional<SnapshotOptions> ParseSnapshot(const std::vector<std::string>& args, std::string& problem)
{
    SnapshotOptions options;
    for (size_t index = 1; index < args.size(); ++index)
    {
        const std::string& arg = args[index];
        const bool hasValue = index + 1 < args.size();
        if (arg == "--view" && hasValue)
            options.view = args[++index];
        else if (arg == "--out" && hasValue)
            options.out = args[++index];
        else if (arg == "--size" && hasValue)
        {
            if (!ParseSize(args[++index], options))
            {
                problem = "--size needs WIDTHxHEIGHT, each from " + std::to_string(SmallestSide) + " to " +
                          std::to_string(LargestSide) + ", not '" + args[index] + "'";
                return std::nullopt;
            }
        }
        else if (arg.starts_with("--") || !options.file.empty())
        {
            problem = "unexpected argument '" + arg + "'";
            return std::nullopt;
        }
        else
            options.file = arg;
    }
    if (options.file.empty() || options.view.empty() || options.out.empty())
    {
        problem = "snapshot needs a recording, --view NAME and --out FILE.png";
        return std::nullopt;
    }
    return options;
}

std::wstring FileTitle(const std::string& file)
{
    const size_t slash = file.find_last_of("/\\");
    return FromUtf8(slash == std::string::npos ? file : file.substr(slash + 1));
}

// Sends and dispatches what the windows have waiting.
void PumpMessages()
{
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int Fail(std::ostream& err, const std::string& command, const std::string& what)
{
    err << "sistra " << command << ": " << what << "\n";
    return ExitFailure;
}

} // namespace

std::string GuiUsage()
{
    std::string usage = "  gui FILE  the frame window with the recording's document (analysed as for snapshot), its\n"
                        "            menus and its views\n"
                        "  snapshot FILE --view NAME --out FILE.png [--size WxH]\n"
                        "            one view of the recording's document, analysed (when the recording names\n"
                        "            its pressure and volume channels), saved as a PNG picture of WxH pixels\n"
                        "            (default 640x480), frame included; NAME is a view's name or one of:\n";
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
    if (args.size() != 2 || args[1].starts_with("--"))
    {
        err << "sistra gui: gui takes one recording file\nusage:\n" << GuiUsage();
        return ExitUsage;
    }
    try
    {
        const OpenedRecording opened(args[1]);
        if (!opened.NotAnalysed().empty())
            err << "sistra gui: not analysed: " << opened.NotAnalysed() << "\n";
        FrameWindow frame(L"Sistra - " + FileTitle(opened.File()), CollectMenuCommands(opened.StandIn()), FramePlace);
        // A person sits at the frame: the module shows its dialogs.
        opened.StandIn().ShowModuleDialogs(VARIANT_TRUE);
        // A view that cannot be opened is named, and the frame goes on with the others, as the host does.
        for (const ViewClassEntry& view : opened.Classes().Views())
            try
            {
                frame.OpenView(*view.viewClass.Get(), opened.Document());
            }
            catch (const std::runtime_error& e)
            {
                err << "sistra gui: not opened: " << e.what() << "\n";
            }
        return frame.Run(&opened.StandIn()) == 0 ? ExitOk : ExitFailure;
    }
    catch (const std::exception& e)
    {
        return Fail(err, "gui", e.what());
    }
}

int RunSnapshot(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::string problem;
    const auto options = ParseSnapshot(args, problem);
    if (!options)
    {
        err << "sistra snapshot: " << problem << "\nusage:\n" << GuiUsage();
        return ExitUsage;
    }
    try
    {
        const OpenedRecording opened(options->file);
        if (!opened.NotAnalysed().empty())
            err << "sistra snapshot: not analysed: " << opened.NotAnalysed() << "\n";
        IDocViewClass* viewClass = opened.Classes().FindView(ViewClassNameOf(options->view));
        if (!viewClass)
        {
            err << "sistra snapshot: no view is named '" << options->view << "'\nusage:\n" << GuiUsage();
            return ExitUsage;
        }
        const ViewFrame view(*viewClass, opened.Document(), nullptr, RECT{0, 0, options->width, options->height});
        PumpMessages();
        SaveWindowPicture(view.Outer(), FromUtf8(options->out));
        out << "wrote " << options->out << " (" << options->width << "x" << options->height << ")\n";
        return ExitOk;
    }
    catch (const std::exception& e)
    {
        return Fail(err, "snapshot", e.what());
    }
}

} // namespace Host
