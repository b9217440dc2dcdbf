// The host document's recording as the module reads it: sample counts over a range of records, the
// units a channel is shown in, and whether a channel has data in a record.
#pragma once

#include "hostapi/HostDocument.h"
#include "foundation/numbers/Units.h"

#include <cstdint>

// The channel's samples from offset firstTick of firstRecord up to lastTick of lastRecord: the first
// record counts from its offset, the last up to its offset, those between whole. 0 when the range runs
// backwards; a record whose count the host does not give counts 0 samples.
int64_t CountSamplesInRange(IHostDocument* document, int32_t channel, int32_t firstRecord, int32_t firstTick,
                            int32_t lastRecord, int32_t lastTick);

// The unit the channel is shown in in the record; when the host gives no conversion for the record, the
// one of the whole recording. False when neither exists.
bool ReadChannelUnits(IHostDocument* document, int32_t channel, int32_t record, Orv::PrefixedUnit& unit);

// The same through the document's whole-document form of the request: the fallback is the conversion of
// the whole document.
bool ReadChannelUnitsEx(IHostDocument* document, int32_t channel, int32_t record, Orv::PrefixedUnit& unit);

// Whether the channel is set up for recording, by the document's channel settings; its recording object
// (one reference) when channelObject is given.
bool QueryChannelInterface(IUnknown* settings, int32_t channel, IUnknown** channelObject);

// Whether the channel has data in the record.
bool HasChannelObjectAt(IHostDocument* document, int32_t record, int32_t channel);

struct IUnitConversion;

// The host's selection of a document: its two ends (every part 0x7FFFFFFF when nothing is selected)
// and whether a channel takes part in it.
struct HostSelectionRange
{
    static constexpr int32_t Unset = 0x7FFFFFFF;
    TickPosition start{Unset, Unset};
    TickPosition end{Unset, Unset};
    bool includesChannel = false;

    bool IsSet() const { return start.record != Unset && end.record != Unset; }
    bool InOneRecord() const { return IsSet() && start.record == end.record; }
};

// The document's selection, asked whether channel takes part in it; nothing selected when the document
// offers no selection.
HostSelectionRange ReadHostSelection(IUnknown* document, int32_t channel);

// The units conversion of the channel at the source's selection: in the record of the selection's start
// (where it overlaps the range the source's frame keeps, the later of the two starts' records), else in
// the kept range's record, else the source's fallback. False when none answers.
bool ResolveSelectionPosition(IHostDocument* document, IUnknown* source, int32_t channel, IUnitConversion** units);

// The channel's unit at the source's selection: the unit of its raw values, or, with preferShown and a
// conversion in use, the unit the host shows them in. False when the host has none there.
bool GetChannelUnitsAtSelection(IHostDocument* document, IUnknown* source, int32_t channel, Orv::PrefixedUnit& unit,
                                bool preferShown);

struct IHostChannelCounts;
struct IHostChannelCalcState;
namespace Orv
{
class String;
}

// The largest of the host's three channel counts: the channels to walk. 16 without the object.
int32_t MaxOfThreeHostCounts(IHostChannelCounts* counts);

// The state face (one reference for the caller) of the calculation in the channel's slot of that
// selector, when that calculation's class is of expectedType. The document data is the host's answer
// to the document's slot 16.
bool FindOwnChannelCalculation(IHostDocument* document, IHostChannelCalcState** state, int32_t channel,
                               int32_t selector, uint32_t expectedType);

// Whether the calculation that makes the channel's samples has its results: true when they are current
// or when the channel keeps no state; not strict, also when a calculation is merely installed.
bool TestChannelCalcState(IHostDocument* document, int32_t channel, bool strict);

// Makes the host's text calculation of the expression (with its unit text) and installs it in the
// channel's slot of that selector; the Range form gives the channel its display range too. False when
// the host refuses any step, among them an expression the document cannot compile; refusal, when
// given, then takes the reason the host states (empty when it states none).
bool CreateHostCalcFromText(IHostDocument* document, const Orv::String& expression, const Orv::String& unit,
                            int32_t channel, int32_t selector);
bool CreateHostCalcFromTextRange(IHostDocument* document, const Orv::String& expression, const Orv::String& unit,
                                 int32_t channel, int32_t selector, double top, double bottom,
                                 Orv::String* refusal = nullptr);

// Installs the calculation in the channel's slot of that selector, after telling the calculation there
// that it is being replaced. True exactly when the host took it; else refusal, when given, takes the
// reason the host states.
bool InstallHostCalc(IHostDocument* document, IUnknown* calculation, int32_t channel, int32_t selector,
                     Orv::String* refusal = nullptr);

// Empties the channel's slot of that selector, after telling the calculation there that it goes. True
// exactly when the host emptied it.
bool ClearHostCalc(IHostDocument* document, int32_t channel, int32_t selector);

// Tells the calculation in the channel's slot that it is being replaced.
void ResetChannelCalculation(IHostDocument* document, int32_t channel, int32_t selector);
