#include "host/app/calc/CalcSyntax.h"

#include <cctype>
#include <charconv>

namespace Host::Calc
{

namespace
{

struct Token
{
    enum class Kind
    {
        Number,
        Name,
        Symbol,
        Text,
        End,
    };

    Kind kind;
    size_t offset; // 0-based
    std::string_view text;
    double number = 0.0;
};

bool IsNameStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool IsNamePart(char c)
{
    return IsNameStart(c) || std::isdigit(static_cast<unsigned char>(c));
}

bool IsDigit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

class Tokenizer
{
public:
    explicit Tokenizer(std::string_view text) : text_(text) {}

    std::vector<Token> Tokens()
    {
        std::vector<Token> tokens;
        while (true)
        {
            SkipBlanks();
            if (at_ == text_.size())
            {
                tokens.push_back({Token::Kind::End, at_, {}});
                return tokens;
            }
            tokens.push_back(Next());
        }
    }

private:
    void SkipBlanks()
    {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_])))
            ++at_;
    }

    size_t SkipDigits(size_t from) const
    {
        while (from < text_.size() && IsDigit(text_[from]))
            ++from;
        return from;
    }

    Token Next()
    {
        const size_t start = at_;
        const char c = text_[at_];
        if (IsDigit(c) || (c == '.' && at_ + 1 < text_.size() && IsDigit(text_[at_ + 1])))
            return NumberToken(start);
        if (IsNameStart(c))
        {
            while (at_ < text_.size() && IsNamePart(text_[at_]))
                ++at_;
            return {Token::Kind::Name, start, text_.substr(start, at_ - start)};
        }
        if (std::string_view("+-*/(),").find(c) != std::string_view::npos)
            return {Token::Kind::Symbol, start, text_.substr(at_++, 1)};
        if (c == '"')
            return TextToken(start);
        throw CalcTextError(start + 1, "unexpected character '" + std::string(1, c) + "'");
    }

    Token TextToken(size_t start)
    {
        const size_t close = text_.find('"', start + 1);
        if (close == std::string_view::npos)
            throw CalcTextError(start + 1, "a text has no closing '\"'");
        at_ = close + 1;
        return {Token::Kind::Text, start, text_.substr(start, at_ - start)};
    }

    // Digits [. digits] [e [+-] digits], read in the classic locale whatever the user's.
    Token NumberToken(size_t start)
    {
        size_t end = SkipDigits(start);
        if (end < text_.size() && text_[end] == '.')
            end = SkipDigits(end + 1);
        if (end < text_.size() && (text_[end] == 'e' || text_[end] == 'E'))
        {
            size_t exponent = end + 1;
            if (exponent < text_.size() && (text_[exponent] == '+' || text_[exponent] == '-'))
                ++exponent;
            if (exponent == text_.size() || !IsDigit(text_[exponent]))
                throw CalcTextError(end + 1, "the exponent of a number has no digits");
            end = SkipDigits(exponent);
        }
        if (end < text_.size() && IsNameStart(text_[end]))
            throw CalcTextError(end + 1, "a number runs into a name");
        Token token{Token::Kind::Number, start, text_.substr(start, end - start)};
        if (std::from_chars(text_.data() + start, text_.data() + end, token.number).ec != std::errc())
            throw CalcTextError(start + 1, "the number " + std::string(token.text) + " is out of range");
        at_ = end;
        return token;
    }

    std::string_view text_;
    size_t at_ = 0;
};

class Parser
{
public:
    explicit Parser(std::string_view text) : text_(text), tokens_(Tokenizer(text).Tokens()) {}

    std::unique_ptr<SyntaxNode> Parse()
    {
        if (Peek().kind == Token::Kind::End)
            throw CalcTextError(1, "the expression is empty");
        auto node = Expression();
        if (Peek().kind != Token::Kind::End)
            Unexpected("an operator or the end of the text");
        return node;
    }

private:
    const Token& Peek() const { return tokens_[next_]; }
    const Token& Take() { return tokens_[next_++]; }

    bool AtSymbol(char symbol) const { return Peek().kind == Token::Kind::Symbol && Peek().text[0] == symbol; }

    bool TakeSymbol(char symbol)
    {
        if (!AtSymbol(symbol))
            return false;
        ++next_;
        return true;
    }

    [[noreturn]] void Unexpected(const std::string& expected) const
    {
        const Token& token = Peek();
        const std::string found =
            token.kind == Token::Kind::End ? "the end of the text" : "'" + std::string(token.text) + "'";
        throw CalcTextError(token.offset + 1, "expected " + expected + ", found " + found);
    }

    // The node's text runs from its first token to the end of the last token taken.
    std::unique_ptr<SyntaxNode> Make(SyntaxNode::Kind kind, size_t startOffset)
    {
        auto node = std::make_unique<SyntaxNode>();
        node->kind = kind;
        node->position = startOffset + 1;
        const Token& last = tokens_[next_ - 1];
        node->text = text_.substr(startOffset, last.offset + last.text.size() - startOffset);
        return node;
    }

    // One level of left-associative binary operators over the next level's operands, as one chain node:
    // a long flat sum is as shallow as a short one.
    std::unique_ptr<SyntaxNode> LeftAssociative(std::string_view operators, std::unique_ptr<SyntaxNode> (Parser::*operand)())
    {
        auto first = (this->*operand)();
        std::unique_ptr<SyntaxNode> chain;
        while (Peek().kind == Token::Kind::Symbol && operators.find(Peek().text[0]) != std::string_view::npos)
        {
            if (!chain)
            {
                chain = std::make_unique<SyntaxNode>();
                chain->kind = SyntaxNode::Kind::Binary;
                chain->position = first->position;
                chain->children.push_back(std::move(first));
            }
            chain->operators.push_back(Take().text[0]);
            chain->children.push_back((this->*operand)());
        }
        if (!chain)
            return first;
        const Token& last = tokens_[next_ - 1];
        chain->text = text_.substr(chain->position - 1, last.offset + last.text.size() - (chain->position - 1));
        return chain;
    }

    // Counts one level of nesting while it lasts; refuses the level beyond the limit at its token.
    class Nesting
    {
    public:
        Nesting(Parser& parser, size_t offset) : parser_(parser)
        {
            if (++parser_.depth_ > MaxNestingDepth)
            {
                --parser_.depth_;
                throw CalcTextError(offset + 1,
                                    "nested too deeply (more than " + std::to_string(MaxNestingDepth) + " levels)");
            }
        }
        ~Nesting() { --parser_.depth_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        Parser& parser_;
    };

    std::unique_ptr<SyntaxNode> Expression() { return LeftAssociative("+-", &Parser::Term); }
    std::unique_ptr<SyntaxNode> Term() { return LeftAssociative("*/", &Parser::Unary); }

    std::unique_ptr<SyntaxNode> Unary()
    {
        const size_t start = Peek().offset;
        if (!TakeSymbol('-'))
            return Primary();
        const Nesting level(*this, start);
        auto operand = Unary();
        auto node = Make(SyntaxNode::Kind::Negate, start);
        node->children.push_back(std::move(operand));
        return node;
    }

    std::unique_ptr<SyntaxNode> Primary()
    {
        const Token& token = Peek();
        const size_t start = token.offset;
        switch (token.kind)
        {
        case Token::Kind::Number:
        {
            Take();
            auto node = Make(SyntaxNode::Kind::Number, start);
            node->number = token.number;
            return node;
        }
        case Token::Kind::Name:
            return NameOrCall();
        case Token::Kind::Text:
        {
            Take();
            auto node = Make(SyntaxNode::Kind::Text, start);
            node->name = std::string(token.text.substr(1, token.text.size() - 2));
            return node;
        }
        default:
            break;
        }
        if (!TakeSymbol('('))
            Unexpected("a number, a name or '('");
        const Nesting level(*this, start);
        auto inner = Expression();
        if (!TakeSymbol(')'))
            Unexpected("')'");
        return inner;
    }

    std::unique_ptr<SyntaxNode> NameOrCall()
    {
        const Token& name = Take();
        std::string lower(name.text);
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (!TakeSymbol('('))
        {
            auto node = Make(SyntaxNode::Kind::Name, name.offset);
            node->name = std::move(lower);
            return node;
        }
        const Nesting level(*this, name.offset);
        std::vector<std::unique_ptr<SyntaxNode>> arguments;
        if (!TakeSymbol(')'))
        {
            do
                arguments.push_back(Expression());
            while (TakeSymbol(','));
            if (!TakeSymbol(')'))
                Unexpected("',' or ')'");
        }
        auto node = Make(SyntaxNode::Kind::Call, name.offset);
        node->name = std::move(lower);
        node->children = std::move(arguments);
        return node;
    }

    std::string_view text_;
    std::vector<Token> tokens_;
    size_t next_ = 0;
    size_t depth_ = 0;
};

} // namespace

CalcTextError::CalcTextError(size_t position, const std::string& message)
    : std::runtime_error("position " + std::to_string(position) + ": " + message), position_(position),
      message_(message)
{
}

std::unique_ptr<SyntaxNode> ParseExpression(std::string_view text)
{
    return Parser(text).Parse();
}

} // namespace Host::Calc
