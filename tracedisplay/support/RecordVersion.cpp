#include "tracedisplay/support/RecordVersion.h"

#include "foundation/com/ResultCodes.h"

namespace StrixDraw
{

HRESULT ReadRecordVersion(IBinInStream* stream, ULONG newest, ULONG& version)
{
    version = 0;
    if (!stream)
        return E_INVALIDARG;
    const HRESULT read = stream->ReadULong(&version);
    if (FAILED(read))
        return read;
    return version > newest ? Orv::E_ORV_NEWER_VERSION : S_OK;
}

} // namespace StrixDraw
