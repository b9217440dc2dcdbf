// The computed channel's settings: which loop parameter it plots and over which display range, kept
// as a 16-byte record (version, parameter index, low, high) in the host's document.
#pragma once

#include "calc/engine/CalcFunctionTable.h"
#include "foundation/com/ComObjectRoot.h"
#include "foundation/text/String.h"
#include "hostapi/CalcInterfaces.h"
#include "hostapi/VyrMessaging.h"

#include <windows.h>

#include <cstdint>

namespace Sistra
{

constexpr uint32_t ChannelSettingsVersion = 1;
constexpr uint32_t FirstChannelParameter = 1;
constexpr uint32_t LastChannelParameter = 31;

// A (block, item) reference to a host calculation item; both words unset at first.
struct SourceReference
{
    uint32_t first = 0x80000000u;
    uint32_t second = 0xC0000000u;
};

// The analysis region a channel reads: the analysis's loop and area items with the names they are
// known by in the document's calculation texts.
struct AnalysisRegion
{
    SourceReference loops;
    Orv::String loopsText;
    SourceReference pva;
    Orv::String pvaText;
};

class ChannelCalculationSettings final : public IPersistObject, private Orv::CComObjectRoot
{
public:
    explicit ChannelCalculationSettings(intptr_t owner = -1);
    ChannelCalculationSettings(const ChannelCalculationSettings& other);
    ChannelCalculationSettings& operator=(const ChannelCalculationSettings&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }
    HRESULT STDMETHODCALLTYPE GetClassId(ULONG* typeId) override;
    // Writes the 16-byte record; a write the stream does not take whole is its fault code.
    HRESULT STDMETHODCALLTYPE Save(IStream* stream) override;
    // Reads the record into a copy and applies it only when it is whole and valid: a newer version
    // gives 0xA0048205, a short record or a parameter outside 1..31 gives 0xA004820A, both leaving
    // the settings as they were.
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;

    // Settings equal for the channel's purposes: index, range, decimal places and the switch.
    bool SameChoice(const ChannelCalculationSettings& other) const;
    // Every field but the reference count.
    void CopyFrom(const ChannelCalculationSettings& other);
    // The parameter and the region it is read from: the source references and texts.
    void SetSelection(uint32_t parameter, const AnalysisRegion& region);

    bool enabled = true;
    // The settings dialog's choice to scale the display to the data; kept, like the switch, only while
    // the channel lives. A new channel starts so: no fixed scale fits every parameter (stroke work in
    // the thousands drew flat on -1 to 1); one loaded keeps the scale it was saved with.
    bool autoScale = true;
    Orv::String unitText;
    uint32_t word = 0;
    intptr_t owner;
    SourceReference loopSource;
    SourceReference pvaSource;
    Orv::String loopSourceText;
    Orv::String pvaSourceText;
    uint32_t parameterIndex = FirstChannelParameter;
    float low = -1.0f;
    float high = 1.0f;
    float decimalPlaces = 4.0f;

private:
    ~ChannelCalculationSettings() = default;
};

// The computed channel's type: its calculation class is type number 0, its settings class number 1.
CalcEnums::FunctionDescriptor& ChannelCalculationDescriptor();
CalcEnums::FunctionDescriptor& ChannelSettingsDescriptor();

// The settings class object's LoadObject: a record read from the stream, or nothing when the stream
// holds no valid record (the code says why).
HRESULT LoadChannelSettings(IStream* stream, IPersistObject** object);

// The parameters 26 to 28 come from the PVA events, every other one from the loop events.
bool IsPvaParameter(uint32_t parameterIndex);

// The selector text that plots the settings' parameter: the loop or PVA selector over the matching
// source text, with the document's pressure and volume factors (classic locale).
Orv::String BuildChannelSelectorExpression(const ChannelCalculationSettings& settings, double pressureFactor,
                                           double volumeFactor);

} // namespace Sistra
