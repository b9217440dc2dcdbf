// What the module's calculations ask of the document's analysis data, which the host keeps as the
// document's child data: the face the analysis data offers the calculations, found through the host
// context a calculation was created for.
#pragma once

#include "foundation/com/ComPtr.h"

#include <unknwn.h>

#include <cstdint>

namespace Sistra
{

// {6F0B3C2D-8E41-4A57-9D16-B2C7E0A4F853}
struct ITangentEsPoints : IUnknown
{
    // 3: the recording tick where the fitted end-systolic tangent line touches the loop whose record
    // starts at loopStartTick, with that point's volume and pressure; -1 (volume and pressure 0) when the
    // loop has no such point.
    virtual int32_t STDMETHODCALLTYPE GetTangentEsPoint(int32_t loopStartTick, float* volume, float* pressure) = 0;
};

} // namespace Sistra

__CRT_UUID_DECL(Sistra::ITangentEsPoints, 0x6F0B3C2D, 0x8E41, 0x4A57, 0x9D, 0x16, 0xB2, 0xC7, 0xE0, 0xA4, 0xF8, 0x53)

namespace Sistra
{

inline constexpr GUID IID_ITangentEsPoints = __uuidof(ITangentEsPoints);

// The document's analysis data behind a calculation's host context: its child data of the analysis
// data's type id, through the face above; null when the context is no document, the document holds no
// analysis data or the type id cannot be had yet.
Orv::ComPtr<ITangentEsPoints> FindAnalysisData(IUnknown* hostContext);

} // namespace Sistra
