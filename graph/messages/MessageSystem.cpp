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

void MessageSender::Send(const Message& message)
{
    Orv::CriticalSectionLock lock(m_lock);
    for (MessageReceiver* receiver : m_receivers)
        receiver->OnMessage(message);
}

bool MessageSender::HasReceivers()
{
    Orv::CriticalSectionLock lock(m_lock);
    return !m_receivers.empty();
}

} // namespace MessSys
