// Settings records of older modules, written field after field before the settings were grouped into
// model records: the full record below version 17 and the settings-only record below version 10.
// Each is read whole into a parsed copy, checked, and only then written into the workflow models, so
// a cut or damaged record changes nothing.
#pragma once

#include "document/persistence/SettingsRecord.h"

namespace Sistra
{

// The stream is positioned where the record begins (its header word is read again). S_OK;
// 0xA0048205 for a newer record or cuvette table; 0xA004820A for version 0, a short record, or a count
// the record cannot hold; E_FAIL when the closing marker is wrong.
HRESULT LoadLegacyFullSettings(IStream* stream, SettingsRecordSubject& subject);
HRESULT LoadLegacySettingsOnly(IStream* stream, SettingsRecordSubject& subject);

} // namespace Sistra
