#include "calc/engine/CalcFunctionTable.h"

#include "hostframework/messaging/MessageIds.h"
#include "hostapi/CalcInterfaces.h"

#include <cfloat>

namespace CalcEnums
{
namespace
{

constexpr ParamRange Source{0.0, 0.0};
constexpr ParamRange Limit{-1.0, DBL_MAX};
constexpr ParamRange Terminator{-1.0, -1.0};
constexpr ParamRange AnyValue{-DBL_MAX, DBL_MAX};

constexpr uint32_t DetectorFunctionWord = 0xA0000000u;

constexpr GUID SistraAnalyzerGuid = {0x01FB0198, 0x2B18, 0x444B, {0x90, 0x19, 0x3C, 0x78, 0x3C, 0x5D, 0x74, 0x91}};
constexpr GUID PVEcgEdpDetGuid = {0x881B196D, 0x4CE5, 0x4982, {0xA9, 0x8A, 0x23, 0xEF, 0x79, 0x97, 0x1A, 0x91}};
constexpr GUID PVEdpDetGuid = {0x762D88ED, 0x2000, 0x457A, {0xAC, 0x1F, 0x15, 0xB1, 0x31, 0x89, 0x0A, 0x7C}};
constexpr GUID PVMaxDetGuid = {0xDB83C3A9, 0x9C48, 0x408C, {0x9B, 0x39, 0x86, 0xF4, 0xE9, 0x38, 0x8E, 0x82}};
constexpr GUID ParamSelectorGuid = {0xCB36B947, 0xDFE9, 0x40A6, {0x93, 0xC8, 0x0C, 0x43, 0xCF, 0x9A, 0xBA, 0x3E}};
constexpr GUID PVAParamSelectorGuid = {0x94E0D8F2, 0xE41A, 0x4329, {0xA0, 0x31, 0x44, 0x7D, 0x76, 0x2F, 0xDE, 0x55}};
constexpr GUID PvaCalcGuid = {0xCB90264E, 0x9A14, 0x4404, {0xB0, 0x36, 0xD2, 0x28, 0xD1, 0x29, 0x27, 0x7F}};
constexpr GUID PSineFitGuid = {0x8CFCEA04, 0x6708, 0x42AC, {0x8E, 0x29, 0xDC, 0x41, 0x2C, 0xAC, 0xD0, 0x36}};

#define SISTRA_LIMIT_NAMES L"LimitStart Record", L"LimitStart Tick", L"LimitEnd Record", L"LimitEnd Tick"

// SistraAnalyzer
const wchar_t* const AnalyzerNames[] = {L"Tick Source", L"Tick Source", L"EDP Event Source", L"TauType",
                                        L"StrokeVolumeMode", SISTRA_LIMIT_NAMES, L"End Systolic Detection Mode",
                                        L"PNEND"};
constexpr ParamRange AnalyzerRanges[] = {Source, Source, Source, {0, 3}, {0, 1}, Limit, Limit, Limit, Limit, {0, 1},
                                         Terminator};
const wchar_t* const AnalyzerAliases[] = {L"ALEND"};
constexpr uint32_t AnalyzerSources[] = {CalcKindChannel, CalcKindChannel, CalcKindEvents};

// PVEcgEdpDet
const wchar_t* const EcgNames[] = {L"ECG Event Source", SISTRA_LIMIT_NAMES, L"PNEND"};
constexpr ParamRange EcgRanges[] = {Source, Limit, Limit, Limit, Limit, Terminator};
const wchar_t* const EcgAliases[] = {L"PVEcgEdpDetector", L"ALEND"};
constexpr uint32_t EventSourceOnly[] = {CalcKindEvents};

// PVEdpDet
const wchar_t* const EdpNames[] = {L"Tick Source", L"EDP Event Source", L"Minimum Peak Height", SISTRA_LIMIT_NAMES,
                                   L"PNEND"};
constexpr ParamRange EdpRanges[] = {Source, Source, {DBL_EPSILON, DBL_MAX}, Limit, Limit, Limit, Limit, Terminator};
const wchar_t* const EdpAliases[] = {L"PVEdpDetector", L"ALEND"};
constexpr uint32_t ChannelThenEvents[] = {CalcKindChannel, CalcKindEvents};

// PVMaxDet
const wchar_t* const MaxNames[] = {L"Sistra Event Source", L"PNEND"};
constexpr ParamRange MaxRanges[] = {Source, Terminator};
const wchar_t* const MaxAliases[] = {L"PVMaxDetector", L"ALEND"};

// Both parameter selectors
const wchar_t* const SelectorNames[] = {L"Event Source", L"Calc Index", L"Pressure Prefix Factor",
                                        L"Volume Prefix Factor", L"PNEND"};
constexpr ParamRange SelectorRanges[] = {Source, {0, 2147483647.0}, AnyValue, AnyValue};
const wchar_t* const SelectorAliases[] = {L"SistraParamSelector"};
const wchar_t* const PVASelectorAliases[] = {L"SistraPVAParamSelector"};

// PvaCalc
const wchar_t* const PvaNames[] = {L"Sistra Event Source", L"Pressure Source", L"Volume Source",
                                   L"ESPVR regression type", L"EDPVR regression type", L"Pressure at intersect",
                                   L"Volume at intersect", L"ESPVR function term 1", L"ESPVR function term 2",
                                   L"ESPVR function term 3", L"EDPVR function term 1", L"EDPVR function term 2",
                                   L"PNEND"};
constexpr ParamRange PvaRanges[] = {Source,   Source,   Source,   {-1, 3},  {0, 1},   AnyValue, AnyValue,
                                    AnyValue, AnyValue, AnyValue, AnyValue, AnyValue, Terminator};
const wchar_t* const PvaAliases[] = {L"PvaDetector", L"ALEND"};
constexpr uint32_t EventsThenChannels[] = {CalcKindEvents, CalcKindChannel, CalcKindChannel};

// PSineFit
const wchar_t* const SineNames[] = {L"Tick Source", L"EDP Event Source", L"Output type"};
constexpr ParamRange SineRanges[] = {Source, Source, {0, 6}};
const wchar_t* const SineAliases[] = {L"PSinFit"};

#undef SISTRA_LIMIT_NAMES

const FunctionParams AnalyzerParams{AnalyzerNames, AnalyzerRanges, AnalyzerAliases, 10, 3, 0, 1,
                                    DetectorFunctionWord, CalcKindEvents, AnalyzerSources, CalcKindEvents};
const FunctionParams EcgParams{EcgNames, EcgRanges, EcgAliases, 5, 1, 1, 2,
                               DetectorFunctionWord, CalcKindEvents, EventSourceOnly, CalcKindEvents};
const FunctionParams EdpParams{EdpNames, EdpRanges, EdpAliases, 7, 2, 1, 2,
                               DetectorFunctionWord, CalcKindEvents, ChannelThenEvents, CalcKindEvents};
const FunctionParams MaxParams{MaxNames, MaxRanges, MaxAliases, 1, 1, 1, 2,
                               DetectorFunctionWord, CalcKindEvents, EventSourceOnly, CalcKindEvents};
const FunctionParams SelectorParams{SelectorNames, SelectorRanges, SelectorAliases, 4, 1, 1, 1,
                                    0, CalcKindEvents, EventSourceOnly, CalcKindEvents};
const FunctionParams PVASelectorParams{SelectorNames, SelectorRanges, PVASelectorAliases, 4, 1, 1, 1,
                                       0, CalcKindEvents, EventSourceOnly, CalcKindEvents};
const FunctionParams PvaParams{PvaNames, PvaRanges, PvaAliases, 12, 3, 1, 2,
                               DetectorFunctionWord, CalcKindEvents, EventsThenChannels, CalcKindChannel};
const FunctionParams SineParams{SineNames, SineRanges, SineAliases, 3, 2, 1, 1, 0, CalcKindChannel, ChannelThenEvents, 0};

FunctionDescriptor AnalyzerDescriptor{
    L"SistraAnalyzer", L"Analyze Sistras returning an event containing all required hemodynamic parameters.", 0,
    &SistraAnalyzerGuid, 0, {0}};
FunctionDescriptor EcgDescriptor{L"PVEcgEdpDet", L"Returns the end-diastolic event in an ECG signal.", 0,
                                 &PVEcgEdpDetGuid, 0, {0}};
FunctionDescriptor EdpDescriptor{L"PVEdpDet", L"Returns the end-diastolic event in a signal.", 0, &PVEdpDetGuid, 0,
                                 {0}};
FunctionDescriptor MaxDescriptor{
    L"PVMaxDet", L"Returns the point at the maximum between two detected edp points in a signal.", 0,
    &PVMaxDetGuid, 0, {0}};
FunctionDescriptor SelectorDescriptor{L"Sistra Parameter Selector",
                                      L"Selects a particular parameter from a Sistra event", 0, &ParamSelectorGuid, 0,
                                      {0}};
FunctionDescriptor PVASelectorDescriptor{L"Sistra PVA Parameter Selector",
                                         L"Selects a particular parameter from a PVA event", 0, &PVAParamSelectorGuid,
                                         0, {0}};
FunctionDescriptor PvaDescriptor{
    L"PvaCalc", L"Analyze the Pressure Volume Area-dependent parameters. Builds on SistraAnalyzer.", 0, &PvaCalcGuid,
    0, {0}};
FunctionDescriptor SineDescriptor{L"PSineFit", L"Returns beat to beat sine fit to the pressure signal.", 0,
                                  &PSineFitGuid, 0, {0}};

} // namespace

const CalcFunction SistraAnalyzerFunction{&AnalyzerDescriptor, &AnalyzerParams};
const CalcFunction PVEcgEdpDetFunction{&EcgDescriptor, &EcgParams};
const CalcFunction PVEdpDetFunction{&EdpDescriptor, &EdpParams};
const CalcFunction PVMaxDetFunction{&MaxDescriptor, &MaxParams};
const CalcFunction ParamSelectorFunction{&SelectorDescriptor, &SelectorParams};
const CalcFunction PVAParamSelectorFunction{&PVASelectorDescriptor, &PVASelectorParams};
const CalcFunction PvaCalcFunction{&PvaDescriptor, &PvaParams};
const CalcFunction PSineFitFunction{&SineDescriptor, &SineParams};

bool GetFunctionTypeId(FunctionDescriptor& descriptor, ULONG* typeId)
{
    if (const uint32_t cached = descriptor.cachedTypeId.load(std::memory_order_acquire))
    {
        *typeId = cached;
        return true;
    }
    MsgIdCode lookup;
    USHORT code = 0;
    if (!GetMessageCode(lookup, *descriptor.typeGuid, &code))
        return false;
    const uint32_t id = static_cast<uint32_t>(code) << 16 | descriptor.typeNumber;
    // Racing threads store the same id: the registry gives one code per GUID.
    descriptor.cachedTypeId.store(id, std::memory_order_release);
    *typeId = id;
    return true;
}

} // namespace CalcEnums
