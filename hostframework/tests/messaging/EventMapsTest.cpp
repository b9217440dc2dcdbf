#include "hostframework/tests/FrameworkTestSupport.h"
#include "hostframework/messaging/EventHandlers.h"
#include "foundation/com/XOrv.h"
#include "hostframework/messaging/Subjects.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

template <ULONG Id>
ULONG* IdOf(ULONG* slot)
{
    *slot = Id;
    return slot;
}

constexpr ULONG RangeFirst = 100;
constexpr ULONG RangeEnd = 110;
constexpr ULONG ExecuteOnly = 200;
constexpr ULONG WithEnable = 201;
constexpr ULONG Overridden = 202;
constexpr ULONG PopupCommand = 203;
constexpr ULONG ObservedEvent = 300;
constexpr ULONG ExactMessage = 0x12340005;
constexpr ULONG AnyMessageUnderCode = 0x56780000;
constexpr ULONG PayloadMessage = 0x12340009;

struct Payload
{
    ULONG typeWord;
    LONG value;
    double number;
};
#pragma pack(push, 4)
struct PackedPayload
{
    ULONG typeWord;
    LONG value;
    double number;
};
#pragma pack(pop)
static_assert(sizeof(PackedPayload) == 16 && offsetof(PackedPayload, number) == 8);

class CommandState final : public TestSupport::StackComObject<IVyrCommandState>
{
public:
    HRESULT STDMETHODCALLTYPE GetState(ULONG* value) override
    {
        *value = state;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetState(ULONG value) override
    {
        state = value;
        return S_OK;
    }
    ULONG state = 0;
};

// A base handler and a derived one, each with its own map; calls are recorded in order.
class BaseHandler : public VyrCppEventHandler
{
public:
    std::vector<std::string> calls;

    void OnRange() { calls.push_back("base range"); }
    void OnOverriddenInBase() { calls.push_back("base overridden"); }
    void OnBaseOnly() { calls.push_back("base only"); }

    VYR_DECLARE_EVENT_MAP()
};

VYR_DEFINE_EVENT_MAP(BaseHandler, VyrEventHandlerBase){
    VyrEventMap::Header(),
    VyrEventMap::CommandRange(VyrEventKind::CommandExecute, &IdOf<RangeFirst>, &IdOf<RangeEnd>,
                              &CallMemberNoArgs<BaseHandler, &BaseHandler::OnRange>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &IdOf<Overridden>,
                         &CallMemberNoArgs<BaseHandler, &BaseHandler::OnOverriddenInBase>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &IdOf<ExecuteOnly>,
                         &CallMemberNoArgs<BaseHandler, &BaseHandler::OnBaseOnly>),
    VyrEventMap::End(),
};

class DerivedHandler : public BaseHandler
{
public:
    void OnEnable(IVyrCommandState& state) { state.SetState(0x2); }
    void OnWithEnable() { calls.push_back("with enable"); }
    void OnOverridden() { calls.push_back("derived overridden"); }
    void OnOverriddenTwice() { calls.push_back("derived second"); }
    void OnObserved(const std::string* data) { calls.push_back("observed " + *data); }
    void OnExactMessage() { calls.push_back("exact message"); }
    void OnAnyMessage() { calls.push_back("message " + std::to_string(CurrentMessageFlags())); }
    void OnPayload(const PackedPayload& payload)
    {
        calls.push_back("payload " + std::to_string(payload.value) + " " + std::to_string(payload.number));
    }
    HRESULT OnPopupInit(ULONG_PTR menu) { return static_cast<HRESULT>(menu + 1); }
    HRESULT OnPopupSelect(ULONG_PTR menu, ULONG_PTR item) { return static_cast<HRESULT>(menu * 10 + item); }

    VYR_DECLARE_EVENT_MAP()
};

VYR_DEFINE_EVENT_MAP(DerivedHandler, BaseHandler){
    VyrEventMap::Header(),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &IdOf<Overridden>,
                         &CallMemberNoArgs<DerivedHandler, &DerivedHandler::OnOverridden>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &IdOf<Overridden>,
                         &CallMemberNoArgs<DerivedHandler, &DerivedHandler::OnOverriddenTwice>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &IdOf<WithEnable>,
                         &CallMemberNoArgs<DerivedHandler, &DerivedHandler::OnWithEnable>),
    VyrEventMap::Command(VyrEventKind::CommandEnable, &IdOf<WithEnable>,
                         &DispatchCommandEnable<DerivedHandler, &DerivedHandler::OnEnable>),
    VyrEventMap::Command(VyrEventKind::PopupInit, &IdOf<PopupCommand>,
                         &DispatchPopupInit<DerivedHandler, &DerivedHandler::OnPopupInit>),
    VyrEventMap::Command(VyrEventKind::PopupSelect, &IdOf<PopupCommand>,
                         &DispatchPopupSelect<DerivedHandler, &DerivedHandler::OnPopupSelect>),
    VyrEventMap::Observer(&IdOf<ObservedEvent>,
                          &DispatchObserverEvent<DerivedHandler, const std::string, &DerivedHandler::OnObserved>),
    VyrEventMap::Message(&IdOf<ExactMessage>, &DispatchMessageNoArgs<DerivedHandler, &DerivedHandler::OnExactMessage>),
    VyrEventMap::Message(&IdOf<PayloadMessage>,
                         &DispatchMessageWithPayload<DerivedHandler, PackedPayload, &DerivedHandler::OnPayload>),
    VyrEventMap::Message(&IdOf<AnyMessageUnderCode>,
                         &DispatchMessageNoArgs<DerivedHandler, &DerivedHandler::OnAnyMessage>, 0),
    VyrEventMap::End(),
};

TEST(EventMap, ARangeMatchesFromItsFirstIdUpToButNotIncludingItsEnd)
{
    DerivedHandler handler;
    EXPECT_EQ(S_OK, handler.ExecuteCommand(RangeFirst));
    EXPECT_EQ(S_OK, handler.ExecuteCommand(RangeEnd - 1));
    EXPECT_EQ(S_FALSE, handler.ExecuteCommand(RangeEnd));
    EXPECT_EQ(S_FALSE, handler.ExecuteCommand(RangeFirst - 1));
    EXPECT_EQ((std::vector<std::string>{"base range", "base range"}), handler.calls);
}

TEST(EventMap, DerivedMapsComeBeforeBaseMapsAndTheFirstEntryWins)
{
    DerivedHandler handler;
    handler.ExecuteCommand(Overridden);
    handler.ExecuteCommand(ExecuteOnly);
    EXPECT_EQ((std::vector<std::string>{"derived overridden", "base only"}), handler.calls);
}

TEST(EventMap, EnableQueries)
{
    DerivedHandler handler;
    CommandState withEnable;
    EXPECT_EQ(S_OK, handler.QueryCommandState(WithEnable, &withEnable));
    EXPECT_EQ(0x2u, withEnable.state);

    CommandState executeOnly;
    EXPECT_EQ(S_OK, handler.QueryCommandState(ExecuteOnly, &executeOnly));
    EXPECT_EQ(VyrCommandStateValue::Enabled, executeOnly.state);

    CommandState unknown;
    unknown.state = 0x55;
    EXPECT_EQ(S_FALSE, handler.QueryCommandState(999, &unknown));
    EXPECT_EQ(0x55u, unknown.state);
    EXPECT_TRUE(handler.calls.empty());
}

TEST(EventMap, PopupEntriesPassTheirArgumentsAndResult)
{
    DerivedHandler handler;
    EXPECT_EQ(8, handler.InvokeCommand(PopupCommand, 6, 7, 0));
    EXPECT_EQ(73, handler.InvokeCommand(PopupCommand, 7, 7, 3));
    EXPECT_EQ(S_FALSE, handler.InvokeCommand(ExecuteOnly, 6, 7, 0));
}

TEST(EventMap, MessagesMatchExactlyOrByGuidCode)
{
    DerivedHandler handler;
    EXPECT_TRUE(handler.DispatchMessage(TestSupport::MakeMessage(ExactMessage).Get()));
    EXPECT_FALSE(handler.DispatchMessage(TestSupport::MakeMessage(ExactMessage + 1).Get()));
    EXPECT_TRUE(handler.DispatchMessage(TestSupport::MakeMessage(AnyMessageUnderCode | 0x42, 0x20).Get()));
    const PackedPayload payload{0x32, -5, 2.5};
    EXPECT_TRUE(handler.DispatchMessage(TestSupport::MakeMessage(PayloadMessage, 0, &payload).Get()));
    EXPECT_EQ((std::vector<std::string>{"exact message", "message 32", "payload -5 2.500000"}), handler.calls);
}

// The host's container of a stored message.
class StoredObjects final : public TestSupport::StackComObject<IVyrObjectContainer>
{
public:
    HRESULT STDMETHODCALLTYPE GetStoredObject(ULONG_PTR key, IUnknown** object) override
    {
        *object = key == storedKey && stored ? stored.Get() : nullptr;
        if (!*object)
            return E_INVALIDARG;
        (*object)->AddRef();
        return S_OK;
    }
    ULONG_PTR storedKey = 17;
    Orv::ComPtr<IMessage> stored;
};

TEST(EventMap, AStoredMessageIsDispatchedThroughTheMap)
{
    DerivedHandler handler;
    StoredObjects container;
    EXPECT_TRUE(handler.DispatchStoredMessage(&container, 17));
    container.stored = TestSupport::MakeMessage(ExactMessage);
    EXPECT_TRUE(handler.DispatchStoredMessage(&container, 18));
    EXPECT_FALSE(handler.DispatchStoredMessage(&container, 17));
    EXPECT_EQ(std::vector<std::string>{"exact message"}, handler.calls);
}

// Members that live in a virtual base, in a class laid out with more than one path to it: the entry's
// call reaches the right object without any adjustment stored in the table.
struct SharedRecord
{
    virtual ~SharedRecord() = default;
    void OnShared() { entries.push_back("shared " + std::to_string(marker)); }
    int marker = 7;
    std::vector<std::string> entries;
};

struct LeftPart : virtual SharedRecord
{
    long padding[3] = {1, 2, 3};
};

struct RightPart : virtual SharedRecord
{
    double padding = 4.0;
};

class VirtualBaseHandler final : public VyrCppEventHandler, public LeftPart, public RightPart
{
public:
    void OnOwn() { entries.push_back("own " + std::to_string(LeftPart::padding[2])); }

    VYR_DECLARE_EVENT_MAP()
};

VYR_DEFINE_EVENT_MAP(VirtualBaseHandler, VyrEventHandlerBase){
    VyrEventMap::Header(),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &IdOf<ExecuteOnly>,
                         &CallMemberNoArgs<VirtualBaseHandler, &SharedRecord::OnShared>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &IdOf<WithEnable>,
                         &CallMemberNoArgs<VirtualBaseHandler, &VirtualBaseHandler::OnOwn>),
    VyrEventMap::End(),
};

TEST(EventMap, AMemberOfAVirtualBaseIsCalledOnTheRightObject)
{
    VirtualBaseHandler handler;
    const auto commands = Orv::ComPtr<IObserver>(handler.Proxy()).As<IVyrCommandHandler>(IID_IVyrCommandHandler);
    ASSERT_TRUE(commands);
    EXPECT_EQ(S_OK, commands->Execute(ExecuteOnly));
    EXPECT_EQ(S_OK, commands->Execute(WithEnable));
    EXPECT_EQ((std::vector<std::string>{"shared 7", "own 3"}), handler.entries);
}

TEST(EventMap, AMapThatIsOnlyItsEndIsResolvedByClearingTheFlag)
{
    VyrEventMapEntry empty[] = {VyrEventMap::End()};
    empty[0].flags = VyrEventMap::Unresolved;
    VyrEventMap::ResolveIds(empty);
    EXPECT_EQ(0, empty[0].flags);
    EXPECT_EQ(nullptr, VyrEventMap::FindEntry(empty, CommandTrigger(1, VyrEventKind::CommandExecute)));
}

// A COM object that is a handler itself, observing a subject.
class ComHandler final : public VyrEventHandlerT<1>
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = nullptr;
        if (IsEqualIID(iid, IID_IObserver))
            *object = static_cast<IObserver*>(this);
        else if (IsEqualIID(iid, IID_IMessageHandler) || IsEqualIID(iid, IID_IUnknown))
            *object = static_cast<IMessageHandler*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }

    void OnObserved(const std::string* data) { seen.push_back(*data); }
    void OnMessage() { seen.push_back("message"); }
    void OnFailingCommand() { throw XOrv(E_ACCESSDENIED); }

    ULONG references = 1;
    std::vector<std::string> seen;

    VYR_DECLARE_EVENT_MAP()
};

VYR_DEFINE_EVENT_MAP(ComHandler, VyrEventHandlerBase){
    VyrEventMap::Header(),
    VyrEventMap::Observer(&IdOf<ObservedEvent>,
                          &DispatchObserverEvent<ComHandler, const std::string, &ComHandler::OnObserved>),
    VyrEventMap::Message(&IdOf<ExactMessage>, &DispatchMessageNoArgs<ComHandler, &ComHandler::OnMessage>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &IdOf<ExecuteOnly>,
                         &CallMemberNoArgs<ComHandler, &ComHandler::OnFailingCommand>),
    VyrEventMap::Message(&IdOf<PayloadMessage>, &DispatchMessageNoArgs<ComHandler, &ComHandler::OnFailingCommand>),
    VyrEventMap::End(),
};

using TestSubject = TestSupport::StackComObject<VyrSubject>;

TEST(ComEventHandler, RegisterEventsSubscribesToTheEventsItsMapNames)
{
    TestSubject subject;
    ComHandler handler;
    EXPECT_EQ(S_OK, handler.RegisterEvents(&subject));
    std::string changed = "changed";
    std::string other = "other";
    subject.Notify(ObservedEvent, &changed);
    subject.Notify(ObservedEvent + 1, &other);
    EXPECT_EQ(std::vector<std::string>{"changed"}, handler.seen);
}

TEST(ComEventHandler, AFailingHandlerAnswersTheHostWithItsCode)
{
    ComHandler handler;
    EXPECT_EQ(E_ACCESSDENIED, handler.Execute(ExecuteOnly));
    EXPECT_EQ(0, handler.HandleMessage(TestSupport::MakeMessage(PayloadMessage).Get()));
}

TEST(ComEventHandler, ItsOwnMapComesBeforeItsChildren)
{
    ComHandler parent;
    ComHandler child;
    parent.AddHandler(&child);
    EXPECT_EQ(1, parent.HandleMessage(TestSupport::MakeMessage(ExactMessage).Get()));
    EXPECT_EQ(std::vector<std::string>{"message"}, parent.seen);
    EXPECT_TRUE(child.seen.empty());
    parent.RemoveHandler(&child);
}

TEST(ProxyEventHandler, ForwardsHostCallsIntoThePlainObject)
{
    DerivedHandler handler;
    Orv::ComPtr<IVyrCommandHandler> commands = Orv::ComPtr<IObserver>(handler.Proxy()).As<IVyrCommandHandler>(IID_IVyrCommandHandler);
    ASSERT_TRUE(commands);
    EXPECT_EQ(S_OK, commands->Execute(ExecuteOnly));
    std::string data = "through proxy";
    handler.Proxy()->Notify(nullptr, ObservedEvent, 0, &data);
    EXPECT_EQ((std::vector<std::string>{"base only", "observed through proxy"}), handler.calls);
}

TEST(ProxyEventHandler, AMessageFlaggedNotToSenderDoesNotComeBackToItsSender)
{
    DerivedHandler sender;
    DerivedHandler sibling;
    TestSupport::HandlerNode root;
    const auto senderProxy = Orv::ComPtr<IObserver>(sender.Proxy()).As<IMessageHandler>(IID_IMessageHandler);
    const auto siblingProxy = Orv::ComPtr<IObserver>(sibling.Proxy()).As<IMessageHandler>(IID_IMessageHandler);
    root.AddHandler(senderProxy.Get());
    root.AddHandler(siblingProxy.Get());

    const MsgData<> data{ExactMessage, VyrMessageFlag::NotToSender, {}};
    EXPECT_EQ(S_OK, sender.SendMsg(static_cast<IMessageHandler*>(&root), data, 0));
    EXPECT_TRUE(sender.calls.empty());
    EXPECT_EQ(std::vector<std::string>{"exact message"}, sibling.calls);

    // Without the flag the sender's own map takes it first.
    const MsgData<> unflagged{ExactMessage, 0, {}};
    EXPECT_EQ(S_OK, sender.SendMsg(static_cast<IMessageHandler*>(&root), unflagged, 0));
    EXPECT_EQ(std::vector<std::string>{"exact message"}, sender.calls);
    root.RemoveHandler(senderProxy.Get());
    root.RemoveHandler(siblingProxy.Get());
}

// Subjects a plain object observes reach its map through its proxy and the host's subject manager; a
// new proxy takes the subjects over, and proxies that die leave no observer behind in the manager.
TEST(ProxyEventHandler, ObservedSubjectsNotifyThePlainObjectThroughItsProxy)
{
    TestSubject subject;
    std::string data = "model changed";
    {
        DerivedHandler handler;
        handler.Observe(&subject);
        subject.Notify(ObservedEvent, &data);
        subject.Notify(ObservedEvent + 1, &data);
        EXPECT_EQ(std::vector<std::string>{"observed model changed"}, handler.calls);

        Orv::ComPtr<IObserver> previous(handler.Proxy());
        handler.SetProxy(new VyrProxyEventHandler(&handler));
        EXPECT_NE(previous.Get(), handler.Proxy());
        subject.Notify(ObservedEvent, &data);
        EXPECT_EQ(2u, handler.calls.size());
    }
    subject.Notify(ObservedEvent, &data);
    EXPECT_EQ(S_FALSE, SubjectManagerAccessor::Get()->ForgetSubject(&subject));
}

TEST(ProxyEventHandler, ADetachedProxyAnswersHarmlessly)
{
    Orv::ComPtr<IObserver> proxy;
    {
        DerivedHandler handler;
        proxy = Orv::ComPtr<IObserver>(handler.Proxy());
    }
    const auto commands = proxy.As<IVyrCommandHandler>(IID_IVyrCommandHandler);
    const auto messages = proxy.As<IMessageHandler>(IID_IMessageHandler);
    CommandState state;
    EXPECT_EQ(S_OK, commands->Execute(ExecuteOnly));
    EXPECT_EQ(S_OK, commands->QueryState(WithEnable, &state));
    EXPECT_EQ(0u, state.state);
    EXPECT_EQ(S_OK, commands->Invoke(PopupCommand, 6, 1, 0));
    TestSubject subject;
    EXPECT_EQ(S_FALSE, proxy->RegisterEvents(&subject));
    std::string data = "late";
    EXPECT_EQ(S_OK, proxy->Notify(&subject, ObservedEvent, 0, &data));
    EXPECT_EQ(0, messages->HandleMessage(TestSupport::MakeMessage(ExactMessage).Get()));
}

} // namespace
