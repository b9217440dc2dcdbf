#include "calc/sources/FloatEnumOnContainer.h"

#include "foundation/text/String.h"
#include "hostframework/services/HostServices.h"
#include "hostframework/messaging/MessageIds.h"

#include <algorithm>
#include <string>

namespace Sistra
{
namespace
{

// The filter's order of the fitted polynomial.
constexpr int32_t SampleFilterOrder = 2;
// Filters kept with their arguments; beyond these the one used longest ago takes new arguments.
constexpr size_t FiltersKept = 8;
constexpr uint32_t SampleFilterTypeNumber = 0;

bool CreateSampleFilter(HostCalcCache::Filter& cache)
{
    if (cache.calculation)
        return true;
    static MsgIdCode filterCode;
    USHORT code = 0;
    IVyrObjectFactory* factory = ObjectFactoryAccessor::Get();
    if (!factory || !GetMessageCode(filterCode, SampleFilterClassGuid, &code))
        return false;
    Orv::ComPtr<ICalcEnumClass2> filterClass;
    const ULONG typeId = static_cast<ULONG>(code) << 16 | SampleFilterTypeNumber;
    if (FAILED(factory->GetObject(typeId, IID_ICalcEnumClass2, filterClass.PutVoid())) || !filterClass)
        return false;
    return SUCCEEDED(filterClass->CreateEnum(nullptr, 0, cache.calculation.Put())) && cache.calculation;
}

// The filter that took these arguments last, made the latest; else a new one, or the one used longest ago.
HostCalcCache::Filter* FilterFor(const std::pair<int32_t, int32_t>& arguments, std::vector<HostCalcCache::Filter>& filters)
{
    auto found = std::find_if(filters.begin(), filters.end(),
                              [&](const HostCalcCache::Filter& filter) { return filter.arguments == arguments; });
    if (found == filters.end())
    {
        if (filters.size() < FiltersKept)
            filters.emplace_back();
        found = filters.end() - 1;
    }
    std::rotate(filters.begin(), found, found + 1);
    if (!CreateSampleFilter(filters.front()))
    {
        filters.erase(filters.begin());
        return nullptr;
    }
    return &filters.front();
}

template <class C>
bool RunFilter(int32_t window, int32_t derivative, const C& input, std::vector<float>& output, HostCalcCache& shared)
{
    HostCalcCache::Filter* found = FilterFor(std::pair(window, derivative), *shared.filters);
    if (!found)
        return false;
    HostCalcCache::Filter& cache = *found;
    if (cache.arguments != std::pair(window, derivative))
    {
        cache.arguments.reset();
        // Whole numbers only: their text is the same in every locale.
        Orv::String arguments(std::to_wstring(window) + L'\t' + std::to_wstring(derivative) + L'\t' +
                              std::to_wstring(SampleFilterOrder));
        uint32_t flags = 0;
        if (FAILED(cache.calculation->ReadArguments(arguments.Interface(), &flags)))
            return false;
        cache.arguments = std::pair(window, derivative);
    }

    const int32_t padding = window / 2;
    Orv::EnumExOnIterable<C> view(input, padding, padding);
    IUnknown* sources[] = {&view};
    const int32_t length = static_cast<int32_t>(input.size());
    if (FAILED(cache.calculation->Start(0, 1, sources, nullptr, 1.0, 0, length)))
        return false;
    output.assign(input.size(), 0.0f);
    auto samples = Orv::ComPtr<ICalcEnum>(cache.calculation).As<IEnumFloatEx>(IID_IEnumFloatEx);
    int32_t read = 0;
    const bool ok = samples && SUCCEEDED(samples->Next(length, output.data(), &read)) && read == length;
    // The view dies with this call: the filter must not keep it.
    cache.calculation->Stop();
    return ok;
}

} // namespace

bool RunHostCalcOnSamples(int32_t window, int32_t derivative, const std::vector<float>& input,
                          std::vector<float>& output, HostCalcCache& cache)
{
    return RunFilter(window, derivative, input, output, cache);
}

bool RunHostCalcOnSamples(int32_t window, int32_t derivative, const std::deque<float>& input,
                          std::vector<float>& output, HostCalcCache& cache)
{
    return RunFilter(window, derivative, input, output, cache);
}

} // namespace Sistra
