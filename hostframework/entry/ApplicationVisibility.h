// Whether the host shows its application window: a host run hidden (automation) asks the module not
// to pop up windows of its own.
#pragma once

#include "hostapi/VyrServices.h"

namespace Orv
{

// True unless the host's settings hold "orv\application\visible" as false. The settings object is
// fetched from the host application on first use and kept for the process.
bool IsApplicationVisible();

// The same rule on a given settings object: true when there is none or the setting is not written.
bool ReadApplicationVisible(IHostSettings* settings);

} // namespace Orv
