// What the module's calculations ask of the document's analysis data, which the host keeps as the
// document's child data: the face the analysis data offers the calculations, found through the host
// context a calculation was created for.
#pragma once

#include "foundation/com/ComPtr.h"

#include <unknwn.h>

#include <cstdint>

namespace Sistra
{

// {C36140A4-8B69-40D9-BDAF-7054EB34D938}
struct ITangentEsPoints : IUnknown
{
    // 3: the tick where the fitted end-systolic tangent line touches the loop whose record starts at
    // loopStartTick in the recording's record (block) `record`, with that point's volume and pressure; -1
    // (volume and pressure 0) when the loop has no such point. Ticks start again with every record, so a
    // tick alone may name a loop of each record.
    virtual int32_t STDMETHODCALLTYPE GetTangentEsPoint(int32_t record, int32_t loopStartTick, float* volume,
        float* pressure) = 0;
};

} // namespace Sistra

__CRT_UUID_DECL(Sistra::ITangentEsPoints, 0xC36140A4, 0x8B69, 0x40D9, 0xBD, 0xAF, 0x70, 0x54, 0xEB, 0x34, 0xD9, 0x38)

namespace Sistra
{

inline constexpr GUID IID_ITangentEsPoints = __uuidof(ITangentEsPoints);

// The document's analysis data behind a calculation's host context: its child data of the analysis
// data's type id, through the face above; null when the context is no document, the document holds no
// analysis data or the type id cannot be had yet.
Orv::ComPtr<ITangentEsPoints> FindAnalysisData(IUnknown* hostContext);

} // namespace Sistra
