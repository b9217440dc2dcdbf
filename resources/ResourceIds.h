// Ids of the module's resources, shared by the resource script and the code.
#pragma once

// String table.
#define IDS_CHANNEL_CALC_NAME 104
#define IDS_CHANNEL_CALC_DESCRIPTION 185
