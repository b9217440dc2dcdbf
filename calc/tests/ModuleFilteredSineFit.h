// "PSineFit" whose beats' derivatives come from the module's own windowed derivative: a test run has no
// host filter.
#pragma once

#include "calc/loops/IsovolumicSineFit.h"
#include "calc/loops/PSineFitEnum.h"

namespace CalcTesting
{

class ModuleFilteredSineFit : public Sistra::PSineFitEnum
{
public:
    using PSineFitEnum::PSineFitEnum;

protected:
    Sistra::BeatSeriesFilter SeriesFilter() override { return Sistra::WindowedDerivativeFilter(); }
    InterEventDataEnumBase* NewOfSameKind() const override { return new ModuleFilteredSineFit(nullptr, 0); }
};

} // namespace CalcTesting
