// The calculation language's syntax: expression text to a syntax tree.
//   expr    := term (('+' | '-') term)*
//   term    := unary (('*' | '/') unary)*
//   unary   := '-' unary | primary
//   primary := number | text | name | name '(' [expr (',' expr)*] ')' | '(' expr ')'
//   text    := '"' characters '"'   (only as the view of ch(number, "base"))
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Host::Calc
{

// Text that cannot be compiled; position is the 1-based character of the expression text.
class CalcTextError : public std::runtime_error
{
public:
    CalcTextError(size_t position, const std::string& message);

    size_t Position() const { return position_; }
    const std::string& Message() const { return message_; }

private:
    size_t position_;
    std::string message_;
};

struct SyntaxNode
{
    enum class Kind
    {
        Number,
        Name, // a bare name: chN, t, pi, a registered item
        Call, // name(arguments)
        Negate,
        Binary, // a chain of operands of one precedence, applied from left to right
        Text,   // "characters"
    };

    Kind kind;
    size_t position;          // 1-based, of the node's first character
    std::string_view text;    // the node's whole text within the expression
    double number = 0.0;      // Number
    std::string name;         // Name, Call: lower case; Text: the characters between the quotes
    std::string operators;    // Binary: the operator (+ - * /) before each child after the first
    std::vector<std::unique_ptr<SyntaxNode>> children;
};

// Deeper nesting of parentheses, calls and signs than this is refused: each level costs stack in the
// parser, the compiler and every evaluation.
constexpr size_t MaxNestingDepth = 256;

std::unique_ptr<SyntaxNode> ParseExpression(std::string_view text);

} // namespace Host::Calc
