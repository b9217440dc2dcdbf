// The functions of the calculation language: what a call may be given, and the node it makes. The host's
// own functions and those a module registers stand behind one interface.
#pragma once

#include "host/app/calc/CalcNodes.h"

#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace Host::Calc
{

enum class ValueKind
{
    Number,  // a constant
    Channel, // samples per tick
    Events,  // an event source
};

// A compiled (sub)expression.
struct Value
{
    ValueKind kind = ValueKind::Number;
    double number = 0.0;
    SampleNodePtr channel;
    EventNodePtr events;
};

// One argument of a call as the function receives it: its value and its own text in the expression.
struct Argument
{
    Value value;
    std::string_view text;
    size_t position; // 1-based
};

struct ParameterInfo
{
    std::string name;
    ValueKind kind;
    double minimum = -std::numeric_limits<double>::max();
    double maximum = std::numeric_limits<double>::max();
};

class CalcFunction
{
public:
    virtual ~CalcFunction() = default;

    virtual const std::string& Name() const = 0;
    virtual const std::vector<ParameterInfo>& Parameters() const = 0;
    // Trailing parameters beyond this count may be left out.
    virtual size_t RequiredArguments() const { return Parameters().size(); }
    // Whether a value of this kind may stand for the parameter; a constant may stand for a channel.
    virtual bool Accepts(size_t index, ValueKind kind) const;
    // Whether an event source whose records are recordSize bytes may stand for the event parameter.
    virtual bool AcceptsRecordSize(size_t, size_t) const { return true; }
    // Makes the node of a call whose arguments passed the checks; channel parameters hold channels and
    // number parameters numbers within range. Throws std::invalid_argument for arguments it refuses.
    virtual Value Create(const std::vector<Argument>& arguments) const = 0;
    // The result of a call on constants only, when the function can give it as a constant.
    virtual std::optional<double> Fold(const std::vector<double>&) const { return std::nullopt; }
};

using CalcFunctionPtr = std::shared_ptr<const CalcFunction>;

// "a number", "a channel", "an event source".
std::string KindText(ValueKind kind);
// The parameter's range as a phrase ("at least -1", "at least 0 and at most 3", "above 0").
std::string RangeText(const ParameterInfo& parameter);
// Shortest text that reads back as the same value, in the classic locale.
std::string NumberText(double value);
// What records of this size are: "loop records (280 bytes each)", "events (24 bytes each)".
std::string RecordKindText(size_t recordSize);

// Finds a function registered outside the host (a module's) by its lower-case name or alias; null when
// there is none.
using FunctionLookup = std::function<CalcFunctionPtr(const std::string& lowerCaseName)>;

// The host's own functions, by lower-case name, over a recording.
std::map<std::string, CalcFunctionPtr> BuiltinFunctions(const Recording& recording);

} // namespace Host::Calc
