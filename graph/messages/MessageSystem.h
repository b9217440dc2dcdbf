// Synchronous publish and subscribe between graph objects and the views. A message is built on the
// sender's stack and delivered by direct calls, in registration order, under the sender's lock;
// receivers recognise it by its class and copy what they need.
#pragma once

#include "foundation/com/CriticalSection.h"

#include <vector>

namespace MessSys
{

class Message
{
public:
    virtual ~Message() = default;
};

class MessageReceiver
{
public:
    virtual ~MessageReceiver() = default;
    // True when the message was handled; the answer does not stop the delivery to others.
    virtual bool OnMessage(const Message&) { return false; }
};

class MessageSender
{
public:
    MessageSender() = default;
    MessageSender(const MessageSender&) = delete;
    MessageSender& operator=(const MessageSender&) = delete;
    virtual ~MessageSender() = default;

    // A receiver registered twice gets every message twice; null is ignored.
    void AddReceiver(MessageReceiver* receiver);
    // Removes the first entry equal to receiver.
    void RemoveReceiver(MessageReceiver* receiver);
    // Receivers may register or leave while they handle the message; one that left is not called again.
    void Send(const Message& message);
    bool HasReceivers();

private:
    std::vector<MessageReceiver*> m_receivers;
    Orv::CriticalSection m_lock;
};

} // namespace MessSys
