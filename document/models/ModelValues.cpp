#include "document/models/ModelValues.h"

#include "foundation/numbers/NumberUtilities.h"

#include <algorithm>
#include <bit>
#include <cwchar>
#include <stdexcept>

namespace Sistra
{

double BlankMarker()
{
    return std::bit_cast<double>(BlankMarkerBits);
}

double InvalidMarker()
{
    return std::bit_cast<double>(InvalidMarkerBits);
}

bool IsBlankMarker(double value)
{
    return std::bit_cast<uint64_t>(value) == BlankMarkerBits;
}

bool IsInvalidMarker(double value)
{
    return std::bit_cast<uint64_t>(value) == InvalidMarkerBits;
}

bool SameBits(double a, double b)
{
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

double DoubleMatrix::At(int32_t row, int32_t column) const
{
    if (row < 0 || row >= rows_ || column < 0 || column >= columns_)
        return BlankMarker();
    return data_[static_cast<size_t>(row) * columns_ + column];
}

void DoubleMatrix::Set(int32_t row, int32_t column, double value)
{
    if (row < 0 || column < 0)
        return;
    if (row >= rows_ || column >= columns_)
    {
        const int32_t rows = std::max(rows_, row + 1);
        const int32_t columns = std::max(columns_, column + 1);
        std::vector<double> grown(static_cast<size_t>(rows) * columns, BlankMarker());
        for (int32_t r = 0; r < rows_; ++r)
            for (int32_t c = 0; c < columns_; ++c)
                grown[static_cast<size_t>(r) * columns + c] = At(r, c);
        data_ = std::move(grown);
        rows_ = rows;
        columns_ = columns;
    }
    data_[static_cast<size_t>(row) * columns_ + column] = value;
}

void DoubleMatrix::RemoveColumn(int32_t column)
{
    if (column < 0 || column >= columns_)
        return;
    std::vector<double> kept;
    kept.reserve(data_.size());
    for (size_t i = 0; i < data_.size(); ++i)
        if (static_cast<int32_t>(i % columns_) != column)
            kept.push_back(data_[i]);
    data_ = std::move(kept);
    --columns_;
}

void DoubleMatrix::InsertColumn(int32_t column)
{
    if (column < 0)
        return;
    const int32_t columns = std::max(columns_ + 1, column + 1);
    std::vector<double> moved(static_cast<size_t>(rows_) * columns, BlankMarker());
    for (int32_t r = 0; r < rows_; ++r)
        for (int32_t c = 0; c < columns_; ++c)
            moved[static_cast<size_t>(r) * columns + (c >= column ? c + 1 : c)] = At(r, c);
    data_ = std::move(moved);
    columns_ = columns;
}

void DoubleMatrix::Resize(int32_t rows, int32_t columns)
{
    rows_ = std::max(rows, 0);
    columns_ = std::max(columns, 0);
    data_.assign(static_cast<size_t>(rows_) * columns_, BlankMarker());
}

namespace
{

// The markers are values the user sees (a blank field, a field with bad text): each equals itself, so
// re-applying an untouched field is no change. Any other NaN is never equal.
bool SameMarker(double a, double b)
{
    return SameBits(a, b) && (IsBlankMarker(a) || IsInvalidMarker(a));
}

bool ElementsEqual(double a, double b)
{
    return a == b || SameMarker(a, b);
}

bool ElementsEqual(const std::vector<double>& a, const std::vector<double>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](double x, double y) { return ElementsEqual(x, y); });
}

} // namespace

bool ValuesEqual(int32_t a, int32_t b)
{
    return a == b;
}

bool ValuesEqual(bool a, bool b)
{
    return a == b;
}

bool ValuesEqual(double a, double b)
{
    return ApproxEqual(a, b) || SameMarker(a, b);
}

bool ValuesEqual(const UnitInfo& a, const UnitInfo& b)
{
    return a == b;
}

bool ValuesEqual(const Orv::String& a, const Orv::String& b)
{
    return std::wcscmp(a.c_str(), b.c_str()) == 0;
}

bool ValuesEqual(const std::vector<double>& a, const std::vector<double>& b)
{
    return ElementsEqual(a, b);
}

bool ValuesEqual(const std::vector<BolusEntry>& a, const std::vector<BolusEntry>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const BolusEntry& x, const BolusEntry& y) {
        return ValuesEqual(x.value, y.value) && x.start == y.start && x.end == y.end && x.loopItems == y.loopItems;
    });
}

bool ValuesEqual(const std::unordered_set<int32_t>& a, const std::unordered_set<int32_t>& b)
{
    return a == b;
}

bool ValuesEqual(const RecordingPosition& a, const RecordingPosition& b)
{
    return a == b;
}

bool ValuesEqual(const DoubleMatrix& a, const DoubleMatrix& b)
{
    return a.Rows() == b.Rows() && a.Columns() == b.Columns() && ElementsEqual(a.Data(), b.Data());
}

PropertyIdSet::PropertyIdSet(std::initializer_list<int> ids)
{
    for (int id : ids)
        Set(id);
}

PropertyIdSet& PropertyIdSet::Set(int id)
{
    if (id < 0 || id >= Size)
        throw std::out_of_range("invalid bitset<N> position");
    ids_.words[id / 64] |= uint64_t{1} << (id % 64);
    return *this;
}

bool PropertyIdSet::Test(int id) const
{
    return id >= 0 && id < Size && (ids_.words[id / 64] >> (id % 64) & 1u) != 0;
}

int PropertyIdSet::Count() const
{
    return std::popcount(ids_.words[0]) + std::popcount(ids_.words[1]);
}

bool PropertyIdSet::operator==(const PropertyIdSet& other) const
{
    return ids_.words[0] == other.ids_.words[0] && ids_.words[1] == other.ids_.words[1];
}

} // namespace Sistra
