// The cells of the hemodynamics table, worked out on request from the document's analysis: one row per
// loop under a row of parameter titles, one column per chosen parameter after the loop-number column.
// A second pane of the same table (its calls carry the second grid's bit) holds the summaries: one
// row per statistic. Each parameter keeps the number format the user gave it while the document lives.
#pragma once

#include "foundation/com/ComObjectRoot.h"
#include "foundation/com/ComPtr.h"
#include "tableview/data/TableInterfaces.h"

#include <unordered_map>

namespace Sistra
{

class SistraData;

struct RowNumberFormat
{
    static constexpr int32_t DefaultDigits = 4;
    int32_t digits = DefaultDigits;
    // 0: a rounded integer; otherwise digits significant figures.
    int32_t mode = 0;
};

// A value as the table shows it: " " when it is not a number, a rounded integer (clamped to 32 bits) in
// mode 0, else the significant figures with trailing zeros kept and no point at the end.
std::wstring FormatTableValue(double value, const RowNumberFormat& format, wchar_t decimalSeparator);

class SistraHemodynamicsTableViewData final : public ITableDataManager,
                                              public ITableStoredRowInfo,
                                              private Orv::CComObjectRoot
{
public:
    // The analysis data of the document that owns this table, kept while the table lives.
    explicit SistraHemodynamicsTableViewData(SistraData& data);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }

    HRESULT STDMETHODCALLTYPE GetCellText(ULONG grid, int row, ULONG column, Orv::String* text) override;
    HRESULT STDMETHODCALLTYPE GetCellFormat(ULONG grid, int row, ULONG column, ULONG* format) override;
    // The loop-number column and one per chosen parameter.
    HRESULT STDMETHODCALLTYPE GetColumnCount(ULONG grid, ULONG* count) override;
    HRESULT STDMETHODCALLTYPE GetSecondaryTitle(ULONG, Orv::String*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTitle(ULONG grid, Orv::String* text) override;
    // The title row and one per loop, or per statistic in the summary pane.
    HRESULT STDMETHODCALLTYPE GetRowCount(ULONG grid, ULONG* count) override;

    // The format of a parameter's values, made with the defaults on first use.
    RowNumberFormat& GetRowFormat(int32_t parameter);
    void SetAllRowDigits(int32_t digits);
    // The parameter a column shows since the column count was last asked; -1 past the last column.
    int32_t ParameterOfColumn(ULONG column) const;

private:
    std::wstring LoopCellText(int row, ULONG column);
    std::wstring SummaryCellText(int row, ULONG column);

    Orv::ComPtr<SistraData> m_data;
    std::unordered_map<int32_t, RowNumberFormat> m_formats;
};

} // namespace Sistra
