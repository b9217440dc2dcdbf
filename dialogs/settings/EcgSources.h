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

// The host's sources that have events, but the analysis's own (its items' names, or shown as "Sistra" in
// any case); of two sources with one display text the first listed stays. stored: the source the settings
// name, offered too while it has events though the host does not list it. Empty without the host's
// interface.
EcgSourceMap FillEcgSourceMap(IHostDataItems* host, const std::wstring& stored = {});

} // namespace Sistra
