// What other modules and the module's computed channels ask of the analysis document: the factors of
// its channels' units.
#pragma once

#include <unknwn.h>

namespace Sistra
{

// {89DC80D5-4B0B-474D-8F91-DFCFCC0FA54B}
struct ISistraDocInterface : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetPressureScale(ULONG reserved, double* factor) = 0;            // 3
    virtual HRESULT STDMETHODCALLTYPE GetVolumeScale(ULONG reserved, double* factor) = 0;              // 4
};
inline constexpr IID IID_ISistraDocInterface = {0x89DC80D5, 0x4B0B, 0x474D, {0x8F, 0x91, 0xDF, 0xCF, 0xCC, 0x0F, 0xA5, 0x4B}};

} // namespace Sistra
