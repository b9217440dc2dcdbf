// Small pieces every analysis view uses: a flag raised for a scope, and the texts of the host's
// commands titled with the view's name.
#pragma once

#include "foundation/com/ComPtr.h"
#include "foundation/system/RaisedFlag.h"
#include "foundation/text/String.h"

#include <windows.h>

namespace Sistra
{

// A flag raised for a scope.
using Orv::RaisedFlag;

class SistraDocument;

// Whether a calibration of the volume channel may be applied: in the workflow always (its steps check
// for themselves); otherwise when the channel's calculation allows it and the user accepts one unit for
// the channel's blocks (both tell the user why not).
bool VolumeCalibrationMayApply(SistraDocument& document);

// Whether the small mammal's conductance calibration turns the volume channel into conductance: once
// applied it stays in force when the workflow is left.
bool ConductanceCalibrationInForce(SistraDocument& document);

// What a table view is given to reach the document's events and the host's services: the document's
// frame, which lives as long as the document; the host's services where there is no frame.
Orv::ComPtr<IUnknown> TableFrameServices(SistraDocument& document);

// The string-table text formatId with the view's title for %1 ("Copy Sistra %1").
Orv::String TitledCommandText(UINT formatId, const Orv::String& title);

} // namespace Sistra
