#include "document/core/EventDrawPolicies.h"

#include "document/analysis/SistraData.h"
#include "foundation/text/StringStream.h"
#include "hostframework/entry/ClassRegistration.h"
#include "hostframework/messaging/SistraIds.h"
#include "hostframework/document/EventDrawClass.h"

#include "hostapi/HostDocument.h"

namespace Sistra
{
namespace
{

constexpr COLORREF ValidLoopColour = RGB(0, 255, 0);
constexpr COLORREF ExcludedLoopColour = RGB(0x40, 0x40, 0x40);
constexpr COLORREF ClosingRecordColour = RGB(0x80, 0x80, 0x80);
constexpr double SecondsPerMinute = 60.0;

using LoopDrawClass = StrixClient::TEventDrawClass<SistraEvent, TypeIdClass<&SistraEventDrawGUID, EventDrawType::LoopEvent>,
                                                   SistraEventDrawPolicy<SistraEvent>>;
using EdpDrawClass =
    StrixClient::TEventDrawClass<SistraEdpEvent, TypeIdClass<&SistraEventDrawGUID, EventDrawType::EndDiastolicPointEvent>,
                                 SistraEdpEventDrawPolicy<SistraEdpEvent>>;

template <class DrawClass>
class DrawClassMaker final : public EventDrawClassMaker
{
public:
    IVyrClassObject* GetClassObject() override { return new (std::nothrow) DrawClass; }
};

// The maker list runs newest first: the loop events register before the end-diastolic points.
DrawClassMaker<EdpDrawClass> edpDrawMaker;
DrawClassMaker<LoopDrawClass> loopDrawMaker;

} // namespace

// The analysis data the host keeps with the drawing's record: through the record's child-data container.
Orv::ComPtr<SistraData> RecordAnalysisData(IUnknown* drawing)
{
    Orv::ComPtr<IHostRecordData> record;
    Orv::ComPtr<IUnknown> held, child;
    if (!drawing || FAILED(drawing->QueryInterface(IID_IHostRecordData, record.PutVoid())) || !record ||
        FAILED(record->GetChildDataContainer(held.Put())) || !held)
        return nullptr;
    const auto container = held.As<IHostChildDataContainer>(IID_IHostChildDataContainer);
    if (!container || container->FindChild(0, DocumentDataTypeId::Id(), child.Put()) != S_OK || !child)
        return nullptr;
    Orv::ComPtr<IStrixDataChildData> data = child.As<IStrixDataChildData>(IID_IStrixDataChildData);
    ULONG typeId = 0;
    SistraData* own = nullptr;
    if (!data || FAILED(data->GetTypeId(&typeId)) || typeId != DocumentDataTypeId::Id() ||
        FAILED(data->QueryInterface(IID_SistraAnalysisData, reinterpret_cast<void**>(&own))) || !own)
        return nullptr;
    return Orv::ComPtr<SistraData>::Adopt(own);
}

std::optional<uint32_t> FindDrawnLoopIndex(IUnknown* drawing, int32_t block, int32_t tick)
{
    const Orv::ComPtr<SistraData> data = RecordAnalysisData(drawing);
    if (!data || !data->PressureStore().Stats())
        return std::nullopt;
    VChanData& store = data->PressureStore();
    const int32_t eventIndex = store.FindEventAt(tick, block);
    SistraEvent found;
    int32_t foundBlock = 0;
    if (eventIndex < 0 || !store.GetLoopRecord(static_cast<uint32_t>(eventIndex), found, foundBlock) ||
        foundBlock != block || found.base.tick != tick)
        return std::nullopt;
    return store.Stats()->ToLoopIndex(static_cast<uint32_t>(eventIndex));
}

Orv::String LoopTooltip(const SistraEvent& loop, std::optional<uint32_t> loopIndex, const std::wstring& valueUnit)
{
    const bool closing = loop.state == LoopStateClosing;
    if (!closing && !loopIndex)
        return Orv::String();
    Orv::OStringStream text;
    if (closing)
        text << L"Last in block.";
    else
        text << L"Sistra: " << *loopIndex + 1 << (loop.state == LoopStateExcluded ? L", Excluded." : L";");
    text << L" Value = " << loop.base.value;
    if (!valueUnit.empty())
        text << L' ' << valueUnit.c_str();
    if (!closing)
        text << L"; Period = " << SecondsPerMinute / loop.hr << L" s";
    return text.Str();
}

template <>
COLORREF SistraEventDrawPolicy<SistraEvent>::Colour(const SistraEvent& loop)
{
    switch (loop.state)
    {
    case LoopStateClosing:
        return ClosingRecordColour;
    case LoopStateExcluded:
        return ExcludedLoopColour;
    default:
        return ValidLoopColour;
    }
}

template <>
Orv::String SistraEventDrawPolicy<SistraEvent>::Tooltip(IUnknown* drawing, LONG block, const SistraEvent& loop)
{
    const std::optional<uint32_t> index =
        loop.state == LoopStateClosing ? std::nullopt : FindDrawnLoopIndex(drawing, block, loop.base.tick);
    return LoopTooltip(loop, index);
}

template <>
Orv::String SistraEdpEventDrawPolicy<SistraEdpEvent>::Tooltip(IUnknown*, LONG, const SistraEdpEvent&)
{
    static const Orv::String text(L"EDP Event");
    return text;
}

} // namespace Sistra
