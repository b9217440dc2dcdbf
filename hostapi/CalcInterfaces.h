// The calculation engine's contract: the class objects that stand for calculation functions, the
// enumerators they create, and the sample and event enumerators that flow between them. The host's
// engine compiles expression text into a tree of these objects; a module adds functions by registering
// class objects that implement ICalcEnumClass2.
//
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2. The order of the
// methods is the binary contract: never reorder, never add a virtual destructor.
#pragma once

#include "hostapi/OrvStringInterfaces.h"
#include "hostapi/VyrClassRegistry.h"
#include "hostapi/VyrMessaging.h"

#include <objidl.h>

#include <cstddef>
#include <cstdint>

// Out parameters of type IOrvString** receive a string representation with one reference for the caller.

struct ICalcEnum;
struct IChannelCalc;

// Kind words: which stream a source parameter takes and which stream a function yields.
inline constexpr uint32_t CalcKindChannel = 0x80000000u;  // float samples, one per tick
inline constexpr uint32_t CalcKindEvents = 0x40000000u;   // event records

// The end tick given to ICalcEnum::Start for data that keeps arriving (online): the calculation runs on
// as the record grows.
inline constexpr int32_t CalcOpenEndTick = static_cast<int32_t>(0xC0000000u);
// The tick an event enumerator reports as its position when its record holds no further event.
inline constexpr int32_t CalcNoMoreEventsTick = 0x7FFFFFFF;

// Directions of IEnumEventEx::Seek.
inline constexpr int32_t CalcSeekForward = 0;   // the first event at or after the tick
inline constexpr int32_t CalcSeekBackward = 1;  // the last event at or before the tick

// Time base of a sample or event source. Two sources belong together when the two integers agree.
struct TimeBase {
    int64_t numerator = 1;
    int64_t denominator = 1;
    double origin = 0.0;
};
static_assert(sizeof(TimeBase) == 24);
static_assert(offsetof(TimeBase, denominator) == 8);
static_assert(offsetof(TimeBase, origin) == 16);

// Base of the host's stream enumerators; it only gives them a common identity.
// {F28FCF13-679E-444F-A6D2-F9BB2827B9F5}
struct IEnumExBase : IUnknown {};
__CRT_UUID_DECL(IEnumExBase, 0xF28FCF13, 0x679E, 0x444F, 0xA6, 0xD2, 0xF9, 0xBB, 0x28, 0x27, 0xB9, 0xF5)

// A stream of float samples, one per tick of a record.
// {4236EDC0-23A0-11D3-80CA-00A0C9E26433}
struct IEnumFloatEx : IEnumExBase {
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumFloatEx** clone) = 0;                    // 3
    // 4: moves by count ticks; S_FALSE when fewer could be skipped (skipped tells how many).
    virtual HRESULT STDMETHODCALLTYPE Skip(int32_t count, int32_t* skipped) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) = 0;                     // 5
    virtual HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t* format) = 0;                // 6
    // 7: the time base of the samples (named apart from ICalcEnum's, which an object may answer too).
    virtual HRESULT STDMETHODCALLTYPE GetScale(TimeBase* timeBase) = 0;
    // 8: reads up to count samples from the position on. S_FALSE when the record ended before count
    // samples came; S_OK otherwise, also when fewer came because the rest is not recorded yet (online).
    virtual HRESULT STDMETHODCALLTYPE Next(int32_t count, float* samples, int32_t* fetched) = 0;
    virtual void STDMETHODCALLTYPE DeleteThis() = 0;                                      // 9
};
__CRT_UUID_DECL(IEnumFloatEx, 0x4236EDC0, 0x23A0, 0x11D3, 0x80, 0xCA, 0x00, 0xA0, 0xC9, 0xE2, 0x64, 0x33)

// A stream of fixed-size event records; every record begins with its int32 tick.
// {FCC78051-74C0-4E33-BDCA-8BDC0A6FCA9A}
struct IEnumEventEx : IEnumExBase {
    // 3: copies the records of the events from the position on, as many as fit in byteCount and whose
    // tick lies below limit, and advances. nextPosition: where the next read starts. S_FALSE when the
    // record holds no further event at all; S_OK with count 0 when the data for more is not there yet.
    virtual HRESULT STDMETHODCALLTYPE Next(int32_t byteCount, int32_t limit, void* records, int32_t* count,
                                           int32_t* nextPosition) = 0;
    // 4: searches from tick in the direction given for an event inside [rangeStart, rangeEnd); found:
    // S_OK and the position is that event's tick; not found: S_FALSE and the position is rangeEnd (or
    // CalcNoMoreEventsTick when the record ends first).
    virtual HRESULT STDMETHODCALLTYPE Seek(int32_t direction, int32_t tick, int32_t rangeStart,
                                           int32_t rangeEnd) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) = 0;                     // 5
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumEventEx** clone) = 0;                    // 6
    virtual HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t* format) = 0;                // 7
    virtual HRESULT STDMETHODCALLTYPE GetRecordSize(int32_t* bytes) = 0;                  // 8
    virtual HRESULT STDMETHODCALLTYPE GetUnitName(IUnknown** unit) = 0;                   // 9
    virtual HRESULT STDMETHODCALLTYPE GetEventCount(int32_t* count) = 0;                  // 10: E_NOTIMPL allowed
    virtual HRESULT STDMETHODCALLTYPE GetTimeBase(TimeBase* timeBase) = 0;                // 11
};
__CRT_UUID_DECL(IEnumEventEx, 0xFCC78051, 0x74C0, 0x4E33, 0xBD, 0xCA, 0x8B, 0xDC, 0x0A, 0x6F, 0xCA, 0x9A)

// One element of an event list that hands out an object per event: the event's tick and fraction of a
// tick, as its record begins, and the object, which comes with a reference that the reader releases when
// it is done with the element.
struct CalcObjectEvent {
    int32_t tick;
    float fraction;
    IUnknown* object;
};
static_assert(sizeof(CalcObjectEvent) == 16);
static_assert(offsetof(CalcObjectEvent, fraction) == 4);
static_assert(offsetof(CalcObjectEvent, object) == 8);

// The events of a record as a list of objects, one per event, in tick order.
// {7C74CAA2-55F5-4E73-A8C5-5CA8E9CA9FA8}
struct IEnumObjectEvents : IEnumExBase {
    // 3: up to count elements from the position on, and advances past them. S_FALSE when the record
    // holds no further event at all; S_OK with fetched 0 when the data for more is not there yet.
    virtual HRESULT STDMETHODCALLTYPE Next(int32_t count, CalcObjectEvent* elements, int32_t* fetched) = 0;
    // 4: as IEnumEventEx::Seek.
    virtual HRESULT STDMETHODCALLTYPE Seek(int32_t direction, int32_t tick, int32_t rangeStart,
                                           int32_t rangeEnd) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) = 0;                     // 5
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumObjectEvents** clone) = 0;               // 6
    virtual HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t* format) = 0;                // 7
    virtual HRESULT STDMETHODCALLTYPE GetElementSize(int32_t* bytes) = 0;                 // 8
    virtual HRESULT STDMETHODCALLTYPE GetTimeBase(TimeBase* timeBase) = 0;                // 9
};
__CRT_UUID_DECL(IEnumObjectEvents, 0x7C74CAA2, 0x55F5, 0x4E73, 0xA8, 0xC5, 0x5C, 0xA8, 0xE9, 0xCA, 0x9F, 0xA8)

// The object the host's event lists hand out for an event: the event's record.
// {3E0B6F52-9C41-4D7A-B1E8-6A2F0C95D417}
struct IHostEventObject : IUnknown {
    // 3: copies the record when byteCount holds it; recordSize tells its size either way (S_FALSE
    // when it did not fit).
    virtual HRESULT STDMETHODCALLTYPE GetRecord(int32_t byteCount, void* record, int32_t* recordSize) = 0;
};
__CRT_UUID_DECL(IHostEventObject, 0x3E0B6F52, 0x9C41, 0x4D7A, 0xB1, 0xE8, 0x6A, 0x2F, 0x0C, 0x95, 0xD4, 0x17)

// The engine's side of one calculation in the tree: what an enumerator may tell its creator.
// {D9044DD5-098C-4036-8C43-FB107FC66B68}
struct ICalcHostContext : IUnknown {
    // 3: a value the enumerator forwards from its own slot 3 (the engine's to interpret).
    virtual HRESULT STDMETHODCALLTYPE SetValue(uintptr_t value) = 0;
};
__CRT_UUID_DECL(ICalcHostContext, 0xD9044DD5, 0x098C, 0x4036, 0x8C, 0x43, 0xFB, 0x10, 0x7F, 0xC6, 0x6B, 0x68)

// One calculation enumerator: a node of the compiled expression. It also offers IEnumFloatEx (when it
// yields samples) or IEnumEventEx (when it yields events).
// {532954A4-1807-428B-8A2B-8BB7282E74A6}
struct ICalcEnum : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetContextValue(uintptr_t value) = 0;               // 3
    virtual HRESULT STDMETHODCALLTYPE GetContext(IUnknown** context) = 0;                 // 4
    // 5: the function's constant arguments as text (an IOrvString, or any object that converts to
    // text); flags reports what the enumerator made of them.
    virtual HRESULT STDMETHODCALLTYPE ReadArguments(IUnknown* arguments, uint32_t* flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetArgumentText(IOrvString** text) = 0;             // 6
    virtual HRESULT STDMETHODCALLTYPE Clone(IUnknown* outer, ICalcEnum** clone) = 0;      // 7
    // 8: binds the enumerator to one record: its sources (one per source parameter, in parameter order,
    // each an IEnumFloatEx, IEnumEventEx or IEnumObjectEvents), their units, the record's sample
    // interval in seconds, and the ticks [startTick, endTick) to cover (endTick CalcOpenEndTick: runs on
    // as data arrives).
    virtual HRESULT STDMETHODCALLTYPE Start(int32_t record, uint32_t sourceCount, IUnknown* const* sources,
                                            IUnknown* const* units, double sampleInterval, int32_t startTick,
                                            int32_t endTick) = 0;
    virtual HRESULT STDMETHODCALLTYPE Seek(int32_t tick) = 0;                             // 9
    virtual HRESULT STDMETHODCALLTYPE Stop() = 0;                                         // 10
    virtual HRESULT STDMETHODCALLTYPE QueryFlags(uint32_t requested, uint32_t* flags) = 0;  // 11
    virtual HRESULT STDMETHODCALLTYPE GetSourceCount(uint32_t* count) = 0;                // 12: E_NOTIMPL allowed
    virtual HRESULT STDMETHODCALLTYPE GetRecord(int32_t* record) = 0;                     // 13
    virtual HRESULT STDMETHODCALLTYPE GetSampleInfo(double* sampleInterval, IUnknown** unit) = 0;  // 14
    virtual HRESULT STDMETHODCALLTYPE GetCapabilities(uint32_t* capabilities) = 0;        // 15
    virtual HRESULT STDMETHODCALLTYPE GetDataKind(uint32_t* kind) = 0;                    // 16
    virtual HRESULT STDMETHODCALLTYPE GetTimeBase(TimeBase* timeBase) = 0;                // 17
    virtual void STDMETHODCALLTYPE DeleteThis() = 0;                                      // 18
};
__CRT_UUID_DECL(ICalcEnum, 0x532954A4, 0x1807, 0x428B, 0x8A, 0x2B, 0x8B, 0xB7, 0x28, 0x2E, 0x74, 0xA6)

// The third face of the module's sample-yielding enumerators: the engine hands them its calculation
// variables.
// {0A191CD4-BA1C-4655-9EDA-297320E061CA}
struct IOrvSetCalcVariables : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetCalcVariables(IUnknown* variables) = 0;          // 3
};
__CRT_UUID_DECL(IOrvSetCalcVariables, 0x0A191CD4, 0xBA1C, 0x4655, 0x9E, 0xDA, 0x29, 0x73, 0x20, 0xE0, 0x61, 0xCA)

// The class object of a calculation function.
// {48436189-60B9-47D1-A159-6BF8B43E294F}
struct ICalcEnumClass2 : IVyrClassObject {
    virtual HRESULT STDMETHODCALLTYPE GetName(IOrvString** name) = 0;                     // 7
    virtual HRESULT STDMETHODCALLTYPE GetDescription(IOrvString** description) = 0;       // 8
    virtual HRESULT STDMETHODCALLTYPE GetFlags(uint32_t* flags) = 0;                      // 9
    // 10: a creation variant the module's classes do not support (E_NOTIMPL, out cleared).
    virtual HRESULT STDMETHODCALLTYPE CreateEnumVariant(IUnknown* context, uint32_t argument, IUnknown* outer,
                                                        uint32_t reserved1, uint32_t reserved2,
                                                        uint32_t reserved3, const IID* iid, void** out) = 0;
    // 11: a new enumerator over the host context (the document's data, or null); the caller holds the
    // only reference.
    virtual HRESULT STDMETHODCALLTYPE CreateEnum(IUnknown* context, uint32_t argument, ICalcEnum** calc) = 0;
    // 12: as 11, aggregated by outer when given (the result is then the non-delegating IUnknown).
    virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, IUnknown* context, uint32_t argument,
                                                     IUnknown** instance) = 0;
};
__CRT_UUID_DECL(ICalcEnumClass2, 0x48436189, 0x60B9, 0x47D1, 0xA1, 0x59, 0x6B, 0xF8, 0xB4, 0x3E, 0x29, 0x4F)

// The parameter description of a calculation function, answered by its class object.
// {58ADE1E2-5A17-41B1-95DD-A899F8805F8A}
struct ICalcNumericParamsFuncClass : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetAliasCount(uint32_t* count) = 0;                 // 3
    virtual HRESULT STDMETHODCALLTYPE GetAlias(uint32_t index, IOrvString** alias) = 0;   // 4
    // 5: the function's name, type id, parameter count, how many of the parameters (the first ones)
    // are sources, the function word and the result kind word. Every out pointer may be null.
    virtual HRESULT STDMETHODCALLTYPE GetInfo(IOrvString** name, uint32_t* typeId, uint32_t* paramCount,
                                              uint32_t* sourceCount, uint32_t* functionWord,
                                              uint32_t* resultWord) = 0;
    // 6: E_INVALIDARG past the last parameter. Every out pointer may be null.
    virtual HRESULT STDMETHODCALLTYPE GetParamInfo(uint32_t index, double* maximum, double* minimum,
                                                   uint32_t* kind, IOrvString** name) = 0;
    // 7: S_OK when a stream of the kind word may feed source index, S_FALSE when not, E_INVALIDARG for
    // an index that is not a source.
    virtual HRESULT STDMETHODCALLTYPE CheckSource(uint32_t index, uint32_t kind) = 0;
};
__CRT_UUID_DECL(ICalcNumericParamsFuncClass, 0x58ADE1E2, 0x5A17, 0x41B1, 0x95, 0xDD, 0xA8, 0x99, 0xF8, 0x80,
                0x5F, 0x8A)

// {0825BF4B-7ED1-421A-A740-563C8A77D6E4}
struct ICalcNumericParamsFuncClassEx : ICalcNumericParamsFuncClass {
    // 8: type id, parameter count, source count, flags, source count again, result kind.
    virtual HRESULT STDMETHODCALLTYPE GetInfoEx(uint32_t* typeId, uint32_t* paramCount, uint32_t* sourceCount,
                                                uint32_t* flags, uint32_t* eventSourceCount,
                                                uint32_t* resultWord) = 0;
};
__CRT_UUID_DECL(ICalcNumericParamsFuncClassEx, 0x0825BF4B, 0x7ED1, 0x421A, 0xA7, 0x40, 0x56, 0x3C, 0x8A, 0x77,
                0xD6, 0xE4)

// Settings records travel as the framework's IPersistObject (VyrMessaging.h).

// {8D104F69-898F-486E-A615-A9417D529910}
struct IGenericClassObject : IVyrClassObject {
    virtual HRESULT STDMETHODCALLTYPE CreateObject(const IID* iid, void** object) = 0;   // 7
};
__CRT_UUID_DECL(IGenericClassObject, 0x8D104F69, 0x898F, 0x486E, 0xA6, 0x15, 0xA9, 0x41, 0x7D, 0x52, 0x99, 0x10)

// {6E103BAA-FBDF-4F07-ABC3-22B5AB32C89D}
struct IPersistClassObject : IGenericClassObject {
    // 8: a record read from the stream; a version the class does not know still hands out a default.
    virtual HRESULT STDMETHODCALLTYPE LoadObject(IStream* stream, IPersistObject** object) = 0;
};
__CRT_UUID_DECL(IPersistClassObject, 0x6E103BAA, 0xFBDF, 0x4F07, 0xAB, 0xC3, 0x22, 0xB5, 0xAB, 0x32, 0xC8, 0x9D)

// The class object of a computed-channel calculation.
// {5D9E5A07-ED8B-466C-9D6E-6C881CC03632}
struct ICalculationClass : IVyrClassObject {
    virtual HRESULT STDMETHODCALLTYPE GetName(IOrvString** name) = 0;                     // 7
    virtual HRESULT STDMETHODCALLTYPE GetDescription(IOrvString** description) = 0;       // 8
    virtual HRESULT STDMETHODCALLTYPE GetFlags(uint32_t* flags) = 0;                      // 9
    // 10: asks the user for settings (a settings dialog over parent) and creates the channel's
    // calculation from them.
    virtual HRESULT STDMETHODCALLTYPE CreateCalculationInteractive(IUnknown* host, HWND parent, IUnknown* document,
                                                                   IPersistObject* settings, uint32_t channel,
                                                                   uint32_t record, uint32_t flags,
                                                                   IUnknown* selection,
                                                                   IChannelCalc** calculation) = 0;
    // 11: the channel's calculation from a host object and stored settings.
    virtual HRESULT STDMETHODCALLTYPE CreateCalculation(IUnknown* host, IPersistObject* settings,
                                                        IChannelCalc** calculation) = 0;
};
__CRT_UUID_DECL(ICalculationClass, 0x5D9E5A07, 0xED8B, 0x466C, 0x9D, 0x6E, 0x6C, 0x88, 0x1C, 0xC0, 0x36, 0x32)

// A computed channel's calculation.
// {CA4F03AE-2BD4-47F1-9F8A-FE489310226F}
struct IChannelCalc : IUnknown {
    // 3: the channel's source object, the scale triple, and the host context's answer.
    virtual HRESULT STDMETHODCALLTYPE SetUp(uint32_t parameter, uint32_t reserved, IUnknown** source,
                                            TimeBase* scale, uint32_t flag, uint32_t* word) = 0;
    virtual HRESULT STDMETHODCALLTYPE ApplySettings(IPersistObject* settings, int32_t force) = 0;  // 4
    virtual HRESULT STDMETHODCALLTYPE SetSettings(IPersistObject* settings) = 0;                  // 5
    virtual HRESULT STDMETHODCALLTYPE CloneSettings(IPersistObject** settings) = 0;              // 6
    virtual HRESULT STDMETHODCALLTYPE Refresh() = 0;                                              // 7
    virtual HRESULT STDMETHODCALLTYPE GetOutputRange(double* gain, double* shift) = 0;           // 8
    virtual HRESULT STDMETHODCALLTYPE GetClassName(IOrvString** name) = 0;                       // 9
    virtual HRESULT STDMETHODCALLTYPE Detach() = 0;                                              // 10
    virtual void STDMETHODCALLTYPE DeleteThis() = 0;                                             // 11
};
__CRT_UUID_DECL(IChannelCalc, 0xCA4F03AE, 0x2BD4, 0x47F1, 0x9F, 0x8A, 0xFE, 0x48, 0x93, 0x10, 0x22, 0x6F)

// Interface ids as constants, for code that compares them (QueryInterface implementations); each is
// the id its interface declares above, so that the number is written once.
inline constexpr GUID IID_IEnumExBase = __uuidof(IEnumExBase);
inline constexpr GUID IID_IEnumFloatEx = __uuidof(IEnumFloatEx);
inline constexpr GUID IID_IEnumEventEx = __uuidof(IEnumEventEx);
inline constexpr GUID IID_IEnumObjectEvents = __uuidof(IEnumObjectEvents);
inline constexpr GUID IID_IHostEventObject = __uuidof(IHostEventObject);
inline constexpr GUID IID_ICalcHostContext = __uuidof(ICalcHostContext);
inline constexpr GUID IID_ICalcEnum = __uuidof(ICalcEnum);
inline constexpr GUID IID_ICalcEnumClass2 = __uuidof(ICalcEnumClass2);
inline constexpr GUID IID_ICalcNumericParamsFuncClass = __uuidof(ICalcNumericParamsFuncClass);
inline constexpr GUID IID_ICalcNumericParamsFuncClassEx = __uuidof(ICalcNumericParamsFuncClassEx);
inline constexpr GUID IID_IGenericClassObject = __uuidof(IGenericClassObject);
inline constexpr GUID IID_IPersistClassObject = __uuidof(IPersistClassObject);
inline constexpr GUID IID_ICalculationClass = __uuidof(ICalculationClass);
inline constexpr GUID IID_IChannelCalc = __uuidof(IChannelCalc);
inline constexpr GUID IID_IOrvSetCalcVariables = __uuidof(IOrvSetCalcVariables);

// Categories a class object reports (IVyrClassObject::GetCategoryGuid).
inline constexpr GUID CalcFunctionCategory = {0x8FC37F03, 0x9357, 0x11D4, {0x81, 0x12, 0x00, 0xA0, 0xC9, 0xE2, 0x64, 0x33}};
inline constexpr GUID CalculationClassCategory =
    {0x5388E470, 0xF2ED, 0x11D2, {0x80, 0x9C, 0x00, 0xA0, 0xC9, 0xE2, 0x64, 0x33}};
inline constexpr GUID CalcSettingsClassCategory =
    {0xE058F3B0, 0xDCE3, 0x11D3, {0x80, 0xE8, 0x00, 0xA0, 0xC9, 0xE2, 0x64, 0x33}};

// The host's sample-filter calculation class (type number 0 under this GUID). Its enumerator takes the
// argument text "window<TAB>derivative<TAB>order", one IEnumFloatEx source, and yields the filtered
// samples through its own IEnumFloatEx, one per input sample.
inline constexpr GUID SampleFilterClassGuid =
    {0xBC1CA9E0, 0xE21E, 0x4BC5, {0xAF, 0xC3, 0xF0, 0xBC, 0x7A, 0x50, 0x0E, 0x7F}};
