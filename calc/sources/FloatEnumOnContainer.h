// A container of floats presented to the host as a sample stream, padded at both ends by repeating its
// first and last value, so that a host filter over a window sees whole windows at the edges.
#pragma once

#include "foundation/com/ComPtr.h"
#include "hostapi/CalcInterfaces.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace Orv
{

// Not reference counted: the view lives in its creator's scope, and the container outlives it.
template <class C>
class EnumExOnIterable : public IEnumFloatEx
{
public:
    EnumExOnIterable(const C& container, int32_t leadIn, int32_t leadOut)
        : container(&container), leadIn(std::max(leadIn, 0)), leadOut(std::max(leadOut, 0))
    {
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = (iid == IID_IUnknown || iid == IID_IEnumFloatEx) ? static_cast<IEnumFloatEx*>(this) : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE Clone(IEnumFloatEx**) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE Skip(int32_t count, int32_t* skipped) override
    {
        const int64_t old = position;
        position = static_cast<int32_t>(std::clamp<int64_t>(old + count, 0, PaddedLength()));
        const int32_t moved = static_cast<int32_t>(position - old);
        if (skipped)
            *skipped = moved;
        return moved == count ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override
    {
        if (!tick)
            return E_POINTER;
        *tick = position;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t* format) override
    {
        if (format)
            *format = 0;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetScale(TimeBase* timeBase) override
    {
        if (timeBase)
            *timeBase = TimeBase{1, 1, 0.0};
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Next(int32_t count, float* samples, int32_t* fetched) override
    {
        int32_t written = 0;
        const int64_t size = static_cast<int64_t>(container->size());
        if (size > 0 && samples)
        {
            for (; written < count && position < leadIn; ++written, ++position)
                samples[written] = container->front();
            if (written < count && position < leadIn + size)
            {
                const int64_t first = position - leadIn;
                const int64_t n = std::min<int64_t>(count - written, size - first);
                std::copy_n(container->begin() + first, n, samples + written);
                written += static_cast<int32_t>(n);
                position += static_cast<int32_t>(n);
            }
            for (; written < count && position < PaddedLength(); ++written, ++position)
                samples[written] = container->back();
        }
        if (fetched)
            *fetched = written;
        return S_OK;
    }

    void STDMETHODCALLTYPE DeleteThis() override {}

private:
    int64_t PaddedLength() const { return leadIn + static_cast<int64_t>(container->size()) + leadOut; }

    const C* container;
    int32_t position = 0;
    int32_t leadIn;
    int32_t leadOut;
};

} // namespace Orv

namespace Sistra
{

// Host sample filters, created once and kept for the next calls; copies of a cache share them.
struct HostCalcCache
{
    struct Filter
    {
        Orv::ComPtr<ICalcEnum> calculation;
        // The window and derivative the calculation last took: a filter keeps its arguments between runs,
        // so runs with the same ones need not hand them over.
        std::optional<std::pair<int32_t, int32_t>> arguments;
    };
    // A filter for each window and derivative asked for lately, the latest first: neighbouring loops of a
    // recording take a few windows by turns, and handing a filter other arguments costs more than its run.
    std::shared_ptr<std::vector<Filter>> filters = std::make_shared<std::vector<Filter>>();
};

// Runs the host's sample filter over input with the argument text "window<TAB>derivative<TAB>2", the
// input padded by window / 2 samples at each end, into output (as long as input). False when the host
// has no such filter.
bool RunHostCalcOnSamples(int32_t window, int32_t derivative, const std::vector<float>& input,
                          std::vector<float>& output, HostCalcCache& cache);
bool RunHostCalcOnSamples(int32_t window, int32_t derivative, const std::deque<float>& input,
                          std::vector<float>& output, HostCalcCache& cache);

} // namespace Sistra
