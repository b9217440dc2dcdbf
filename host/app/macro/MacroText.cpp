#include "host/app/macro/MacroText.h"

#include "hostapi/OrvStringInterfaces.h"
#include "foundation/text/String.h"
#include "foundation/com/ComBoundary.h"
#include "host/vyr/ComObjects.h"

#include <algorithm>
#include <cwctype>
#include <iterator>

namespace Host::Macro
{

namespace
{

std::wstring TextOf(IAutoOrvString* text)
{
    return Orv::String::FromInterface(text).c_str();
}

HRESULT HandText(const std::wstring& text, IAutoOrvString** out)
{
    if (!out)
        return E_POINTER;
    const Orv::String result(text.c_str());
    *out = result.Interface();
    (*out)->AddRef();
    return S_OK;
}

std::wstring Quoted(std::wstring_view text)
{
    std::wstring result = L"\"";
    for (const wchar_t ch : text)
    {
        if (ch == L'"')
            result += L'"';
        result += ch;
    }
    return result + L'"';
}

class StatementBuilder final : public Vyr::HeapComObject<IMacroStatement, &IID_IMacroStatement>
{
public:
    HRESULT STDMETHODCALLTYPE Begin(IAutoOrvString* prefix, IAutoOrvString* command) override
    {
        return Orv::CatchReturn([&] {
            text_ = TextOf(prefix) + TextOf(command);
            arguments_ = 0;
        });
    }
    HRESULT STDMETHODCALLTYPE AddArgument(IAutoOrvString* name, IAutoOrvString* value, ULONG kind) override
    {
        return Orv::CatchReturn([&] {
            text_ += arguments_++ == 0 ? L" " : L", ";
            text_ += TextOf(name) + L":=";
            const std::wstring valueText = TextOf(value);
            if (kind == MacroArgumentKind::String)
                text_ += Quoted(valueText);
            else if (kind == MacroArgumentKind::Bool)
                text_ += valueText == L"0" ? L"False" : L"True";
            else
                text_ += valueText;
        });
    }
    HRESULT STDMETHODCALLTYPE GetText(IAutoOrvString** text) override
    {
        return Orv::CatchReturn([&] { return HandText(text_, text); });
    }

private:
    std::wstring text_;
    int arguments_ = 0;
};

class MacroRecorder final : public Vyr::HeapComObject<IMacroWriter, &IID_IMacroWriter>
{
public:
    explicit MacroRecorder(LeadIn leadIn) : leadIn_(std::move(leadIn)) {}

    HRESULT STDMETHODCALLTYPE WriteText(IAutoOrvString* text, ULONG_PTR) override
    {
        return Orv::CatchReturn([&] {
            if (leadIn_)
                std::ranges::move(leadIn_(), std::back_inserter(texts));
            texts.push_back(TextOf(text));
        });
    }
    HRESULT STDMETHODCALLTYPE GetStatementPrefix(ULONG, IAutoOrvString** prefix) override
    {
        return Orv::CatchReturn([&] { return HandText(StatementPrefix, prefix); });
    }
    HRESULT STDMETHODCALLTYPE CreateStatement(ULONG, IMacroStatement** statement) override
    {
        if (!statement)
            return E_POINTER;
        *statement = new (std::nothrow) StatementBuilder;
        return *statement ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE CreateElementStatement(ULONG reserved, IMacroStatement** statement) override
    {
        return CreateStatement(reserved, statement);
    }

    std::vector<std::wstring> texts;

private:
    LeadIn leadIn_;
};

class SignatureCollector final : public Vyr::HeapComObject<ISignatureWriter, &IID_ISignatureWriter>
{
public:
    HRESULT STDMETHODCALLTYPE WriteLine(IAutoOrvString* line, ULONG_PTR) override
    {
        return Orv::CatchReturn([&] { lines.push_back(TextOf(line)); });
    }

    std::vector<std::wstring> lines;
};

std::string Narrow(std::wstring_view text)
{
    return std::string(Orv::String(std::wstring(text).c_str()).Narrow());
}

// Reads statements left to right; positions in errors count from 1.
class StatementReader
{
public:
    explicit StatementReader(std::wstring_view line) : line_(line) {}

    std::wstring Command()
    {
        const std::wstring_view prefix = StatementPrefix;
        if (line_.substr(0, prefix.size()) != prefix)
            Fail("a statement begins with " + Narrow(prefix));
        at_ = prefix.size();
        const std::size_t start = at_;
        while (at_ < line_.size() && (std::iswalnum(line_[at_]) || line_[at_] == L'_'))
            ++at_;
        if (at_ == start)
            Fail("a command name is missing");
        return std::wstring(line_.substr(start, at_ - start));
    }

    // The next argument, or false at the end of the line.
    bool Argument(std::wstring& name, VARIANT& value)
    {
        SkipBlanks();
        if (at_ == line_.size())
            return false;
        if (!first_ && line_[at_++] != L',')
            Fail("arguments are separated by commas");
        first_ = false;
        SkipBlanks();
        const std::size_t nameStart = at_;
        while (at_ < line_.size() && (std::iswalnum(line_[at_]) || line_[at_] == L'_'))
            ++at_;
        name = line_.substr(nameStart, at_ - nameStart);
        if (name.empty() || line_.substr(at_, 2) != L":=")
            Fail("an argument is written name:=value");
        at_ += 2;
        SkipBlanks();
        const std::wstring text = at_ < line_.size() && line_[at_] == L'"' ? QuotedText() : BareText();
        V_VT(&value) = VT_BSTR;
        V_BSTR(&value) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (!V_BSTR(&value))
            throw std::bad_alloc();
        return true;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const
    {
        throw MacroSyntaxError("column " + std::to_string(at_ + 1) + ": " + what, at_ + 1);
    }

    void SkipBlanks()
    {
        while (at_ < line_.size() && std::iswspace(line_[at_]))
            ++at_;
    }

    std::wstring QuotedText()
    {
        std::wstring text;
        for (++at_;; ++at_)
        {
            if (at_ == line_.size())
                Fail("a quoted text is not closed");
            if (line_[at_] == L'"')
            {
                if (at_ + 1 < line_.size() && line_[at_ + 1] == L'"')
                    ++at_;
                else
                    break;
            }
            text += line_[at_];
        }
        ++at_;
        return text;
    }

    // A number or True/False: one word, followed only by blanks before the next comma.
    std::wstring BareText()
    {
        const std::size_t start = at_;
        while (at_ < line_.size() && line_[at_] != L',' && !std::iswspace(line_[at_]))
            ++at_;
        const std::wstring text(line_.substr(start, at_ - start));
        if (text.empty())
            Fail("a value is missing");
        SkipBlanks();
        if (at_ < line_.size() && line_[at_] != L',')
            Fail("a value is one word or a quoted text");
        if (text == L"True")
            return L"1";
        if (text == L"False")
            return L"0";
        return text;
    }

    std::wstring_view line_;
    std::size_t at_ = 0;
    bool first_ = true;
};

template <class Object, class Interface>
Object* Own(Interface* object)
{
    auto* own = dynamic_cast<Object*>(object);
    if (!own)
        throw std::invalid_argument("not an object of this host's macro machinery");
    return own;
}

} // namespace

IMacroWriter* CreateMacroRecorder(LeadIn leadIn)
{
    return new MacroRecorder(std::move(leadIn));
}

std::vector<std::wstring> RecordedTexts(IMacroWriter* recorder)
{
    return Own<MacroRecorder>(recorder)->texts;
}

ISignatureWriter* CreateSignatureCollector()
{
    return new SignatureCollector;
}

std::vector<std::wstring> CollectedLines(ISignatureWriter* collector)
{
    return Own<SignatureCollector>(collector)->lines;
}

Statement::Statement(std::wstring_view line)
{
    StatementReader reader(line);
    command_ = reader.Command();
    try
    {
        std::wstring name;
        VARIANT value;
        VariantInit(&value);
        while (reader.Argument(name, value))
        {
            names_.push_back(name);
            reversed_.insert(reversed_.begin(), value);
        }
    }
    catch (...)
    {
        for (VARIANT& value : reversed_)
            VariantClear(&value);
        throw;
    }
}

Statement::~Statement()
{
    for (VARIANT& value : reversed_)
        VariantClear(&value);
}

DISPPARAMS* Statement::Parameters()
{
    parameters_ = {reversed_.data(), nullptr, static_cast<UINT>(reversed_.size()), 0};
    return &parameters_;
}

} // namespace Host::Macro
