#include "host/app/gui/KeptComputedChannels.h"

#include "host/app/files/MemoryStreams.h"
#include "host/app/files/TextConversion.h"
#include "hostapi/VyrClassRegistry.h"
#include "hostapi/VyrServices.h"

#include "foundation/com/ComPtr.h"
#include "foundation/numbers/Units.h"

#include <algorithm>
#include <stdexcept>

namespace Host
{

namespace
{

constexpr LONG WholePercent = 100;

template <typename Face>
Orv::ComPtr<Face> StandInFace(IVyrStandIn& standIn, REFIID iid)
{
    Orv::ComPtr<Face> face;
    if (FAILED(standIn.QueryInterface(iid, face.PutVoid())) || !face)
        throw std::runtime_error("the framework lacks the registry or the object factory that channels are made through");
    return face;
}

SavedTypeId SavedType(IMsgIdRegistry& registry, ULONG typeId)
{
    SavedTypeId saved{{}, static_cast<uint16_t>(typeId & 0xFFFF)};
    if (FAILED(registry.GetGuid(static_cast<USHORT>(typeId >> 16), &saved.guid)))
        throw std::runtime_error("its type " + std::to_string(typeId) + " is not in the framework's registry");
    return saved;
}

ULONG TypeIdOf(IMsgIdRegistry& registry, const SavedTypeId& saved)
{
    USHORT code = 0;
    if (FAILED(registry.GetCode(&saved.guid, &code)))
        throw std::runtime_error("the framework does not know its type");
    return VyrTypeId::Make(code, saved.number);
}

std::vector<char> SettingsRecord(IPersistObject& settings)
{
    Orv::ComPtr<IStream> memory;
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, memory.Put());
    if (SUCCEEDED(hr))
        hr = settings.Save(memory.Get());
    std::vector<char> bytes;
    if (SUCCEEDED(hr))
        hr = ReadStreamContent(*memory.Get(), bytes);
    if (FAILED(hr))
        throw std::runtime_error("its settings could not be written: " + HResultText(hr));
    return bytes;
}

SavedComputedChannel KeepChannel(const HostDocument& document, size_t index, const ComputedChannelHosts& hosts,
                                 IMsgIdRegistry& registry)
{
    const ComputedChannelCommand* command = hosts.CommandOf(index);
    const Orv::ComPtr<IChannelCalc> calculation = document.ComputedChannelCalculation(index);
    if (!command || !calculation)
        throw std::runtime_error("no class of the framework made it");
    Orv::ComPtr<IPersistObject> settings;
    ULONG settingsType = 0;
    if (FAILED(calculation->CloneSettings(settings.Put())) || !settings || FAILED(settings->GetClassId(&settingsType)))
        throw std::runtime_error("its settings cannot be read");
    return SavedComputedChannel{SavedType(registry, command->ClassTypeId()), SavedType(registry, settingsType),
                                SettingsRecord(*settings.Get()), document.ComputedChannelUnit(index), {}};
}

Orv::ComPtr<IPersistObject> LoadSettings(const SavedComputedChannel& channel, IVyrStandIn& standIn,
                                         IMsgIdRegistry& registry)
{
    const auto objects = StandInFace<IVyrObjectFactory>(standIn, IID_IVyrObjectFactory);
    Orv::ComPtr<IPersistClassObject> settingsClass;
    if (FAILED(objects->GetObject(TypeIdOf(registry, channel.settingsType), IID_IPersistClassObject,
                                  settingsClass.PutVoid())) ||
        !settingsClass)
        throw std::runtime_error("the framework holds no class of its settings");
    Orv::ComPtr<IStream> memory;
    HRESULT hr = MakeMemoryStream(channel.settings, memory);
    Orv::ComPtr<IPersistObject> settings;
    if (SUCCEEDED(hr))
        hr = settingsClass->LoadObject(memory.Get(), settings.Put());
    if (FAILED(hr) || !settings)
        throw std::runtime_error("its settings cannot be read: " + HResultText(FAILED(hr) ? hr : E_FAIL));
    return settings;
}

std::string ChannelNamed(size_t index)
{
    return "computed channel " + std::to_string(index + 1);
}

// The framework's unit of the text a channel showed: the whole text its name, as the channel's class names
// its units.
Orv::ComPtr<IHostUnit> HostUnit(IVyrStandIn& standIn, IMsgIdRegistry& registry, const std::wstring& text)
{
    const auto objects = StandInFace<IVyrObjectFactory>(standIn, IID_IVyrObjectFactory);
    USHORT code = 0;
    Orv::ComPtr<IUnitsService> units;
    Orv::ComPtr<IHostUnit> unit;
    if (FAILED(registry.GetCode(&UnitsServiceGUID, &code)) ||
        FAILED(objects->GetObject(VyrTypeId::Make(code, 0), IID_IUnitsService, units.PutVoid())) || !units ||
        FAILED(units->CreateUnitName(text.c_str(), Orv::PrefixedUnit::NoPrefixCode, unit.Put())) || !unit)
        throw std::runtime_error("the framework cannot make its unit " + ToUtf8(text));
    return unit;
}

// The channel applies the settings it was made from, which compiles its text, and shows the unit it was
// saved with, which its settings record does not hold.
HRESULT ApplyOwnSettings(HostDocument& document, const RemadeChannel& channel)
{
    const Orv::ComPtr<IChannelCalc> calculation = document.ComputedChannelCalculation(channel.index);
    Orv::ComPtr<IPersistObject> settings;
    if (!calculation || FAILED(calculation->CloneSettings(settings.Put())) || !settings)
        return E_FAIL;
    HRESULT hr = calculation->ApplySettings(settings.Get(), 1);
    Orv::ComPtr<IComputedChannel> shown;
    if (SUCCEEDED(hr) && channel.unit && SUCCEEDED(calculation->QueryInterface(IID_IComputedChannel, shown.PutVoid())))
        hr = shown->SetUnit(channel.unit.Get());
    return hr;
}

// Runs each of the document's computed channels over the whole recording once, with the host's progress:
// what the person is told of each whose calculation fails, which is left out. A cancel stops the run.
std::vector<std::string> ComputeChannels(HostDocument& document)
{
    std::vector<std::string> leftOut;
    const size_t records = document.Data().RecordCount();
    const size_t steps = document.ComputedChannelCount() * records;
    if (steps == 0)
        return leftOut;
    const Orv::ComPtr<IHostProgress> progress = HostProgress(L"Computing the document's channels");
    std::vector<float> values;
    size_t step = 0;
    for (size_t index = 0; index < document.ComputedChannelCount();)
    {
        const std::wstring title = document.ComputedChannelTitle(index);
        HRESULT hr = S_OK;
        for (size_t record = 0; SUCCEEDED(hr) && record < records; ++record, ++step)
        {
            if (progress)
            {
                const std::wstring text = title + L": record " + std::to_wstring(record + 1) + L" of " + std::to_wstring(records);
                progress->SetText(text.c_str());
                if (progress->SetPercent(static_cast<LONG>(step * WholePercent / steps)) != S_OK)
                    return leftOut;
            }
            values.resize(static_cast<size_t>(std::max<int64_t>(document.Data().RecordAt(record).Length(), 0)));
            hr = document.ReadComputedChannel(index, static_cast<int32_t>(record), 0, static_cast<int32_t>(values.size()),
                                              values.data());
        }
        if (SUCCEEDED(hr))
        {
            ++index;
            continue;
        }
        leftOut.push_back("the document's channel " + ToUtf8(title) + " is left out: its calculation fails (" +
                          HResultText(hr) + ")");
        document.RemoveComputedChannel(index);
    }
    if (progress)
        progress->SetPercent(WholePercent);
    return leftOut;
}

} // namespace

SavedComputedChannels KeepComputedChannels(const HostDocument& document, const ComputedChannelHosts& hosts,
                                           IVyrStandIn& standIn)
{
    const auto registry = StandInFace<IMsgIdRegistry>(standIn, IID_IMsgIdRegistry);
    SavedComputedChannels kept;
    size_t index = 0;
    try
    {
        for (; index < document.ComputedChannelCount(); ++index)
            kept.push_back(KeepChannel(document, index, hosts, *registry.Get()));
    }
    catch (const std::runtime_error& e)
    {
        throw std::runtime_error(ChannelNamed(index) + " (" + ToUtf8(document.ComputedChannelTitle(index)) +
                                 ") cannot be kept: " + e.what());
    }
    return kept;
}

RemadeChannels RemakeComputedChannels(const SavedComputedChannels& channels, const ComputedChannelHosts& hosts,
                                      IVyrStandIn& standIn)
{
    const auto registry = StandInFace<IMsgIdRegistry>(standIn, IID_IMsgIdRegistry);
    RemadeChannels remade;
    for (size_t index = 0; index < channels.size(); ++index)
        try
        {
            const SavedComputedChannel& channel = channels[index];
            if (!channel.damage.empty())
                throw std::runtime_error(channel.damage);
            ComputedChannelCommand* command = hosts.CommandOfType(TypeIdOf(*registry.Get(), channel.calculationClass));
            if (!command)
                throw std::runtime_error("the framework holds no class that makes it");
            Orv::ComPtr<IHostUnit> unit = channel.unit.empty() ? nullptr : HostUnit(standIn, *registry.Get(), channel.unit);
            const int32_t made = command->Remake(LoadSettings(channel, standIn, *registry.Get()).Get());
            remade.channels.push_back({static_cast<size_t>(made), std::move(unit)});
        }
        catch (const std::runtime_error& e)
        {
            remade.leftOut.push_back("the document's " + ChannelNamed(index) + " is left out: " + e.what());
        }
    return remade;
}

std::vector<std::string> RunRemadeChannels(HostDocument& document, const std::vector<RemadeChannel>& channels)
{
    std::vector<std::string> leftOut;
    std::vector<size_t> failed;
    for (const RemadeChannel& channel : channels)
        if (const HRESULT hr = ApplyOwnSettings(document, channel); FAILED(hr))
        {
            leftOut.push_back("the document's " + ChannelNamed(channel.index) + " (" +
                              ToUtf8(document.ComputedChannelName(channel.index)) +
                              ") is left out: its settings cannot be applied (" + HResultText(hr) + ")");
            failed.push_back(channel.index);
        }
    // From the last, so that the indices of those before stay.
    for (auto index = failed.rbegin(); index != failed.rend(); ++index)
        document.RemoveComputedChannel(*index);
    const auto failing = ComputeChannels(document);
    leftOut.insert(leftOut.end(), failing.begin(), failing.end());
    return leftOut;
}

} // namespace Host
