// The document's settings record: every workflow model (full or settings form), and in the full
// flavour the two calibrators and the channel of the last analysis, between a version word and the
// same version as trailer. A record is read whole into scratch models and calibrators first and
// applied only when it is complete, so a damaged record changes nothing.
#pragma once

#include "document/calibration/CalibratorBase.h"
#include "document/models/Model.h"
#include "document/models/ModelOwner.h"

#include <objidl.h>
#include <ocidl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Orv
{
class BinIStream;
class BinOStream;
} // namespace Orv

namespace Sistra
{

enum class SettingsFlavour : uint32_t
{
    Full = 0,
    SettingsOnly = 1,
};

enum class CalibratorRole
{
    Volume,
    Pressure,
};

// What a record version means to the reader of a flavour.
enum class RecordVersionRule
{
    Damaged, // 0
    Legacy,  // written field after field by an older module
    Current,
    TooNew,
};

uint32_t CurrentRecordVersion(SettingsFlavour flavour);
RecordVersionRule ClassifyRecordVersion(SettingsFlavour flavour, uint32_t version);

// The document as its settings record sees it.
class SettingsRecordSubject
{
public:
    virtual ModelOwner& RecordOwner() = 0;
    virtual std::vector<int> ModelKinds() const = 0;
    virtual ModelPtr FindModel(int kind) const = 0;
    // Creates the model when the document lacks it; empty for a kind without a factory.
    virtual ModelPtr ObtainModel(int kind) = 0;
    virtual CalibratorBase& Calibrator(CalibratorRole role) = 0;
    // A calibrator of the role that belongs to no channel setup yet: the scratch a record is read into.
    virtual std::unique_ptr<CalibratorBase> NewCalibrator(CalibratorRole role) = 0;
    virtual int32_t LastAnalysedPressureChannel() const = 0;
    virtual void SetLastAnalysedPressureChannel(int32_t channel) = 0;
    // A value stored in the channel's display units brought back to its raw units.
    virtual double RemoveChannelScaling(int32_t channel, double value) = 0;
    // The analysis' calculations of the document looked up again by their names (an old record's
    // calculations are found under them).
    virtual void FindAnalysisCalculations() {}
    // Puts the calibrations the models hold on their channels, as the calibration commands put them;
    // false, with the calibration named in refusal, when one cannot be put there (the channels then show
    // what they showed before).
    virtual bool PutCalibrationsOnChannels(std::wstring& refusal) = 0;

protected:
    ~SettingsRecordSubject() = default;
};

// Writes the record after the stream's header word; the stream's state tells whether it all arrived.
void WriteSettingsRecord(Orv::BinOStream& out, SettingsFlavour flavour, SettingsRecordSubject& subject);

// Reads a record of a current version v (the version word already read) and applies it when whole:
// S_OK; 0xA004820A for a damaged or incomplete record (unknown model kind, a model that fails to
// load, a short read, a count beyond the bytes left, a trailer other than v); a calibrator's own code.
// Nothing is applied on failure.
HRESULT ReadCurrentSettingsRecord(Orv::BinIStream& in, SettingsFlavour flavour, uint32_t version,
                                  SettingsRecordSubject& subject);

// Saves the record into the host's stream (header word first); the write fault when any write or the
// final flush failed.
HRESULT SaveSettingsRecord(IStream* stream, SettingsFlavour flavour, SettingsRecordSubject& subject);

// What loads a record of an older version; the host stream is positioned where the record begins.
using LegacySettingsLoader = HRESULT (*)(IStream* stream, SettingsRecordSubject& subject);

// Loads a record from the host's stream by its version: the current path, the legacy loader (the
// stream put back where the record began), 0xA0048205 for a newer record, 0xA004820A for version 0
// or an unreadable one.
HRESULT LoadSettingsRecord(IStream* stream, SettingsFlavour flavour, SettingsRecordSubject& subject,
                           LegacySettingsLoader legacy);

} // namespace Sistra
