// A module function for the tests that run module code in the host: "CrossDet" (alias
// "CrossingDetector"), upward crossings of a level in one channel, through the module's own
// class-object and enumerator templates.
#pragma once

#include "host/tests/module/SharedFramework.h"

#include "calc/engine/CalcEnumClass.h"
#include "calc/engine/EEH3Enumerator.h"
#include "calc/tests/CrossingDetector.h"

#include <cfloat>

namespace HostTests
{

inline constexpr GUID CrossingTypeGuid = {0x5B0E2C71, 0x44A9, 0x4D3E, {0x9F, 0x12, 0x6A, 0x3C, 0x81, 0x0D, 0x27, 0xE4}};

inline const wchar_t* const CrossingNames[] = {L"Tick Source",      L"Level",          L"LimitStart Record",
                                               L"LimitStart Tick",  L"LimitEnd Record", L"LimitEnd Tick",
                                               L"PNEND"};
inline constexpr CalcEnums::ParamRange CrossingRanges[] = {{0, 0},        {-DBL_MAX, DBL_MAX}, {-1, DBL_MAX},
                                                           {-1, DBL_MAX}, {-1, DBL_MAX},       {-1, DBL_MAX},
                                                           {-1, -1}};
inline const wchar_t* const CrossingAliases[] = {L"CrossingDetector", L"ALEND"};
inline constexpr uint32_t CrossingSources[] = {CalcKindChannel};
inline const CalcEnums::FunctionParams CrossingParams{CrossingNames,   CrossingRanges, CrossingAliases, 6, 1, 1, 2,
                                                      0xA0000000u,     CalcKindEvents, CrossingSources, CalcKindEvents};
inline CalcEnums::FunctionDescriptor CrossingDescriptor{L"CrossDet", L"Upward crossings of a level.", 0,
                                                        &CrossingTypeGuid, 0, {0}};
inline const CalcEnums::CalcFunction Crossing{&CrossingDescriptor, &CrossingParams};

using CrossingClass = CalcEnums::CalcEnumNumericParamsClassEx<EEH3::EEH3Enumerator<CalcTesting::CrossingDetector, 8>>;

// Static, as a module's class objects are.
inline CrossingClass& CrossingClassObject()
{
    static CrossingClass classObject{Crossing};
    return classObject;
}

// Registers the function with the shared framework unless its registry holds it already: the host
// sessions that other tests start and end may leave the registry without it.
inline ULONG RegisterCrossingFunction()
{
    Orv::ComPtr<IVyrObjectFactory> factory;
    StandIn().QueryInterface(IID_IVyrObjectFactory, factory.PutVoid());
    ULONG typeId = 0;
    Orv::ComPtr<IUnknown> registered;
    if (SUCCEEDED(CrossingClassObject().GetTypeId(&typeId)) &&
        SUCCEEDED(factory->GetObject(typeId, IID_ICalcEnumClass2, registered.PutVoid())))
        return typeId;
    factory->RegisterClassObject(CrossingClassObject().GetClassObject());
    CrossingClassObject().GetTypeId(&typeId);
    return typeId;
}

} // namespace HostTests
