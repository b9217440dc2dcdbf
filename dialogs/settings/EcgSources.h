// The QRS event sources the settings dialog offers for finding end-diastole from the ECG: the host's
// sources that yield events, by the text a person reads, each with the name the setup model keeps.
#pragma once

#include <map>
#include <string>

struct IHostDataItems;

namespace Sistra
{

// Display text -> source name, in the order of the texts' UTF-16 code units.
using EcgSourceMap = std::map<std::wstring, std::wstring>;

// The host's sources that have events, but the module's own loop events ("Sistra" in any case); of two
// sources with one display text the first listed stays. Empty without the host's interface.
EcgSourceMap FillEcgSourceMap(IHostDataItems* host);

// The text the host shows for the source name; empty when it has none.
std::wstring EcgSourceDisplayText(IHostDataItems* host, const std::wstring& name);

} // namespace Sistra
