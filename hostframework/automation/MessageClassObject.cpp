#include "hostframework/automation/MessageClassObject.h"

#include "hostapi/OrvStringInterfaces.h"
#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"
#include "foundation/com/ComPtr.h"
#include "foundation/com/XOrv.h"
#include "foundation/text/StringStream.h"
#include "hostframework/services/HostServices.h"

#include <cwctype>
#include <string>
#include <string_view>

namespace Orv
{

namespace
{

constexpr HRESULT BadParameterCount = DISP_E_BADPARAMCOUNT;
constexpr wchar_t OriginTypeName[] = L"VyrId";
constexpr wchar_t OriginArgumentName[] = L"ViewType";
constexpr wchar_t SignatureIndent[] = L"             ";
// Set in the cookie of the framing lines of a composite value.
constexpr ULONG_PTR CompositeFramingCookie = 0x20000000;

std::wstring Replaced(std::wstring_view text, std::wstring_view what, std::wstring_view with)
{
    std::wstring result;
    for (std::size_t start = 0;;)
    {
        const std::size_t found = text.find(what, start);
        result.append(text.substr(start, found - start));
        if (found == std::wstring_view::npos)
            return result;
        result.append(with);
        start = found + what.size();
    }
}

// Splits an item text at the commas outside "{{" ... "}}" pairs, dropping the brackets; an empty text
// has no items.
std::vector<std::wstring> SplitItems(std::wstring_view text)
{
    std::vector<std::wstring> items;
    if (text.empty())
        return items;
    std::wstring item;
    int depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (text.compare(i, 2, L"{{") == 0)
        {
            if (depth++ > 0)
                item += L"{{";
            ++i;
        }
        else if (depth > 0 && text.compare(i, 2, L"}}") == 0)
        {
            if (--depth > 0)
                item += L"}}";
            ++i;
        }
        else if (text[i] == L',' && depth == 0)
        {
            items.push_back(std::move(item));
            item.clear();
        }
        else
        {
            item += text[i];
        }
    }
    items.push_back(std::move(item));
    return items;
}

ULONG ArgumentKindOf(std::wstring typeName)
{
    for (wchar_t& ch : typeName)
        ch = static_cast<wchar_t>(std::towlower(ch));
    if (typeName == L"string")
        return MacroArgumentKind::String;
    if (typeName == L"safearray")
        return MacroArgumentKind::SafeArray;
    if (typeName == L"rect")
        return MacroArgumentKind::Rect;
    if (typeName == L"bool")
        return MacroArgumentKind::Bool;
    return MacroArgumentKind::Plain;
}

std::wstring_view UpToFirstBlank(std::wstring_view text)
{
    return text.substr(0, text.find(L' '));
}

HRESULT StoreBstr(BSTR* out, const String& text)
{
    if (!out)
        return S_OK;
    SysFreeString(*out);
    *out = nullptr;
    if (text.IsEmpty())
        return S_OK;
    *out = SysAllocStringLen(text.c_str(), static_cast<UINT>(text.Length()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// The origin of a message as its macro statement names it: the text form of the sending view type.
String OriginValueText(IMessage* message)
{
    ULONG flags = 0;
    ComPtr<IMessageOrigin> origin;
    if (!message || FAILED(message->GetFlags(&flags)) || !(flags & VyrMessageFlag::HasOrigin) ||
        FAILED(message->QueryInterface(IID_IMessageOrigin, origin.PutVoid())))
        return String();
    ULONG originId = 0;
    ULONG second = 0;
    origin->GetOrigin(&originId, &second);
    ComPtr<IAutoOrvString> idText;
    if (IMsgIdRegistry* registry = MsgIdRegistryAccessor::Get())
        registry->IdToText(0, originId, idText.Put());
    Automation::ClassicOStringStream text;
    text << L'"' << String::FromInterface(idText.Get()).c_str() << L'"';
    return text.Str();
}

class StatementWriter
{
public:
    StatementWriter(IMacroWriter* writer, ULONG_PTR cookie) : writer_(writer), cookie_(cookie)
    {
        ComPtr<IAutoOrvString> prefix;
        writer_->GetStatementPrefix(0, prefix.Put());
        prefix_ = String::FromInterface(prefix.Get());
    }

    // One statement of command with the (type, name, value) triples of items; S_OK and nothing written
    // when there is no prefix or no builder.
    HRESULT Write(const String& command, const std::vector<std::wstring>& items, bool element = false)
    {
        if (command.IsEmpty() || prefix_.IsEmpty())
            return S_OK;
        ComPtr<IMacroStatement> statement;
        if (element)
            writer_->CreateElementStatement(0, statement.Put());
        else
            writer_->CreateStatement(0, statement.Put());
        if (!statement)
            return S_OK;
        statement->Begin(prefix_.Interface(), command.Interface());
        if (items.size() % 3 == 0)
            for (std::size_t i = 0; i < items.size(); i += 3)
            {
                const String name(Replaced(items[i + 1], L";", L",").c_str());
                const std::wstring value = Replaced(items[i + 2], L";;", L",");
                const ULONG kind = ArgumentKindOf(items[i]);
                if (kind == MacroArgumentKind::SafeArray || kind == MacroArgumentKind::Rect)
                    WriteComposite(name, value);
                else
                    statement->AddArgument(name.Interface(), String(value.c_str()).Interface(), kind);
            }
        ComPtr<IAutoOrvString> text;
        statement->GetText(text.Put());
        return writer_->WriteText(text.Get(), cookie_);
    }

private:
    // A composite value is a block of its own: framing comment lines around one element statement per
    // element triple of the value.
    void WriteComposite(const String& name, const std::wstring& value)
    {
        const ULONG_PTR framing = cookie_ | CompositeFramingCookie;
        writer_->WriteText(String((L"' Begin " + std::wstring(name.c_str()) + L"\n").c_str()).Interface(), framing);
        const std::vector<std::wstring> elements = SplitItems(value);
        if (elements.size() % 3 == 0)
            for (std::size_t i = 0; i < elements.size(); i += 3)
            {
                const String element(std::wstring(UpToFirstBlank(elements[i + 1])).c_str());
                Write(element, {elements[i], elements[i + 1], elements[i + 2]}, true);
            }
        writer_->WriteText(String((L"' End " + std::wstring(name.c_str()) + L"\n\n").c_str()).Interface(), framing);
    }

    IMacroWriter* writer_;
    ULONG_PTR cookie_;
    String prefix_;
};

} // namespace

MsgIdMessageClassObjectRootImpl::MsgIdMessageClassObjectRootImpl(const MsgIdMessageIdentity& identity,
                                                                 std::vector<Parameter> parameters,
                                                                 Automation::PayloadRecord defaults)
    : idGetter_(identity.id), name_(identity.name), group_(identity.group), description_(identity.description),
      creationFlags_(identity.creationFlags), reserved_(identity.reserved), fixedMacroText_(identity.fixedMacroText),
      secondOption_(identity.secondOption), sendFlags_(identity.sendFlags), parameters_(std::move(parameters)),
      defaults_(std::move(defaults))
{
}

ULONG MsgIdMessageClassObjectRootImpl::Id() const
{
    ULONG id = 0;
    return *idGetter_(&id);
}

HRESULT STDMETHODCALLTYPE MsgIdMessageClassObjectRootImpl::QueryInterface(REFIID iid, void** object)
{
    return QueryOneFace(static_cast<IMsgIdMessageClassObject*>(this), iid, object, IID_IMsgIdMessageClassObject);
}

ULONG STDMETHODCALLTYPE MsgIdMessageClassObjectRootImpl::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE MsgIdMessageClassObjectRootImpl::Release()
{
    return static_cast<ULONG>(InterlockedDecrement(&references_));
}

HRESULT STDMETHODCALLTYPE MsgIdMessageClassObjectRootImpl::GetId(ULONG* id)
{
    return AnswerValue(id, Id());
}

HRESULT STDMETHODCALLTYPE MsgIdMessageClassObjectRootImpl::GetName(BSTR* name)
{
    return StoreBstr(name, name_);
}

HRESULT STDMETHODCALLTYPE MsgIdMessageClassObjectRootImpl::GetGroup(BSTR* group)
{
    return StoreBstr(group, group_);
}

HRESULT STDMETHODCALLTYPE MsgIdMessageClassObjectRootImpl::GetDescription(IAutoOrvString** description)
{
    if (!description)
        return E_POINTER;
    *description = description_.Interface();
    (*description)->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MsgIdMessageClassObjectRootImpl::QueryFirstOption(VARIANT_BOOL* answer)
{
    return AnswerValue(answer, VARIANT_TRUE);
}

HRESULT STDMETHODCALLTYPE MsgIdMessageClassObjectRootImpl::QuerySecondOption(VARIANT_BOOL* answer)
{
    return AnswerValue(answer, secondOption_ ? VARIANT_TRUE : VARIANT_FALSE);
}

HRESULT STDMETHODCALLTYPE MsgIdMessageClassObjectRootImpl::CreateMessage(ULONG, DISPPARAMS* arguments,
                                                                         IMessage** message)
{
    if (!message)
        return E_POINTER;
    *message = nullptr;
    if (!arguments || arguments->cNamedArgs != 0)
        return BadParameterCount;
    return CatchReturn([&] { return MakeMessage(*arguments, message); });
}

// Arguments arrive last first. A command takes exactly its parameters, and one argument more, the
// origin text, which a recorded statement writes after them; a command without parameters takes at
// most the origin.
HRESULT MsgIdMessageClassObjectRootImpl::MakeMessage(const DISPPARAMS& arguments, IMessage** message) const
{
    const std::size_t count = parameters_.size();
    if (arguments.cArgs != count && arguments.cArgs != count + 1)
        return BadParameterCount;
    Automation::PayloadRecord record;
    for (std::size_t i = 0; i < count; ++i)
        record.AppendArgument(*parameters_[i].kind, arguments.rgvarg[arguments.cArgs - 1 - i]);

    ULONG originId = 0;
    ULONG originPresent = 0;
    if (arguments.cArgs == count + 1)
    {
        VARIANT origin;
        VariantInit(&origin);
        const HRESULT copied = VariantCopy(&origin, &arguments.rgvarg[0]);
        if (FAILED(copied))
            throw XOrv(copied);
        originPresent = 1;
        IMsgIdRegistry* registry = MsgIdRegistryAccessor::Get();
        if (V_VT(&origin) == VT_BSTR && registry)
        {
            const String text(V_BSTR(&origin) ? V_BSTR(&origin) : L"");
            if (FAILED(registry->TextToId(0, text.Interface(), &originId)))
                originId = 0;
        }
        VariantClear(&origin);
    }

    IMessageCreator* creator = MessageCreatorAccessor::Get();
    if (!creator)
        return E_FAIL;
    // A creator that makes no message is a failure the caller must see, not an empty success.
    const HRESULT made = creator->MakeMessage(Id(), creationFlags_, originId, originPresent, 0, record.Data(), message);
    return FAILED(made) || !*message ? (FAILED(made) ? made : E_FAIL) : S_OK;
}

String MsgIdMessageClassObjectRootImpl::ItemText(const void* payload, ArgumentNames names) const
{
    std::wstring text;
    const auto* value = static_cast<const BYTE*>(payload) + sizeof(ULONG);
    for (const Parameter& parameter : parameters_)
    {
        if (!text.empty())
            text += L',';
        const std::wstring_view name = parameter.text.c_str();
        text += parameter.kind->typeName;
        text += L',';
        // A comma of a parameter's description would split its item; as a semicolon it survives and
        // the signature turns it back.
        text += names == ArgumentNames::Macro ? std::wstring(UpToFirstBlank(name)) : Replaced(name, L",", L";");
        text += L',';
        text += Replaced(Automation::ValueText(*parameter.kind, value).c_str(), L",", L";;");
        value += parameter.kind->width;
    }
    return String(text.c_str());
}

HRESULT MsgIdMessageClassObjectRootImpl::WriteStatement(IMessage* message, IMacroWriter* writer,
                                                        ULONG_PTR cookie) const
{
    if (!writer)
        return E_FAIL;
    const void* payload = defaults_.Data();
    if (message)
    {
        ULONG size = 0;
        const void* messagePayload = nullptr;
        if (SUCCEEDED(message->GetPayloadSize(&size)) && size == defaults_.Size() &&
            SUCCEEDED(message->GetPayload(&messagePayload)) && messagePayload)
            payload = messagePayload;
    }
    std::wstring items = ItemText(payload, ArgumentNames::Macro).c_str();
    const String origin = OriginValueText(message);
    if (!origin.IsEmpty())
    {
        if (!items.empty())
            items += L',';
        items += std::wstring(OriginTypeName) + L',' + OriginArgumentName + L',' + origin.c_str();
    }
    return StatementWriter(writer, cookie).Write(name_, SplitItems(items));
}

HRESULT STDMETHODCALLTYPE MsgIdMessageClassObjectRootImpl::WriteMessageMacro(ULONG, IMessage* message,
                                                                             IMacroWriter* writer, ULONG_PTR cookie)
{
    return CatchReturn([&] { return WriteStatement(message, writer, cookie); });
}

HRESULT STDMETHODCALLTYPE MsgIdMessageClassObjectRootImpl::WriteClassMacro(ULONG, IMacroWriter* writer,
                                                                           ULONG_PTR cookie)
{
    return CatchReturn([&]() -> HRESULT {
        if (!writer)
            return E_FAIL;
        if (!fixedMacroText_.IsEmpty())
            return writer->WriteText(fixedMacroText_.Interface(), cookie);
        return WriteStatement(nullptr, writer, cookie);
    });
}

HRESULT STDMETHODCALLTYPE MsgIdMessageClassObjectRootImpl::WriteSignature(ULONG, ISignatureWriter* writer,
                                                                          ULONG_PTR cookie)
{
    return CatchReturn([&]() -> HRESULT {
        if (!writer || name_.IsEmpty())
            return S_OK;
        const auto line = [&](const std::wstring& text) { return writer->WriteLine(String(text.c_str()).Interface(), cookie); };
        HRESULT result = line(L"Name:        " + std::wstring(name_.c_str()));
        if (!description_.IsEmpty())
            result = line(L"Description: " + std::wstring(description_.c_str()));
        if (parameters_.empty())
            return result;
        const std::vector<std::wstring> items =
            SplitItems(ItemText(defaults_.Data(), ArgumentNames::Signature).c_str());
        if (items.size() % 3 != 0)
            return result;
        for (std::size_t i = 0; i < items.size(); i += 3)
        {
            const bool last = i + 3 == items.size();
            result = line((i == 0 ? L"Parameters:  " : SignatureIndent) + Replaced(items[i + 1], L";", L",") +
                          (last ? L"" : L","));
        }
        return result;
    });
}

} // namespace Orv
