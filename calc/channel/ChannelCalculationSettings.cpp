#include "calc/channel/ChannelCalculationSettings.h"

#include "calc/engine/CalcFunctionTable.h"
#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"
#include "foundation/com/ResultCodes.h"

#include <cstring>
#include <locale>
#include <sstream>

namespace Sistra
{
namespace
{

// {C9C5B31B-1B21-478B-ACBE-2DEEA85A996E}
constexpr GUID ChannelCalculationTypeGuid = {0xC9C5B31B, 0x1B21, 0x478B, {0xAC, 0xBE, 0x2D, 0xEE, 0xA8, 0x5A, 0x99, 0x6E}};
constexpr uint32_t CalculationTypeNumber = 0;
constexpr uint32_t SettingsTypeNumber = 1;
CalcEnums::FunctionDescriptor CalculationDescriptor{L"Sistra", L"Generates data from the hemodynamics table.", 0, &ChannelCalculationTypeGuid,
                                                    CalculationTypeNumber, {0}};
CalcEnums::FunctionDescriptor SettingsDescriptor{L"SistraSettings", L"", 0, &ChannelCalculationTypeGuid,
                                                 SettingsTypeNumber, {0}};

struct ChannelSettingsRecord
{
    uint32_t version;
    uint32_t parameterIndex;
    float low;
    float high;
};
static_assert(sizeof(ChannelSettingsRecord) == 16);

HRESULT ReadWhole(IStream* stream, void* data, ULONG size)
{
    ULONG read = 0;
    const HRESULT hr = stream->Read(data, size, &read);
    if (FAILED(hr))
        return hr;
    return read == size ? S_OK : Orv::E_ORV_READ_FAILED;
}

} // namespace

ChannelCalculationSettings::ChannelCalculationSettings(intptr_t owner) : Orv::CComObjectRoot(1), owner(owner) {}

ChannelCalculationSettings::ChannelCalculationSettings(const ChannelCalculationSettings& other)
    : IPersistObject(), Orv::CComObjectRoot(1), owner(other.owner)
{
    CopyFrom(other);
}

void ChannelCalculationSettings::CopyFrom(const ChannelCalculationSettings& other)
{
    enabled = other.enabled;
    autoScale = other.autoScale;
    unitText = other.unitText;
    word = other.word;
    owner = other.owner;
    loopSource = other.loopSource;
    pvaSource = other.pvaSource;
    loopSourceText = other.loopSourceText;
    pvaSourceText = other.pvaSourceText;
    parameterIndex = other.parameterIndex;
    low = other.low;
    high = other.high;
    decimalPlaces = other.decimalPlaces;
}

CalcEnums::FunctionDescriptor& ChannelCalculationDescriptor()
{
    return CalculationDescriptor;
}

CalcEnums::FunctionDescriptor& ChannelSettingsDescriptor()
{
    return SettingsDescriptor;
}

// The settings interface has no id of its own: the host asks for their identity.
HRESULT STDMETHODCALLTYPE ChannelCalculationSettings::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryOneFace(static_cast<IPersistObject*>(this), iid, object);
}

HRESULT STDMETHODCALLTYPE ChannelCalculationSettings::GetClassId(ULONG* typeId)
{
    if (!typeId)
        return E_POINTER;
    return CalcEnums::GetFunctionTypeId(SettingsDescriptor, typeId) ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE ChannelCalculationSettings::Save(IStream* stream)
{
    if (!stream)
        return E_POINTER;
    const ChannelSettingsRecord record{ChannelSettingsVersion, parameterIndex, low, high};
    ULONG written = 0;
    const HRESULT hr = stream->Write(&record, sizeof record, &written);
    if (FAILED(hr))
        return hr;
    return written == sizeof record ? S_OK : STG_E_WRITEFAULT;
}

HRESULT STDMETHODCALLTYPE ChannelCalculationSettings::Load(IStream* stream)
{
    if (!stream)
        return E_POINTER;
    ChannelSettingsRecord record{};
    HRESULT hr = ReadWhole(stream, &record.version, sizeof record.version);
    if (FAILED(hr))
        return hr;
    if (record.version > ChannelSettingsVersion)
        return Orv::E_ORV_NEWER_VERSION;
    hr = ReadWhole(stream, &record.parameterIndex, sizeof record - sizeof record.version);
    if (FAILED(hr))
        return hr;
    if (record.parameterIndex < FirstChannelParameter || record.parameterIndex > LastChannelParameter)
        return Orv::E_ORV_READ_FAILED;
    parameterIndex = record.parameterIndex;
    low = record.low;
    high = record.high;
    autoScale = false;
    return S_OK;
}

void ChannelCalculationSettings::SetSelection(uint32_t parameter, const AnalysisRegion& region)
{
    parameterIndex = parameter;
    loopSource = region.loops;
    loopSourceText = region.loopsText;
    pvaSource = region.pva;
    pvaSourceText = region.pvaText;
}

bool ChannelCalculationSettings::SameChoice(const ChannelCalculationSettings& other) const
{
    return parameterIndex == other.parameterIndex && low == other.low && high == other.high &&
           decimalPlaces == other.decimalPlaces && enabled == other.enabled;
}

HRESULT LoadChannelSettings(IStream* stream, IPersistObject** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    return Orv::CatchReturn([&] {
        auto* settings = new ChannelCalculationSettings();
        const HRESULT hr = settings->Load(stream);
        if (FAILED(hr))
        {
            settings->Release();
            return hr;
        }
        *object = settings;
        return S_OK;
    });
}

bool IsPvaParameter(uint32_t parameterIndex)
{
    return parameterIndex >= 26 && parameterIndex <= 28;
}

Orv::String BuildChannelSelectorExpression(const ChannelCalculationSettings& settings, double pressureFactor,
                                           double volumeFactor)
{
    const bool pva = IsPvaParameter(settings.parameterIndex);
    std::wostringstream text;
    text.imbue(std::locale::classic());
    text << (pva ? L"SistraPVAParamSelector(" : L"SistraParamSelector(")
         << (pva ? settings.pvaSourceText : settings.loopSourceText).c_str() << L", " << settings.parameterIndex
         << L", " << pressureFactor << L", " << volumeFactor << L")";
    return Orv::String(text.str().c_str());
}

} // namespace Sistra
