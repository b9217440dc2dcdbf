// Checks a page makes before it takes values from the host's selection or calibrates the volume channel.
#pragma once

#include <cstdint>

namespace Sistra
{

class SistraDocument;

// The channel takes part in the host's selection and the selection lies in one record.
bool SelectionUsableForChannel(SistraDocument& document, int32_t channel);
// The selection spans some time within one record.
bool SelectionHasExtent(SistraDocument& document);

// Every record shows the volume channel in the same unit (true without records).
bool HasConsistentVolumeUnits(SistraDocument& document);
// With mixed units, asks whether to go on with a unit chosen for the whole channel; true (reject) unless
// the user answers Yes. False at once when the units agree.
bool RejectMixedUnitCalibration(SistraDocument& document);
// When the volume channel's calculation would not keep a calibration (it does not work on the channel's
// own source or changes its unit), says so and returns true: the calibration is blocked.
bool CheckVolumeChannelCalculation(SistraDocument& document);

} // namespace Sistra
