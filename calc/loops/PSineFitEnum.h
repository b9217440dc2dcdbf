// "PSineFit": the pressure channel, beat by beat between consecutive end-diastolic events, turned into
// one of the sine fit's outputs (see SineFitBeat.h).
#pragma once

#include "calc/sources/FloatEnumOnContainer.h"
#include "calc/sources/InterEventEnum.h"
#include "calc/loops/SineFitBeat.h"

namespace Sistra
{

class PSineFitEnum : public InterEventEnums::InterEventDataEnumBase
{
public:
    using InterEventDataEnumBase::InterEventDataEnumBase;

    // Keeps the text and takes the output type from it (the default when it holds no integer).
    HRESULT STDMETHODCALLTYPE ReadArguments(IUnknown* arguments, uint32_t* flags) override;

    int32_t OutputType() const { return outputType; }

protected:
    // How the beat's derivatives are formed: by the host's sample filter.
    virtual BeatSeriesFilter SeriesFilter();
    void ProcessInterval() override;
    InterEventDataEnumBase* NewOfSameKind() const override;
    void CopyFrom(const InterEventDataEnumBase& other) override;

private:
    // The host's sample filter that forms the beat's derivatives, kept from beat to beat.
    HostCalcCache filter;
    int32_t outputType = DefaultSineFitOutput;
};

} // namespace Sistra
