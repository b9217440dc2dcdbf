// The cuvette table's cells over the cuvette calibration model: geometry, texts in prefixed units,
// formats, the well-number lists, and inserting and deleting wells.
#include "views/cuvette/CuvetteCalibData.h"
#include "views/cuvette/CuvetteFit.h"
#include "views/tests/cuvette/CuvetteTestSupport.h"

#include "dialogs/helpers/NumberFields.h"
#include "document/core/SistraDocument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{

using namespace Sistra;

constexpr wchar_t Micro = 0xB5;

class CuvetteTable : public ::testing::Test
{
protected:
    void SetUp() override
    {
        document_ = new SistraDocument(nullptr, nullptr, 0);
        holder_ = Orv::ComPtr<IUnknown>(document_->Outer());
        model = document_->GetModel(ModelKind::CuvetteCalib);
        data = Orv::ComPtr<CuvetteCalibData>(new CuvetteCalibData(*document_, UnitInfo{L"S", L'm'}));
    }
    void TearDown() override
    {
        data = nullptr;
        model.reset();
        document_->Close();
    }

    // Known volumes (base units) and readings[reading][well].
    void Fill(const std::vector<double>& volumes, const std::vector<std::vector<double>>& readings)
    {
        model->SetKnownVolumes(volumes);
        model->SetCuvetteTable(CuvetteTesting::ReadingsTable(readings));
        model->CommitChanges();
    }
    std::wstring Cell(int row, ULONG column)
    {
        Orv::String text;
        EXPECT_EQ(S_OK, data->GetCellText(0, row, column, &text)) << row << "," << column;
        return text.c_str();
    }
    std::pair<ULONG, ULONG> Size()
    {
        ULONG rows = 0, columns = 0;
        data->GetRowCount(0, &rows);
        data->GetColumnCount(0, &columns);
        return {rows, columns};
    }

    SistraDocument* document_ = nullptr;
    Orv::ComPtr<IUnknown> holder_;
    ModelPtr model;
    Orv::ComPtr<CuvetteCalibData> data;
};

const double NaN = std::numeric_limits<double>::quiet_NaN();

std::wstring Shown(double value)
{
    return FormatNumber(value).c_str();
}

// A new model: the title row and the empty well; the number, known volume and one empty reading.
TEST_F(CuvetteTable, ANewModelIsTheEmptyWellWithOneEmptyReading)
{
    EXPECT_EQ((std::pair<ULONG, ULONG>{2, 3}), Size());
    EXPECT_EQ(L"1", Cell(1, 0));
    EXPECT_EQ(L"", Cell(1, 1));
    EXPECT_EQ(L"", Cell(1, 2));
    EXPECT_EQ(L"Conductance 1 (mS)", Cell(0, 2));
}

// Each stored value is shown in its prefixed unit; blanks and wells past the readings are empty; cells
// outside the table are refused with the outside format.
TEST_F(CuvetteTable, CellsShowTheStoredValuesInPrefixedUnits)
{
    model->SetValue<PropertyType::Unit>(PropertyId::CuvetteUnit, UnitInfo{L"L", Micro});
    Fill({0.00005, NaN, 0.0002}, {{0.004, NaN}, {0.005}});
    EXPECT_EQ((std::pair<ULONG, ULONG>{5, 5}), Size());
    struct Case
    {
        int row;
        ULONG column;
        std::wstring text;
    };
    const Case cases[] = {
        {0, 0, L""},
        {0, 1, std::wstring(L"Known vol. (") + Micro + L"L)"},
        {0, 3, L"Conductance 2 (mS)"},
        {1, 0, L"1"},
        {4, 0, L"4"},
        {1, 1, Shown(50)},
        {2, 1, L""},
        {3, 1, Shown(200)},
        {1, 2, Shown(4)},
        {1, 3, Shown(5)},
        {2, 2, L""},
        {3, 2, L""},   // a well beyond the table's columns
        {4, 4, L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.text, Cell(c.row, c.column)) << c.row << "," << c.column;
    Orv::String text;
    ULONG format = 0;
    for (const auto& [row, column] : {std::pair<int, ULONG>{5, 0}, {0, 5}, {-1, 1}})
    {
        EXPECT_EQ(E_FAIL, data->GetCellText(0, row, column, &text));
        EXPECT_EQ(E_FAIL, data->GetCellFormat(0, row, column, &format));
        EXPECT_EQ(TableView::CellFormat::LeftAligned, format);
    }
}

// The title row names the columns; known volumes edit on a click, readings on a double click.
TEST_F(CuvetteTable, FormatsSayWhatEachCellIs)
{
    using namespace TableView::CellFormat;
    Fill({1e-6}, {{1.0}});
    const auto format = [&](int row, ULONG column) {
        ULONG code = 0;
        EXPECT_EQ(S_OK, data->GetCellFormat(0, row, column, &code));
        return code;
    };
    EXPECT_TRUE(format(0, 0) & TitleText);
    EXPECT_TRUE(format(0, 2) & TitleText);
    EXPECT_EQ(LeftAligned | TitleText, format(2, 0));
    EXPECT_TRUE(format(1, 1) & Editable);
    EXPECT_FALSE(format(1, 2) & Editable);
    EXPECT_TRUE(format(2, 3) & EditOnDoubleClick);
    const struct
    {
        int row;
        ULONG column;
        ULONG code;
    } codes[] = {{0, 0, 0x30}, {0, 3, 0x30}, {1, 0, 0x11}, {1, 1, 0x403}, {2, 1, 0x403}, {1, 2, 0x405}, {2, 3, 0x405}};
    for (const auto& c : codes)
        EXPECT_EQ(c.code, format(c.row, c.column)) << c.row << ", " << c.column;
}

// Every well's number offers inserting and deleting it; the empty well's only inserting.
TEST_F(CuvetteTable, WellNumbersOfferInsertAndDelete)
{
    Fill({1e-6, 2e-6}, {});
    const auto count = [&](int row, int column) {
        ULONG n = 99;
        data->GetItemCount(0, row, column, &n);
        return n;
    };
    EXPECT_EQ(2u, count(1, 0));
    EXPECT_EQ(2u, count(2, 0));
    EXPECT_EQ(1u, count(3, 0));
    EXPECT_EQ(0u, count(0, 0));
    EXPECT_EQ(0u, count(1, 1));
    Orv::String text;
    EXPECT_EQ(S_OK, data->GetItemText(0, 1, 0, 0, &text));
    EXPECT_EQ(L"Insert Row", std::wstring(text.c_str()));
    EXPECT_EQ(S_OK, data->GetItemText(0, 1, 0, 1, &text));
    EXPECT_EQ(L"Delete Row...", std::wstring(text.c_str()));
    EXPECT_EQ(E_FAIL, data->GetItemText(0, 1, 0, 2, &text));
    EXPECT_EQ(E_FAIL, data->GetItemText(0, 1, 1, 0, &text));
    EXPECT_TRUE(text.IsEmpty());
}

// Inserting puts a blank well with blank readings before the well; deleting takes the well and its
// readings away; the empty well and wells outside leave the volumes alone.
TEST_F(CuvetteTable, InsertingAndDeletingWellsKeepsVolumesAndReadingsTogether)
{
    Fill({1.0, 2.0}, {{10.0, 20.0}});
    data->InsertRow(1);
    EXPECT_EQ(3u, model->GetKnownVolumes().size());
    EXPECT_TRUE(IsBlankMarker(model->GetKnownVolumes()[1]));
    EXPECT_EQ(20.0, model->GetCuvetteTable().At(0, 2));
    EXPECT_TRUE(std::isnan(model->GetCuvetteTable().At(0, 1)));
    data->InsertRow(3);   // appended after the last well
    EXPECT_EQ(4u, model->GetKnownVolumes().size());
    data->InsertRow(5);   // past the empty well: ignored
    data->DeleteRow(-1);
    EXPECT_EQ(4u, model->GetKnownVolumes().size());
    data->DeleteRow(0);
    const std::vector<double> left = model->GetKnownVolumes();
    ASSERT_EQ(3u, left.size());
    EXPECT_EQ(2.0, left[1]);
    EXPECT_EQ(20.0, model->GetCuvetteTable().At(0, 1));
    const size_t wells = model->GetKnownVolumes().size();
    data->DeleteRow(static_cast<int32_t>(wells));   // the empty well
    EXPECT_EQ(wells, model->GetKnownVolumes().size());
}

// The fit pairs each reading with its well's volume, skips blanks, and refuses a flat or spreadless line.
TEST(CuvetteFit, FitsVolumeAgainstConductanceOverUsablePairs)
{
    DoubleMatrix table;
    // volume = 2 x conductance + 1 on every usable pair.
    table.Set(0, 0, 1.0);
    table.Set(0, 1, 2.0);
    table.Set(1, 1, 2.0);
    table.Set(0, 2, 7.0);   // its well has no volume
    const std::optional<CuvetteFit> fit = ComputeCuvetteFit({3.0, 5.0, NaN}, table);
    ASSERT_TRUE(fit);
    EXPECT_NEAR(2.0, fit->slope, 1e-12);
    EXPECT_NEAR(1.0, fit->intercept, 1e-12);
    EXPECT_NEAR(1.0, fit->rSquared, 1e-12);
    DoubleMatrix same;
    same.Set(0, 0, 4.0);
    same.Set(0, 1, 4.0);
    EXPECT_FALSE(ComputeCuvetteFit({3.0, 5.0}, same)) << "no spread in conductance";
    DoubleMatrix flat;
    flat.Set(0, 0, 1.0);
    flat.Set(0, 1, 2.0);
    EXPECT_FALSE(ComputeCuvetteFit({3.0, 3.0}, flat)) << "a zero slope is no calibration";
    EXPECT_FALSE(ComputeCuvetteFit({}, DoubleMatrix()));
}

TEST(CuvetteFit, TextShowsTheLineInDisplayUnitsWithTheInterceptsSign)
{
    const FitTextParts parts{L"Known volume", L"Conductance", L"²", 1e-3, 1e-6};
    EXPECT_EQ(L"Known volume = " + Shown(2.0) + L" × Conductance - " + Shown(3.0) + L", r² = " + Shown(0.5),
              FormatFitText(CuvetteFit{-3e-6, 2e-3, 0.5}, parts));
    EXPECT_EQ(L"Known volume = " + Shown(2.0) + L" × Conductance + " + Shown(0.0) + L", r² = " + Shown(1.0),
              FormatFitText(CuvetteFit{0.0, 2e-3, 1.0}, parts));
}

} // namespace
