#include "document/table/HemodynamicsTableData.h"

#include "document/analysis/SistraData.h"
#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"
#include "foundation/text/LocaleInfo.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <climits>
#include <cmath>

namespace Sistra
{

namespace
{

using TableView::SecondGridWord;

const wchar_t* const StatisticNames[] = {L"Avg", L"Min", L"Max", L"Count"};
constexpr ULONG SummaryColumns = 5;   // the title column and the four statistics
constexpr ULONG OrdinaryCell = 0x1000;
constexpr ULONG TitleRowCell = 0x0010;       // the parameter titles
constexpr ULONG LoopNumberCell = 0x0020;     // the loop numbers and statistic names
const wchar_t* const TableTitle = L"Hemodynamics Table";

// The value in the classic locale as printf's "%#.*e" or "%#.*f" writes it (the point kept even with no
// decimals after it), without a stream: the table's copy to the results sheet formats every cell.
std::string Chars(double value, std::chars_format format, int precision)
{
    // Room for the longest fixed text of a double (about 330 digits before or after the point).
    char text[800];
    const std::to_chars_result written = std::to_chars(text, text + sizeof text, value, format, precision);
    std::string chars(text, written.ptr);
    if (precision == 0)
        chars.insert(format == std::chars_format::scientific ? std::min<size_t>(chars.size(), chars[0] == '-' ? 2 : 1)
                                                             : chars.size(),
                     1, '.');
    return chars;
}

int ExponentOf(const std::string& scientific)
{
    return std::stoi(scientific.substr(scientific.find('e') + 1));
}

// printf's "%#.*g": the significant figures with trailing zeros kept, in scientific notation when the
// exponent is below -4 or not below the figures.
std::string GeneralText(double value, int digits)
{
    const int figures = std::max(digits, 1);
    const std::string scientific = Chars(value, std::chars_format::scientific, figures - 1);
    const int exponent = ExponentOf(scientific);
    if (exponent < -4 || exponent >= figures)
        return scientific;
    return Chars(value, std::chars_format::fixed, figures - 1 - exponent);
}

// The value rounded to its significant figures in plain notation; the exponent is taken after rounding,
// so 999.96 with four figures has no decimals (1000).
std::string FixedText(double value, int digits)
{
    const int figures = std::max(digits, 1);
    const std::string scientific = Chars(value, std::chars_format::scientific, figures - 1);
    const int exponent = ExponentOf(scientific);
    return Chars(std::strtod(scientific.c_str(), nullptr), std::chars_format::fixed, std::max(0, figures - 1 - exponent));
}

bool IsSummary(ULONG grid)
{
    return (grid & SecondGridWord) != 0;
}

} // namespace

std::wstring FormatTableValue(double value, const RowNumberFormat& format, wchar_t decimalSeparator)
{
    if (!std::isfinite(value))
        return L" ";
    if (format.mode == 0)
    {
        const double rounded = std::round(value);
        const long long whole = rounded >= INT_MAX ? INT_MAX : rounded <= INT_MIN ? INT_MIN
                                                                                   : static_cast<long long>(rounded);
        return std::to_wstring(whole);
    }
    // Of the two notations the shorter is shown, the plain one when they are as long: with two figures
    // 1500 reads "1500", not "1.5e+03"; 1.5e10 keeps its exponent.
    const std::string general = GeneralText(value, format.digits);
    const std::string fixed = FixedText(value, format.digits);
    const std::string& chosen = fixed.size() <= general.size() ? fixed : general;
    std::wstring shown(chosen.begin(), chosen.end());
    if (!shown.empty() && shown.back() == decimalSeparator)
        shown.pop_back();
    return shown;
}

SistraHemodynamicsTableViewData::SistraHemodynamicsTableViewData(SistraData& data) : m_data(&data) {}

HRESULT STDMETHODCALLTYPE SistraHemodynamicsTableViewData::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryFaces(iid, object,
                           {{static_cast<ITableDataManager*>(this), {IID_ITableDataManager}},
                            {static_cast<ITableStoredRowInfo*>(this), {IID_ITableStoredRowInfo}}});
}

RowNumberFormat& SistraHemodynamicsTableViewData::GetRowFormat(int32_t parameter)
{
    // The loop numbers (parameter 0) are whole numbers; every parameter starts with four figures.
    return m_formats.try_emplace(parameter, RowNumberFormat{RowNumberFormat::DefaultDigits, parameter}).first->second;
}

void SistraHemodynamicsTableViewData::SetAllRowDigits(int32_t digits)
{
    for (auto& [parameter, format] : m_formats)
        format.digits = digits;
}

int32_t SistraHemodynamicsTableViewData::ParameterOfColumn(ULONG column) const
{
    const std::vector<int32_t>& parameters = m_data->TableParameters();
    return column < parameters.size() ? parameters[column] : -1;
}

std::wstring SistraHemodynamicsTableViewData::LoopCellText(int row, ULONG column)
{
    if (row == 0)
        return m_data->GetParameterTitle(static_cast<int32_t>(column));
    const double value = m_data->GetLoopParameterValue(static_cast<int32_t>(column), static_cast<uint32_t>(row - 1));
    return FormatTableValue(value, GetRowFormat(ParameterOfColumn(column)), LocaleInfo::Get().decimalSeparator[0]);
}

std::wstring SistraHemodynamicsTableViewData::SummaryCellText(int row, ULONG column)
{
    if (column == 0)
        return row == 0 || static_cast<ULONG>(row) >= SummaryColumns ? L"" : StatisticNames[row - 1];
    if (row == 0)
        return m_data->GetParameterTitle(static_cast<int32_t>(column));
    if (static_cast<ULONG>(row) >= SummaryColumns)
        return {};
    const int32_t parameter = ParameterOfColumn(column);
    const std::optional<ParameterSummary> summary = m_data->GetParameterStatistics(parameter);
    if (!summary || summary->count == 0)
        return {};
    if (row == 4)
        return std::to_wstring(summary->count);
    const double values[] = {summary->average, summary->minimum, summary->maximum};
    return FormatTableValue(values[row - 1], GetRowFormat(parameter), LocaleInfo::Get().decimalSeparator[0]);
}

HRESULT STDMETHODCALLTYPE SistraHemodynamicsTableViewData::GetCellText(ULONG grid, int row, ULONG column,
                                                                       Orv::String* text)
{
    if (!text)
        return E_POINTER;
    return Orv::CatchReturn([&] {
        *text = Orv::String(IsSummary(grid) ? SummaryCellText(row, column) : LoopCellText(row, column));
    });
}

HRESULT STDMETHODCALLTYPE SistraHemodynamicsTableViewData::GetCellFormat(ULONG, int row, ULONG column, ULONG* format)
{
    if (!format)
        return E_POINTER;
    *format = OrdinaryCell | (row == 0 ? TitleRowCell : 0) | (column == 0 ? LoopNumberCell : 0);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SistraHemodynamicsTableViewData::GetColumnCount(ULONG, ULONG* count)
{
    if (!count)
        return E_POINTER;
    return Orv::CatchReturn([&] { *count = static_cast<ULONG>(m_data->GetTableParameters()); });
}

HRESULT STDMETHODCALLTYPE SistraHemodynamicsTableViewData::GetTitle(ULONG, Orv::String* text)
{
    if (!text)
        return E_POINTER;
    *text = Orv::String(TableTitle);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SistraHemodynamicsTableViewData::GetRowCount(ULONG grid, ULONG* count)
{
    if (!count)
        return E_POINTER;
    *count = IsSummary(grid) ? SummaryColumns : 1 + m_data->GetLoopCount();
    return S_OK;
}

} // namespace Sistra
