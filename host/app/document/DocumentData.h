// The recording of a host document kept in its compound file, as the document shows it: cleared stretches
// hold their zeros, a deleted channel keeps its place (so the channels after it keep their numbers) with no
// samples, and each channel keeps the units conversion it is shown through. A document opened from it shows
// the same data without its recording file.
//
// Layout: storage "Data" with stream "Channels" (a binary record: format version, channel count, record
// count, then per channel its name, its unit, whether it is deleted and, when it is not, its units
// conversion) and a stream per record "Record<n>" (n from 1): the sample interval (double), the length in
// ticks (64-bit), then the samples of each channel that is not deleted, channel after channel (floats).
// All numbers little-endian.
#pragma once

#include "host/app/recording/Recording.h"

#include "foundation/com/ComPtr.h"
#include "hostapi/VyrAnalysis.h"
#include "hostapi/VyrServices.h"

#include <objidl.h>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace Host
{

class HostDocument;

// The units conversion of each recorded channel that shows one, by channel index.
using ChannelConversions = std::vector<std::pair<int32_t, Orv::ComPtr<IUnitConversion>>>;

// What the document shows, to be written.
struct ShownRecording
{
    const Recording& recording;
    ChannelConversions conversions;
};

// What a file holds, read back.
struct SavedRecording
{
    Recording recording;
    ChannelConversions conversions;
};

// Writes the recording into root in place of what an earlier save wrote (without shown: only removes
// that), telling progress (when there is one) how far it got. A cancel answered by progress fails with
// E_ABORT; nothing is committed here.
HRESULT WriteDocumentData(IStorage* root, const ShownRecording* shown, IHostProgress* progress);
// The recording root holds; none when it holds none (a file saved before documents kept their data).
// Throws std::runtime_error, naming what is wrong, for data that are damaged or cut.
std::optional<SavedRecording> ReadDocumentData(IStorage* root);

// The conversion each recorded channel of the document is shown through.
ChannelConversions ShownConversions(HostDocument& document);
// Shows the document's channels through the conversions again; throws std::runtime_error when the document
// refuses one.
void ApplyConversions(HostDocument& document, const ChannelConversions& conversions);

// A progress indicator of the host's for the work named by title; null when the host has none.
Orv::ComPtr<IHostProgress> HostProgress(const wchar_t* title);

} // namespace Host
