// Host services a module reaches through the framework: the host application, its settings, commands
// and menus, the clipboard, host objects and units.
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2.
#pragma once

#include "hostapi/VyrCommands.h"
#include "hostapi/VyrIds.h"

#include <unknwn.h>

#include <cstddef>
#include <cstdint>

// Settings the host keeps, read by key (such as "orv\application\visible").
struct IHostPrintService;

struct IHostSettings : IUnknown
{
    // 3: S_OK and the value when the setting is written, S_FALSE when it is not.
    virtual HRESULT STDMETHODCALLTYPE GetBoolean(const WCHAR* key, VARIANT_BOOL* value) = 0;
};

// What a modeless module window (a workflow page) asks of the host's message loop. Not counted: the
// window removes its hooks before it goes.
struct IHostLoopHooks
{
    // TRUE when the hook took the message (a dialog key of its window): the loop does not dispatch it.
    virtual BOOL STDMETHODCALLTYPE PreTranslate(MSG* message) = 0;
    // The loop's queue ran empty; TRUE asks for another idle call before the loop waits.
    virtual BOOL STDMETHODCALLTYPE OnLoopIdle() = 0;
};

// Slots that only other parts of the module call are kept in order as reserved until they are built.
struct IHostApplication : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    VYR_RESERVED_SLOT(7)
    VYR_RESERVED_SLOT(8)
    VYR_RESERVED_SLOT(9)
    virtual HRESULT STDMETHODCALLTYPE GetMainWindow(HWND* window) = 0;                                   // 10
    // 11: the host's printing, with one reference; null when the host cannot print.
    virtual HRESULT STDMETHODCALLTYPE GetPrintService(IHostPrintService** service) = 0;
    VYR_RESERVED_SLOT(12)
    VYR_RESERVED_SLOT(13)
    VYR_RESERVED_SLOT(14)
    VYR_RESERVED_SLOT(15)
    VYR_RESERVED_SLOT(16)
    VYR_RESERVED_SLOT(17)
    VYR_RESERVED_SLOT(18)
    VYR_RESERVED_SLOT(19)
    VYR_RESERVED_SLOT(20)
    // 21: shows a topic of a help file (the file's name without its extension).
    virtual HRESULT STDMETHODCALLTYPE ShowHelp(const WCHAR* topic, const WCHAR* helpFile) = 0;
    VYR_RESERVED_SLOT(22)
    VYR_RESERVED_SLOT(23)
    VYR_RESERVED_SLOT(24)
    VYR_RESERVED_SLOT(25)
    VYR_RESERVED_SLOT(26)
    VYR_RESERVED_SLOT(27)
    VYR_RESERVED_SLOT(28)
    VYR_RESERVED_SLOT(29)
    VYR_RESERVED_SLOT(30)
    VYR_RESERVED_SLOT(31)
    VYR_RESERVED_SLOT(32)
    virtual HRESULT STDMETHODCALLTYPE GetUiLanguage(LANGID* language) = 0;                               // 33
    virtual HRESULT STDMETHODCALLTYPE GetSettings(IHostSettings** settings) = 0;                         // 34
    // 35: every message box of a module: the host shows it, or answers it without a person in a batch
    // run, and gives back the button pressed (IDOK, IDYES, ...).
    virtual HRESULT STDMETHODCALLTYPE ShowMessageBox(HWND owner, const WCHAR* text, const WCHAR* caption,
        UINT style, LONG* pressedButton) = 0;
    // 36: every modal dialog of a module, named by the module: the host runs it, or answers it as it
    // answers message boxes in a batch run, and gives back the button that closed it (IDOK, IDCANCEL).
    virtual HRESULT STDMETHODCALLTYPE RunModalDialog(HWND owner, const WCHAR* name, LONG* pressedButton) = 0;
    // 37: a modal dialog the module can show itself, editing a state the module owns (size bytes laid
    // out by the dialog, 0 for none): answered as 36 answers it in a run without a person, where an IDOK
    // may write the run's choices over the state; S_FALSE, with no answer and the state untouched, hands
    // it back for the module to show to the person at the host.
    virtual HRESULT STDMETHODCALLTYPE OfferModalDialog(HWND owner, const WCHAR* name, ULONG size, BYTE* state,
        LONG* pressedButton) = 0;
    // 38, 39: a modeless window's hooks into the host's message loop, kept from Add to Remove: the loop
    // shows them each message before dispatching it, and calls them when its queue runs empty.
    virtual HRESULT STDMETHODCALLTYPE AddLoopHooks(IHostLoopHooks* hooks) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveLoopHooks(IHostLoopHooks* hooks) = 0;
    VYR_RESERVED_SLOT(40)
    VYR_RESERVED_SLOT(41)
    VYR_RESERVED_SLOT(42)
    VYR_RESERVED_SLOT(43)
    VYR_RESERVED_SLOT(44)
    VYR_RESERVED_SLOT(45)
    VYR_RESERVED_SLOT(46)
    VYR_RESERVED_SLOT(47)
    VYR_RESERVED_SLOT(48)
    VYR_RESERVED_SLOT(49)
    VYR_RESERVED_SLOT(50)
    // 51: whether the host wants version notices: first word 0 means yes.
    virtual HRESULT STDMETHODCALLTYPE GetVersionNoticeMode(ULONG reserved, ULONG* mode, ULONG* detail) = 0;
    VYR_RESERVED_SLOT(52)
    VYR_RESERVED_SLOT(53)
    VYR_RESERVED_SLOT(54)
    VYR_RESERVED_SLOT(55)
    VYR_RESERVED_SLOT(56)
    // 57: a module's version notice.
    virtual HRESULT STDMETHODCALLTYPE ShowVersionNotice(ULONG reserved, const WCHAR* text) = 0;
};

// The following services are reached through the object factory by type id. Their operations belong
// to the parts of the module that call them and are added there.
// A host setting named by its id, as the host object service makes it.
struct IHostSettingKey : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetSettingId(ULONG* id) = 0;                                        // 3
};

// A host object made for a purpose the host names by a type and two values (a view to show, a
// comment to place, a channel whose setup changes); a message sent in its context carries its word.
// {43059510-E8DD-11D3-80EB-005004AD3C53}
struct IHostContextObject : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetDescription(ULONG* type, ULONG* first, ULONG* second) = 0;      // 3
    virtual HRESULT STDMETHODCALLTYPE GetContextWord(ULONG* word) = 0;                                    // 4
};
inline constexpr IID IID_IHostContextObject = {0x43059510, 0xE8DD, 0x11D3, {0x80, 0xEB, 0x00, 0x50, 0x04, 0xAD, 0x3C, 0x53}};

// The host object type of the container of messages the host keeps for documents until they are ready.
inline constexpr ULONG HostStoredMessagesType = 0x80010020;

struct IHostObjectService : IUnknown
{
    // 3: the key of a host setting id, with one reference for the caller.
    virtual HRESULT STDMETHODCALLTYPE MakeSettingKey(ULONG settingId, IHostSettingKey** key) = 0;
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    VYR_RESERVED_SLOT(7)
    VYR_RESERVED_SLOT(8)
    VYR_RESERVED_SLOT(9)
    VYR_RESERVED_SLOT(10)
    VYR_RESERVED_SLOT(11)
    // 12: a new host object of the type for the two values, answering iid (IHostContextObject).
    virtual HRESULT STDMETHODCALLTYPE CreateHostObject(ULONG type, ULONG first, ULONG second, REFIID iid,
                                                       void** object) = 0;
    VYR_RESERVED_SLOT(13)
    // 14: the host object of the type for the two values: the host's one container of stored messages
    // for HostStoredMessagesType (IVyrObjectContainer), a new IHostContextObject for any other type.
    virtual HRESULT STDMETHODCALLTYPE CreateHostObjectByType(ULONG type, ULONG first, ULONG second, ULONG reserved,
                                                             IUnknown** object) = 0;
};

// The host's settings as a view reads them: S_OK and the value when the setting is written, S_FALSE
// (value untouched) when it is not.
struct IHostViewSettings : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetInteger(IHostSettingKey* key, LONG* value) = 0;                  // 3
    virtual HRESULT STDMETHODCALLTYPE GetBoolean(IHostSettingKey* key, VARIANT_BOOL* value) = 0;          // 4
};

// The host's trace-display preferences a view reads through IHostViewSettings, by setting id.
namespace HostDisplaySetting
{
inline constexpr ULONG GridShown = 0x800C0009;   // boolean
inline constexpr ULONG GridColour = 0x800C000A;  // integer: an index of the host's grid colours
inline constexpr ULONG Flag = 0x800C000B;        // boolean
inline constexpr ULONG Count = 0x800C000C;       // integer, 0 read as 1
inline constexpr ULONG TraceColour = 0x800C000D; // integer: an index of the trace palette
inline constexpr ULONG GridStyle = 0x800C000E;   // integer: 0 dotted lines, else dots at the crossings
} // namespace HostDisplaySetting

// Queried from the host application: the host's colour of a grid-colour index.
struct IHostGridColours : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetGridColour(USHORT index, COLORREF* colour) = 0;                  // 3
};

struct IHostClipboardService : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    VYR_RESERVED_SLOT(7)
    // 8: called with 0 before a module writes the clipboard itself: the host gives up what it put there.
    virtual HRESULT STDMETHODCALLTYPE PrepareForModuleWrite(ULONG reserved) = 0;
};

// A unit name with its SI prefix code (codes 2-11: 'a' to 'G'; 1 or 8: no prefix).
struct IHostUnit : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetPrefixCode(LONG* code) = 0;                                    // 3
    virtual HRESULT STDMETHODCALLTYPE GetUnitText(BSTR* text) = 0;                                      // 4
};

// What a units conversion tells about itself. The texts are the caller's to free.
struct UnitsInformation
{
    double scale;           // shown value = scale * raw value + offset, both unprefixed
    double offset;
    BSTR rawUnitText;       // the unit of the raw values, without its prefix letter
    LONG rawPrefixCode;
    BSTR unitText;          // the unit of the shown values, without its prefix letter
    LONG unitPrefixCode;
    VARIANT_BOOL inUse;     // non-zero: the conversion changes the values, which are shown in unitText
};

// A conversion of a channel's raw values into the units the host shows.
struct IUnitConversion : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetUnitsInformation(UnitsInformation* information) = 0;          // 3
    // 4: how the conversion was made (a kind byte) and the number of texts that describe it.
    virtual HRESULT STDMETHODCALLTYPE GetDescription(BYTE* kind, ULONG* textCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDescriptionText(ULONG index, BSTR* text) = 0;                  // 5
    // 6: the conversion's own units record (VyrUnitsRecordSize bytes), valid while the conversion lives.
    virtual HRESULT STDMETHODCALLTYPE GetUnitsRecord(const void** record) = 0;
};

// Kinds of units conversion, as their descriptions report them.
namespace UnitConversionKind
{
constexpr BYTE Identity = 0;
constexpr BYTE TwoPoint = 2;
} // namespace UnitConversionKind

// Size in bytes of the channel units record that the host's units service exchanges.
constexpr ULONG VyrUnitsRecordSize = 144;

struct IBinOutStream;
struct IBinInStream;

// A channel's units as a units record gives them: shown = scale * raw + offset, and the display range
// from top down to bottom. The last three words are the host's own and passed through.
struct HostUnitsRecord
{
    double scale = 1.0;
    double offset = 0.0;
    float top = 0.0f;
    float bottom = 0.0f;
    int32_t reserved1 = 0;
    int32_t reserved2 = 0;
    int16_t reserved3 = 0;
};
static_assert(sizeof(HostUnitsRecord) == 40);
static_assert(offsetof(HostUnitsRecord, top) == 16);

// The units object the units service makes from a record (a stand-in id).
// {1F6C29B6-8E53-4A7D-B06E-3D9541C27A58}
struct IHostChannelUnits : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetUnitsRecord(HostUnitsRecord* record) = 0;                        // 3
    virtual HRESULT STDMETHODCALLTYPE GetUnitText(BSTR* text) = 0;                                        // 4
};
inline constexpr IID IID_IHostChannelUnits = {0x1F6C29B6, 0x8E53, 0x4A7D, {0xB0, 0x6E, 0x3D, 0x95, 0x41, 0xC2, 0x7A, 0x58}};

struct IUnitsService : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetUnitsRecordSize(ULONG* size) = 0;                              // 3
    virtual HRESULT STDMETHODCALLTYPE CreateUnitName(const WCHAR* name, LONG prefixCode, IHostUnit** unit) = 0; // 4
    // 5: the conversion that maps two raw values onto two shown values, for a channel that has the
    // current conversion. Raw texts are a number followed directly by a prefixed unit ("1mV"); shown
    // texts are numbers in the unit with the prefix code. Numbers are read in the classic locale.
    // E_INVALIDARG for a text that is no number, a unit the current conversion does not have, or two
    // equal raw values.
    virtual HRESULT STDMETHODCALLTYPE CreateTwoPointConversion(IUnitConversion* current, const WCHAR* raw1,
        const WCHAR* raw2, const WCHAR* shown1, const WCHAR* shown2, const WCHAR* unit, LONG prefixCode,
        IUnitConversion** conversion) = 0;
    virtual HRESULT STDMETHODCALLTYPE WriteConversion(IBinOutStream* stream, IUnitConversion* conversion) = 0; // 6
    // 7: a conversion as WriteConversion wrote it; E_FAIL, and no conversion, for a stream that fails.
    virtual HRESULT STDMETHODCALLTYPE ReadConversion(IBinInStream* stream, IUnitConversion** conversion) = 0;
    // 8: a channel's units object (IHostChannelUnits) from a units record and a unit text; the reserved
    // words are 0. Hosts that make none refuse.
    virtual HRESULT STDMETHODCALLTYPE CreateChannelUnits(uint32_t reserved1, const HostUnitsRecord* record,
                                                         const WCHAR* unit, uint32_t reserved2, uint32_t reserved3,
                                                         IUnknown** units)
    {
        (void)reserved1, (void)record, (void)unit, (void)reserved2, (void)reserved3;
        if (units)
            *units = nullptr;
        return E_NOTIMPL;
    }
    VYR_RESERVED_SLOT(9)
    VYR_RESERVED_SLOT(10)
    // 11: the conversion of a channel nobody set up: raw volts shown as they are.
    virtual HRESULT STDMETHODCALLTYPE CreateDefaultConversion(IUnitConversion** conversion) = 0;
};
