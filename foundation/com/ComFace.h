// QueryInterface of the many module objects that show one face for IUnknown and each of their
// interface ids.
#pragma once

#include <unknwn.h>

namespace Orv
{

template <class Face, class... Iids>
HRESULT QueryOneFace(Face* face, REFIID iid, void** out, const Iids&... faceIids)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !(IsEqualIID(iid, faceIids) || ...))
        return E_NOINTERFACE;
    *out = face;
    face->AddRef();
    return S_OK;
}

} // namespace Orv
