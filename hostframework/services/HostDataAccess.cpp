#include "hostframework/services/HostDataAccess.h"

#include "foundation/com/ComPtr.h"
#include "hostframework/messaging/MessageIds.h"
#include "hostframework/services/HostServices.h"
#include "hostframework/services/UnitConversion.h"
#include "hostframework/messaging/SistraIds.h"

#include "hostapi/HostChannelCalc.h"
#include "hostapi/VyrClassRegistry.h"

#include "hostapi/HostSelectionSource.h"
#include "hostapi/VyrAnalysis.h"
#include "hostapi/VyrDocuments.h"

#include <oleauto.h>

#include <algorithm>
#include <optional>

int64_t CountSamplesInRange(IHostDocument* document, int32_t channel, int32_t firstRecord, int32_t firstTick,
                            int32_t lastRecord, int32_t lastTick)
{
    if (!document || firstRecord > lastRecord)
        return 0;
    int64_t total = 0;
    for (int32_t record = firstRecord; record <= lastRecord; ++record)
    {
        int32_t count = 0;
        ULONG_PTR handle = 0;
        if (SUCCEEDED(document->GetRecordHandle(record, &handle)))
            document->GetSampleCount(HostSampleCountRequest, handle, channel, &count);
        const int64_t end = record == lastRecord ? lastTick : count;
        const int64_t start = record == firstRecord ? firstTick : 0;
        total += end - start;
    }
    return total;
}

namespace
{

// Asks for the channel's conversion in the record and, when the host gives none, once more for the
// fallback record; the unit of the answer.
template <class Request>
bool ReadUnitsWithFallback(IHostDocument* document, int32_t record, int32_t fallback, Request request,
                           Orv::PrefixedUnit& unit)
{
    if (!document)
        return false;
    Orv::ComPtr<IUnitConversion> conversion;
    if (request(*document, record, conversion.Put()) != S_OK || !conversion)
    {
        conversion = nullptr;
        request(*document, fallback, conversion.Put());
    }
    ConversionUnits units;
    if (!conversion || FAILED(ReadConversionUnits(*conversion.Get(), units)))
        return false;
    unit = units.Unit();
    return true;
}

} // namespace

bool ReadChannelUnits(IHostDocument* document, int32_t channel, int32_t record, Orv::PrefixedUnit& unit)
{
    return ReadUnitsWithFallback(document, record, HostDefaultRecord, [channel](IHostDocument& host, int32_t asked, IUnitConversion** out) {
        return host.GetChannelConversion(HostUnsetPosition, asked, channel, out);
    }, unit);
}

bool ReadChannelUnitsEx(IHostDocument* document, int32_t channel, int32_t record, Orv::PrefixedUnit& unit)
{
    return ReadUnitsWithFallback(document, record, HostWholeDocumentRecord, [channel](IHostDocument& host, int32_t asked, IUnitConversion** out) {
        return host.GetChannelConversionEx(HostChannelUnitsRequest, asked, channel, out);
    }, unit);
}

bool QueryChannelInterface(IUnknown* settings, int32_t channel, IUnknown** channelObject)
{
    if (channelObject)
        *channelObject = nullptr;
    Orv::ComPtr<IHostChannelSettings> channels;
    Orv::ComPtr<IUnknown> object;
    if (!settings || FAILED(settings->QueryInterface(IID_IHostChannelSettings, channels.PutVoid())) || !channels ||
        channels->GetRecordingChannel(channel, object.Put()) != S_OK || !object)
        return false;
    if (channelObject)
        *channelObject = object.Detach();
    return true;
}

bool HasChannelObjectAt(IHostDocument* document, int32_t record, int32_t channel)
{
    if (!document)
        return false;
    Orv::ComPtr<IUnknown> object;
    return SUCCEEDED(document->GetChannelData(HostChannelUnitsRequest, record, channel, object.Put())) && object;
}

namespace
{

struct SelectionRange
{
    SelectionPosition start;
    SelectionPosition end;
};

constexpr int32_t UnsetPart = 0x7FFFFFFF;

bool IsAfter(const SelectionPosition& first, const SelectionPosition& second)
{
    return first.block != second.block ? first.block > second.block : first.offset > second.offset;
}

std::optional<SelectionRange> ReadSelection(IHostSelectionSource& source)
{
    Orv::ComPtr<IUnknown> object;
    Orv::ComPtr<IHostSelectionRange> selection;
    if (FAILED(source.GetSelectionObject(0, object.Put())) || !object ||
        FAILED(object->QueryInterface(IID_IHostSelectionRange, selection.PutVoid())) || !selection)
        return std::nullopt;
    SelectionRange range;
    selection->GetRange(&range.start, &range.end);
    return range;
}

// The range the host object of the source's frame keeps beside the selection.
std::optional<SelectionRange> ReadSecondRange(IUnknown& source)
{
    Orv::ComPtr<IVyrDocumentFrame> frame;
    Orv::ComPtr<IUnknown> object, part;
    Orv::ComPtr<IHostFrameObject> host;
    Orv::ComPtr<IHostKeptRange> kept;
    if (FAILED(source.QueryInterface(IID_IVyrDocumentFrame, frame.PutVoid())) || !frame ||
        FAILED(frame->GetHostObject(object.Put())) || !object ||
        FAILED(object->QueryInterface(IID_IHostFrameObject, host.PutVoid())) || !host ||
        FAILED(host->GetPart(TypeIdClass<&HostTypeGUID, 2>::Id(), part.Put())) || !part ||
        FAILED(part->QueryInterface(IID_IHostKeptRange, kept.PutVoid())) || !kept)
        return std::nullopt;
    SelectionRange range;
    if (FAILED(kept->GetRange(&range.start, &range.end)))
        return std::nullopt;
    return range;
}

} // namespace

bool ResolveSelectionPosition(IHostDocument* document, IUnknown* source, int32_t channel, IUnitConversion** units)
{
    if (!document || !source || !units)
        return false;
    *units = nullptr;
    Orv::ComPtr<IHostSelectionSource> selectionSource;
    if (FAILED(source->QueryInterface(IID_IHostSelectionSource, selectionSource.PutVoid())) || !selectionSource)
        return false;
    const std::optional<SelectionRange> selection = ReadSelection(*selectionSource.Get());
    const bool selectionUsable = selection && selection->start.block != UnsetPart &&
                                 selection->end.block != UnsetPart &&
                                 HasChannelObjectAt(document, selection->start.block, channel);
    const std::optional<SelectionRange> second = ReadSecondRange(*source);
    std::optional<int32_t> block;
    if (selectionUsable && second)
    {
        const bool overlap = IsAfter(selection->end, second->start) && IsAfter(second->end, selection->start);
        block = overlap ? std::max(selection->start.block, second->start.block) : selection->start.block;
    }
    else if (selectionUsable)
        block = selection->start.block;
    else if (second && second->start.block != UnsetPart && HasChannelObjectAt(document, second->start.block, channel))
        block = second->start.block;
    if (block)
        return document->GetChannelConversion(HostUnsetPosition, *block, channel, units) == S_OK && *units;
    Orv::ComPtr<IUnknown> fallbackObject;
    Orv::ComPtr<IHostUnitsFallback> fallback;
    if (FAILED(selectionSource->GetUnitsFallback(fallbackObject.Put())) || !fallbackObject ||
        FAILED(fallbackObject->QueryInterface(IID_IHostUnitsFallback, fallback.PutVoid())) || !fallback)
        return false;
    return SUCCEEDED(fallback->GetChannelUnits(0, channel, units)) && *units;
}

bool GetChannelUnitsAtSelection(IHostDocument* document, IUnknown* source, int32_t channel, Orv::PrefixedUnit& unit,
                                bool preferShown)
{
    Orv::ComPtr<IUnitConversion> conversion;
    ConversionUnits units;
    if (!ResolveSelectionPosition(document, source, channel, conversion.Put()) || !conversion ||
        FAILED(ReadConversionUnits(*conversion.Get(), units)))
        return false;
    unit = preferShown && units.inUse ? units.Unit() : units.RawUnit();
    return true;
}

namespace
{

constexpr int32_t DefaultHostCount = 16;
// What the text calculation's display range is given with.
constexpr uint32_t DisplayRangeKind = 2;
constexpr uint32_t EventResultKind = 0x40000000u;

Orv::ComPtr<IHostDocumentData> QueryDocumentData(IUnknown* object)
{
    Orv::ComPtr<IHostDocumentData> data;
    if (object)
        object->QueryInterface(IID_IHostDocumentData, data.PutVoid());
    return data;
}

// The calculation object in the slot, asked for the interface; null for an empty slot or a missing face.
template <class Interface>
Orv::ComPtr<Interface> SlotCalculation(IHostDocumentData* data, int32_t channel, int32_t selector, REFIID iid)
{
    Orv::ComPtr<IUnknown> object;
    Orv::ComPtr<Interface> face;
    if (data && SUCCEEDED(data->GetChannelCalculation(channel, selector, object.Put())) && object)
        object->QueryInterface(iid, face.PutVoid());
    return face;
}

void PrepareSlotForReplacement(IHostDocumentData* data, int32_t channel, int32_t selector)
{
    if (const auto current = SlotCalculation<IHostChannelCalculation>(data, channel, selector, IID_IHostChannelCalculation))
        current->PrepareReplacement();
}

// A new text calculation of the host, given its texts by give; null when the host makes none or
// refuses the texts.
template <class Give>
Orv::ComPtr<IUnknown> MakeTextCalculation(Give give)
{
    IVyrObjectFactory* factory = ObjectFactoryAccessor::Get();
    Orv::ComPtr<IUnknown> calculation;
    Orv::ComPtr<IHostCalculationText> text;
    if (!factory ||
        FAILED(factory->CreateObject(nullptr, Sistra::HostCalculationType::Id(), IID_IHostCalculation, calculation.PutVoid())) ||
        !calculation || FAILED(calculation->QueryInterface(IID_IHostCalculationText, text.PutVoid())) || !text ||
        FAILED(give(*text.Get())))
        return nullptr;
    return calculation;
}

} // namespace

int32_t MaxOfThreeHostCounts(IHostChannelCounts* counts)
{
    int32_t all = DefaultHostCount, recorded = DefaultHostCount, withCalculations = DefaultHostCount;
    if (counts)
    {
        counts->GetRecordedChannelCount(&recorded);
        counts->GetAllChannelCount(&all);
        counts->GetCalculationChannelCount(0, &withCalculations);
    }
    return std::max({recorded, all, withCalculations});
}

bool FindOwnChannelCalculation(IHostDocument* document, IHostChannelCalcState** state, int32_t channel,
                               int32_t selector, uint32_t expectedType)
{
    if (!document || !state)
        return false;
    *state = nullptr;
    Orv::ComPtr<IUnknown> dataObject;
    if (FAILED(document->GetDocumentData(dataObject.Put())) || !dataObject)
        return false;
    const Orv::ComPtr<IHostDocumentData> data = QueryDocumentData(dataObject.Get());
    const auto calculation = SlotCalculation<IHostChannelCalculation>(data.Get(), channel, selector, IID_IHostChannelCalculation);
    uint32_t type = 0;
    if (!calculation || FAILED(calculation->GetCalculationType(&type)) || type != expectedType)
        return false;
    return SUCCEEDED(calculation->QueryInterface(IID_IHostChannelCalcState, reinterpret_cast<void**>(state))) && *state;
}

bool TestChannelCalcState(IHostDocument* document, int32_t channel, bool strict)
{
    const Orv::ComPtr<IHostDocumentData> data = QueryDocumentData(document);
    if (!data)
        return false;
    const auto state = SlotCalculation<IHostChannelCalcState>(data.Get(), channel, HostChannelCalcSelector, IID_IHostChannelCalcState);
    if (!state)
        return true;
    uint32_t word = 0;
    if (FAILED(state->GetState(&word)))
        return false;
    if (word & HostCalcResultsCurrent)
        return true;
    return !strict && (word & HostCalcInstalled) != 0;
}

bool CreateHostCalcFromText(IHostDocument* document, const Orv::String& expression, const Orv::String& unit,
                            int32_t channel, int32_t selector)
{
    const Orv::ComPtr<IUnknown> calculation = MakeTextCalculation([&](IHostCalculationText& text) {
        return text.SetTexts(expression.Interface(), unit.Interface(), 0);
    });
    return calculation && InstallHostCalc(document, calculation.Get(), channel, selector);
}

bool CreateHostCalcFromTextRange(IHostDocument* document, const Orv::String& expression, const Orv::String& unit,
                                 int32_t channel, int32_t selector, double top, double bottom, Orv::String* refusal)
{
    const Orv::ComPtr<IUnknown> calculation = MakeTextCalculation([&](IHostCalculationText& text) {
        return text.SetTextsWithRange(expression.Interface(), unit.Interface(), top, bottom, DisplayRangeKind,
                                      EventResultKind);
    });
    return calculation && InstallHostCalc(document, calculation.Get(), channel, selector, refusal);
}

namespace
{

// The target of the channel's slot, its calculation told that it is being replaced; null when the host
// gives none.
Orv::ComPtr<IHostCalcTarget> ReplacedSlot(IHostDocument* document, int32_t channel, int32_t selector)
{
    const Orv::ComPtr<IHostDocumentData> data = QueryDocumentData(document);
    if (!data)
        return nullptr;
    PrepareSlotForReplacement(data.Get(), channel, selector);
    IVyrObjectFactory* factory = ObjectFactoryAccessor::Get();
    Orv::ComPtr<IHostCalcReceiver> receiver;
    Orv::ComPtr<IHostCalcTarget> target;
    if (!factory || FAILED(factory->GetObject(Sistra::HostCalculationReceiverType::Id(), IID_IHostCalcReceiver, receiver.PutVoid())) ||
        !receiver || FAILED(receiver->GetTarget(channel, selector, data.Get(), target.Put())))
        return nullptr;
    return target;
}

// The reason the object left as the thread's error information for a failed call on its face iid;
// empty when the object leaves none for that face.
Orv::String StatedReason(IUnknown* object, REFIID iid)
{
    Orv::ComPtr<ISupportErrorInfo> support;
    Orv::ComPtr<IErrorInfo> info;
    BSTR description = nullptr;
    if (FAILED(object->QueryInterface(IID_ISupportErrorInfo, support.PutVoid())) ||
        support->InterfaceSupportsErrorInfo(iid) != S_OK || GetErrorInfo(0, info.Put()) != S_OK || !info ||
        FAILED(info->GetDescription(&description)))
        return {};
    const Orv::String reason(description ? description : L"");
    SysFreeString(description);
    return reason;
}

} // namespace

bool InstallHostCalc(IHostDocument* document, IUnknown* calculation, int32_t channel, int32_t selector,
                     Orv::String* refusal)
{
    Orv::ComPtr<IUnknown> face;
    if (!calculation || FAILED(calculation->QueryInterface(IID_IHostCalculation, face.PutVoid())))
        return false;
    const Orv::ComPtr<IHostCalcTarget> target = ReplacedSlot(document, channel, selector);
    if (!target)
        return false;
    const HRESULT installed = target->Install(face.Get(), HostCalcInstallFlags);
    if (FAILED(installed) && refusal)
        *refusal = StatedReason(target.Get(), IID_IHostCalcTarget);
    return installed == S_OK;
}

bool ClearHostCalc(IHostDocument* document, int32_t channel, int32_t selector)
{
    const Orv::ComPtr<IHostCalcTarget> target = ReplacedSlot(document, channel, selector);
    return target && target->Install(nullptr, HostCalcInstallFlags) == S_OK;
}

void ResetChannelCalculation(IHostDocument* document, int32_t channel, int32_t selector)
{
    PrepareSlotForReplacement(QueryDocumentData(document).Get(), channel, selector);
}

HostSelectionRange ReadHostSelection(IUnknown* document, int32_t channel)
{
    HostSelectionRange range;
    Orv::ComPtr<IHostSelection> selection;
    if (!document || FAILED(document->QueryInterface(IID_IHostSelection, selection.PutVoid())) || !selection)
        return range;
    VARIANT_BOOL included = VARIANT_FALSE;
    selection->IncludesChannel(channel, &included);
    selection->GetSelection(&range.start, &range.end);
    range.includesChannel = included != VARIANT_FALSE;
    return range;
}
