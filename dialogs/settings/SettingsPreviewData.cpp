#include "dialogs/settings/SettingsPreviewData.h"

#include "foundation/numbers/Units.h"
#include "hostframework/services/HostDataAccess.h"
#include "hostapi/HostAcquisition.h"

#include <oleauto.h>

#include <sstream>
#include <string>

namespace Sistra
{
namespace
{

constexpr int32_t NoPrefixCode = 1;
constexpr int32_t NoPrefixCodeToo = 8;

int32_t PrefixCodeOf(const TraceUnit& unit)
{
    return unit.prefixCode == NoPrefixCodeToo ? NoPrefixCode : unit.prefixCode;
}

template <class Item, class Same>
bool SameLists(const std::vector<Item>& a, const std::vector<Item>& b, Same same)
{
    if (a.size() != b.size())
        return false;
    for (size_t index = 0; index < a.size(); ++index)
        if (!same(a[index], b[index]))
            return false;
    return true;
}

} // namespace

bool SameTraceUnit(const TraceUnit& a, const TraceUnit& b)
{
    if (a.name.IsEmpty() && b.name.IsEmpty())
        return true;
    return a.name == b.name && PrefixCodeOf(a) == PrefixCodeOf(b) && a.kind == b.kind;
}

Orv::String TraceUnitText(const TraceUnit& unit)
{
    return Orv::String(Orv::PrefixedUnit(unit.name.c_str(), PrefixCodeOf(unit)).GetText().c_str());
}

std::vector<Orv::String> SettingsPreviewExpressions(const ModelPropertyReader& setup, const Orv::String& firstChannel)
{
    std::wostringstream detector;
    WriteEndDiastolicDetectorOverWholeChannel(detector, setup);
    const int32_t* method = setup.GetInt(AnalysisProperty::EdpMethod);
    const bool fromEcg = method && *method == EdpFromEcg;
    return {Orv::String(detector.str().c_str()), fromEcg ? Orv::String() : BuildMaxDetectorExpression(firstChannel)};
}

std::vector<TraceUnit> SettingsPreviewUnits()
{
    return {TraceUnit{0, NoPrefixCode, Orv::String(L"Pressure")}, TraceUnit{0, NoPrefixCode, Orv::String(L"Volume")}};
}

PreviewChannels::PreviewChannels(IUnknown* hostDocument)
{
    if (hostDocument)
        hostDocument->QueryInterface(IID_IHostDocument, document_.PutVoid());
}

PreviewChannels::~PreviewChannels()
{
    Orv::ComPtr<IHostVirtualChannels> channels;
    if (!document_ || FAILED(document_->QueryInterface(IID_IHostVirtualChannels, channels.PutVoid())))
        return;
    // Newest first, so that the host can give their numbers out again.
    for (auto name = names_.rbegin(); name != names_.rend(); ++name)
        channels->RemoveVirtualChannel(0, name->c_str());
}

bool PreviewChannels::Make()
{
    Orv::ComPtr<IHostVirtualChannels> channels;
    if (Made() || !document_ || FAILED(document_->QueryInterface(IID_IHostVirtualChannels, channels.PutVoid())))
        return Made();
    while (ids_.size() < Count)
    {
        BSTR name = nullptr;
        HostItemId id;
        if (FAILED(channels->CreateVirtualChannel(0, 0, 0, &name, &id)))
            return false;
        names_.push_back(Orv::String(name ? name : L""));
        SysFreeString(name);
        ids_.push_back(id);
    }
    return true;
}

Orv::String PreviewChannels::TextName(int channel) const
{
    return Orv::String((L"vch" + std::to_wstring(ids_.at(static_cast<size_t>(channel)).first + 1)).c_str());
}

bool PreviewChannels::IsApplied(const std::vector<Orv::String>& texts, const std::vector<TraceUnit>& units) const
{
    return SameLists(texts, lastTexts_, [](const Orv::String& a, const Orv::String& b) { return a == b; }) &&
           SameLists(units, lastUnits_, SameTraceUnit);
}

PreviewChannels::Applied PreviewChannels::Apply(const std::vector<Orv::String>& texts,
                                                const std::vector<TraceUnit>& units)
{
    if (!Made() || texts.size() > ids_.size() || units.size() < texts.size())
        return Applied::Failed;
    if (IsApplied(texts, units))
        return Applied::Unchanged;
    lastTexts_.clear();
    lastUnits_.clear();
    refusal_ = Orv::String();
    for (size_t index = 0; index < texts.size(); ++index)
    {
        const HostItemId id = ids_[index];
        if (texts[index].IsEmpty())
            ClearHostCalc(document_.Get(), id.first, id.second);
        else if (!CreateHostCalcFromTextRange(document_.Get(), texts[index], TraceUnitText(units[index]), id.first,
                                              id.second, DisplayTop, DisplayBottom, &refusal_))
            return Applied::Failed;
    }
    lastTexts_ = texts;
    lastUnits_ = units;
    return Applied::Compiled;
}

} // namespace Sistra
