// The frame's commands on the document's channels: Channel > Units... (a recorded channel shown through a
// two-point conversion), Channel > Recorded Units, Channel > Delete Event Source..., Channel > Delete
// Channel... (a recorded or a computed channel), Edit > Clear Data (the selection's samples set to zero)
// and Edit > Delete Record... (the record holding the selection). Each asks in a dialog of the host's own,
// then tells the module's document as the host does.
#pragma once

#include "host/app/gui/FrameWindow.h"
#include "host/app/gui/OpenedRecording.h"

#include <functional>

namespace Host
{

class ChannelCommands
{
public:
    // changed: told after each command that changed what the trace view shows.
    ChannelCommands(FrameWindow& frame, OpenedRecording& opened, std::function<void()> changed);
    ~ChannelCommands();
    ChannelCommands(const ChannelCommands&) = delete;
    ChannelCommands& operator=(const ChannelCommands&) = delete;

private:
    void AskUnits();
    void DeleteSource();
    void DeleteChosenChannel();
    void DeleteSelectedRecord();

    FrameWindow& frame_;
    OpenedRecording& opened_;
    std::function<void()> changed_;
};

} // namespace Host
