#include "Messaging.h"

#include "foundation/com/ComPtr.h"

#include <cstring>
#include <new>

namespace Vyr
{

namespace
{

constexpr ULONG TypeWordSize = sizeof(ULONG);
constexpr int TypeCodeBits = 4;
constexpr ULONG TypeCodeMask = 0xF;

ULONG ValueSize(ULONG code)
{
    switch (code)
    {
    case 1: // unsigned 32-bit or bool
    case 2: // signed 32-bit
        return 4;
    case 3: // double
        return 8;
    case 7: // reference to a text
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

class Message final : public HeapComObject<IMessage, &IID_IMessage>, public IVyrMessageWords
{
public:
    Message(ULONG id, ULONG flags, CreatorWords words, std::vector<BYTE> payload)
        : id_(id), flags_(flags), words_(words), payload_(std::move(payload))
    {
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object || !IsEqualIID(iid, IID_IVyrMessageWords))
            return HeapComObject::QueryInterface(iid, object);
        *object = static_cast<IVyrMessageWords*>(this);
        AddRef();
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

// The text form of ids belongs to the automation machinery, which is not built yet.
HRESULT STDMETHODCALLTYPE MsgIdRegistry::IdToText(ULONG, ULONG, IAutoOrvString** text)
{
    if (text)
        *text = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE MsgIdRegistry::TextToId(ULONG, IAutoOrvString*, ULONG*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE MessageRouter::Deliver(IMessage* message, IUnknown* target)
{
    if (!message || !target)
        return E_POINTER;
    Orv::ComPtr<IMessageHandler> handler;
    const HRESULT found = target->QueryInterface(IID_IMessageHandler, handler.PutVoid());
    if (FAILED(found))
        return found;
    return handler->HandleMessage(message) > 0 ? S_OK : S_FALSE;
}

// The origin pair and context word mean something to the macro machinery, which is not built yet; the
// message keeps them so that they can be read back.
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
