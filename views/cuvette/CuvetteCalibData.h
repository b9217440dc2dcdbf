// The cells of the cuvette calibration table, read from and written to the cuvette calibration model:
// the known volumes of the wells and the conductance readings taken in them. The table shows one row
// per well: row 0 holds the column titles, rows 1 to n the wells, row n + 1 an empty well to start a
// new one. Column 0 holds the well numbers, column 1 the known volume, columns 2 to R + 1 the readings
// and column R + 2 an empty reading. Values are kept in base units and shown in the prefixed units.
#pragma once

#include "document/models/Model.h"
#include "foundation/com/ComObjectRoot.h"
#include "tableview/data/TableInterfaces.h"

namespace Sistra
{

class SistraDocument;

class CuvetteCalibData final : public ITableDataManager,
                               public ITableStoredRowInfo,
                               public IListGenerator,
                               private Orv::CComObjectRoot
{
public:
    // The well-number cells' pop-up list.
    static constexpr ULONG InsertRowItem = 0;
    static constexpr ULONG DeleteRowItem = 1;

    CuvetteCalibData(SistraDocument& document, const UnitInfo& conductanceUnit);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }

    // E_FAIL outside the table.
    HRESULT STDMETHODCALLTYPE GetCellText(ULONG grid, int row, ULONG column, Orv::String* text) override;
    HRESULT STDMETHODCALLTYPE GetCellFormat(ULONG grid, int row, ULONG column, ULONG* format) override;
    // The well-number column, the known volume, the readings and the empty reading.
    HRESULT STDMETHODCALLTYPE GetColumnCount(ULONG grid, ULONG* count) override;
    HRESULT STDMETHODCALLTYPE GetSecondaryTitle(ULONG grid, Orv::String* text) override;
    HRESULT STDMETHODCALLTYPE GetTitle(ULONG grid, Orv::String* text) override;
    // The title row, the wells and the empty well.
    HRESULT STDMETHODCALLTYPE GetRowCount(ULONG grid, ULONG* count) override;

    // "Insert Row" on every well number, "Delete Row..." too except on the empty well's.
    HRESULT STDMETHODCALLTYPE GetItemCount(ULONG grid, int row, int column, ULONG* count) override;
    HRESULT STDMETHODCALLTYPE GetItemText(ULONG grid, int row, int column, ULONG index, Orv::String* text) override;

    // A blank well before well (counted from 0), for 0 <= well <= n; a blank well and its readings
    // removed, for 0 <= well < n + 2. Each commits the model once; other wells are ignored.
    void InsertRow(int32_t well);
    void DeleteRow(int32_t well);

    const UnitInfo& ConductanceUnit() const { return m_conductanceUnit; }
    void SetConductanceUnit(const UnitInfo& unit) { m_conductanceUnit = unit; }
    int32_t WellCount() const;
    int32_t ReadingCount() const;
    const ModelPtr& CalibrationModel() const { return m_model; }

private:
    ~CuvetteCalibData() = default;

    bool Outside(int row, ULONG column) const;
    std::wstring CellText(int row, ULONG column) const;

    ModelPtr m_model;
    UnitInfo m_conductanceUnit;
};

// A unit as shown: the prefix letter, then the name.
std::wstring UnitText(const UnitInfo& unit);

} // namespace Sistra
