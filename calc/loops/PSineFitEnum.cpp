#include "calc/loops/PSineFitEnum.h"

#include "calc/loops/SineFitBeat.h"

namespace Sistra
{

HRESULT STDMETHODCALLTYPE PSineFitEnum::ReadArguments(IUnknown* arguments, uint32_t* flags)
{
    const HRESULT result = InterEventDataEnumBase::ReadArguments(arguments, flags);
    if (SUCCEEDED(result))
        outputType = ReadSineFitOutputType(argumentText.c_str());
    return result;
}

BeatSeriesFilter PSineFitEnum::SeriesFilter()
{
    return HostSeriesFilter(filter);
}

void PSineFitEnum::ProcessInterval()
{
    ComputeSineFitBeat(intervalSamples, outputType, SeriesFilter(), intervalResults);
}

InterEventEnums::InterEventDataEnumBase* PSineFitEnum::NewOfSameKind() const
{
    return new PSineFitEnum(Context(), CreationArgument());
}

void PSineFitEnum::CopyFrom(const InterEventDataEnumBase& other)
{
    InterEventDataEnumBase::CopyFrom(other);
    const auto& sine = static_cast<const PSineFitEnum&>(other);
    filter = sine.filter;
    outputType = sine.outputType;
}

} // namespace Sistra
