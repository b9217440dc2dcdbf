#include "host/tests/CalcTestSupport.h"
#include "host/tests/RecordingFixtures.h"

#include <gtest/gtest.h>

namespace
{

using namespace Host::Calc;
using HostTests::ChannelSamples;
using HostTests::Compile;

const Host::Recording TwoChannels = HostTests::MakeRecording(0.5, {{{1, 2, 3}, {10, 20, 40}}}, 2);

struct TextFault
{
    const char* text;
    size_t position;
    const char* message;
};

void ExpectRefused(const TextFault& fault, const FunctionLookup& lookup = nullptr)
{
    try
    {
        Compile(TwoChannels, fault.text, lookup);
        ADD_FAILURE() << fault.text << ": compiled";
    }
    catch (const CalcTextError& e)
    {
        EXPECT_EQ(fault.position, e.Position()) << fault.text << ": " << e.what();
        EXPECT_NE(std::string::npos, e.Message().find(fault.message)) << fault.text << ": " << e.what();
    }
}

TEST(CalcLanguage, ArithmeticFollowsPrecedenceAndAssociativity)
{
    const struct
    {
        const char* text;
        float expected; // at tick 1: ch1 = 2, ch2 = 20, t = 0.5
    } cases[] = {
        {"1 + 2 * 3", 7},           {"(1 + 2) * 3", 9},        {"8 - 4 - 2", 2},
        {"8 / 4 / 2", 1},           {"-2 * 3 + 10", 4},         {"- -3", 3},
        {"2 * -ch1", -4},           {"-ch1 * ch2 - ch2 / ch1", -50}, {"ch2 - 3 * t", 18.5f},
        {"1.5e1 + .5", 15.5f},      {"4.60996e-05 * 1e5", 4.60996f}, {"CH2 / Ch1", 10},
        {"2 * PI", static_cast<float>(2 * std::numbers::pi)},
    };
    for (const auto& c : cases)
    {
        const std::vector<float> samples = ChannelSamples(TwoChannels, c.text);
        ASSERT_EQ(3u, samples.size()) << c.text;
        EXPECT_FLOAT_EQ(c.expected, samples[1]) << c.text;
    }
}

TEST(CalcLanguage, ErrorsNameThePositionInTheText)
{
    const TextFault faults[] = {
        {"ch1 + * 2", 7, "expected a number, a name or '('"},
        {"ch1 + (ch2", 11, "expected ')'"},
        {"ch1 ch2", 5, "expected an operator"},
        {"ch1 $ 2", 5, "unexpected character '$'"},
        {"", 1, "empty"},
        {"1e+", 2, "exponent"},
        {"2ch1", 2, "runs into a name"},
        {"ch3 + 1", 1, "there is no channel 3"},
        {"1 + foo(ch1)", 5, "unknown name 'foo'"},
        {"2 * Ch1(0)", 5, "'Ch1' is not a function"},
        {"sin(ch1, ch2)", 1, "sin takes 1 argument, not 2"},
        {"shift(ch1, ch2)", 12, "argument 2 of shift (seconds) must be a number, not a channel"},
        {"cmpeakdet(ch1, 0, 1)", 16, "(minHeight) must be above 0, not 0"},
        {"cmpeakdet(ch1, 1)", 1, "cmpeakdet takes 3 to 4 arguments, not 2"},
        {"1 + cmpeakdet(ch1, 1, 1)", 5, "is an event source"},
        {"shift(ch1, 1/0)", 12, "not a finite number"},
        {"vch1", 1, "there is no calculated channel 1"},
        {"ch(2, \"raw\")", 7, "ch has no view \"raw\""},
        {"ch(2)", 1, "ch takes a channel number and a view"},
        {"ch(3, \"base\")", 1, "there is no channel 3"},
        {"ch1 + \"base\"", 7, "a text stands only as the view"},
        {"ch(1, \"base)", 7, "no closing"},
    };
    for (const TextFault& fault : faults)
        ExpectRefused(fault);
}

std::string Repeated(const std::string& piece, size_t times)
{
    std::string text;
    for (size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

TEST(CalcLanguage, NestingBeyondTheLimitIsRefusedAtTheLevelThatGoesOver)
{
    const size_t over = MaxNestingDepth + 1;
    const std::string parentheses = Repeated("(", 3000) + "ch1" + Repeated(")", 3000);
    const std::string calls = Repeated("abs(", 2000) + "ch1" + Repeated(")", 2000);
    const std::string signs = Repeated("-", 3000) + "ch1";
    const TextFault faults[] = {
        {parentheses.c_str(), over, "nested too deeply"},
        {calls.c_str(), 4 * (over - 1) + 1, "nested too deeply"},
        {signs.c_str(), over, "nested too deeply"},
    };
    for (const TextFault& fault : faults)
        ExpectRefused(fault);

    const std::string deepest = Repeated("(", MaxNestingDepth) + "ch1" + Repeated(")", MaxNestingDepth);
    EXPECT_EQ((std::vector<float>{1, 2, 3}), ChannelSamples(TwoChannels, deepest.c_str()));
}

TEST(CalcLanguage, LongFlatChainsEvaluateInOrder)
{
    // 18 kB of terms: as shallow as a short sum, and left to right: 1 + 2 - 1 + 2 - 1 ... over ch1.
    const std::string sum = "ch1" + Repeated(" + 2 - 1", 2300);
    EXPECT_EQ((std::vector<float>{2301, 2302, 2303}), ChannelSamples(TwoChannels, sum.c_str()));
    const std::string product = "ch2" + Repeated(" * 2 / 2", 3000);
    EXPECT_EQ((std::vector<float>{10, 20, 40}), ChannelSamples(TwoChannels, product.c_str()));
}

TEST(CalcLanguage, ConstantsFoldAndStandForChannels)
{
    EXPECT_EQ((std::vector<float>{5, 5, 5}), ChannelSamples(TwoChannels, "2 + 3"));
    EXPECT_EQ((std::vector<float>{0, 1, 1}), ChannelSamples(TwoChannels, "threshold(ch1, 2)"));
    EXPECT_EQ(ChannelSamples(TwoChannels, "ch2 * 2"), ChannelSamples(TwoChannels, "ch(2, \"Base\") * 2"));
    // Number parameters take constant expressions, including the host's functions of constants.
    EXPECT_NO_THROW(Compile(TwoChannels, "cmpeakdet(ch1, sqrt(4) * sin(pi / 2), 60 / 72)"));
}

// A module-registered function as the lookup hook hands it to the compiler.
class ScaledSource final : public CalcFunction
{
public:
    const std::string& Name() const override { return name_; }
    const std::vector<ParameterInfo>& Parameters() const override { return parameters_; }
    size_t RequiredArguments() const override { return 1; }

    Value Create(const std::vector<Argument>& arguments) const override
    {
        created.push_back(std::string(arguments[0].text));
        const double factor = arguments.size() > 1 ? arguments[1].value.number : 1.0;
        if (factor == 7)
            throw std::invalid_argument("seven is refused");
        return {ValueKind::Channel, 0.0, MakeUnary(factor == 2 ? Double : Identity, arguments[0].value.channel)};
    }

    mutable std::vector<std::string> created;

private:
    static double Double(double x) { return 2 * x; }
    static double Identity(double x) { return x; }

    std::string name_ = "Scaled";
    std::vector<ParameterInfo> parameters_{{"Tick Source", ValueKind::Channel}, {"Factor", ValueKind::Number, 0, 10}};
};

TEST(CalcLanguage, RegisteredFunctionsAreFoundByLowerCaseNameAndChecked)
{
    const auto scaled = std::make_shared<ScaledSource>();
    std::vector<std::string> asked;
    const FunctionLookup lookup = [&](const std::string& name) -> CalcFunctionPtr {
        asked.push_back(name);
        return name == "scaled" || name == "scaledalias" ? scaled : nullptr;
    };
    const auto compiled = Compile(TwoChannels, "ScaledAlias(ch2 - 1, 2) + 1", lookup);
    Host::Calc::ChannelCursor cursor(TwoChannels, compiled.channel);
    std::vector<float> samples(3);
    cursor.Read(samples);
    EXPECT_EQ((std::vector<float>{19, 39, 79}), samples);
    EXPECT_EQ((std::vector<std::string>{"scaledalias"}), asked);
    EXPECT_EQ((std::vector<std::string>{"ch2 - 1"}), scaled->created);

    const TextFault refused[] = {
        {"scaled(ch1, 11)", 13, "argument 2 of Scaled (Factor) must be at least 0 and at most 10, not 11"},
        {"scaled(cmpeakdet(ch1, 1, 1))", 8, "must be a channel, not an event source"},
        {"scaled()", 1, "Scaled takes 1 to 2 arguments, not 0"},
        {"1 + scaled(ch1, 7)", 5, "Scaled: seven is refused"},
        {"scaledx(ch1)", 1, "unknown name 'scaledx'"},
    };
    for (const TextFault& fault : refused)
        ExpectRefused(fault, lookup);
}

// A named item registered by a module: a bare name that stands for an event stream.
class NamedEvents final : public CalcFunction
{
public:
    explicit NamedEvents(EventNodePtr events) : events_(std::move(events)) {}

    const std::string& Name() const override { return name_; }
    const std::vector<ParameterInfo>& Parameters() const override { return parameters_; }
    Value Create(const std::vector<Argument>&) const override { return {ValueKind::Events, 0.0, nullptr, events_}; }

private:
    std::string name_ = "beats";
    std::vector<ParameterInfo> parameters_;
    EventNodePtr events_;
};

TEST(CalcLanguage, RegisteredNamesStandForTheirItems)
{
    const auto beats = std::make_shared<NamedEvents>(Compile(TwoChannels, "cmpeakdet(ch2, 1, 0)").events);
    const FunctionLookup lookup = [&](const std::string& name) { return name == "beats" ? beats : nullptr; };
    const auto compiled = Compile(TwoChannels, "Beats", lookup);
    EXPECT_EQ(ValueKind::Events, compiled.kind);
    ExpectRefused({"beats * 2", 1, "'beats' is an event source"}, lookup);
    ExpectRefused({"beats(ch1)", 1, "beats takes 0 arguments, not 1"}, lookup);
}

TEST(CalcLanguage, CalculatedChannelsCompileTheirOwnTexts)
{
    const CompileContext context{TwoChannels, nullptr, {"ch1 * 2", "VCH1 + 1", "vch4 + 1", "vch3", "1 +"}};
    const auto compiled = CompileExpression("vch2 * 10", context);
    Host::Calc::ChannelCursor cursor(TwoChannels, compiled.channel);
    std::vector<float> samples(3);
    cursor.Read(samples);
    EXPECT_EQ((std::vector<float>{30, 50, 70}), samples);

    for (const auto& [text, message] : {std::pair{"2 * vch3", "refers to itself"}, {"vch5", "in the text of vch5"}})
    {
        try
        {
            CompileExpression(text, context);
            ADD_FAILURE() << text << ": compiled";
        }
        catch (const CalcTextError& e)
        {
            EXPECT_NE(std::string::npos, e.Message().find(message)) << text << ": " << e.what();
        }
    }
}

} // namespace
