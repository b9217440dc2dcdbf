#include "host/app/calc/CalcCompiler.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include <charconv>
#include <cmath>
#include <numbers>
#include <set>

namespace Host::Calc
{

namespace
{

double Add(double a, double b) { return a + b; }
double Subtract(double a, double b) { return a - b; }
double Multiply(double a, double b) { return a * b; }
double Divide(double a, double b) { return a / b; }
double Negate(double a) { return -a; }

BinaryFunction Arithmetic(char op)
{
    switch (op)
    {
    case '+':
        return Add;
    case '-':
        return Subtract;
    case '*':
        return Multiply;
    default:
        return Divide;
    }
}

// Parses "<prefix>N" with N a whole number from 1; 0 when the name is not of that form.
size_t NumberedName(const std::string& name, std::string_view prefix)
{
    if (!name.starts_with(prefix) || name.size() == prefix.size())
        return 0;
    size_t number = 0;
    const char* first = name.data() + prefix.size();
    const auto [end, error] = std::from_chars(first, name.data() + name.size(), number);
    return error == std::errc() && end == name.data() + name.size() && *first != '0' ? number : 0;
}

class Compiler
{
public:
    Compiler(const CompileContext& context, std::set<std::string>& referencesInProgress)
        : context_(context), functions_(BuiltinFunctions(context.recording)), inProgress_(referencesInProgress)
    {
    }

    CompiledExpression Compile(std::string_view text)
    {
        const auto syntax = ParseExpression(text);
        Value value = Evaluate(*syntax);
        if (value.kind == ValueKind::Events)
            return {ValueKind::Events, nullptr, value.events};
        return {ValueKind::Channel, AsChannel(value), nullptr};
    }

private:
    SampleNodePtr AsChannel(const Value& value) const
    {
        return value.kind == ValueKind::Number ? MakeConstantChannel(context_.recording, value.number) : value.channel;
    }

    Value Evaluate(const SyntaxNode& node)
    {
        switch (node.kind)
        {
        case SyntaxNode::Kind::Number:
            return {ValueKind::Number, node.number};
        case SyntaxNode::Kind::Name:
            return Name(node);
        case SyntaxNode::Kind::Call:
            return Call(node);
        case SyntaxNode::Kind::Negate:
        {
            const Value operand = Operand(*node.children[0]);
            if (operand.kind == ValueKind::Number)
                return {ValueKind::Number, -operand.number};
            return {ValueKind::Channel, 0.0, MakeUnary(Negate, operand.channel)};
        }
        case SyntaxNode::Kind::Binary:
            return Binary(node);
        case SyntaxNode::Kind::Text:
            throw CalcTextError(node.position, "a text stands only as the view of ch(number, \"base\")");
        }
        throw CalcTextError(node.position, "cannot compile this");
    }

    // An operand of arithmetic: a number or a channel.
    Value Operand(const SyntaxNode& node)
    {
        Value value = Evaluate(node);
        if (value.kind == ValueKind::Events)
            throw CalcTextError(node.position, "'" + std::string(node.text) +
                                                   "' is an event source; arithmetic needs numbers or channels");
        return value;
    }

    // Constants at the head of the chain fold in double precision, as the left-to-right order allows;
    // from the first channel on, the rest is one chain node.
    Value Binary(const SyntaxNode& node)
    {
        Value head = Operand(*node.children[0]);
        size_t next = 1;
        for (; next < node.children.size() && head.kind == ValueKind::Number; ++next)
        {
            const Value operand = Operand(*node.children[next]);
            if (operand.kind != ValueKind::Number)
                return Chain(node, head, next, operand);
            head.number = Arithmetic(node.operators[next - 1])(head.number, operand.number);
        }
        if (next == node.children.size())
            return head;
        return Chain(node, head, next, Operand(*node.children[next]));
    }

    // head, then the operand of child `next` and every child after it.
    Value Chain(const SyntaxNode& node, const Value& head, size_t next, const Value& operand)
    {
        std::vector<BinaryFunction> functions;
        std::vector<SampleNodePtr> operands{AsChannel(head), AsChannel(operand)};
        functions.push_back(Arithmetic(node.operators[next - 1]));
        for (size_t index = next + 1; index < node.children.size(); ++index)
        {
            operands.push_back(AsChannel(Operand(*node.children[index])));
            functions.push_back(Arithmetic(node.operators[index - 1]));
        }
        return {ValueKind::Channel, 0.0, MakeChain(std::move(functions), std::move(operands))};
    }

    Value Name(const SyntaxNode& node)
    {
        if (node.name == "pi")
            return {ValueKind::Number, std::numbers::pi};
        if (node.name == "t")
            return {ValueKind::Channel, 0.0, MakeRecordTime(context_.recording)};
        if (const size_t channel = NumberedName(node.name, "ch"))
            return RecordedChannel(node, channel, Shown::Converted);
        if (const size_t channel = NumberedName(node.name, "vch"))
            return CalculatedChannel(node, channel);
        if (const auto item = context_.namedItems.find(node.name); item != context_.namedItems.end())
            return NamedItem(node, item->second);
        return Call(node);
    }

    enum class Shown
    {
        Converted,
        AsRecorded
    };

    Value RecordedChannel(const SyntaxNode& node, size_t number, Shown shown) const
    {
        const size_t count = context_.recording.Channels().size();
        if (number > count)
            throw CalcTextError(node.position, "there is no channel " + std::to_string(number) + " (the recording has " +
                                                   std::to_string(count) + ")");
        if (context_.recording.Channels()[number - 1].deleted)
            throw CalcTextError(node.position, "channel " + std::to_string(number) + " was deleted");
        if (shown == Shown::AsRecorded)
            return {ValueKind::Channel, 0.0, MakeBaseChannel(context_.recording, number - 1, context_.shownScale)};
        return {ValueKind::Channel, 0.0, MakeShownChannel(context_.recording, number - 1, context_.shownScale)};
    }

    Value CalculatedChannel(const SyntaxNode& node, size_t number)
    {
        const size_t count = context_.calculatedChannels.size();
        if (number > count)
            throw CalcTextError(node.position, "there is no calculated channel " + std::to_string(number) +
                                                   " (the document has " + std::to_string(count) + ")");
        // A calculated channel stands for what its text yields: samples, or the events of an event source.
        const CompiledExpression compiled = CompileReferenced(node, context_.calculatedChannels[number - 1]);
        return {compiled.kind, 0.0, compiled.channel, compiled.events};
    }

    Value NamedItem(const SyntaxNode& node, const std::string& text)
    {
        if (const auto compiled = context_.compiledItems.find(node.name); compiled != context_.compiledItems.end())
            return {ValueKind::Events, 0.0, nullptr, compiled->second};
        const CompiledExpression compiled = CompileReferenced(node, text);
        return {compiled.kind, 0.0, compiled.channel, compiled.events};
    }

    // The text behind a name, compiled in its own right; a name may not reach itself through its text.
    CompiledExpression CompileReferenced(const SyntaxNode& node, const std::string& text)
    {
        if (!inProgress_.insert(node.name).second)
            throw CalcTextError(node.position, std::string(node.text) + " refers to itself");
        CompiledExpression compiled;
        try
        {
            compiled = Compiler(context_, inProgress_).Compile(text);
        }
        catch (const CalcTextError& e)
        {
            throw CalcTextError(node.position, "in the text of " + std::string(node.text) + ", " + e.what());
        }
        inProgress_.erase(node.name);
        return compiled;
    }

    CalcFunctionPtr Find(const SyntaxNode& node) const
    {
        if (const auto builtin = functions_.find(node.name); builtin != functions_.end())
            return builtin->second;
        if (context_.lookup)
            if (auto registered = context_.lookup(node.name))
                return registered;
        throw CalcTextError(node.position, "unknown name '" + std::string(node.text.substr(0, node.name.size())) + "'");
    }

    static bool IsValueName(const std::string& name)
    {
        return name == "pi" || name == "t" || NumberedName(name, "ch") || NumberedName(name, "vch");
    }

    // ch(N, "base"): recorded channel N in its recorded unit, before the units conversion the host shows it in.
    Value ChannelView(const SyntaxNode& node) const
    {
        const auto& arguments = node.children;
        if (arguments.size() != 2 || arguments[0]->kind != SyntaxNode::Kind::Number ||
            arguments[1]->kind != SyntaxNode::Kind::Text || arguments[0]->number < 1 ||
            arguments[0]->number != std::floor(arguments[0]->number))
            throw CalcTextError(node.position, "ch takes a channel number and a view, as in ch(2, \"base\")");
        std::string view = arguments[1]->name;
        std::transform(view.begin(), view.end(), view.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (view != "base")
            throw CalcTextError(arguments[1]->position, "ch has no view \"" + arguments[1]->name + "\"");
        return RecordedChannel(node, static_cast<size_t>(arguments[0]->number), Shown::AsRecorded);
    }

    Value Call(const SyntaxNode& node)
    {
        if (node.name == "ch")
            return ChannelView(node);
        if (IsValueName(node.name))
            throw CalcTextError(node.position, "'" + std::string(node.text.substr(0, node.name.size())) +
                                                   "' is not a function");
        const CalcFunctionPtr function = Find(node);
        std::vector<Argument> arguments;
        for (const auto& child : node.children)
            arguments.push_back({Evaluate(*child), child->text, child->position});
        CheckArguments(node, *function, arguments);
        if (const auto folded = FoldConstants(*function, arguments))
            return {ValueKind::Number, *folded};
        for (size_t index = 0; index < arguments.size(); ++index)
            if (function->Parameters()[index].kind == ValueKind::Channel)
                arguments[index].value = {ValueKind::Channel, 0.0, AsChannel(arguments[index].value)};
        try
        {
            return function->Create(arguments);
        }
        catch (const std::invalid_argument& e)
        {
            throw CalcTextError(node.position, function->Name() + ": " + e.what());
        }
    }

    static std::optional<double> FoldConstants(const CalcFunction& function, const std::vector<Argument>& arguments)
    {
        std::vector<double> numbers;
        for (const Argument& argument : arguments)
        {
            if (argument.value.kind != ValueKind::Number)
                return std::nullopt;
            numbers.push_back(argument.value.number);
        }
        return arguments.empty() ? std::nullopt : function.Fold(numbers);
    }

    static void CheckArguments(const SyntaxNode& node, const CalcFunction& function,
                               const std::vector<Argument>& arguments)
    {
        const auto& parameters = function.Parameters();
        const size_t required = function.RequiredArguments();
        if (arguments.size() < required || arguments.size() > parameters.size())
        {
            const std::string counts = required == parameters.size()
                                           ? std::to_string(required)
                                           : std::to_string(required) + " to " + std::to_string(parameters.size());
            throw CalcTextError(node.position, function.Name() + " takes " + counts + " argument" +
                                                   (parameters.size() == 1 ? "" : "s") + ", not " +
                                                   std::to_string(arguments.size()));
        }
        for (size_t index = 0; index < arguments.size(); ++index)
            CheckArgument(function, index, arguments[index]);
    }

    static void CheckArgument(const CalcFunction& function, size_t index, const Argument& argument)
    {
        const ParameterInfo& parameter = function.Parameters()[index];
        const std::string which =
            "argument " + std::to_string(index + 1) + " of " + function.Name() + " (" + parameter.name + ")";
        if (!function.Accepts(index, argument.value.kind))
            throw CalcTextError(argument.position, which + " must be " + KindText(parameter.kind) + ", not " +
                                                       KindText(argument.value.kind));
        if (argument.value.kind == ValueKind::Events &&
            !function.AcceptsRecordSize(index, argument.value.events->RecordSize()))
            throw CalcTextError(argument.position, which + " cannot read " +
                                                       RecordKindText(argument.value.events->RecordSize()));
        if (argument.value.kind != ValueKind::Number)
            return;
        const double value = argument.value.number;
        if (!std::isfinite(value))
            throw CalcTextError(argument.position, which + " is not a finite number");
        if (parameter.kind == ValueKind::Number && (value < parameter.minimum || value > parameter.maximum))
            throw CalcTextError(argument.position,
                                which + " must be " + RangeText(parameter) + ", not " + NumberText(value));
    }

    const CompileContext& context_;
    std::map<std::string, CalcFunctionPtr> functions_;
    std::set<std::string>& inProgress_;
};

} // namespace

CompiledExpression CompileExpression(std::string_view text, const CompileContext& context)
{
    std::set<std::string> inProgress;
    return Compiler(context, inProgress).Compile(text);
}

} // namespace Host::Calc
