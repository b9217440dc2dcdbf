#include "document/persistence/SettingsRecord.h"

#include "document/models/ModelFactory.h"
#include "document/models/ModelRecords.h"
#include "document/models/PropertyIds.h"
#include "foundation/com/ErrorReason.h"
#include "foundation/com/ResultCodes.h"
#include "foundation/com/XOrv.h"
#include "foundation/streams/StorageStreamBuf.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <initializer_list>
#include <string>
#include <utility>

namespace Sistra
{
namespace
{

constexpr uint32_t FullOldestCurrent = 17;
constexpr uint32_t SettingsOnlyOldestCurrent = 10;
// The smallest model entry: its kind id.
constexpr uint32_t SmallestModelEntryBytes = sizeof(int32_t);

uint32_t OldestCurrentVersion(SettingsFlavour flavour)
{
    return flavour == SettingsFlavour::Full ? FullOldestCurrent : SettingsOnlyOldestCurrent;
}

struct StagedModel
{
    int kind;
    ModelPtr model;
};

// The model of the record entry, read into a scratch copy of the document's model (or a fresh one);
// empty when the kind has no factory or its record does not load.
ModelPtr StageModel(Orv::BinIStream& in, SettingsFlavour flavour, uint32_t version, int kind,
                    SettingsRecordSubject& subject)
{
    ModelPtr staged = ModelClassObjBase::CreateModel(kind, &subject.RecordOwner(), ModelRole::Snapshot);
    if (!staged)
        return nullptr;
    if (const ModelPtr live = subject.FindModel(kind); live && !staged->CopyFrom(live.get()))
        return nullptr;
    const int asRead = static_cast<int>(version);
    const bool loaded = flavour == SettingsFlavour::Full ? staged->Load(in, asRead) : staged->LoadSettings(in, asRead);
    return loaded && in.IsGood() ? staged : nullptr;
}

// A calibration kind as a record holds it: its name in messages, its applied flag and the values an applied
// calibration is built from.
struct CalibrationKind
{
    int kind;
    const wchar_t* name;
    int appliedId;
    std::initializer_list<int> valueIds;
};

const CalibrationKind CalibrationKinds[] = {
    {ModelKind::PressureCalib, L"pressure", PropertyId::PressureCalibrationApplied,
     {PropertyId::PressureBase1, PropertyId::PressureConverted1, PropertyId::PressureBase2, PropertyId::PressureConverted2}},
    {ModelKind::ConductanceCalib, L"conductance", PropertyId::ConductanceCalibrationApplied,
     {PropertyId::ConductanceBase1, PropertyId::ConductanceConverted1, PropertyId::ConductanceBase2,
      PropertyId::ConductanceConverted2}},
    {ModelKind::CuvetteCalib, L"cuvette", PropertyId::CuvetteCalibrationApplied,
     {PropertyId::CuvetteSlope, PropertyId::CuvetteIntercept}},
    {ModelKind::SalineCalib, L"saline", PropertyId::SalineCalibrationApplied, {PropertyId::ParallelConductance}},
    {ModelKind::AlphaCalib, L"alpha", PropertyId::AlphaCalibrationApplied, {PropertyId::Alpha}},
    {ModelKind::VolumeCalib, L"volume", PropertyId::VolumeCalibrationApplied,
     {PropertyId::VolumeBase1, PropertyId::VolumeBase2, PropertyId::VolumeConverted1, PropertyId::VolumeConverted2}},
    // Its values depend on the pair it calibrates by, which its own check covers.
    {ModelKind::KnownVolumeCalib, L"known-volume", PropertyId::KnownVolumeCalibrationApplied, {}},
};

// Why the values of a model the record holds cannot be taken, as the model refuses them when a person
// enters them; empty when they can. A record cannot hold what nobody could have entered: a damaged one
// (an older file carries no checksum) may. A calibration is judged only when applied: the values of one
// that is not calibrate nothing, and may stand half entered.
std::wstring LoadedValueRefusal(int kind, Model& model)
{
    const bool isCalibration = std::any_of(std::begin(CalibrationKinds), std::end(CalibrationKinds),
                                         [&](const CalibrationKind& known) { return known.kind == kind; });
    if (!isCalibration)
    {
        const ValidationResult problem = model.Validate();
        return problem.HasProblem() ? std::wstring(L"the settings are refused: ") + problem.message.c_str()
                                    : std::wstring();
    }
    for (const CalibrationKind& calibration : CalibrationKinds)
    {
        if (calibration.kind != kind)
            continue;
        // Values of a calibration that is not applied calibrate nothing.
        if (!model.GetValue<PropertyType::Bool>(calibration.appliedId))
            return {};
        const std::wstring named = std::wstring(L"the ") + calibration.name + L" calibration";
        const ValidationResult problem = model.Validate();
        if (problem.HasProblem())
            return named + L" is refused: " + problem.message.c_str();
        for (const int id : calibration.valueIds)
            if (!std::isfinite(model.GetValue<PropertyType::Double>(id)))
                return named + L" is applied without its values";
    }
    return {};
}

// What a record replaces, kept until the record is in place: a record that cannot be applied whole puts
// it back, so the document stays as it was.
class SettingsRecordState
{
public:
    SettingsRecordState(SettingsRecordSubject& subject, size_t models) : subject_(subject) { models_.reserve(models); }

    bool Keep(int kind, Model& live)
    {
        ModelPtr kept = ModelClassObjBase::CreateModel(kind, &subject_.RecordOwner(), ModelRole::Snapshot);
        if (!kept || !kept->CopyFrom(&live))
            return false;
        models_.push_back({kind, std::move(kept)});
        return true;
    }

    void KeepCalibrators()
    {
        for (const CalibratorRole role : {CalibratorRole::Volume, CalibratorRole::Pressure})
        {
            std::unique_ptr<CalibratorBase>& kept = role == CalibratorRole::Volume ? volume_ : pressure_;
            kept = subject_.NewCalibrator(role);
            kept->TakeCacheFrom(subject_.Calibrator(role));
        }
    }

    // Puts back what was kept and fails with the reason, when there is one.
    HRESULT Restore(HRESULT failure, const wchar_t* reason)
    {
        for (const StagedModel& entry : models_)
            if (const ModelPtr live = subject_.FindModel(entry.kind))
                live->CopyFrom(entry.model.get());
        if (volume_)
            subject_.Calibrator(CalibratorRole::Volume).TakeCacheFrom(*volume_);
        if (pressure_)
            subject_.Calibrator(CalibratorRole::Pressure).TakeCacheFrom(*pressure_);
        return reason ? Orv::FailWithReason(failure, IID_IPersistStreamInit, reason) : failure;
    }

private:
    SettingsRecordSubject& subject_;
    std::vector<StagedModel> models_;
    std::unique_ptr<CalibratorBase> volume_;
    std::unique_ptr<CalibratorBase> pressure_;
};

} // namespace

uint32_t CurrentRecordVersion(SettingsFlavour flavour)
{
    return static_cast<uint32_t>(flavour == SettingsFlavour::Full ? FullRecordVersion : SettingsRecordVersion);
}

RecordVersionRule ClassifyRecordVersion(SettingsFlavour flavour, uint32_t version)
{
    if (version == 0)
        return RecordVersionRule::Damaged;
    if (version < OldestCurrentVersion(flavour))
        return RecordVersionRule::Legacy;
    return version <= CurrentRecordVersion(flavour) ? RecordVersionRule::Current : RecordVersionRule::TooNew;
}

void WriteSettingsRecord(Orv::BinOStream& out, SettingsFlavour flavour, SettingsRecordSubject& subject)
{
    const uint32_t version = CurrentRecordVersion(flavour);
    out.WriteU32(version);
    const std::vector<int> kinds = subject.ModelKinds();
    out.WriteU32(static_cast<uint32_t>(kinds.size()));
    for (const int kind : kinds)
    {
        const ModelPtr model = subject.FindModel(kind);
        out.WriteInt32(kind);
        if (flavour == SettingsFlavour::Full)
            model->Save(out);
        else
            model->SaveSettings(out);
    }
    if (flavour == SettingsFlavour::Full)
    {
        subject.Calibrator(CalibratorRole::Volume).Save(out);
        subject.Calibrator(CalibratorRole::Pressure).Save(out);
        out.WriteInt32(subject.LastAnalysedPressureChannel());
    }
    out.WriteU32(version);
}

HRESULT ReadCurrentSettingsRecord(Orv::BinIStream& in, SettingsFlavour flavour, uint32_t version,
                                  SettingsRecordSubject& subject)
{
    try
    {
        const uint32_t count = Records::ReadCount(in, SmallestModelEntryBytes, L"models");
        std::vector<StagedModel> staged;
        for (uint32_t i = 0; i < count; ++i)
        {
            const int kind = in.ReadInt32();
            ModelPtr model = in.IsGood() ? StageModel(in, flavour, version, kind, subject) : nullptr;
            if (!model)
                return Orv::E_ORV_READ_FAILED;
            staged.push_back({kind, std::move(model)});
        }

        std::unique_ptr<CalibratorBase> volume;
        std::unique_ptr<CalibratorBase> pressure;
        int32_t lastChannel = 0;
        if (flavour == SettingsFlavour::Full)
        {
            volume = subject.NewCalibrator(CalibratorRole::Volume);
            pressure = subject.NewCalibrator(CalibratorRole::Pressure);
            if (const HRESULT hr = volume->Load(in); hr != S_OK)
                return FAILED(hr) ? hr : Orv::E_ORV_READ_FAILED;
            if (const HRESULT hr = pressure->Load(in); hr != S_OK)
                return FAILED(hr) ? hr : Orv::E_ORV_READ_FAILED;
            lastChannel = in.ReadInt32();
        }
        const uint32_t trailer = in.ReadU32();
        if (!in.IsGood() || trailer != version)
            return Orv::E_ORV_READ_FAILED;
        for (const StagedModel& entry : staged)
            if (const std::wstring refusal = LoadedValueRefusal(entry.kind, *entry.model); !refusal.empty())
                return Orv::FailWithReason(Orv::E_ORV_READ_FAILED, IID_IPersistStreamInit, refusal.c_str());

        SettingsRecordState before(subject, staged.size());
        for (const StagedModel& entry : staged)
        {
            const ModelPtr live = subject.ObtainModel(entry.kind);
            if (!live || !before.Keep(entry.kind, *live) || !live->CopyFrom(entry.model.get()))
                return before.Restore(Orv::E_ORV_READ_FAILED, nullptr);
        }
        if (flavour == SettingsFlavour::Full)
        {
            before.KeepCalibrators();
            subject.Calibrator(CalibratorRole::Volume).TakeCacheFrom(*volume);
            subject.Calibrator(CalibratorRole::Pressure).TakeCacheFrom(*pressure);
            std::wstring refusal;
            if (!subject.PutCalibrationsOnChannels(refusal))
                return before.Restore(Orv::E_ORV_READ_FAILED, refusal.c_str());
            subject.SetLastAnalysedPressureChannel(lastChannel);
        }
        return S_OK;
    }
    catch (const XOrv& e)
    {
        return e.Code() == Orv::E_ORV_NEWER_VERSION ? e.Code() : Orv::E_ORV_READ_FAILED;
    }
}

HRESULT SaveSettingsRecord(IStream* stream, SettingsFlavour flavour, SettingsRecordSubject& subject)
{
    if (!stream)
        return E_POINTER;
    // The host asks for a save: the stream is written whatever access its Stat reports (memory
    // streams report none).
    Orv::StorageBinOStreamLite out(stream, true);
    WriteSettingsRecord(out, flavour, subject);
    const bool written = out.IsGood();
    const HRESULT closed = out.Close();
    if (!written)
        return STG_E_WRITEFAULT;
    return FAILED(closed) ? closed : S_OK;
}

HRESULT LoadSettingsRecord(IStream* stream, SettingsFlavour flavour, SettingsRecordSubject& subject,
                           LegacySettingsLoader legacy)
{
    if (!stream)
        return E_POINTER;
    ULARGE_INTEGER start{};
    if (FAILED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &start)))
        return Orv::E_ORV_READ_FAILED;
    uint32_t version = 0;
    {
        Orv::StorageBinIStreamLite in(stream);
        version = in.ReadU32();
        if (!in.IsGood())
            return Orv::E_ORV_READ_FAILED;
        switch (ClassifyRecordVersion(flavour, version))
        {
        case RecordVersionRule::Damaged:
            return Orv::E_ORV_READ_FAILED;
        case RecordVersionRule::TooNew:
            return Orv::E_ORV_NEWER_VERSION;
        case RecordVersionRule::Current:
            return ReadCurrentSettingsRecord(in, flavour, version, subject);
        case RecordVersionRule::Legacy:
            break;
        }
    }
    if (!legacy)
        return Orv::E_ORV_READ_FAILED;
    LARGE_INTEGER back;
    back.QuadPart = static_cast<LONGLONG>(start.QuadPart);
    if (FAILED(stream->Seek(back, STREAM_SEEK_SET, nullptr)))
        return Orv::E_ORV_READ_FAILED;
    return legacy(stream, subject);
}

} // namespace Sistra
