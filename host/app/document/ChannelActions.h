// The host's actions on a document's channels, each told to the document's observers as the host tells
// them, so that a module's document reacts as it would to a person's change: a channel shown in other
// units, the host's own units put back, a stretch of recorded data cleared, an event source or a channel
// deleted.
#pragma once

#include "host/app/document/HostDocument.h"
#include "host/app/recording/Recording.h"

#include <string>

namespace Host
{

// What a person enters in the units dialog: two raw values of the channel (in its recorded unit) and
// the values they show in unit.
struct UnitsChange
{
    int32_t channel = 0;
    double raw1 = 0.0, raw2 = 1.0;
    double shown1 = 0.0, shown2 = 1.0;
    std::wstring unit;
};

// Shows the recorded channel through the two-point conversion, then tells the channel's setting changed.
// True when the conversion turns the signal over (a higher raw value shows a lower one), which only a
// channel of no known quantity takes. Throws std::invalid_argument for points that make no line or turn
// a pressure or volume over, a unit left empty or of another quantity than the recorded one, or a
// channel the document does not have; std::runtime_error when the document refuses the conversion.
bool ChangeChannelUnits(HostDocument& document, const UnitsChange& change);

// Every channel shown in its recorded unit again; the modules are told the host put its own conversions
// back, so that calibrations they keep applied are applied again.
void RestoreRecordedUnits(HostDocument& document);

// Sets the samples of the selection (the channels it covers, every channel when it names none) to zero in
// recording, the document's data, and tells each channel's data replaced. The number of channels cleared.
// Throws std::runtime_error when nothing is selected or recording is not what the document shows (a
// sampled document shows its own copy).
size_t ClearSelectedData(HostDocument& document, Recording& recording);

// Drops the calculation of the named event source and tells the document's sources that it was removed.
// Throws std::invalid_argument for a name that is no event source of the document.
void DeleteEventSource(HostDocument& document, const std::wstring& name);

// Deletes channel (recorded ones first, then the computed ones): a recorded channel keeps its place and
// number but its data are gone from recording, the document's data; a computed one goes, those after it
// moving up. The document is told that the channel's setting changed and which sources were removed: the
// channel, and the event sources that no longer yield events without it. Throws std::invalid_argument
// for a channel the document does not have, std::runtime_error when recording is not what the document
// shows (a sampled document shows its own copy).
void DeleteChannel(HostDocument& document, Recording& recording, int32_t channel);

} // namespace Host
