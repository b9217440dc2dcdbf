#pragma once

#include "foundation/com/ComPtr.h"

#include <objidl.h>

#include <vector>

namespace Host
{

// The whole content of a stream, read from its start.
HRESULT ReadStreamContent(IStream& stream, std::vector<char>& bytes);
// A stream in memory holding bytes, positioned at its start for a reader.
HRESULT MakeMemoryStream(const std::vector<char>& bytes, Orv::ComPtr<IStream>& stream);

} // namespace Host
