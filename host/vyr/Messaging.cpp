#include "Messaging.h"

#include "hostapi/VyrAutomation.h"

#include "foundation/com/ComPtr.h"
#include "foundation/text/String.h"

#include <cstring>
#include <cwchar>
#include <iterator>
#include <string>
#include <new>

namespace Vyr
{

namespace
{

constexpr ULONG TypeWordSize = sizeof(ULONG);
constexpr int TypeCodeBits = 4;
constexpr ULONG TypeCodeMask = 0xF;
constexpr ULONG TextCode = 7;

ULONG ValueSize(ULONG code)
{
    switch (code)
    {
    case 1: // unsigned 32-bit or bool
    case 2: // signed 32-bit
    case 4: // a registered id (a view type, ...)
        return 4;
    case 8: // a rectangle: left, top, right, bottom
        return 16;
    case 3: // double
        return 8;
    case TextCode: // reference to a text
        return sizeof(void*);
    default:
        return 0;
    }
}

// The creator's words that a message keeps for whoever reads them back.
struct CreatorWords
{
    ULONG originId;
    ULONG originPresent;
    ULONG context;
};

// Calls action with every text reference of a payload record (type code 7).
template <class Action>
void ForEachTextReference(const std::vector<BYTE>& payload, Action action)
{
    ULONG typeWord = 0;
    std::memcpy(&typeWord, payload.data(), sizeof typeWord);
    std::size_t offset = TypeWordSize;
    for (ULONG codes = typeWord; codes != 0; codes >>= TypeCodeBits)
    {
        const ULONG code = codes & TypeCodeMask;
        if (code == TextCode)
        {
            IUnknown* text = nullptr;
            std::memcpy(&text, payload.data() + offset, sizeof text);
            if (text)
                action(text);
        }
        offset += ValueSize(code);
    }
}

class Message final : public HeapComObject<IMessage, &IID_IMessage>, public IVyrMessageWords, public IMessageOrigin
{
public:
    // The message keeps the texts its payload refers to alive for as long as it lives.
    Message(ULONG id, ULONG flags, CreatorWords words, std::vector<BYTE> payload)
        : id_(id), flags_(words.originPresent ? flags | VyrMessageFlag::HasOrigin : flags), words_(words),
          payload_(std::move(payload))
    {
        ForEachTextReference(payload_, [](IUnknown* text) { text->AddRef(); });
    }
    ~Message() override
    {
        ForEachTextReference(payload_, [](IUnknown* text) { text->Release(); });
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (object && IsEqualIID(iid, IID_IVyrMessageWords))
            *object = static_cast<IVyrMessageWords*>(this);
        else if (object && IsEqualIID(iid, IID_IMessageOrigin) && (flags_ & VyrMessageFlag::HasOrigin))
            *object = static_cast<IMessageOrigin*>(this);
        else
            return HeapComObject::QueryInterface(iid, object);
        AddRef();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetOrigin(ULONG* originId, ULONG* second) override
    {
        if (!originId || !second)
            return E_POINTER;
        *originId = words_.originId;
        *second = words_.originPresent;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return HeapComObject::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return HeapComObject::Release(); }

    HRESULT STDMETHODCALLTYPE GetCreatorWords(ULONG* originId, ULONG* originPresent, ULONG* context) override
    {
        if (!originId || !originPresent || !context)
            return E_POINTER;
        *originId = words_.originId;
        *originPresent = words_.originPresent;
        *context = words_.context;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetClassId(ULONG* typeId) override { return Out(typeId, id_); }
    // Messages are written to macros by their message classes, not persisted by the framework.
    HRESULT STDMETHODCALLTYPE Save(IStream*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Load(IStream*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetId(ULONG* id) override { return Out(id, id_); }
    HRESULT STDMETHODCALLTYPE GetFlags(ULONG* flags) override { return Out(flags, flags_); }
    HRESULT STDMETHODCALLTYPE GetPayloadSize(ULONG* size) override
    {
        return Out(size, static_cast<ULONG>(payload_.size()));
    }
    HRESULT STDMETHODCALLTYPE GetPayload(const void** payload) override
    {
        if (!payload)
            return E_POINTER;
        *payload = payload_.data();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSender(const void* sender) override
    {
        sender_ = sender;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsFromSender(const void* sender, VARIANT_BOOL* answer) override
    {
        if (!answer)
            return E_POINTER;
        *answer = sender_ && sender_ == sender ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

private:
    static HRESULT Out(ULONG* slot, ULONG value)
    {
        if (!slot)
            return E_POINTER;
        *slot = value;
        return S_OK;
    }

    ULONG id_;
    ULONG flags_;
    CreatorWords words_;
    std::vector<BYTE> payload_;
    const void* sender_ = nullptr;
};

} // namespace

ULONG PayloadSize(ULONG typeWord)
{
    ULONG size = TypeWordSize;
    for (ULONG codes = typeWord; codes != 0; codes >>= TypeCodeBits)
    {
        const ULONG valueSize = ValueSize(codes & TypeCodeMask);
        if (valueSize == 0)
            return 0;
        size += valueSize;
    }
    return size;
}

USHORT MsgIdRegistry::CodeOf(const GUID& guid)
{
    std::lock_guard guard(lock_);
    const auto known = codes_.find(guid);
    if (known != codes_.end())
        return known->second;
    if (guidsByCode_.size() > static_cast<size_t>(LastCode - FirstCode))
        return 0;
    const auto code = static_cast<USHORT>(FirstCode + guidsByCode_.size());
    codes_.emplace(guid, code);
    guidsByCode_.push_back(guid);
    return code;
}

HRESULT STDMETHODCALLTYPE MsgIdRegistry::GetCode(const GUID* guid, USHORT* code)
{
    ++codeRequests_;
    return Guarded([&]() -> HRESULT {
        if (!guid || !code)
            return E_POINTER;
        const USHORT assigned = CodeOf(*guid);
        if (assigned == 0)
            return E_OUTOFMEMORY;
        *code = assigned;
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE MsgIdRegistry::GetGuid(USHORT code, GUID* guid)
{
    if (!guid)
        return E_POINTER;
    std::lock_guard guard(lock_);
    if (code < FirstCode || code - FirstCode >= static_cast<int>(guidsByCode_.size()))
        return E_INVALIDARG;
    *guid = guidsByCode_[code - FirstCode];
    return S_OK;
}

// The text form of an id, as macros name the view that sent a message: "{GUID}:number". Texts
// travel through macros and must name the same id in another process, where codes differ.
HRESULT STDMETHODCALLTYPE MsgIdRegistry::IdToText(ULONG, ULONG id, IAutoOrvString** text)
{
    return Guarded([&]() -> HRESULT {
        if (!text)
            return E_POINTER;
        *text = nullptr;
        GUID guid{};
        if (FAILED(GetGuid(static_cast<USHORT>(id >> 16), &guid)))
            return E_INVALIDARG;
        wchar_t guidText[40] = {};
        StringFromGUID2(guid, guidText, static_cast<int>(std::size(guidText)));
        const std::wstring form = std::wstring(guidText) + L":" + std::to_wstring(id & 0xFFFF);
        const Orv::String result(form.c_str());
        *text = result.Interface();
        (*text)->AddRef();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE MsgIdRegistry::TextToId(ULONG, IAutoOrvString* text, ULONG* id)
{
    return Guarded([&]() -> HRESULT {
        if (!text || !id)
            return E_POINTER;
        const std::wstring form = Orv::String::FromInterface(text).c_str();
        const std::size_t colon = form.rfind(L':');
        GUID guid{};
        if (colon == std::wstring::npos || FAILED(CLSIDFromString(form.substr(0, colon).c_str(), &guid)))
            return E_INVALIDARG;
        const std::wstring numberText = form.substr(colon + 1);
        wchar_t* end = nullptr;
        const unsigned long number = std::wcstoul(numberText.c_str(), &end, 10);
        if (numberText.empty() || *end != L'\0' || number > 0xFFFF)
            return E_INVALIDARG;
        const USHORT code = CodeOf(guid);
        if (code == 0)
            return E_OUTOFMEMORY;
        *id = static_cast<ULONG>(code) << 16 | number;
        return S_OK;
    });
}

namespace
{

// How deep the deliveries of this thread are nested: a message delivered while another is handled is
// part of that handling, not a command of its own.
thread_local int deliveryDepth = 0;

struct NestedDelivery
{
    NestedDelivery() { ++deliveryDepth; }
    ~NestedDelivery() { --deliveryDepth; }
    NestedDelivery(const NestedDelivery&) = delete;
    NestedDelivery& operator=(const NestedDelivery&) = delete;
};

} // namespace

HRESULT STDMETHODCALLTYPE MessageRouter::Deliver(IMessage* message, IUnknown* target)
{
    if (!message || !target)
        return E_POINTER;
    Orv::ComPtr<IMessageHandler> handler;
    const HRESULT found = target->QueryInterface(IID_IMessageHandler, handler.PutVoid());
    if (FAILED(found))
        return found;
    LONG handled = 0;
    {
        const NestedDelivery nested;
        handled = handler->HandleMessage(message);
    }
    if (handled > 0 && deliveryDepth == 0)
        WriteStatement(*message);
    return handled > 0 ? S_OK : S_FALSE;
}

void MessageRouter::Record(IMacroWriter* writer, ClassOfId classOf)
{
    std::lock_guard guard(recording_);
    recorder_ = Orv::ComPtr<IMacroWriter>(writer);
    classOf_ = writer ? std::move(classOf) : ClassOfId{};
}

void MessageRouter::WriteStatement(IMessage& message)
{
    std::lock_guard guard(recording_);
    ULONG id = 0;
    if (!recorder_ || FAILED(message.GetId(&id)))
        return;
    if (const Orv::ComPtr<IMsgIdMessageClassObject> messageClass = classOf_(id))
        messageClass->WriteMessageMacro(0, &message, recorder_.Get(), 0);
}

// The message keeps the origin pair and context word so that they can be read back: a recorded macro
// statement names the origin as the view the command came from.
HRESULT STDMETHODCALLTYPE MessageCreator::MakeMessage(ULONG id, ULONG flags, ULONG originId, ULONG originPresent,
                                                      ULONG context, const void* payload, IMessage** message)
{
    return Guarded([&]() -> HRESULT {
        if (!message)
            return E_POINTER;
        *message = nullptr;
        std::vector<BYTE> record(TypeWordSize, 0);
        if (payload)
        {
            ULONG typeWord = 0;
            std::memcpy(&typeWord, payload, sizeof typeWord);
            const ULONG size = PayloadSize(typeWord);
            if (size == 0)
                return E_INVALIDARG;
            record.assign(static_cast<const BYTE*>(payload), static_cast<const BYTE*>(payload) + size);
        }
        *message = new (std::nothrow) Message(id, flags, {originId, originPresent, context}, std::move(record));
        return *message ? S_OK : E_OUTOFMEMORY;
    });
}

} // namespace Vyr
