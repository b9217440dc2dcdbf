#include "hostframework/tests/FrameworkTestSupport.h"
#include "foundation/tests/AllocationWatch.h"
#include "hostframework/messaging/MessageSenders.h"
#include "hostframework/messaging/Subjects.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

constexpr ULONG SomeMessage = 0x12340001;

using Node = TestSupport::HandlerNode;

TEST(MessageHandlerTree, TheFirstChildThatHandlesAMessageEndsTheSearch)
{
    Node root;
    Node first(true);
    Node second(true);
    root.AddHandler(&first);
    root.AddHandler(&second);
    EXPECT_EQ(1, root.HandleMessage(TestSupport::MakeMessage(SomeMessage).Get()));
    EXPECT_EQ(1, first.offered);
    EXPECT_EQ(0, second.offered);
    root.RemoveHandler(&first);
    root.RemoveHandler(&second);
}

TEST(MessageHandlerTree, AddingAndRemovingAChildLeavesItAsItWas)
{
    Node root;
    Node child;
    const ULONG before = child.references;
    EXPECT_EQ(S_OK, root.AddHandler(&child));
    EXPECT_EQ(before + 1, child.references);
    EXPECT_EQ(&root, child.Parent());
    // The parent is the child's target and holds the child: it is not held back.
    EXPECT_EQ(static_cast<IMessageHandler*>(&root), child.Target());

    EXPECT_EQ(S_OK, root.RemoveHandler(&child));
    EXPECT_EQ(before, child.references);
    EXPECT_EQ(nullptr, child.Parent());
    EXPECT_EQ(static_cast<IMessageHandler*>(&child), child.Target());
    EXPECT_EQ(0u, root.ChildCount());
}

TEST(MessageHandlerTree, RemovingNullOrAStranger)
{
    Node root;
    Node stranger;
    EXPECT_EQ(S_FALSE, root.RemoveHandler(nullptr));
    EXPECT_EQ(E_FAIL, root.RemoveHandler(&stranger));
}

// Running out of memory inside a handler's interface is answered there, never thrown at the host.
TEST(MessageHandlerTree, OutOfMemoryIsAnHResultAndChangesNothing)
{
    Node root;
    std::vector<Node> children(8);   // as many as a handler makes room for before it grows
    for (Node& child : children)
        ASSERT_EQ(S_OK, root.AddHandler(&child));
    Node refused;
    const ULONG before = refused.references;
    AllocationWatch::failNext = true;
    EXPECT_EQ(E_OUTOFMEMORY, root.AddHandler(&refused));
    EXPECT_EQ(nullptr, refused.Parent());
    EXPECT_EQ(before, refused.references);
    EXPECT_EQ(children.size(), root.ChildCount());

    // A plain handler offers a message to a copy of its children: no copy, not handled.
    TestSupport::StackComObject<VyrMessageHandler> plain;
    Node taker(true);
    plain.AddHandler(&taker);
    const Orv::ComPtr<IMessage> message = TestSupport::MakeMessage(SomeMessage);
    AllocationWatch::failNext = true;
    EXPECT_EQ(0, plain.HandleMessage(message.Get()));
    EXPECT_EQ(1, plain.HandleMessage(message.Get()));
    plain.RemoveHandler(&taker);
    for (Node& child : children)
        root.RemoveHandler(&child);
}

TEST(MessageSender, AMessageNamesItsSenderOnlyWhileItIsDelivered)
{
    Node target;
    const Orv::ComPtr<IMessage> message = TestSupport::MakeMessage(SomeMessage, VyrMessageFlag::NotToSender);
    // The target refuses its own message: delivery fails, and the stamp is gone afterwards all the same.
    EXPECT_EQ(S_FALSE, target.Send(static_cast<IMessageHandler*>(&target), message.Get()));
    EXPECT_EQ(1, target.offered);
    VARIANT_BOOL fromSender = VARIANT_TRUE;
    message->IsFromSender(target.SenderIdentity(), &fromSender);
    EXPECT_EQ(VARIANT_FALSE, fromSender);
}

TEST(MessageSender, AFlaggedMessageIsRefusedByItsSenderAndTakenByOthers)
{
    Node root;
    Node sender(true);
    Node other(true);
    root.AddHandler(&sender);
    root.AddHandler(&other);
    EXPECT_EQ(S_OK, sender.SendMsg(static_cast<IMessageHandler*>(&root), MsgData<>{SomeMessage, 0, {}},
                                   VyrMessageFlag::NotToSender));
    EXPECT_EQ(1, sender.offered);
    EXPECT_EQ(1, other.offered);
    root.RemoveHandler(&sender);
    root.RemoveHandler(&other);
}

TEST(MessageSender, ADisabledSenderSendsNothing)
{
    Node target(true);
    target.SetEnabled(false);
    EXPECT_EQ(E_FAIL, target.SendMsg(static_cast<IMessageHandler*>(&target), MsgData<>{SomeMessage, 0, {}}, 0));
    EXPECT_EQ(0, target.offered);
}

// A creator that answers success without a message.
class EmptyCreator final : public TestSupport::StackComObject<IMessageCreator>
{
public:
    HRESULT STDMETHODCALLTYPE MakeMessage(ULONG, ULONG, ULONG, ULONG, ULONG, const void*, IMessage** message) override
    {
        *message = nullptr;
        return S_OK;
    }
};

TEST(MessageSender, NoMessageFromTheCreatorIsAFailureNotACrash)
{
    Node target(true);
    EmptyCreator creator;
    EXPECT_EQ(E_FAIL, target.SendMsgThrough(&creator, static_cast<IMessageHandler*>(&target),
                                            MsgData<>{SomeMessage, 0, {}}, 0));
    EXPECT_EQ(E_FAIL, target.SendMsgThrough(nullptr, static_cast<IMessageHandler*>(&target),
                                            MsgData<>{SomeMessage, 0, {}}, 0));
    EXPECT_EQ(0, target.offered);
}

using TestSupport::MessageKeeper;

struct OneLong
{
    ULONG typeWord;
    LONG row;
};

TEST(MessageSender, ThePayloadTravelsWithTheMessage)
{
    MessageKeeper reader;
    Node sender;
    const MsgData<OneLong> data{SomeMessage, 0x4, {1, 42}};
    EXPECT_EQ(S_OK, sender.SendMsg(&reader, data, 0x100));
    ASSERT_TRUE(reader.kept);
    const void* payload = nullptr;
    ASSERT_EQ(S_OK, reader.kept->GetPayload(&payload));
    EXPECT_EQ(42, static_cast<const OneLong*>(payload)->row);
    ULONG flags = 0;
    reader.kept->GetFlags(&flags);
    EXPECT_EQ(0x104u, flags);
    EXPECT_EQ((std::vector<ULONG>{0, 0, 0}), reader.CreatorWords());
}

// The context word goes to the creator as its fifth word, an origin pair as its third and fourth.
TEST(MessageSender, ContextAndOriginReachTheCreatorInTheirPlaces)
{
    MessageKeeper reader;
    Node sender;
    const MsgData<OneLong> data{SomeMessage, 0, {1, 5}};
    const ULONG context = 0x800D000E;
    EXPECT_EQ(S_OK, sender.SendMsgWithContext(&reader, data, 0x24, &context));
    EXPECT_EQ((std::vector<ULONG>{0, 0, context}), reader.CreatorWords());
    ULONG flags = 0;
    reader.kept->GetFlags(&flags);
    EXPECT_EQ(0x24u, flags);

    EXPECT_EQ(S_OK, sender.SendMsgFromOrigin(&reader, data, 0, 0x00020004, 1));
    EXPECT_EQ((std::vector<ULONG>{0x00020004, 1, 0}), reader.CreatorWords());
    const void* payload = nullptr;
    reader.kept->GetPayload(&payload);
    EXPECT_EQ(5, static_cast<const OneLong*>(payload)->row);
}

// A subject and observers through the host's subject manager.
using Subject = TestSupport::StackComObject<VyrSubject>;

class RecordingObserver final : public TestSupport::StackComObject<IObserver>
{
public:
    HRESULT STDMETHODCALLTYPE RegisterEvents(ISubject*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Notify(ISubject* subject, ULONG eventId, ULONG_PTR, void* data) override
    {
        events.push_back(eventId);
        lastData = data;
        if (unsubscribeOther)
            subject->RemoveObserver(unsubscribeOther);
        return S_OK;
    }
    std::vector<ULONG> events;
    void* lastData = nullptr;
    IObserver* unsubscribeOther = nullptr;
};

TEST(Subjects, ObserversOfAllEventsAndOfOneEvent)
{
    Subject subject;
    RecordingObserver all;
    RecordingObserver one;
    subject.AddObserver(&all);
    subject.AddObserverForEvent(&one, 7, 0);
    int changedIds = 0x15;
    subject.Notify(7, &changedIds);
    subject.Notify(8, nullptr);
    EXPECT_EQ((std::vector<ULONG>{7, 8}), all.events);
    EXPECT_EQ(std::vector<ULONG>{7}, one.events);
    EXPECT_EQ(&changedIds, one.lastData);

    subject.RemoveObserver(&all);
    subject.Notify(7, nullptr);
    EXPECT_EQ(2u, all.events.size());
    EXPECT_EQ(2u, one.events.size());
}

TEST(Subjects, AnObserverRemovedDuringANotificationIsNotCalled)
{
    Subject subject;
    RecordingObserver first;
    RecordingObserver second;
    first.unsubscribeOther = &second;
    subject.AddObserver(&first);
    subject.AddObserver(&second);
    subject.Notify(1, nullptr);
    EXPECT_EQ(1u, first.events.size());
    EXPECT_TRUE(second.events.empty());
}

TEST(Subjects, AForgottenSubjectOrObserverReceivesNothing)
{
    RecordingObserver observer;
    ISubjectManager* manager = SubjectManagerAccessor::Get();
    {
        Subject subject;
        subject.AddObserver(&observer);
        manager->ForgetObserver(&observer);
        subject.Notify(1, nullptr);
        EXPECT_TRUE(observer.events.empty());
        subject.AddObserver(&observer);
    }
    // The subject's death made the manager forget it: nothing is left to reach the observer.
    EXPECT_EQ(S_FALSE, manager->ForgetObserver(&observer));
}

} // namespace
