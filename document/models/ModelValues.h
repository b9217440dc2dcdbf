// The value types of workflow-model properties and their equality, the two not-a-number markers of
// edit fields, and the set of changed property ids.
#pragma once

#include "calc/engine/MissingValue.h"
#include "calc/numerics/NumericHelpers.h"
#include "foundation/text/String.h"
#include "hostapi/ModelMessages.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <unordered_set>
#include <vector>

namespace Sistra
{

// Doubles that come from edit fields: nothing entered, or text that is not a number (the pattern of a
// value that was not computed). Both are quiet NaNs told apart by their full bit pattern.
constexpr uint64_t BlankMarkerBits = BlankValueBits;
constexpr uint64_t InvalidMarkerBits = MissingValueBits;
double BlankMarker();
double InvalidMarker();
bool IsBlankMarker(double value);
bool IsInvalidMarker(double value);
// Whether two doubles hold the same 64 bits.
bool SameBits(double a, double b);

// No channel chosen.
constexpr int32_t NoChannel = static_cast<int32_t>(0x80000000u);

struct UnitInfo
{
    std::wstring text;
    wchar_t prefix = 0;   // 0 = none, 0xB5 = micro

    bool operator==(const UnitInfo&) const = default;
};

// A place in the recording: tick word, then block word.
struct RecordingPosition
{
    int32_t tick = 0;
    int32_t block = 0;

    bool operator==(const RecordingPosition&) const = default;
};
static_assert(sizeof(RecordingPosition) == 8);

using ParameterSet = std::unordered_set<int32_t>;
using IntSet = std::unordered_set<int32_t>;

// Row-major doubles; cells outside the matrix read as the blank marker.
class DoubleMatrix
{
public:
    double At(int32_t row, int32_t column) const;
    // Outside the matrix: grows it first, new cells blank.
    void Set(int32_t row, int32_t column, double value);
    void RemoveColumn(int32_t column);
    void InsertColumn(int32_t column);
    // Every cell blank.
    void Resize(int32_t rows, int32_t columns);

    int32_t Rows() const { return rows_; }
    int32_t Columns() const { return columns_; }
    const std::vector<double>& Data() const { return data_; }
    std::vector<double>& Data() { return data_; }

private:
    std::vector<double> data_;
    int32_t rows_ = 0;
    int32_t columns_ = 0;
};

// One saline bolus: the parallel conductance analysed for it, its region and the loop-view items
// ticked when it was made.
struct BolusEntry
{
    double value = BlankMarker();
    RecordingPosition start{0x7FFFFFFF, 0x7FFFFFFF};
    RecordingPosition end{0x7FFFFFFF, 0x7FFFFFFF};
    IntSet loopItems;
};

// Equality by value type, as setters and change detection use it. Doubles compare approximately;
// vectors and matrices element by element with no tolerance. A NaN is never equal, except that each
// marker equals itself bit for bit, so that re-applying an untouched field is no change.
bool ValuesEqual(int32_t a, int32_t b);
bool ValuesEqual(bool a, bool b);
bool ValuesEqual(double a, double b);
bool ValuesEqual(const UnitInfo& a, const UnitInfo& b);
bool ValuesEqual(const Orv::String& a, const Orv::String& b);
bool ValuesEqual(const std::vector<double>& a, const std::vector<double>& b);
bool ValuesEqual(const std::vector<BolusEntry>& a, const std::vector<BolusEntry>& b);
bool ValuesEqual(const std::unordered_set<int32_t>& a, const std::unordered_set<int32_t>& b);
bool ValuesEqual(const RecordingPosition& a, const RecordingPosition& b);
bool ValuesEqual(const DoubleMatrix& a, const DoubleMatrix& b);

// The 75 property ids as bits; setting a bit past the last id is an error.
class PropertyIdSet
{
public:
    static constexpr int Size = 75;

    PropertyIdSet() = default;
    explicit PropertyIdSet(const ModelChangedIds& ids) : ids_(ids) {}
    PropertyIdSet(std::initializer_list<int> ids);

    // Throws std::out_of_range for an id outside 0 to 74.
    PropertyIdSet& Set(int id);
    bool Test(int id) const;
    bool Any() const { return ids_.words[0] != 0 || ids_.words[1] != 0; }
    bool None() const { return !Any(); }
    int Count() const;
    const ModelChangedIds& Words() const { return ids_; }

    bool operator==(const PropertyIdSet& other) const;

private:
    ModelChangedIds ids_{};
};

} // namespace Sistra
