#include "document/persistence/SettingsRecord.h"

#include "document/models/ModelFactory.h"
#include "document/models/ModelRecords.h"
#include "foundation/com/ResultCodes.h"
#include "foundation/com/XOrv.h"
#include "foundation/streams/StorageStreamBuf.h"

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
        {
            const ModelPtr live = subject.ObtainModel(entry.kind);
            if (!live || !live->CopyFrom(entry.model.get()))
                return Orv::E_ORV_READ_FAILED;
        }
        if (flavour == SettingsFlavour::Full)
        {
            subject.Calibrator(CalibratorRole::Volume).TakeCacheFrom(*volume);
            subject.Calibrator(CalibratorRole::Pressure).TakeCacheFrom(*pressure);
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
