// A unit is carried up the tree: a channel gives its base unit, a number none; a sum keeps the unit its
// terms share (a number added to a value takes the value's unit); a product or quotient writes the units
// out ("mmHg*L", "mmHg/s"); the functions that pass a value of their first argument on (its absolute
// value, a shift in time, a peak, the module's detectors of points on a channel) keep its unit, and those
// of dimensionless arguments give none.
#include "host/app/calc/CalcValueUnit.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace Host::Calc
{
namespace
{

using Unit = std::optional<std::string>;

// Functions whose value is a value of their first argument, in its unit.
// (A loop's value is its end-diastolic pressure, and an area record's the value of its loop.)
constexpr std::array<std::string_view, 12> FirstArgumentUnit = {
    "abs", "shift", "cmpeakdet", "rwavedet", "ejectingbeats", "eventobjects", "pvedpdet", "pvecgedpdet", "pvmaxdet", "psinefit",
    "sistraanalyzer", "pvacalc"};
// Functions whose value is a pure number.
constexpr std::array<std::string_view, 7> Dimensionless = {"sin", "cos", "tan", "exp", "log", "threshold",
                                                           "random"};

bool In(std::string_view name, const auto& names) { return std::find(names.begin(), names.end(), name) != names.end(); }

// chN's channel index, 0-based; none for another name.
std::optional<size_t> RecordedChannel(std::string_view name)
{
    if (!name.starts_with("ch") || name.size() < 3 ||
        !std::all_of(name.begin() + 2, name.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const size_t number = std::stoul(std::string(name.substr(2)));
    return number == 0 ? std::nullopt : std::optional<size_t>(number - 1);
}

// A unit written as a factor: a compound one in parentheses.
std::string Factor(const std::string& unit)
{
    return unit.find_first_of("*/") == std::string::npos ? unit : "(" + unit + ")";
}

Unit Combine(const Unit& left, char op, const Unit& right, bool leftIsNumber, bool rightIsNumber)
{
    if (op == '+' || op == '-')
    {
        if (leftIsNumber)
            return right;
        if (rightIsNumber)
            return left;
        return left && right && *left == *right ? left : std::nullopt;
    }
    if (!left || !right)
        return std::nullopt;
    if (right->empty())
        return left;
    if (left->empty())
        return op == '*' ? right : std::optional<std::string>("1/" + Factor(*right));
    return Factor(*left) + op + Factor(*right);
}

Unit CallUnit(const SyntaxNode& node, const ChannelBaseUnit& channelUnit)
{
    if (node.name == "ch")
    {
        if (node.children.empty() || node.children.front()->kind != SyntaxNode::Kind::Number ||
            node.children.front()->number < 1.0)
            return std::nullopt;
        return channelUnit(static_cast<size_t>(node.children.front()->number) - 1);
    }
    if (In(node.name, Dimensionless))
        return std::string();
    if (In(node.name, FirstArgumentUnit) && !node.children.empty())
        return ValueUnitOf(*node.children.front(), channelUnit);
    if (node.name == "sqrt" && node.children.size() == 1)
    {
        const Unit inner = ValueUnitOf(*node.children.front(), channelUnit);
        return inner && inner->empty() ? inner : std::nullopt;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> ValueUnitOf(const SyntaxNode& node, const ChannelBaseUnit& channelUnit)
{
    switch (node.kind)
    {
    case SyntaxNode::Kind::Number: return std::string();
    case SyntaxNode::Kind::Text: return std::nullopt;
    case SyntaxNode::Kind::Negate: return ValueUnitOf(*node.children.front(), channelUnit);
    case SyntaxNode::Kind::Name:
        if (node.name == "t")
            return std::string("s");
        if (node.name == "pi")
            return std::string();
        if (const std::optional<size_t> channel = RecordedChannel(node.name))
            return channelUnit(*channel);
        return std::nullopt;
    case SyntaxNode::Kind::Call: return CallUnit(node, channelUnit);
    case SyntaxNode::Kind::Binary:
    {
        Unit unit = ValueUnitOf(*node.children.front(), channelUnit);
        bool number = node.children.front()->kind == SyntaxNode::Kind::Number;
        for (size_t i = 1; i < node.children.size(); ++i)
        {
            const SyntaxNode& operand = *node.children[i];
            const bool operandIsNumber = operand.kind == SyntaxNode::Kind::Number;
            unit = Combine(unit, node.operators[i - 1], ValueUnitOf(operand, channelUnit), number, operandIsNumber);
            number = number && operandIsNumber;
        }
        return unit;
    }
    }
    return std::nullopt;
}

std::string ValueTitle(const std::string& name, const std::optional<std::string>& unit)
{
    if (!unit)
        return name + " (unit unknown)";
    return unit->empty() ? name : name + " (" + *unit + ")";
}

} // namespace Host::Calc
