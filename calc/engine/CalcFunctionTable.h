// What the module tells the host about each of its calculation functions: name, description, type,
// parameters with their kinds and ranges, and aliases.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace CalcEnums
{

// One static, writable record per function.
struct FunctionDescriptor
{
    const wchar_t* name;
    const wchar_t* description;
    uint32_t flags;
    const GUID* typeGuid;
    uint32_t typeNumber;
    // (host code of the type GUID) << 16 | type number, once the host has answered; 0 before.
    std::atomic<uint32_t> cachedTypeId;
};

struct ParamRange
{
    double minimum;
    double maximum;
};

// The parameter list of a function. Source parameters come first; the lists keep their "PNEND" and
// "ALEND" terminators, but the counts, not the terminators, bound every lookup.
struct FunctionParams
{
    const wchar_t* const* names;
    const ParamRange* ranges;
    const wchar_t* const* aliases;
    uint32_t paramCount;
    uint32_t sourceCount;
    uint32_t aliasCount;   // what the host is told
    uint32_t aliasEntries; // entries in the list, terminator included
    uint32_t functionWord;
    uint32_t resultWord;
    const uint32_t* sourceKinds; // the kind word each source needs
    uint32_t numericKind;        // the kind word reported for numeric parameters
};

struct CalcFunction
{
    FunctionDescriptor* descriptor;
    const FunctionParams* params;
};

// The module's eight functions.
extern const CalcFunction SistraAnalyzerFunction;
extern const CalcFunction PVEcgEdpDetFunction;
extern const CalcFunction PVEdpDetFunction;
extern const CalcFunction PVMaxDetFunction;
extern const CalcFunction ParamSelectorFunction;
extern const CalcFunction PVAParamSelectorFunction;
extern const CalcFunction PvaCalcFunction;
extern const CalcFunction PSineFitFunction;

// The function's type id, asked from the host's message-id registry on first use; false (and nothing
// cached) while the registry cannot answer.
bool GetFunctionTypeId(FunctionDescriptor& descriptor, ULONG* typeId);

} // namespace CalcEnums
