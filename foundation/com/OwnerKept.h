// COM objects whose owner keeps them alive (a member, a local of the asking call), whatever references
// their callers take: AddRef and Release count nothing, and answer as if one reference were left, so no
// caller takes a Release for the object's end.
#pragma once

#include <unknwn.h>

namespace Orv
{

template <class... Faces>
class OwnerKept : public Faces...
{
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

} // namespace Orv
