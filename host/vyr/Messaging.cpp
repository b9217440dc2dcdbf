#include "Messaging.h"

#include "foundation/ComPtr.h"

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

class Message final : public HeapComObject<IMessage, &IID_IMessage>
{
public:
    Message(ULONG id, ULONG flags, std::vector<BYTE> payload) : id_(id), flags_(flags), payload_(std::move(payload)) {}

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

// The origin pair and context word are for the macro machinery, which is not built yet.
HRESULT STDMETHODCALLTYPE MessageCreator::MakeMessage(ULONG id, ULONG flags, ULONG, ULONG, ULONG, const void* payload,
                                                      IMessage** message)
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
        *message = new (std::nothrow) Message(id, flags, std::move(record));
        return *message ? S_OK : E_OUTOFMEMORY;
    });
}

} // namespace Vyr
