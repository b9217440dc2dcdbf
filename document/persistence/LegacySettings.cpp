#include "document/persistence/LegacySettings.h"

#include "document/calibration/CalibratorBase.h"
#include "document/models/ModelFactory.h"
#include "document/models/ModelRecords.h"
#include "document/models/PropertyIds.h"
#include "foundation/com/ResultCodes.h"
#include "foundation/com/XOrv.h"
#include "foundation/streams/StorageStreamBuf.h"
#include "hostframework/services/UnitConversion.h"

#include <array>
#include <cmath>
#include <locale>
#include <optional>
#include <sstream>

namespace Sistra
{
namespace
{

constexpr uint32_t LegacyVersionLimit = 20;
constexpr uint32_t LegacySettingsOnlyLimit = 12;
constexpr uint32_t NewestCuvetteTable = 1;
constexpr int32_t ClosingMarker = 123456;
constexpr int32_t UnsetWord = 0x7FFFFFFF;
constexpr uint32_t SmallestTextBytes = sizeof(int32_t);
constexpr uint32_t CalibrationEntryBytes = 2 * sizeof(int32_t) + 2 * sizeof(double);
constexpr double Micro = 1e-6;
constexpr double SlopeFloor = 1e-32;
constexpr int32_t LastTableParameter = 31;

// The fields of the old layouts in the order they were written; reading stops at the first short read.
class LegacyReader
{
public:
    explicit LegacyReader(Orv::BinIStream& in) : in_(in) {}

    int32_t Int() { return in_.ReadInt32(); }
    bool Bool() { return in_.ReadInt32() != 0; }
    double Double()
    {
        double value = 0.0;
        in_.ReadDouble(&value);
        return in_.IsGood() ? value : 0.0;
    }
    RecordingPosition Position()
    {
        RecordingPosition position;
        position.block = Int();
        position.tick = Int();
        return position;
    }
    Orv::String Text()
    {
        Orv::String text;
        in_.ReadString(text);
        return text;
    }
    uint32_t Count(uint32_t elementBytes, const wchar_t* what) { return Records::ReadCount(in_, elementBytes, what); }
    // A table version newer than this reader knows.
    void CheckTableVersion()
    {
        if (static_cast<uint32_t>(Int()) > NewestCuvetteTable)
            throw XOrv(L"The cuvette table was written by a newer version.", Orv::E_ORV_NEWER_VERSION);
    }
    // Refuses a count whose elements need more bytes than the record still holds, before anything is
    // made for them.
    void CheckRoom(int64_t count, uint64_t elementBytes, const wchar_t* what)
    {
        Records::CheckCount(in_, count, elementBytes, what);
    }
    bool Whole() const { return in_.IsGood(); }

private:
    Orv::BinIStream& in_;
};

// A number read from a table cell with the classic locale; none when the text holds none.
std::optional<double> NumberInCell(const Orv::String& cell)
{
    std::wistringstream text(cell.c_str());
    text.imbue(std::locale::classic());
    double value = 0.0;
    if (text >> value)
        return value;
    return std::nullopt;
}

template <PropertyType T>
void Store(const ModelPtr& model, int id, const PropertyValueType<T>& value)
{
    model->SetValue<T>(id, value);
}

struct CalibrationEntry
{
    bool applied = false;
    double slope = 0.0;
    double intercept = 0.0;
};

// The full record of versions 1 to 16.
struct LegacyFull
{
    uint32_t version = 0;
    int32_t pressureChannel = 0;
    int32_t volumeChannel = 0;
    double peakHeight = 0.0;
    double minimumPeriod = 0.0;
    bool regionSet = false;
    RecordingPosition start;
    RecordingPosition end;
    bool loopMarkers = false;
    bool online = false;
    int32_t regionMode = 0;
    std::optional<std::array<bool, 2>> showRegressions;
    int32_t espvrType = -1;
    int32_t edpvrType = -1;
    std::array<bool, LastTableParameter + 1> shown{};
    int32_t selectedLoop = -1;
    std::optional<std::vector<double>> knownVolumes;
    int32_t detectionSource = 0;
    std::optional<std::pair<bool, double>> saline;
    std::optional<std::pair<bool, bool>> latestRowAndCuvetteApplied;
    std::optional<Orv::String> ecgSource;
    std::optional<int32_t> periodUnit;
    std::optional<CalibrationEntry> volumeCalibration;
};

void ReadRegion(LegacyReader& read, LegacyFull& record)
{
    record.regionSet = read.Bool();
    record.start = read.Position();
    record.end = read.Position();
    record.loopMarkers = read.Bool();
    record.online = read.Bool();
    if (record.version <= 12 && record.online)
        record.end = {UnsetWord, UnsetWord};
    record.regionMode = read.Int();
    if (record.regionMode == 0 && record.online && record.version <= 11)
    {
        record.online = false;
        record.regionSet = false;
        record.regionMode = 1;
        record.start = {};
        record.end = {};
    }
}

void ReadTableFlags(LegacyReader& read, LegacyFull& record)
{
    for (int flag = 1; flag <= 23; ++flag)
    {
        const bool shown = read.Bool();
        if (flag <= 21)
            record.shown[flag] = shown;
    }
    const auto readRun = [&](int first, bool present) {
        for (int id = first; id < first + 4; ++id)
            record.shown[id] = present ? read.Bool() : true;
    };
    readRun(26, record.version >= 3);
    record.selectedLoop = record.version >= 3 ? read.Int() : -1;
    readRun(22, record.version >= 7);
}

std::vector<double> ReadKnownVolumeCells(LegacyReader& read)
{
    read.CheckTableVersion();
    const uint32_t rows = read.Count(SmallestTextBytes, L"table rows");
    std::vector<double> volumes;
    for (uint32_t row = 0; row < rows && read.Whole(); ++row)
    {
        const Orv::String cell = read.Text();
        if (row == 0)
            continue;
        const std::optional<double> number = cell.Length() == 0 ? std::nullopt : NumberInCell(cell);
        volumes.push_back(number ? *number * Micro : BlankMarker());
    }
    return volumes;
}

HRESULT ReadLegacyFull(LegacyReader& read, LegacyFull& record)
{
    record.pressureChannel = read.Int();
    record.volumeChannel = read.Int();
    record.peakHeight = read.Double();
    record.minimumPeriod = read.Double();
    ReadRegion(read, record);
    if (record.version >= 2)
    {
        record.showRegressions = std::array<bool, 2>{read.Bool(), read.Bool()};
        record.espvrType = read.Int();
        record.edpvrType = read.Int();
    }
    ReadTableFlags(read, record);
    if (record.version >= 4)
    {
        record.knownVolumes = ReadKnownVolumeCells(read);
        read.Int();
        read.Text();
        for (int unused = record.version >= 5 ? 4 : 3; unused > 0; --unused)
            read.Int();
        const int32_t marker = read.Int();
        if (read.Whole() && marker != ClosingMarker)
            return E_FAIL;
    }
    if (record.version >= 6)
    {
        record.detectionSource = read.Int() == 1 ? 1 : 0;
        read.Int();
    }
    if (record.version >= 8)
    {
        const bool applied = read.Int() != 0;
        record.saline = std::pair{applied, read.Double()};
    }
    if (record.version >= 9)
    {
        const bool latest = read.Int() != 0;
        record.latestRowAndCuvetteApplied = std::pair{latest, read.Int() != 0};
    }
    if (record.version >= 10)
        record.ecgSource = read.Text();
    if (record.version >= 12)
        record.periodUnit = read.Int();
    if (record.version >= 14)
    {
        const uint32_t entries = read.Count(CalibrationEntryBytes, L"channel calibrations");
        for (uint32_t i = 0; i < entries && read.Whole(); ++i)
        {
            const int32_t channel = read.Int();
            CalibrationEntry entry;
            entry.applied = read.Int() != 0;
            entry.slope = read.Double();
            entry.intercept = read.Double();
            if (channel == record.volumeChannel)
                record.volumeCalibration = entry;
        }
    }
    read.Int();
    return read.Whole() ? S_OK : Orv::E_ORV_READ_FAILED;
}

void ApplySetup(const ModelPtr& setup, const LegacyFull& record, SettingsRecordSubject& subject)
{
    const double peakHeight = record.version < 13
                                  ? subject.RemoveChannelScaling(record.pressureChannel, record.peakHeight)
                                  : record.peakHeight;
    Store<PropertyType::Bool>(setup, PropertyId::WorkflowModeOn, false);
    Store<PropertyType::Channel>(setup, PropertyId::PressureChannel, record.pressureChannel);
    Store<PropertyType::Channel>(setup, PropertyId::VolumeChannel, record.volumeChannel);
    Store<PropertyType::Double>(setup, PropertyId::MinimumPeakHeight, peakHeight);
    Store<PropertyType::Double>(setup, PropertyId::MinimumPeriod, record.minimumPeriod);
    Store<PropertyType::Bool>(setup, PropertyId::RegionSet, record.regionSet);
    Store<PropertyType::Position>(setup, PropertyId::RegionStart, record.start);
    Store<PropertyType::Position>(setup, PropertyId::RegionEnd, record.end);
    Store<PropertyType::Bool>(setup, PropertyId::ShowLoopMarkers, record.loopMarkers);
    Store<PropertyType::Bool>(setup, PropertyId::OnlineMode, record.online);
    Store<PropertyType::Int>(setup, PropertyId::RegionMode, record.regionMode);
    Store<PropertyType::Int>(setup, PropertyId::SelectedLoop, record.selectedLoop);
    if (record.version >= 6)
        Store<PropertyType::Int>(setup, PropertyId::DetectionSource, record.detectionSource);
    if (record.ecgSource)
        Store<PropertyType::Text>(setup, PropertyId::EcgEventSource, *record.ecgSource);
    else
        Store<PropertyType::Int>(setup, PropertyId::DetectionSource, 0);
    if (record.periodUnit)
        Store<PropertyType::Int>(setup, PropertyId::MinimumPeriodUnit, *record.periodUnit);
}

void ApplyLoopView(const ModelPtr& loopView, const LegacyFull& record)
{
    if (!record.showRegressions)
        return;
    Store<PropertyType::Bool>(loopView, PropertyId::ShowEspvrRegression, (*record.showRegressions)[0]);
    Store<PropertyType::Bool>(loopView, PropertyId::ShowEdpvrRegression, (*record.showRegressions)[1]);
    if (record.espvrType == 0 || record.espvrType == 1)
        Store<PropertyType::Int>(loopView, PropertyId::EspvrRegressionType, record.espvrType);
    if (record.edpvrType == 0 || record.edpvrType == 2)
        Store<PropertyType::Int>(loopView, PropertyId::EdpvrRegressionType, record.edpvrType == 2 ? 1 : 0);
}

void ApplyTable(const ModelPtr& table, const LegacyFull& record)
{
    ParameterSet shown = table->GetValue<PropertyType::ParameterSet>(PropertyId::TableParameterSet);
    for (int32_t id = 1; id <= LastTableParameter; ++id)
        if (record.shown[id])
            shown.insert(id);
        else
            shown.erase(id);
    shown.insert(0);
    Store<PropertyType::ParameterSet>(table, PropertyId::TableParameterSet, shown);
    if (record.latestRowAndCuvetteApplied)
        Store<PropertyType::Bool>(table, PropertyId::AlwaysShowLatestRow, record.latestRowAndCuvetteApplied->first);
}

void ApplyCuvette(const ModelPtr& cuvette, const LegacyFull& record)
{
    if (record.knownVolumes)
        Store<PropertyType::DoubleVector>(cuvette, PropertyId::KnownVolumes, *record.knownVolumes);
    if (record.latestRowAndCuvetteApplied)
        Store<PropertyType::Bool>(cuvette, PropertyId::CuvetteCalibrationApplied,
                                  record.latestRowAndCuvetteApplied->second);
    if (record.volumeCalibration)
    {
        Store<PropertyType::Bool>(cuvette, PropertyId::CuvetteCalibrationApplied, record.volumeCalibration->applied);
        Store<PropertyType::Double>(cuvette, PropertyId::CuvetteSlope, record.volumeCalibration->slope * Micro);
        Store<PropertyType::Double>(cuvette, PropertyId::CuvetteIntercept, record.volumeCalibration->intercept * Micro);
    }
}

void ApplySaline(const ModelPtr& saline, const LegacyFull& record)
{
    if (!record.saline)
        return;
    Store<PropertyType::Bool>(saline, PropertyId::SalineCalibrationApplied, record.saline->first);
    Store<PropertyType::Double>(saline, PropertyId::ParallelConductance, record.saline->second);
}

// The settings-only record of versions 1 to 9.
struct LegacySettingsOnly
{
    uint32_t version = 0;
    IntSet checkedLoops;
    std::optional<std::vector<double>> knownVolumes;
    DoubleMatrix conductances;
    std::optional<std::pair<double, double>> slopeAndIntercept;
    std::optional<std::pair<RecordingPosition, RecordingPosition>> region;
};

void ReadCuvetteTable(LegacyReader& read, LegacySettingsOnly& record, std::vector<double> volumes)
{
    read.CheckTableVersion();
    const int32_t rows = read.Int();
    const int32_t columns = record.version >= 3 ? read.Int() : 3;
    if (!read.Whole())
        return;
    read.CheckRoom(rows, SmallestTextBytes, L"table rows");
    read.CheckRoom(int64_t(rows) * std::max(columns, 0), SmallestTextBytes, L"table cells");
    read.CheckRoom(columns, SmallestTextBytes, L"table columns");
    for (int32_t row = 0; row < rows && read.Whole(); ++row)
        for (int32_t column = 0; column < columns && read.Whole(); ++column)
        {
            const Orv::String cell = read.Text();
            const std::optional<double> number = NumberInCell(cell);
            const bool empty = cell.Length() == 0;
            if (record.version >= 3 && column == 1)
            {
                if (volumes.size() < static_cast<std::size_t>(row) + 1)
                    volumes.resize(static_cast<std::size_t>(row) + 1, BlankMarker());
                if (empty)
                    volumes[row] = BlankMarker();
                else if (number)
                    volumes[row] = *number;
            }
            else if (record.version < 3 || column == 2)
                record.conductances.Set(0, row, number && !empty ? *number : BlankMarker());
        }
    if (record.version >= 3)
        record.knownVolumes = std::move(volumes);
    if (columns < 3)
        record.conductances = DoubleMatrix();
}

HRESULT ReadLegacySettingsOnly(LegacyReader& read, LegacySettingsOnly& record, const ModelPtr& cuvette)
{
    read.Int();
    const int32_t count = read.Int();
    const int32_t check = read.Int();
    if (!read.Whole() || check != -count)
        return Orv::E_ORV_READ_FAILED;
    read.CheckRoom(count, sizeof(int32_t), L"loop flags");
    const uint32_t loops = static_cast<uint32_t>(count);
    for (uint32_t loop = 0; loop < loops && read.Whole(); ++loop)
        if (read.Int() == 1)
            record.checkedLoops.insert(static_cast<int32_t>(loop));
    if (record.version == 1)
        return read.Whole() ? S_OK : Orv::E_ORV_READ_FAILED;

    ReadCuvetteTable(read, record, cuvette->GetValue<PropertyType::DoubleVector>(PropertyId::KnownVolumes));
    const double slope = read.Double();
    const double intercept = read.Double();
    if (record.version < 6)
        record.slopeAndIntercept = std::pair{std::fabs(slope) < SlopeFloor ? 1.0 : slope, intercept};
    if (record.version >= 4)
    {
        read.Double();
        read.Double();
    }
    if (record.version >= 5)
        for (int unused = 0; unused < 4; ++unused)
            read.Int();
    if (record.version >= 7)
    {
        const RecordingPosition start = read.Position();
        record.region = std::pair{start, read.Position()};
    }
    return read.Whole() ? S_OK : Orv::E_ORV_READ_FAILED;
}

// Cuvette values of records before version 9 were kept against the volume channel's raw values; they
// are carried over to the channel's converted values with the conversion (scale a, offset b, prefix
// factor f) so that slope x conductance + intercept still gives the same volume: the slope and intercept
// with the calibrator's conversion, the table's conductances with the conversion in force on the channel.
void ConvertLegacyCuvette(const ModelPtr& setup, const ModelPtr& cuvette, const CalibratorBase& volume)
{
    const int32_t channel = setup->GetValue<PropertyType::Channel>(PropertyId::VolumeChannel);
    Orv::ComPtr<IUnitConversion> inForce;
    if (const Orv::ComPtr<IUnitConversion> conversion = volume.GetUnitsConversion(channel))
    {
        ConversionUnits units;
        ReadConversionUnits(*conversion.Get(), units);
        const double slope = cuvette->GetValue<PropertyType::Double>(PropertyId::CuvetteSlope);
        const double intercept = cuvette->GetValue<PropertyType::Double>(PropertyId::CuvetteIntercept);
        if (std::abs(slope) < SlopeFloor)
        {
            Store<PropertyType::Double>(cuvette, PropertyId::CuvetteSlope, Micro);
            Store<PropertyType::Double>(cuvette, PropertyId::CuvetteIntercept, 0.0);
        }
        else
        {
            const double factor = PrefixFactor(CalibratorBase::GetConversionUnitText(conversion.Get()));
            Store<PropertyType::Double>(cuvette, PropertyId::CuvetteSlope, slope / (units.scale * factor));
            Store<PropertyType::Double>(cuvette, PropertyId::CuvetteIntercept, intercept - slope * units.offset / units.scale);
        }
        if (units.inUse)
            inForce = conversion;
    }
    if (!inForce)
    {
        if (!setup->GetValue<PropertyType::Bool>(PropertyId::RegionSet))
            return;
        const RecordingPosition start = setup->GetValue<PropertyType::Position>(PropertyId::RegionStart);
        inForce = volume.ConversionInRecord(start.block, channel);
        ConversionUnits units;
        if (!inForce || FAILED(ReadConversionUnits(*inForce.Get(), units)) || !units.inUse)
            return;
    }
    ConversionUnits units;
    ReadConversionUnits(*inForce.Get(), units);
    const double factor = PrefixFactor(CalibratorBase::GetConversionUnitText(inForce.Get()));
    DoubleMatrix table = cuvette->GetValue<PropertyType::Matrix>(PropertyId::CuvetteTable);
    for (double& cell : table.Data())
        if (!std::isnan(cell))
            cell = (cell * units.scale + units.offset) * factor;
    Store<PropertyType::Matrix>(cuvette, PropertyId::CuvetteTable, table);
}

// A record's version word, with the rules both loaders share.
HRESULT CheckLegacyVersion(uint32_t version, uint32_t limit)
{
    if (version > limit)
        return Orv::E_ORV_NEWER_VERSION;
    return version == 0 ? Orv::E_ORV_READ_FAILED : S_OK;
}

template <class Body>
HRESULT Guarded(Body&& body)
{
    try
    {
        return body();
    }
    catch (const XOrv& e)
    {
        return e.Code() == Orv::E_ORV_NEWER_VERSION ? e.Code() : Orv::E_ORV_READ_FAILED;
    }
}

} // namespace

HRESULT LoadLegacyFullSettings(IStream* stream, SettingsRecordSubject& subject)
{
    if (!stream)
        return E_POINTER;
    return Guarded([&]() -> HRESULT {
        Orv::StorageBinIStreamLite in(stream);
        LegacyReader read(in);
        LegacyFull record;
        record.version = static_cast<uint32_t>(read.Int());
        if (!read.Whole())
            return Orv::E_ORV_READ_FAILED;
        if (const HRESULT hr = CheckLegacyVersion(record.version, LegacyVersionLimit); FAILED(hr))
            return hr;
        if (const HRESULT hr = ReadLegacyFull(read, record); hr != S_OK)
            return hr;

        const ModelPtr setup = subject.ObtainModel(ModelKind::WorkflowSetup);
        const ModelPtr loopView = subject.ObtainModel(ModelKind::LoopView);
        const ModelPtr table = subject.ObtainModel(ModelKind::HemoTable);
        const ModelPtr cuvette = subject.ObtainModel(ModelKind::CuvetteCalib);
        const ModelPtr saline = subject.ObtainModel(ModelKind::SalineCalib);
        if (!setup || !loopView || !table || !cuvette || !saline)
            return Orv::E_ORV_READ_FAILED;
        ApplySetup(setup, record, subject);
        ApplyLoopView(loopView, record);
        ApplyTable(table, record);
        ApplyCuvette(cuvette, record);
        ApplySaline(saline, record);
        subject.FindAnalysisCalculations();
        for (const ModelPtr& model : {setup, loopView, table, cuvette, saline})
            model->CommitChanges();
        return S_OK;
    });
}

HRESULT LoadLegacySettingsOnly(IStream* stream, SettingsRecordSubject& subject)
{
    if (!stream)
        return E_POINTER;
    return Guarded([&]() -> HRESULT {
        Orv::StorageBinIStreamLite in(stream);
        LegacyReader read(in);
        LegacySettingsOnly record;
        record.version = static_cast<uint32_t>(read.Int());
        if (!read.Whole())
            return Orv::E_ORV_READ_FAILED;
        if (const HRESULT hr = CheckLegacyVersion(record.version, LegacySettingsOnlyLimit); FAILED(hr))
            return hr;
        const ModelPtr setup = subject.FindModel(ModelKind::WorkflowSetup);
        const ModelPtr cuvetteNow = subject.FindModel(ModelKind::CuvetteCalib);
        const ModelPtr cuvetteBase = cuvetteNow ? cuvetteNow
                                                : ModelClassObjBase::CreateModel(ModelKind::CuvetteCalib,
                                                                                 &subject.RecordOwner(),
                                                                                 ModelRole::Snapshot);
        if (!setup || !cuvetteBase)
            return Orv::E_ORV_READ_FAILED;
        if (const HRESULT hr = ReadLegacySettingsOnly(read, record, cuvetteBase); hr != S_OK)
            return hr;

        std::unique_ptr<CalibratorBase> volume;
        if (record.version >= 8)
        {
            volume = subject.NewCalibrator(CalibratorRole::Volume);
            if (const HRESULT hr = volume->Load(in); hr != S_OK)
                return FAILED(hr) ? hr : Orv::E_ORV_READ_FAILED;
        }
        if (record.version >= 2)
        {
            const int32_t marker = read.Int();
            if (!read.Whole() || marker != ClosingMarker)
                return E_FAIL;
        }

        const ModelPtr loopView = subject.ObtainModel(ModelKind::LoopView);
        const ModelPtr cuvette = subject.ObtainModel(ModelKind::CuvetteCalib);
        if (!loopView || !cuvette)
            return Orv::E_ORV_READ_FAILED;
        Store<PropertyType::IntSet>(loopView, PropertyId::CheckedItems, record.checkedLoops);
        if (record.version == 1)
            return S_OK;
        if (record.knownVolumes)
            Store<PropertyType::DoubleVector>(cuvette, PropertyId::KnownVolumes, *record.knownVolumes);
        Store<PropertyType::Matrix>(cuvette, PropertyId::CuvetteTable, record.conductances);
        if (record.slopeAndIntercept)
        {
            Store<PropertyType::Double>(cuvette, PropertyId::CuvetteIntercept, record.slopeAndIntercept->second);
            Store<PropertyType::Double>(cuvette, PropertyId::CuvetteSlope, record.slopeAndIntercept->first);
        }
        if (record.region)
        {
            Store<PropertyType::Position>(setup, PropertyId::RegionStart, record.region->first);
            Store<PropertyType::Position>(setup, PropertyId::RegionEnd, record.region->second);
        }
        const int32_t volumeChannel = setup->GetValue<PropertyType::Channel>(PropertyId::VolumeChannel);
        CalibratorBase& volumeCalibrator = subject.Calibrator(CalibratorRole::Volume);
        if (volume)
            volumeCalibrator.TakeCacheFrom(*volume);
        else if (volumeCalibrator.IsAppliedToChannel(volumeChannel))
            volumeCalibrator.ResetToDefaultConversion(volumeChannel);
        else
            volumeCalibrator.FetchChannelConversion(volumeChannel);
        if (record.version < 9)
            ConvertLegacyCuvette(setup, cuvette, volumeCalibrator);
        subject.Calibrator(CalibratorRole::Pressure)
            .FetchChannelConversion(setup->GetValue<PropertyType::Channel>(PropertyId::PressureChannel));
        return S_OK;
    });
}

} // namespace Sistra
