// The framework's message machinery: codes for GUIDs, message objects, their creator and router.
#pragma once

#include "ComObjects.h"
#include "hostapi/VyrAutomation.h"
#include "hostapi/VyrClassRegistry.h"
#include "hostapi/VyrMessaging.h"

#include "foundation/com/ComPtr.h"

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

namespace Vyr
{

class MsgIdRegistry final : public StaticComObject<IMsgIdRegistry, &IID_IMsgIdRegistry>
{
public:
    // Codes start well above 0 so that an id under a registered GUID never equals its bare number,
    // and stay below 0x8000, the high half of the host's fixed ids.
    static constexpr USHORT FirstCode = 0x0100;
    static constexpr USHORT LastCode = 0x7FFF;

    HRESULT STDMETHODCALLTYPE GetCode(const GUID* guid, USHORT* code) override;
    HRESULT STDMETHODCALLTYPE GetGuid(USHORT code, GUID* guid) override;
    HRESULT STDMETHODCALLTYPE IdToText(ULONG reserved, ULONG id, IAutoOrvString** text) override;
    HRESULT STDMETHODCALLTYPE TextToId(ULONG reserved, IAutoOrvString* text, ULONG* id) override;

    // The code of guid, assigned now when it has none; 0 when the codes are used up.
    USHORT CodeOf(const GUID& guid);
    // How often a caller asked for a code.
    ULONG CodeRequests() const { return codeRequests_; }

private:
    struct GuidLess
    {
        bool operator()(const GUID& a, const GUID& b) const { return memcmp(&a, &b, sizeof(GUID)) < 0; }
    };

    std::mutex lock_;
    std::map<GUID, USHORT, GuidLess> codes_;
    std::vector<GUID> guidsByCode_;   // index = code - FirstCode
    std::atomic<ULONG> codeRequests_{0};
};

class MessageRouter final : public StaticComObject<IMessageRouter, &IID_IMessageRouter>
{
public:
    HRESULT STDMETHODCALLTYPE Deliver(IMessage* message, IUnknown* target) override;

    // The message class of an id; null for an id no class has.
    using ClassOfId = std::function<Orv::ComPtr<IMsgIdMessageClassObject>(ULONG id)>;
    // While a writer is set, each message handled outside the handling of another (what a person's action
    // sent, not what handling it sent on) whose class classOf finds is written to it as a macro statement.
    void Record(IMacroWriter* writer, ClassOfId classOf);

private:
    void WriteStatement(IMessage& message);

    std::mutex recording_;
    Orv::ComPtr<IMacroWriter> recorder_;
    ClassOfId classOf_;
};

class MessageCreator final : public StaticComObject<IMessageCreator, &IID_IMessageCreator>
{
public:
    HRESULT STDMETHODCALLTYPE MakeMessage(ULONG id, ULONG flags, ULONG originId, ULONG originPresent, ULONG context,
                                          const void* payload, IMessage** message) override;
};

// Size of a payload record from its type word (4-bit codes, first value lowest); 0 for an unknown code.
ULONG PayloadSize(ULONG typeWord);

} // namespace Vyr
