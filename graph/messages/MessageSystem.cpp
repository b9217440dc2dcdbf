#include "graph/messages/MessageSystem.h"

#include <algorithm>

namespace MessSys
{

void MessageSender::AddReceiver(MessageReceiver* receiver)
{
    Orv::CriticalSectionLock lock(m_lock);
    if (receiver)
        m_receivers.push_back(receiver);
}

void MessageSender::RemoveReceiver(MessageReceiver* receiver)
{
    Orv::CriticalSectionLock lock(m_lock);
    const auto found = std::find(m_receivers.begin(), m_receivers.end(), receiver);
    if (found != m_receivers.end())
        m_receivers.erase(found);
}

// A receiver may add or remove receivers while it handles a message (a view that closes on a message takes
// itself off): the walk goes over the list as it stood when the message went out, and skips an entry
// whose receiver has left meanwhile, since it may already be gone. One that joins gets the next message.
void MessageSender::Send(const Message& message)
{
    Orv::CriticalSectionLock lock(m_lock);
    const std::vector<MessageReceiver*> addressed = m_receivers;
    for (MessageReceiver* receiver : addressed)
        if (std::find(m_receivers.begin(), m_receivers.end(), receiver) != m_receivers.end())
            receiver->OnMessage(message);
}

bool MessageSender::HasReceivers()
{
    Orv::CriticalSectionLock lock(m_lock);
    return !m_receivers.empty();
}

} // namespace MessSys
