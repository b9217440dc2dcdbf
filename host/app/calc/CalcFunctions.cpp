#include "host/app/calc/CalcFunctions.h"

#include "host/app/calc/EjectingBeats.h"
#include "host/app/calc/PeakDetector.h"
#include "host/app/calc/RWaveDetector.h"
#include "hostapi/CalcEventRecords.h"

#include <charconv>
#include <cmath>

namespace Host::Calc
{

namespace
{

// Rates and heights must be positive; the smallest normal double stands for "above zero".
constexpr double AboveZero = std::numeric_limits<double>::min();
constexpr double Largest = std::numeric_limits<double>::max();

using Factory = std::function<Value(const std::vector<Argument>&)>;

class BuiltinFunction final : public CalcFunction
{
public:
    BuiltinFunction(std::string name, std::vector<ParameterInfo> parameters, size_t required, Factory factory,
                    UnaryFunction fold = nullptr)
        : name_(std::move(name)), parameters_(std::move(parameters)), required_(required),
          factory_(std::move(factory)), fold_(fold)
    {
    }

    const std::string& Name() const override { return name_; }
    const std::vector<ParameterInfo>& Parameters() const override { return parameters_; }
    size_t RequiredArguments() const override { return required_; }
    Value Create(const std::vector<Argument>& arguments) const override { return factory_(arguments); }

    std::optional<double> Fold(const std::vector<double>& numbers) const override
    {
        if (!fold_ || numbers.size() != 1)
            return std::nullopt;
        return fold_(numbers[0]);
    }

private:
    std::string name_;
    std::vector<ParameterInfo> parameters_;
    size_t required_;
    Factory factory_;
    UnaryFunction fold_;
};

Value ChannelValue(SampleNodePtr node)
{
    return {ValueKind::Channel, 0.0, std::move(node), nullptr};
}

double Threshold(double x, double level)
{
    return x >= level ? 1.0 : 0.0;
}

class BuiltinTable
{
public:
    explicit BuiltinTable(const Recording& recording) : recording_(recording)
    {
        AddMath("sin", [](double x) { return std::sin(x); });
        AddMath("cos", [](double x) { return std::cos(x); });
        AddMath("tan", [](double x) { return std::tan(x); });
        AddMath("exp", [](double x) { return std::exp(x); });
        AddMath("log", [](double x) { return std::log(x); });
        AddMath("sqrt", [](double x) { return std::sqrt(x); });
        AddMath("abs", [](double x) { return std::abs(x); });
        Add("random", {}, 0, [&recording = recording_](const std::vector<Argument>&) {
            return ChannelValue(MakeRandomChannel(recording));
        });
        Add("threshold", {Channel("x"), Channel("level")}, 2, [](const std::vector<Argument>& a) {
            return ChannelValue(MakeBinary(Threshold, a[0].value.channel, a[1].value.channel));
        });
        Add("shift", {Channel("x"), Number("seconds", -Largest)}, 2, [&recording = recording_](const std::vector<Argument>& a) {
            return ChannelValue(MakeShift(recording, a[0].value.channel, a[1].value.number));
        });
        Add("cmpeakdet", {Channel("x"), Number("minHeight", AboveZero), Number("minPeriod", 0.0), Number("maxRate", AboveZero)},
            3, [&recording = recording_](const std::vector<Argument>& a) {
                PeakRules rules{a[1].value.number, a[2].value.number, {}};
                if (a.size() > 3)
                    rules.maxRate = a[3].value.number;
                return Value{ValueKind::Events, 0.0, nullptr, MakePeakDetector(a[0].value.channel, recording, rules)};
            });
        Add("rwavedet", {Channel("x"), Number("minPeriod", 0.0)}, 2, [&recording = recording_](const std::vector<Argument>& a) {
            return Value{ValueKind::Events, 0.0, nullptr,
                         MakeRWaveDetector(a[0].value.channel, recording, RWaveRules{a[1].value.number})};
        });
        Add("ejectingbeats", {{"events", ValueKind::Events}, Channel("pressure"), Number("minRise", 0.0)}, 3,
            [](const std::vector<Argument>& a) {
                return Value{ValueKind::Events, 0.0, nullptr,
                             MakeEjectingBeats(a[0].value.events, a[1].value.channel, a[2].value.number)};
            });
        Add("eventobjects", {{"events", ValueKind::Events}}, 1, [](const std::vector<Argument>& a) {
            return Value{ValueKind::Events, 0.0, nullptr, MakeObjectEvents(a[0].value.events)};
        });
    }

    std::map<std::string, CalcFunctionPtr> Take() { return std::move(functions_); }

private:
    static ParameterInfo Channel(const char* name) { return {name, ValueKind::Channel}; }
    static ParameterInfo Number(const char* name, double minimum) { return {name, ValueKind::Number, minimum}; }

    void Add(const std::string& name, std::vector<ParameterInfo> parameters, size_t required, Factory factory,
             UnaryFunction fold = nullptr)
    {
        functions_[name] =
            std::make_shared<BuiltinFunction>(name, std::move(parameters), required, std::move(factory), fold);
    }

    void AddMath(const std::string& name, UnaryFunction function)
    {
        Add(
            name, {Channel("x")}, 1,
            [function](const std::vector<Argument>& a) { return ChannelValue(MakeUnary(function, a[0].value.channel)); },
            function);
    }

    const Recording& recording_;
    std::map<std::string, CalcFunctionPtr> functions_;
};

} // namespace

bool CalcFunction::Accepts(size_t index, ValueKind kind) const
{
    const ValueKind wanted = Parameters().at(index).kind;
    return kind == wanted || (wanted == ValueKind::Channel && kind == ValueKind::Number);
}

std::map<std::string, CalcFunctionPtr> BuiltinFunctions(const Recording& recording)
{
    return BuiltinTable(recording).Take();
}

std::string KindText(ValueKind kind)
{
    switch (kind)
    {
    case ValueKind::Number:
        return "a number";
    case ValueKind::Channel:
        return "a channel";
    case ValueKind::Events:
        return "an event source";
    }
    return "a value";
}

std::string NumberText(double value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string RangeText(const ParameterInfo& parameter)
{
    constexpr double largest = std::numeric_limits<double>::max();
    const std::string least = parameter.minimum == std::numeric_limits<double>::min()
                                  ? "above 0"
                                  : "at least " + NumberText(parameter.minimum);
    if (parameter.maximum == largest)
        return parameter.minimum == -largest ? "any value" : least;
    if (parameter.minimum == -largest)
        return "at most " + NumberText(parameter.maximum);
    return least + " and at most " + NumberText(parameter.maximum);
}

std::string RecordKindText(size_t recordSize)
{
    const std::string size = " (" + std::to_string(recordSize) + " bytes each)";
    switch (recordSize)
    {
    case sizeof(OrvEventBase):
        return "plain events" + size;
    case sizeof(Sistra::SistraEdpEvent):
        return "end-diastolic events" + size;
    case sizeof(Sistra::PVAEvent):
        return "pressure-volume-area events" + size;
    case sizeof(Sistra::SistraEvent):
        return "loop records" + size;
    default:
        return "events" + size;
    }
}

} // namespace Host::Calc
