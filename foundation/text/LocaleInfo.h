// The user's regional settings, read once per process, and the module's global stream locale built
// from them: the user's decimal separator, no thousands separator, and the module's date and time
// reading. Settings that make numbers ambiguous are reported to the user once.
#pragma once

#include "foundation/text/String.h"
#include "foundation/text/TimeGet.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <locale>

namespace Orv
{

// Where the settings come from: GetLocaleInfoA/W for the user's default locale, or a test's table.
// Both follow GetLocaleInfo: a size of 0 asks for the needed length; 0 means failure.
class LocaleSettingsSource
{
public:
    virtual int ReadNarrow(LCTYPE item, char* buffer, int size) const = 0;
    virtual int ReadWide(LCTYPE item, wchar_t* buffer, int size) const = 0;

protected:
    ~LocaleSettingsSource() = default;
};

const LocaleSettingsSource& UserLocaleSettings();

// Shows a message to the user (text, title); the process's own asks for a task-modal message box
// through the module's message-box seam (foundation/ModalMessage.h).
using LocaleMessageSink = std::function<void(const String& text, const String& title)>;

// Texts of the host executable's string table that the checks show; each is loaded once.
namespace LocaleHostStrings
{
constexpr UINT Title = 20007;
constexpr UINT SettingsUnreadable = 20008;
constexpr UINT DateSeparatorIsDecimal = 20009;
constexpr UINT ListSeparatorIsDecimal = 20010;
constexpr UINT UnusualDecimalSeparator = 20011;
constexpr UINT FirstRuntimeLocaleError = 20012; // 20012-20017 for codes 0x20000101-0x20000106
constexpr UINT RuntimeLocaleSystemError = 20018;
} // namespace LocaleHostStrings

String LocaleHostString(UINT id);

} // namespace Orv

class LocaleInfo
{
public:
    static constexpr int SeparatorUnits = 8;
    static constexpr int DesignatorUnits = 16;

    LocaleInfo() = default;
    virtual ~LocaleInfo();
    LocaleInfo(const LocaleInfo&) = delete;
    LocaleInfo& operator=(const LocaleInfo&) = delete;

    // The process's object, built and set up on first use.
    static const LocaleInfo& Get();
    static Orv::String GetListSeparator();
    static bool Is24HourClock();

    // Reads the settings and, unless the process already chose a numeric locale, installs the global
    // stream locale and reports ambiguous settings through the sink.
    void Init(const Orv::LocaleSettingsSource& source, const Orv::LocaleMessageSink& showMessage);

    // Reads every field in order; false at the first item the source cannot give.
    bool Read(const Orv::LocaleSettingsSource& source);
    // The warnings about these settings, in order; empty when there are none.
    Orv::String Problems() const;
    // The classic locale with the user's number punctuation and the module's time reading.
    std::locale MakeStreamLocale(const Orv::LocaleSettingsSource& source) const;

    char narrowDecimalSeparator[SeparatorUnits] = {};
    wchar_t decimalSeparator[SeparatorUnits] = {};
    wchar_t thousandsSeparator[SeparatorUnits] = {};
    wchar_t timeSeparator[SeparatorUnits] = {};
    wchar_t dateSeparator[SeparatorUnits] = {};
    wchar_t listSeparator[SeparatorUnits] = {};
    wchar_t amDesignator[DesignatorUnits] = {};
    wchar_t pmDesignator[DesignatorUnits] = {};
    Orv::String timeFormat;
    Orv::String shortDateFormat;
    Orv::String longDateFormat;
    std::uint16_t oemCodePage = 0;
    bool is24HourClock = false;
    bool timeMarkerLeads = false;
    bool localeInstalled = false;
};
