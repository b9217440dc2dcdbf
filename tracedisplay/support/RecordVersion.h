// The version word every persisted record of the trace display starts with.
#pragma once

#include "hostapi/BinaryStreams.h"

namespace StrixDraw
{

// Reads the word; E_ORV_NEWER_VERSION for a record newer than newest, the stream's failure when it
// cannot be read, E_INVALIDARG without a stream.
HRESULT ReadRecordVersion(IBinInStream* stream, ULONG newest, ULONG& version);

} // namespace StrixDraw
