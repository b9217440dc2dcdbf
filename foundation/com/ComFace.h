// QueryInterface of the module's objects: each face of an object answers IUnknown's calls for its own
// interface ids, and the object's first face also stands for its identity (IID_IUnknown).
#pragma once

#include <unknwn.h>

#include <initializer_list>

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

// One face of an object with several: the interface pointer (null while the object does not show the
// face) and the ids it answers.
struct ComFaceEntry
{
    IUnknown* face;
    std::initializer_list<IID> iids;
};

// The face that answers iid, referenced, in out; E_NOINTERFACE (out cleared) when none does, so that
// an object passing the rest to an inner or companion object can tell.
inline HRESULT QueryFaces(REFIID iid, void** out, std::initializer_list<ComFaceEntry> faces)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    for (const ComFaceEntry& entry : faces)
    {
        if (!entry.face)
            continue;
        bool answers = &entry == faces.begin() && IsEqualIID(iid, IID_IUnknown);
        for (const IID& faceIid : entry.iids)
            answers = answers || IsEqualIID(iid, faceIid);
        if (answers)
        {
            *out = entry.face;
            entry.face->AddRef();
            return S_OK;
        }
    }
    return E_NOINTERFACE;
}

} // namespace Orv
