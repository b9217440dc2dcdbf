// Pages change recorded data only through the document's automation commands, the very messages a
// macro sends, so that what a page does can be recorded and replayed like any other command.
#pragma once

#include "document/core/SistraDocument.h"
#include "hostframework/messaging/MessageSenders.h"
#include "hostframework/messaging/SistraIds.h"

namespace Sistra
{

// A command's payload of one whole number: its type code, then the value.
struct OneLongPayload
{
    ULONG typeWord = 2;
    LONG value = 0;
};

// Sends the document the command of that number of its message group.
template <class Payload = MsgPayload0>
void SendDocumentCommand(SistraDocument& document, USHORT number, const Payload& payload = {}, ULONG flags = 0)
{
    document.SendMsg(document.Outer(), MsgData<Payload>{MsgIdClass<&SistraDocumentGUID, 0>::Id() | number, flags, payload},
                     0);
}

} // namespace Sistra
