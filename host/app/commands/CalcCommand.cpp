#include "host/app/commands/CalcCommand.h"

#include "host/app/calc/CalcCursors.h"
#include "host/app/commands/ExitCodes.h"
#include "host/app/FrameworkHost.h"
#include "host/app/document/HostDocument.h"
#include "host/app/calc/ModuleCalcFunctions.h"
#include "host/app/ModuleSession.h"
#include "host/app/files/TextConversion.h"
#include "host/app/commands/TextOutput.h"
#include "host/app/recording/RecordingReader.h"
#include "host/app/recording/RecordingText.h"
#include "host/app/calc/CalcSyntax.h"
#include "host/app/calc/CalcValueUnit.h"
#include "host/vyr/UnitConversions.h"

#include <algorithm>
#include <cmath>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace Host
{

namespace
{

// Samples and events asked for per read; any size gives the same output.
constexpr size_t SamplesPerRead = 4096;
constexpr size_t EventsPerRead = 64;

struct CalcOptions
{
    std::string expression;
    std::string expressionFile; // where the expression is, when it is too long for a command line
    std::string file;
    std::optional<int64_t> chunk;
    bool samples = false;
    bool summary = false;
};

// Shortest text that reads back as the same value, in the classic locale.
template <typename T>
std::string NumberText(T value)
{
    char buffer[40];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

std::optional<CalcOptions> ParseOptions(const std::vector<std::string>& args, std::string& problem)
{
    CalcOptions options;
    std::vector<std::string> files;
    for (size_t index = 1; index < args.size(); ++index)
    {
        const std::string& arg = args[index];
        const bool hasValue = index + 1 < args.size();
        if (arg == "--samples")
            options.samples = true;
        else if (arg == "--summary")
            options.summary = true;
        else if (arg == "--expr" && hasValue)
            options.expression = args[++index];
        else if (arg == "--expr-file" && hasValue)
            options.expressionFile = args[++index];
        else if (arg == "--chunk" && hasValue)
        {
            const std::string& text = args[++index];
            int64_t chunk = 0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), chunk);
            if (error != std::errc() || end != text.data() + text.size() || chunk < 1)
            {
                problem = "--chunk needs a whole number of samples above 0, not '" + text + "'";
                return std::nullopt;
            }
            options.chunk = chunk;
        }
        else if (arg.starts_with("--"))
        {
            problem = arg == "--expr" || arg == "--expr-file" || arg == "--chunk" ? arg + " needs a value"
                                                                                : "unknown option " + arg;
            return std::nullopt;
        }
        else
            files.push_back(arg);
    }
    if (options.expression.empty() == options.expressionFile.empty() || files.size() != 1)
    {
        problem = options.expression.empty() && options.expressionFile.empty() ? "calc needs --expr TEXT or --expr-file FILE"
                  : files.size() == 1 ? "calc takes --expr or --expr-file, not both"
                                      : "calc needs exactly one recording file";
        return std::nullopt;
    }
    options.file = files.front();
    return options;
}

void EvaluateChannel(const Recording& recording, const Calc::SampleNodePtr& channel,
                     const std::function<void()>& moreData, CalcReport& report, size_t record)
{
    Calc::ChannelCursor cursor(recording, channel);
    cursor.Bind(record);
    std::vector<float> buffer(SamplesPerRead);
    while (true)
    {
        const int64_t first = cursor.Position();
        const auto [count, status] = cursor.Read(buffer);
        report.Samples(record, first, std::span<const float>(buffer).first(count));
        if (status == Calc::ReadStatus::End)
            break;
        if (status == Calc::ReadStatus::Waiting)
            moreData();
    }
    report.EndOfRecord(record);
}

// Whether the records hold a finding: any event, but of loop records only the loops, not the closing
// record every analysed record ends with.
size_t FindingsIn(const std::vector<std::byte>& records, size_t recordSize)
{
    if (recordSize != LoopRecordSize)
        return records.size() / recordSize;
    size_t loops = 0;
    for (size_t offset = 0; offset + recordSize <= records.size(); offset += recordSize)
    {
        int32_t state = 0;
        std::memcpy(&state, records.data() + offset + offsetof(Sistra::SistraEvent, state), sizeof state);
        loops += state != Sistra::LoopStateClosing;
    }
    return loops;
}

// Returns the number of findings.
size_t EvaluateEvents(const Recording& recording, const Calc::EventNodePtr& events,
                      const std::function<void()>& moreData, CalcReport& report, size_t record)
{
    size_t findings = 0;
    Calc::EventCursor cursor(recording, events);
    cursor.Bind(record);
    std::vector<std::byte> records;
    while (true)
    {
        records.clear();
        const auto result = cursor.Next(EventsPerRead, Calc::RecordEndTick, records);
        report.Events(record, records, cursor.RecordSize());
        findings += FindingsIn(records, cursor.RecordSize());
        if (result.status == Calc::ReadStatus::End)
            return findings;
        if (result.status == Calc::ReadStatus::Waiting)
            moreData();
    }
}

// "\ttick\tfraction\tvalue"
void PutEvent(std::ostream& out, int32_t tick, float fraction, double value)
{
    out.put('\t');
    PutInteger(out, tick);
    out.put('\t');
    PutShortest(out, fraction);
    out.put('\t');
    PutShortest(out, value);
}

int Fail(std::ostream& err, const std::string& message)
{
    err << "sistra calc: " << message << "\n";
    return ExitFailure;
}

// The whole file as the expression text, without a byte-order mark.
std::string ReadExpressionFile(const std::string& path)
{
    // Far more than any calculation text; a device that never ends (/dev/urandom) stops here.
    constexpr size_t LargestExpressionFile = 16u << 20;
    std::ifstream in(std::filesystem::path(FromUtf8(path)), std::ios::binary);
    std::string expression(LargestExpressionFile + 1, '\0');
    in.read(expression.data(), static_cast<std::streamsize>(expression.size()));
    if (!in.is_open() || in.bad())
        throw std::runtime_error("cannot read the expression file " + path);
    if (static_cast<size_t>(in.gcount()) > LargestExpressionFile)
        throw std::runtime_error("the expression file " + path + " holds more than " +
                                 std::to_string(LargestExpressionFile >> 20) + " MB: no calculation text is that long");
    expression.resize(static_cast<size_t>(in.gcount()));
    constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
    if (expression.starts_with(ByteOrderMark))
        expression.erase(0, ByteOrderMark.size());
    return expression;
}

// Offset of the first character of the line that holds offset at.
size_t LineStart(const std::string& text, size_t at)
{
    const size_t newline = at == 0 ? std::string::npos : text.rfind('\n', at - 1);
    return newline == std::string::npos ? 0 : newline + 1;
}

// The line of the text around the 1-based position, at most a screen wide, and a caret under it.
std::string TextWithCaret(const std::string& text, size_t position)
{
    constexpr size_t Before = 40;
    constexpr size_t After = 30;
    const size_t at = std::min(position - 1, text.size());
    const size_t lineStart = LineStart(text, at);
    const size_t lineEnd = std::min(text.find('\n', at), text.size());
    const size_t from = std::max(lineStart, at > Before ? at - Before : 0);
    const size_t to = std::min(lineEnd, at + After);
    const std::string head = from > lineStart ? "..." : "";
    std::string line = head + text.substr(from, to - from) + (to < lineEnd ? "..." : "");
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return "  " + line + "\n  " + std::string(head.size() + at - from, ' ') + "^";
}

// Where the 1-based position lies in a text of several lines.
std::string LineAndColumn(const std::string& text, size_t position)
{
    const size_t at = std::min(position - 1, text.size());
    const auto line = 1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n');
    return " (line " + std::to_string(line) + ", column " + std::to_string(at - LineStart(text, at) + 1) + ")";
}

} // namespace

void CalcReport::SetValueUnit(const std::optional<std::string>& unit)
{
    valueUnit_ = unit;
    loops_.SetValueTitle(Calc::ValueTitle("value", unit));
    pvas_.SetValueTitle(Calc::ValueTitle("value", unit));
}

void CalcReport::Header(Calc::ValueKind kind, size_t recordSize)
{
    loopRecords_ = kind == Calc::ValueKind::Events && recordSize == LoopRecordSize;
    pvaRecords_ = kind == Calc::ValueKind::Events && recordSize == PvaRecordSize;
    if (loopRecords_)
        loops_.Header();
    else if (pvaRecords_)
        pvas_.Header();
    else if (kind == Calc::ValueKind::Events)
        out_ << "record\ttick\tfraction\t" << Calc::ValueTitle("value", valueUnit_)
             << (recordSize == sizeof(Sistra::SistraEdpEvent)
                     ? "\tsecond tick\tsecond fraction\t" + Calc::ValueTitle("second value", valueUnit_) + "\n"
                     : "\n");
    else if (samples_)
        out_ << "record\ttick\t" << Calc::ValueTitle("value", valueUnit_) << "\n";
    else
        out_ << "record\tcount\t" << Calc::ValueTitle("min", valueUnit_) << '\t'
             << Calc::ValueTitle("max", valueUnit_) << '\t' << Calc::ValueTitle("mean", valueUnit_) << "\n";
}

void CalcReport::Samples(size_t record, int64_t firstTick, std::span<const float> values)
{
    for (size_t index = 0; index < values.size(); ++index)
    {
        const float value = values[index];
        if (samples_)
        {
            PutInteger(out_, record);
            out_.put('\t');
            PutInteger(out_, firstTick + static_cast<int64_t>(index));
            out_.put('\t');
            PutShortest(out_, value);
            out_.put('\n');
        }
        // Samples without a value (a function's NaN marker) would turn every statistic into NaN.
        if (std::isnan(value))
            continue;
        minimum_ = count_ == 0 ? value : std::min(minimum_, value);
        maximum_ = count_ == 0 ? value : std::max(maximum_, value);
        sum_ += value;
        ++count_;
    }
}

void CalcReport::EndOfRecord(size_t record)
{
    if (!samples_)
    {
        out_ << record << '\t' << count_ << '\t';
        if (count_ == 0)
            out_ << "-\t-\t-\n";
        else
            out_ << NumberText(minimum_) << '\t' << NumberText(maximum_) << '\t'
                 << NumberText(sum_ / static_cast<double>(count_)) << '\n';
    }
    count_ = 0;
    sum_ = 0.0;
}

void CalcReport::Events(size_t record, const std::vector<std::byte>& records, size_t recordSize)
{
    if (loopRecords_)
    {
        loops_.Records(record, records);
        return;
    }
    if (pvaRecords_)
    {
        pvas_.Records(record, records);
        return;
    }
    for (size_t offset = 0; offset + recordSize <= records.size(); offset += recordSize)
    {
        Calc::EventHeader event;
        std::memcpy(&event, records.data() + offset, sizeof event);
        PutInteger(out_, record);
        PutEvent(out_, event.tick, event.fraction, event.value);
        // End-diastolic points also carry their second position: the peak that closes the upstroke.
        if (recordSize == sizeof(Sistra::SistraEdpEvent))
        {
            Sistra::SistraEdpEvent edp;
            std::memcpy(&edp, records.data() + offset, sizeof edp);
            PutEvent(out_, edp.secondTick, edp.secondFraction, edp.secondValue);
        }
        out_.put('\n');
    }
}

void CalcReport::Finish()
{
    if (loopRecords_)
        loops_.Finish();
}

namespace
{

// The recorded channel a plain argument (chN, or ch(N, ...)) reads; none for anything else.
std::optional<size_t> RecordedChannelOf(const Calc::SyntaxNode& node, const Recording& recording)
{
    double number = 0.0;
    if (node.kind == Calc::SyntaxNode::Kind::Name && node.name.starts_with("ch"))
    {
        const std::string digits = node.name.substr(2);
        if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        number = std::stod(digits);
    }
    else if (node.kind == Calc::SyntaxNode::Kind::Call && node.name == "ch" && !node.children.empty() &&
             node.children.front()->kind == Calc::SyntaxNode::Kind::Number)
        number = node.children.front()->number;
    else
        return std::nullopt;
    if (number < 1.0 || number > static_cast<double>(recording.Channels().size()))
        return std::nullopt;
    return static_cast<size_t>(number) - 1;
}

// The text's tree; none for a text that does not parse (its compilation says why).
std::unique_ptr<Calc::SyntaxNode> TreeOrNone(std::string_view expression)
{
    try
    {
        return Calc::ParseExpression(expression);
    }
    catch (const Calc::CalcTextError&)
    {
        return nullptr;
    }
}

// The first call of the named function in the tree, depth first.
const Calc::SyntaxNode* FindCall(const Calc::SyntaxNode& node, std::string_view name)
{
    if (node.kind == Calc::SyntaxNode::Kind::Call && node.name == name)
        return &node;
    for (const auto& child : node.children)
        if (const Calc::SyntaxNode* found = FindCall(*child, name))
            return found;
    return nullptr;
}

} // namespace

ShownLoopUnits LoopUnitsOf(std::string_view expression, const Recording& recording)
{
    ShownLoopUnits units;
    const std::unique_ptr<Calc::SyntaxNode> tree = TreeOrNone(expression);
    if (!tree)
        return units;
    // Where the loops' pressure and volume come from: the analyzer's first two arguments, or the area
    // calculation's two after its loop source.
    const Calc::SyntaxNode* call = FindCall(*tree, "sistraanalyzer");
    size_t first = 0;
    if (!call && (call = FindCall(*tree, "pvacalc")))
        first = 1;
    if (!call || call->children.size() < first + 2)
        return units;
    const auto pressure = RecordedChannelOf(*call->children[first], recording);
    const auto volume = RecordedChannelOf(*call->children[first + 1], recording);
    const auto shown = [&](size_t channel, std::string& text, double& factor) {
        const std::string& unit = recording.Channels().at(channel).unit;
        text = ToUtf8(Vyr::ShownUnitText(FromUtf8(unit)));
        factor = 1.0 / RecordedUnitScale(unit).baseScale;
    };
    if (pressure)
        shown(*pressure, units.pressure, units.pressureFactor);
    if (volume)
        shown(*volume, units.volume, units.volumeFactor);
    return units;
}

std::optional<std::string> ValueUnitOf(std::string_view expression, const Recording& recording)
{
    const std::unique_ptr<Calc::SyntaxNode> tree = TreeOrNone(expression);
    if (!tree)
        return std::nullopt;
    return Calc::ValueUnitOf(*tree, [&](size_t channel) -> std::optional<std::string> {
        if (channel >= recording.Channels().size())
            return std::nullopt;
        return ToUtf8(Vyr::BaseUnitText(FromUtf8(recording.Channels()[channel].unit)));
    });
}

size_t EvaluateCalculation(const Recording& recording, const Calc::CompiledExpression& compiled,
                           const std::function<void()>& moreData, CalcReport& report)
{
    size_t findings = 0;
    report.Header(compiled.kind, compiled.kind == Calc::ValueKind::Events ? compiled.events->RecordSize() : 0);
    for (size_t record = 0;; ++record)
    {
        while (record >= recording.RecordCount() && !recording.IsFinished())
            moreData();
        if (record >= recording.RecordCount())
        {
            report.Finish();
            return findings;
        }
        if (compiled.kind == Calc::ValueKind::Events)
            findings += EvaluateEvents(recording, compiled.events, moreData, report, record);
        else
            EvaluateChannel(recording, compiled.channel, moreData, report, record);
    }
}

namespace
{

// Compiles the text and evaluates it over the recording; the feed (none: the recording is whole) brings the
// data the calculation waits for. Held output reaches out only once the feed has brought every sample.
int Calculate(const CalcOptions& options, const std::string& expression, ModuleSession& module,
              const Recording& source, SampleFeed* feed, bool holdOutput, std::ostream& out, std::ostream& err)
{
    // The module's functions join the language once it has registered them with the framework.
    const HRESULT loaded = module.Load();
    HostSession& session = module.Session();
    if (FAILED(loaded))
        err << "sistra calc: the module did not register (" << HResultText(loaded)
            << "); only the host's functions are known\n";
    const Calc::ModuleFunctionTable moduleFunctions(source, session.Framework().StandIn());
    Calc::CompiledExpression compiled;
    try
    {
        compiled = Calc::CompileExpression(expression, {source, moduleFunctions.Lookup(), {}, {}, {},
                                                        RecordedUnitsLookup(source)});
    }
    catch (const Calc::CalcTextError& e)
    {
        const bool lines = expression.find('\n') != std::string::npos;
        return Fail(err, "error in the expression at position " + std::to_string(e.Position()) +
                             (lines ? LineAndColumn(expression, e.Position()) : "") + ": " + e.Message() + "\n" +
                             TextWithCaret(expression, e.Position()));
    }
    BlockOutputStream blocks(out);
    if (holdOutput)
        blocks.Hold();
    const auto moreData = [&] {
        if (!feed || feed->IsDone())
            throw std::logic_error("the calculation waits for data that will not come");
        feed->Feed(options.chunk.value_or(0));
        if (feed->IsDone())
            blocks.Release();
    };
    CalcReport report(blocks, options.samples, options.summary);
    report.SetUnits(LoopUnitsOf(expression, source));
    report.SetValueUnit(ValueUnitOf(expression, source));
    const size_t findings = EvaluateCalculation(source, compiled, moreData, report);
    blocks.Release();
    blocks.Finish();
    // An empty list is easily taken for a failure to run; say that the run was whole and found nothing.
    if (compiled.kind == Calc::ValueKind::Events && findings == 0)
        err << "sistra calc: " << (compiled.events->RecordSize() == LoopRecordSize ? "no loops" : "no events")
            << " found in " << source.RecordCount() << (source.RecordCount() == 1 ? " record" : " records") << "\n";
    return ExitOk;
}

} // namespace

int RunCalc(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::string problem;
    const auto options = ParseOptions(args, problem);
    if (!options)
    {
        err << "sistra calc: " << problem << "\nusage:\n" << CalcUsage;
        return ExitUsage;
    }
    std::string expression = options->expression;
    std::optional<Recording> recording;
    try
    {
        if (!options->expressionFile.empty())
            expression = ReadExpressionFile(options->expressionFile);
        if (options->chunk)
            recording.emplace(LoadRecordingFile(options->file));
    }
    catch (const std::exception& e)
    {
        return Fail(err, e.what());
    }
    ModuleSession module;
    if (recording)
    {
        RecordingFeed feed(*recording);
        return Calculate(*options, expression, module, feed.Live(), &feed, false, out, err);
    }
    // The text is parsed on a thread of its own while the calculation runs over the rows parsed so far; the
    // module loads while the reader finds the records.
    return RunWhileReading(
        options->file, err,
        [&](const Recording& source, SampleFeed* feed, std::ostream& runErr) {
            return Calculate(*options, expression, module, source, feed, feed != nullptr, out, runErr);
        },
        [&](const std::string& fault) { return Fail(err, fault); }, [&] { module.Load(); });
}

} // namespace Host
