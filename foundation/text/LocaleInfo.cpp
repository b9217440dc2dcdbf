#include "foundation/text/LocaleInfo.h"

#include "foundation/system/ModalMessage.h"
#include "foundation/text/NumberPunctuation.h"

#include <clocale>
#include <cstring>
#include <cwchar>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace Orv
{

namespace
{

class SystemLocaleSettings : public LocaleSettingsSource
{
public:
    int ReadNarrow(LCTYPE item, char* buffer, int size) const override
    {
        return GetLocaleInfoA(LOCALE_USER_DEFAULT, item, buffer, size);
    }
    int ReadWide(LCTYPE item, wchar_t* buffer, int size) const override
    {
        return GetLocaleInfoW(LOCALE_USER_DEFAULT, item, buffer, size);
    }
};

// The module's own wording, for a host executable whose string table lacks the texts.
const wchar_t* FallbackText(UINT id)
{
    switch (id)
    {
    case LocaleHostStrings::Title:
        return L"Regional settings";
    case LocaleHostStrings::SettingsUnreadable:
        return L"The regional settings of this computer could not be read.";
    case LocaleHostStrings::DateSeparatorIsDecimal:
        return L"The date separator is the same as the decimal separator.\n";
    case LocaleHostStrings::ListSeparatorIsDecimal:
        return L"The list separator is the same as the decimal separator.\n";
    case LocaleHostStrings::UnusualDecimalSeparator:
        return L"The decimal separator is neither a full stop nor a comma:";
    case LocaleHostStrings::RuntimeLocaleSystemError:
        return L"The regional settings could not be selected for number conversion: ";
    default:
        return L"The regional settings could not be selected for number conversion.";
    }
}

// Error codes that the C runtime's locale selection leaves, and the first of the texts for them.
constexpr DWORD FirstRuntimeLocaleErrorCode = 0x20000101;
constexpr DWORD RuntimeLocaleErrorCodes = 6;
constexpr DWORD SystemMessageUnits = 512;

String RuntimeLocaleError(DWORD code)
{
    if (code >= FirstRuntimeLocaleErrorCode && code < FirstRuntimeLocaleErrorCode + RuntimeLocaleErrorCodes)
        return LocaleHostString(LocaleHostStrings::FirstRuntimeLocaleError + (code - FirstRuntimeLocaleErrorCode));
    String message = LocaleHostString(LocaleHostStrings::RuntimeLocaleSystemError);
    wchar_t text[SystemMessageUnits] = {};
    if (FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, SystemMessageUnits - 1, nullptr))
        message += text;
    return message;
}

void ShowTaskModalMessage(const String& text, const String& title)
{
    ShowMessageBox(nullptr, text, title, MB_TASKMODAL);
}

void AppendHexCode(String& text, wchar_t unit)
{
    static constexpr wchar_t Digits[] = L"0123456789abcdef";
    bool leading = true;
    for (int shift = 12; shift >= 0; shift -= 4)
    {
        const unsigned digit = (static_cast<unsigned>(unit) >> shift) & 0xF;
        if (leading && digit == 0 && shift > 0)
            continue;
        leading = false;
        text += Digits[digit];
    }
}

std::optional<std::wstring> ReadWideText(const LocaleSettingsSource& source, LCTYPE item)
{
    const int needed = source.ReadWide(item, nullptr, 0);
    if (needed <= 0)
        return std::nullopt;
    std::vector<wchar_t> buffer(static_cast<std::size_t>(needed) + 1, L'\0');
    if (source.ReadWide(item, buffer.data(), needed) <= 0)
        return std::nullopt;
    return std::wstring(buffer.data());
}

std::time_base::dateorder DateOrderOf(const std::optional<std::wstring>& setting)
{
    if (!setting || setting->size() != 1)
        return std::time_base::no_order;
    switch ((*setting)[0])
    {
    case L'0': return std::time_base::mdy;
    case L'1': return std::time_base::dmy;
    case L'2': return std::time_base::ymd;
    default: return std::time_base::no_order;
    }
}

constexpr int DaysPerWeek = 7;
constexpr int MonthsPerYear = 12;

// Day and month names and the short date order for the time reading facet. The system counts days
// from Monday, the facet from Sunday.
TimeGetSettings ReadTimeGetSettings(const LocaleSettingsSource& source, wchar_t dateSeparator)
{
    TimeGetSettings s;
    for (int day = 0; day < DaysPerWeek; ++day)
    {
        const LCTYPE offset = static_cast<LCTYPE>((day + DaysPerWeek - 1) % DaysPerWeek);
        s.weekdayNames[2 * day] = ReadWideText(source, LOCALE_SABBREVDAYNAME1 + offset).value_or(L"");
        s.weekdayNames[2 * day + 1] = ReadWideText(source, LOCALE_SDAYNAME1 + offset).value_or(L"");
    }
    for (int month = 0; month < MonthsPerYear; ++month)
    {
        const LCTYPE offset = static_cast<LCTYPE>(month);
        s.monthNames[2 * month] = ReadWideText(source, LOCALE_SABBREVMONTHNAME1 + offset).value_or(L"");
        s.monthNames[2 * month + 1] = ReadWideText(source, LOCALE_SMONTHNAME1 + offset).value_or(L"");
    }
    s.dateOrder = DateOrderOf(ReadWideText(source, LOCALE_IDATE));
    s.dateSeparator = dateSeparator;
    return s;
}

template <class CharT, std::size_t N>
CharT FirstUnitOr(const CharT (&text)[N], CharT fallback)
{
    return text[0] ? text[0] : fallback;
}

constexpr int NumericSettingUnits = 8;

std::optional<int> ReadNumericSetting(const LocaleSettingsSource& source, LCTYPE item)
{
    wchar_t buffer[NumericSettingUnits] = {};
    if (source.ReadWide(item, buffer, NumericSettingUnits) == 0)
        return std::nullopt;
    return _wtoi(buffer);
}

} // namespace

const LocaleSettingsSource& UserLocaleSettings()
{
    static const SystemLocaleSettings settings;
    return settings;
}

String LocaleHostString(UINT id)
{
    static std::mutex mutex;
    static std::map<UINT, String> loaded;
    std::lock_guard lock(mutex);
    const auto it = loaded.find(id);
    if (it != loaded.end())
        return it->second;
    String text(nullptr, id, false);
    if (text.IsEmpty())
        text = FallbackText(id);
    return loaded.emplace(id, text).first->second;
}

} // namespace Orv

namespace
{

LocaleInfo& ProcessLocaleInfo()
{
    static LocaleInfo info;
    return info;
}

} // namespace

LocaleInfo::~LocaleInfo()
{
    if (localeInstalled)
        std::locale::global(std::locale::classic());
}

const LocaleInfo& LocaleInfo::Get()
{
    static const bool initialised = [] {
        ProcessLocaleInfo().Init(Orv::UserLocaleSettings(), Orv::ShowTaskModalMessage);
        return true;
    }();
    (void)initialised;
    return ProcessLocaleInfo();
}

Orv::String LocaleInfo::GetListSeparator()
{
    return Get().listSeparator;
}

bool LocaleInfo::Is24HourClock()
{
    return Get().is24HourClock;
}

bool LocaleInfo::Read(const Orv::LocaleSettingsSource& source)
{
    const struct
    {
        LCTYPE item;
        wchar_t* field;
        int units;
    } separators[] = {
        {LOCALE_SDECIMAL, decimalSeparator, SeparatorUnits},  {LOCALE_STHOUSAND, thousandsSeparator, SeparatorUnits},
        {LOCALE_STIME, timeSeparator, SeparatorUnits},        {LOCALE_SDATE, dateSeparator, SeparatorUnits},
        {LOCALE_SLIST, listSeparator, SeparatorUnits},        {LOCALE_S1159, amDesignator, DesignatorUnits},
        {LOCALE_S2359, pmDesignator, DesignatorUnits},
    };
    if (source.ReadNarrow(LOCALE_SDECIMAL, narrowDecimalSeparator, SeparatorUnits) == 0)
        return false;
    for (const auto& s : separators)
        if (source.ReadWide(s.item, s.field, s.units) == 0)
            return false;

    const auto hourClock = Orv::ReadNumericSetting(source, LOCALE_ITIME);
    if (!hourClock)
        return false;
    const auto markerPosition = Orv::ReadNumericSetting(source, LOCALE_ITIMEMARKPOSN);
    if (!markerPosition)
        return false;
    const auto codePage = Orv::ReadNumericSetting(source, LOCALE_IDEFAULTCODEPAGE);
    if (!codePage)
        return false;
    is24HourClock = *hourClock == 1;
    oemCodePage = static_cast<std::uint16_t>(*codePage);
    timeMarkerLeads = *markerPosition != 0;

    const struct
    {
        LCTYPE item;
        Orv::String* field;
    } formats[] = {{LOCALE_STIMEFORMAT, &timeFormat}, {LOCALE_SLONGDATE, &longDateFormat},
                   {LOCALE_SSHORTDATE, &shortDateFormat}};
    for (const auto& f : formats)
    {
        const auto text = Orv::ReadWideText(source, f.item);
        if (!text)
            return false;
        *f.field = *text;
    }
    return true;
}

Orv::String LocaleInfo::Problems() const
{
    using namespace Orv::LocaleHostStrings;
    using Orv::LocaleHostString;
    Orv::String message;
    if (std::wcscmp(dateSeparator, decimalSeparator) == 0)
        message += LocaleHostString(DateSeparatorIsDecimal);
    if (std::wcscmp(listSeparator, decimalSeparator) == 0)
        message += LocaleHostString(ListSeparatorIsDecimal);
    const std::size_t units = std::wcslen(decimalSeparator);
    if (units != 1 || (decimalSeparator[0] != L'.' && decimalSeparator[0] != L','))
    {
        message += LocaleHostString(UnusualDecimalSeparator);
        for (std::size_t i = 0; i < units; ++i)
        {
            message += L' ';
            Orv::AppendHexCode(message, decimalSeparator[i]);
        }
    }
    return message;
}

std::locale LocaleInfo::MakeStreamLocale(const Orv::LocaleSettingsSource& source) const
{
    // The runtime has no named locales, so the user's separators are put onto the classic locale.
    const wchar_t decimal = Orv::FirstUnitOr(decimalSeparator, L'.');
    const wchar_t thousands = Orv::FirstUnitOr(thousandsSeparator, L',');
    const char narrowDecimal = Orv::FirstUnitOr(narrowDecimalSeparator, '.');
    const char narrowThousands = thousands < 0x80 ? static_cast<char>(thousands) : ',';
    std::locale locale(std::locale::classic(), new NoThousandsSep<wchar_t>(decimal, thousands));
    locale = std::locale(locale, new NoThousandsSep<char>(narrowDecimal, narrowThousands));
    return std::locale(locale, new Orv::WideTimeGet(Orv::ReadTimeGetSettings(source, dateSeparator[0])));
}

void LocaleInfo::Init(const Orv::LocaleSettingsSource& source, const Orv::LocaleMessageSink& showMessage)
{
    using namespace Orv::LocaleHostStrings;
    using Orv::LocaleHostString;
    if (!Read(source))
    {
        showMessage(LocaleHostString(SettingsUnreadable), LocaleHostString(Title));
        return;
    }
    // A process that chose its own numeric locale keeps it.
    const char* numericLocale = std::setlocale(LC_NUMERIC, nullptr);
    if (!numericLocale || std::strcmp(numericLocale, "C") != 0)
        return;

    std::locale::global(MakeStreamLocale(source));
    localeInstalled = true;
    Orv::String message = Problems();
    if (!std::setlocale(LC_NUMERIC, ""))
        message = Orv::RuntimeLocaleError(GetLastError());
    if (!message.IsEmpty())
        showMessage(message, LocaleHostString(Title));
}
