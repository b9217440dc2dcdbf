#include "views/cuvette/CuvetteCalibData.h"

#include "dialogs/helpers/NumberFields.h"
#include "document/calibration/CalibratorBase.h"
#include "document/core/SistraDocument.h"
#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"
#include "foundation/text/FormatStream.h"
#include "foundation/text/StringResources.h"
#include "resources/ResourceIds.h"

#include <algorithm>
#include <cmath>

namespace Sistra
{

namespace
{

using namespace TableView::CellFormat;

// The framework's format words: the title row's cells name the columns, the well numbers are left
// aligned titles, a known volume is edited on a click and a reading on a double click or by typing.
// The title row carries the table's own title bit 0x20 beside the bit the renderer names columns by; the
// value cells carry the table's value bit 0x400.
constexpr ULONG TitleColumnBit = 0x20;
constexpr ULONG ValueCellBit = 0x400;
constexpr ULONG TitleRowCell = TitleColumnBit | TitleText;
constexpr ULONG WellNumberCell = LeftAligned | TitleText;
constexpr ULONG KnownVolumeCell = ValueCellBit | LeftAligned | Editable;
constexpr ULONG ReadingCell = ValueCellBit | LeftAligned | EditOnDoubleClick;
constexpr ULONG OutsideCell = LeftAligned;

constexpr ULONG KnownVolumeColumn = 1;
constexpr ULONG FirstReadingColumn = 2;

// A stored base-unit value in the unit's prefixed form; empty for a blank or unreadable value.
std::wstring ShownValue(double value, const UnitInfo& unit)
{
    if (std::isnan(value))
        return {};
    return std::wstring(FormatNumber(value / PrefixFactor(unit)).c_str());
}

const Orv::String& ListItemText(ULONG item)
{
    static const Orv::String insert(Orv::ThisModule(), IDS_CUVETTE_INSERT_ROW, true);
    static const Orv::String remove(Orv::ThisModule(), IDS_CUVETTE_DELETE_ROW, true);
    return item == CuvetteCalibData::InsertRowItem ? insert : remove;
}

template <class... Arguments>
std::wstring Formatted(UINT id, const Arguments&... arguments)
{
    Orv::OFormatStringStream text(id);
    ((text << arguments), ...);
    return text.c_str();
}

template <class Value>
HRESULT Answer(Value* out, const Value& value)
{
    if (!out)
        return E_POINTER;
    *out = value;
    return S_OK;
}

} // namespace

std::wstring UnitText(const UnitInfo& unit)
{
    return unit.prefix ? unit.prefix + unit.text : unit.text;
}

CuvetteCalibData::CuvetteCalibData(SistraDocument& document, const UnitInfo& conductanceUnit)
    : m_model(document.GetModel(ModelKind::CuvetteCalib)), m_conductanceUnit(conductanceUnit)
{
}

HRESULT STDMETHODCALLTYPE CuvetteCalibData::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryFaces(iid, object,
                           {{static_cast<ITableDataManager*>(this), {IID_ITableDataManager}},
                            {static_cast<ITableStoredRowInfo*>(this), {IID_ITableStoredRowInfo}},
                            {static_cast<IListGenerator*>(this), {IID_IListGenerator}}});
}

int32_t CuvetteCalibData::WellCount() const
{
    return static_cast<int32_t>(m_model->GetKnownVolumes().size());
}

int32_t CuvetteCalibData::ReadingCount() const
{
    return m_model->GetCuvetteTable().Rows();
}

bool CuvetteCalibData::Outside(int row, ULONG column) const
{
    return row < 0 || row >= WellCount() + 2 || column >= static_cast<ULONG>(ReadingCount()) + 3;
}

std::wstring CuvetteCalibData::CellText(int row, ULONG column) const
{
    if (row == 0)
    {
        if (column == 0)
            return {};
        if (column == KnownVolumeColumn)
            return Formatted(IDS_CUVETTE_KNOWN_VOLUME_TITLE, UnitText(m_model->GetCuvetteUnit()));
        return Formatted(IDS_CUVETTE_CONDUCTANCE_TITLE, column - 1, UnitText(m_conductanceUnit));
    }
    if (column == 0)
        return std::to_wstring(row);
    const int32_t well = row - 1;
    if (column == KnownVolumeColumn)
    {
        const std::vector<double> volumes = m_model->GetKnownVolumes();
        return well < static_cast<int32_t>(volumes.size()) ? ShownValue(volumes[well], m_model->GetCuvetteUnit())
                                                            : std::wstring();
    }
    const int32_t reading = static_cast<int32_t>(column - FirstReadingColumn);
    return ShownValue(m_model->GetCuvetteTable().At(reading, well), m_conductanceUnit);
}

HRESULT STDMETHODCALLTYPE CuvetteCalibData::GetCellText(ULONG, int row, ULONG column, Orv::String* text)
{
    if (!text)
        return E_POINTER;
    return Orv::CatchReturn([&] {
        if (Outside(row, column))
            return E_FAIL;
        *text = Orv::String(CellText(row, column).c_str());
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE CuvetteCalibData::GetCellFormat(ULONG, int row, ULONG column, ULONG* format)
{
    if (!format)
        return E_POINTER;
    return Orv::CatchReturn([&] {
        if (Outside(row, column))
        {
            *format = OutsideCell;
            return E_FAIL;
        }
        *format = row == 0                       ? TitleRowCell
                  : column == 0                  ? WellNumberCell
                  : column == KnownVolumeColumn ? KnownVolumeCell
                                                 : ReadingCell;
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE CuvetteCalibData::GetColumnCount(ULONG, ULONG* count)
{
    return Orv::CatchReturn([&] { return Answer(count, static_cast<ULONG>(ReadingCount() + 3)); });
}

HRESULT STDMETHODCALLTYPE CuvetteCalibData::GetRowCount(ULONG, ULONG* count)
{
    return Orv::CatchReturn([&] { return Answer(count, static_cast<ULONG>(WellCount() + 2)); });
}

HRESULT STDMETHODCALLTYPE CuvetteCalibData::GetSecondaryTitle(ULONG, Orv::String* text)
{
    static const Orv::String owner(Orv::ThisModule(), IDS_SISTRA_CAPTION, true);
    return Answer(text, owner);
}

HRESULT STDMETHODCALLTYPE CuvetteCalibData::GetTitle(ULONG, Orv::String* text)
{
    static const Orv::String title(Orv::ThisModule(), IDS_VIEW_CUVETTE_CALIBRATION, true);
    return Answer(text, title);
}

HRESULT STDMETHODCALLTYPE CuvetteCalibData::GetItemCount(ULONG, int row, int column, ULONG* count)
{
    return Orv::CatchReturn([&] {
        const bool wellNumber = column == 0 && row >= 1 && row < WellCount() + 2;
        return Answer(count, !wellNumber ? 0UL : row == WellCount() + 1 ? 1UL : 2UL);
    });
}

HRESULT STDMETHODCALLTYPE CuvetteCalibData::GetItemText(ULONG, int, int column, ULONG index, Orv::String* text)
{
    if (!text)
        return E_POINTER;
    *text = Orv::String();
    if (column != 0 || index > DeleteRowItem)
        return E_FAIL;
    *text = ListItemText(index);
    return S_OK;
}

void CuvetteCalibData::InsertRow(int32_t well)
{
    std::vector<double> volumes = m_model->GetKnownVolumes();
    if (well < 0 || well > static_cast<int32_t>(volumes.size()))
        return;
    volumes.insert(volumes.begin() + well, BlankMarker());
    m_model->SetKnownVolumes(volumes);
    DoubleMatrix table = m_model->GetCuvetteTable();
    table.InsertColumn(std::min(well, table.Columns()));
    m_model->SetCuvetteTable(table);
    m_model->CommitChanges();
}

void CuvetteCalibData::DeleteRow(int32_t well)
{
    std::vector<double> volumes = m_model->GetKnownVolumes();
    if (well < 0 || well >= static_cast<int32_t>(volumes.size()) + 2)
        return;
    if (well < static_cast<int32_t>(volumes.size()))
    {
        volumes.erase(volumes.begin() + well);
        m_model->SetKnownVolumes(volumes);
    }
    DoubleMatrix table = m_model->GetCuvetteTable();
    table.RemoveColumn(well);
    m_model->SetCuvetteTable(table);
    m_model->CommitChanges();
}

} // namespace Sistra
