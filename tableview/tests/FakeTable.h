// A table client for the tests: a title column and named parameter columns over numbered loops, with the
// cell formats the hemodynamics table answers, and recorders for what the framework reports.
#pragma once

#include "hostapi/TallionSheet.h"
#include "tableview/data/TableInterfaces.h"
#include "tableview/transfer/TableCopy.h"

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace TableViewTests
{

template <class... Faces>
class NotCounted : public Faces...
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

// Cells keyed (row, column); what is not set is empty with the data format.
class FakeTable : public NotCounted<ITableDataManager, ITableStoredRowInfo, ITableUserActionHandler>
{
public:
    static constexpr ULONG DataFormat = 0x1000;
    static constexpr ULONG RowTitleFormat = 0x1010;
    static constexpr ULONG ColumnTitleFormat = 0x1030;

    struct Selection
    {
        ULONG grid;
        std::vector<TableView::SelectedColumn> columns;
    };

    // rows data rows, the titles naming columns 1.., "Loop n" row titles and "r.c" cell texts.
    FakeTable(int rows, std::vector<std::wstring> titles) : m_rows(rows), m_titles(std::move(titles)) {}

    // As a client does, it answers for its stored rows, which the table's record-data map asks for.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = IsEqualIID(iid, IID_ITableStoredRowInfo) ? static_cast<ITableStoredRowInfo*>(this) : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }

    ULONG ColumnCount() const { return static_cast<ULONG>(m_titles.size()) + 1; }

    void SetCell(int row, ULONG column, std::wstring text, ULONG format)
    {
        m_cells[{row, column}] = {std::move(text), format};
    }

    HRESULT STDMETHODCALLTYPE GetCellText(ULONG, int row, ULONG column, Orv::String* text) override
    {
        *text = Orv::String(Cell(row, column).first);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCellFormat(ULONG, int row, ULONG column, ULONG* format) override
    {
        *format = Cell(row, column).second;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetColumnCount(ULONG, ULONG* count) override
    {
        *count = ColumnCount();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSecondaryTitle(ULONG, Orv::String*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTitle(ULONG, Orv::String* text) override
    {
        *text = Orv::String(L"Hemodynamics Table");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetRowCount(ULONG, ULONG* count) override
    {
        *count = static_cast<ULONG>(m_rows + 1);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnSelectionChanged(ULONG grid, const TableView::SelectedColumn* columns,
                                                 ULONG count) override
    {
        selections.push_back({grid, {columns, columns + count}});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnCellClicked(ULONG gridAndKind, int row, ULONG column) override
    {
        clicks.push_back({gridAndKind, row, column});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnCellEdited(ULONG, int row, ULONG column, const Orv::String& text) override
    {
        edits.push_back({row, column, text.c_str()});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnListItemChosen(ULONG, ULONG, int, ULONG, ULONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFollowLatestChanged(ULONG, VARIANT_BOOL follow) override
    {
        followLatest.push_back(follow);
        return S_OK;
    }

    struct Click
    {
        ULONG gridAndKind;
        int row;
        ULONG column;
    };
    struct Edit
    {
        int row;
        ULONG column;
        std::wstring text;
    };
    std::vector<Selection> selections;
    std::vector<Click> clicks;
    std::vector<Edit> edits;
    std::vector<VARIANT_BOOL> followLatest;

private:
    std::pair<std::wstring, ULONG> Cell(int row, ULONG column) const
    {
        if (const auto set = m_cells.find({row, column}); set != m_cells.end())
            return set->second;
        if (row == 0 && column == 0)
            return {L"Loop", ColumnTitleFormat};
        if (row == 0)
            return {column <= m_titles.size() ? m_titles[column - 1] : L"", ColumnTitleFormat};
        if (column == 0)
            return {L"Loop " + std::to_wstring(row), RowTitleFormat};
        return {std::to_wstring(row) + L"." + std::to_wstring(column), DataFormat};
    }

    int m_rows;
    std::vector<std::wstring> m_titles;
    std::map<std::pair<int, ULONG>, std::pair<std::wstring, ULONG>> m_cells;
};

// Records which cells a paint asked for.
class CountingTable : public FakeTable
{
public:
    using FakeTable::FakeTable;
    HRESULT STDMETHODCALLTYPE GetCellText(ULONG grid, int row, ULONG column, Orv::String* text) override
    {
        requested.insert({row, column});
        return FakeTable::GetCellText(grid, row, column, text);
    }
    std::set<std::pair<int, ULONG>> requested;
};

// A sheet of text cells; rows beyond the stored ones are empty.
class FakeSheet : public NotCounted<ITallionSheet>
{
public:
    HRESULT STDMETHODCALLTYPE ReadCell(ULONG, ULONG, LONG row, LONG column, BSTR* text) override
    {
        const auto found = cells.find({row, column});
        if (found != cells.end())
            *text = SysAllocString(found->second.c_str());
        else
            *text = row <= filledThrough && column == 0 ? SysAllocString(L"x") : nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE WriteCell(ULONG, ULONG, LONG row, LONG column, const WCHAR* text, SHORT) override
    {
        cells[{row, column}] = text;
        return S_OK;
    }
    std::wstring At(LONG row, LONG column) const
    {
        const auto found = cells.find({row, column});
        return found == cells.end() ? L"" : found->second;
    }
    std::map<std::pair<LONG, LONG>, std::wstring> cells;
    // Rows up to here read "x" in column 0 without being stored.
    LONG filledThrough = -1;
};

// Cancels once the given percentage is reached (never with -1).
class FakeProgress : public TableView::CopyProgress
{
public:
    explicit FakeProgress(int cancelAt = -1) : m_cancelAt(cancelAt) {}
    bool SetPercentage(int percent) override
    {
        percentages.push_back(percent);
        return m_cancelAt >= 0 && percent >= m_cancelAt;
    }
    void SetText(const Orv::String& text) override { texts.push_back(text.c_str()); }
    std::vector<int> percentages;
    std::vector<std::wstring> texts;

private:
    int m_cancelAt;
};

} // namespace TableViewTests
