// What the host-client tests share: the framework as this test program reaches it (through the
// module's own fallback, since nothing registered it), and small counted COM objects.
#pragma once

#include "hostapi/VyrClassRegistry.h"
#include "hostapi/VyrMessaging.h"
#include "foundation/com/ComPtr.h"
#include "hostframework/services/HostServices.h"
#include "hostframework/messaging/MessageSenders.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <string>
#include <vector>

namespace TestSupport
{

// The stand-in's own face, for reading back what the module registered.
inline Orv::ComPtr<IVyrStandIn> StandIn()
{
    EXPECT_NE(nullptr, ObjectFactoryAccessor::Get());
    Orv::ComPtr<IVyrStandIn> standIn;
    CoGetClassObject(CLSID_VyrFrameWork, CLSCTX_INPROC_SERVER, nullptr, IID_IVyrStandIn, standIn.PutVoid());
    return standIn;
}

// How many print jobs the stand-in's print service has run.
inline ULONG PrintJobCount()
{
    ULONG count = 0;
    BSTR title = nullptr;
    ULONG pages = 0;
    while (StandIn()->GetPrintJob(count, &title, &pages) == S_OK)
    {
        SysFreeString(title);
        title = nullptr;
        ++count;
    }
    return count;
}

// The last help topic a module asked the host to show, as "file: topic"; empty when none was asked.
inline std::wstring LastHelpRequest()
{
    const Orv::ComPtr<IVyrStandIn> standIn = StandIn();
    std::wstring last;
    for (ULONG index = 0; standIn; ++index)
    {
        BSTR topic = nullptr, file = nullptr;
        if (standIn->GetHelpRequest(index, &topic, &file) != S_OK)
            break;
        last = std::wstring(file, SysStringLen(file)) + L": " + std::wstring(topic, SysStringLen(topic));
        SysFreeString(topic);
        SysFreeString(file);
    }
    return last;
}

inline std::vector<VyrRegistrationRecord> RegistrationsFrom(ULONG first)
{
    const Orv::ComPtr<IVyrStandIn> standIn = StandIn();
    ULONG count = 0;
    standIn->GetRegistrationCount(&count);
    std::vector<VyrRegistrationRecord> records;
    for (ULONG i = first; i < count; ++i)
    {
        VyrRegistrationRecord record{};
        standIn->GetRegistration(i, &record);
        records.push_back(record);
    }
    return records;
}

inline ULONG RegistrationCount()
{
    ULONG count = 0;
    StandIn()->GetRegistrationCount(&count);
    return count;
}

// What the framework has been asked so far: services for their interfaces, the registry for codes.
struct RequestCounts
{
    ULONG services = 0;
    ULONG codes = 0;
};

inline RequestCounts FrameworkRequests()
{
    RequestCounts counts;
    EXPECT_EQ(S_OK, StandIn()->GetRequestCounts(&counts.services, &counts.codes));
    return counts;
}

// A message made by the host's creator.
inline Orv::ComPtr<IMessage> MakeMessage(ULONG id, ULONG flags = 0, const void* payload = nullptr)
{
    Orv::ComPtr<IMessage> message;
    MessageCreatorAccessor::Get()->MakeMessage(id, flags, 0, 0, 0, payload, message.Put());
    return message;
}

inline ULONG ReferenceCount(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

// IUnknown for test objects that live on the stack: counted, never freed.
template <class... Interfaces>
class StackComObject : public Interfaces...
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }

    LONG references = 0;
};

// A counted node of a message-handler tree that handles messages when told to and counts what it was
// offered; without its own handling it passes messages on to its children.
class HandlerNode final : public VyrMessageHandler
{
public:
    explicit HandlerNode(bool handles = false) : handles_(handles) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IMessageHandler) && !IsEqualIID(iid, IID_IUnknown))
            return E_NOINTERFACE;
        *object = static_cast<IMessageHandler*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }

    HRESULT STDMETHODCALLTYPE HandleMessage(IMessage* message) override
    {
        ++offered;
        if (!AcceptsMessage(message))
            return 0;
        return handles_ ? 1 : OfferToChildren(message);
    }

    ULONG references = 1;
    int offered = 0;

private:
    bool handles_;
};

// A target that takes every message and keeps the last one for the test to read.
class MessageKeeper final : public TestSupport::StackComObject<IMessageHandler>
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = IsEqualIID(iid, IID_IMessageHandler) ? static_cast<IMessageHandler*>(this) : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE HandleMessage(IMessage* message) override
    {
        kept = Orv::ComPtr<IMessage>(message);
        return 1;
    }
    HRESULT STDMETHODCALLTYPE AddHandler(IMessageHandler*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveHandler(IMessageHandler*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetParent(IMessageHandler*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTarget(IUnknown**) override { return E_NOTIMPL; }
    BOOL STDMETHODCALLTYPE AcceptsMessage(IMessage*) override { return TRUE; }

    // The creator's origin pair and context word of the kept message.
    std::vector<ULONG> CreatorWords() const
    {
        const auto words = kept.As<IVyrMessageWords>(IID_IVyrMessageWords);
        std::vector<ULONG> result(3);
        EXPECT_EQ(S_OK, words->GetCreatorWords(&result[0], &result[1], &result[2]));
        return result;
    }

    Orv::ComPtr<IMessage> kept;
};

} // namespace TestSupport
