// The document's computed channels kept in its file: each channel's class and the settings the class makes
// it from, made again by the class when the file opens, as a recording application keeps its computed
// channels with its documents.
#pragma once

#include "host/app/document/DocumentFile.h"
#include "host/app/gui/ComputedChannelCommand.h"

#include <string>
#include <vector>

namespace Host
{

// Each of the document's computed channels as its file keeps it, in the document's order. Throws
// std::runtime_error naming a channel whose class or settings cannot be told.
SavedComputedChannels KeepComputedChannels(const HostDocument& document, const ComputedChannelHosts& hosts,
                                           IVyrStandIn& standIn);

// A saved channel made again: its index among the document's computed channels, and the unit it showed.
struct RemadeChannel
{
    size_t index = 0;
    Orv::ComPtr<IHostUnit> unit;
};
struct RemadeChannels
{
    std::vector<RemadeChannel> channels;
    // What the person is told of each saved channel that cannot be made again and is left out.
    std::vector<std::string> leftOut;
};

// Makes the saved channels' calculations again from their settings, in their order, as the document's
// computed channels, so that the module's settings that name one find it. They run nothing until
// RunRemadeChannels: their texts read items the analysis makes on its first run.
RemadeChannels RemakeComputedChannels(const SavedComputedChannels& channels, const ComputedChannelHosts& hosts,
                                      IVyrStandIn& standIn);

// Once the analysis has run: each remade channel applies its settings and shows its saved unit, then every
// computed channel runs over the whole recording once, as a channel's settings run when it is made, with
// the host's progress. A channel that cannot apply its settings or whose calculation fails is left out
// (what the person is told of each); a cancelled run keeps the channels, which compute as they are shown.
std::vector<std::string> RunRemadeChannels(HostDocument& document, const std::vector<RemadeChannel>& channels);

} // namespace Host
