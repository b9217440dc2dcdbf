#include "host/app/calc/SampleFilterClass.h"

#include "host/app/calc/CalcEnumAdaptors.h"
#include "host/app/calc/HostCalcClass.h"

#include "host/app/calc/SavitzkyGolay.h"
#include "host/app/files/TextConversion.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComPtr.h"
#include "foundation/text/String.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <map>
#include <tuple>
#include <vector>

namespace Host::Calc
{
namespace
{

constexpr ULONG SampleFilterTypeNumber = 0;
// Weights of this many settings are kept; the module's loops ask for a few dozen windows.
constexpr size_t WeightsKept = 64;

// The filter over one source: output tick i is the weighted sum of source ticks i .. i + window - 1, so
// a source padded by window / 2 samples at each end gives an output as long as its data.
class SampleFilterEnum final : public HostCalcEnum<IEnumFloatEx>
{
public:
    // ICalcEnum
    HRESULT STDMETHODCALLTYPE ReadArguments(IUnknown* arguments, uint32_t* flags) override
    {
        return Orv::CatchReturn([&] {
            std::string text;
            if (!ReadArgumentText(arguments, text))
                return E_INVALIDARG;
            const SavitzkyGolaySettings settings = ParseSavitzkyGolayArguments(text);
            // A caller filters piece after piece with a few settings: the weights of each are worked out once.
            const auto key = std::tuple(settings.window, settings.derivative, settings.order);
            auto known = weights_.find(key);
            if (known == weights_.end())
            {
                if (weights_.size() >= WeightsKept)
                    weights_.clear();
                known = weights_.emplace(key, SavitzkyGolayCoefficients(settings)).first;
            }
            coefficients_ = known->second;
            if (flags)
                *flags = 0;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE Clone(IUnknown*, ICalcEnum** clone) override { return AnswerUnsupported(clone); }
    HRESULT STDMETHODCALLTYPE Start(int32_t, uint32_t sourceCount, IUnknown* const* sources, IUnknown* const*, double,
                                    int32_t, int32_t) override
    {
        Stop();
        if (sourceCount != 1 || !sources || !sources[0] || coefficients_.empty())
            return E_INVALIDARG;
        return sources[0]->QueryInterface(IID_IEnumFloatEx, source_.PutVoid());
    }
    HRESULT STDMETHODCALLTYPE Seek(int32_t tick) override
    {
        if (!source_)
            return E_FAIL;
        pending_.clear();
        int32_t at = 0;
        int32_t skipped = 0;
        source_->GetPosition(&at);
        source_->Skip(tick - at, &skipped);
        position_ = tick;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Stop() override
    {
        source_.Reset();
        pending_.clear();
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSourceCount(uint32_t* count) override
    {
        return AnswerValue(count, source_ ? 1 : 0);
    }
    HRESULT STDMETHODCALLTYPE GetRecord(int32_t* record) override { return AnswerZero(record); }
    HRESULT STDMETHODCALLTYPE GetSampleInfo(double* interval, IUnknown** unit) override
    {
        if (interval)
            *interval = 1.0;
        return AnswerNothing(unit);
    }
    HRESULT STDMETHODCALLTYPE GetTimeBase(TimeBase* timeBase) override
    {
        if (!timeBase)
            return E_POINTER;
        *timeBase = TimeBase{};
        return source_ ? source_->GetScale(timeBase) : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetScale(TimeBase* timeBase) override { return GetTimeBase(timeBase); }

    // IEnumFloatEx
    HRESULT STDMETHODCALLTYPE Clone(IEnumFloatEx** clone) override { return AnswerUnsupported(clone); }
    HRESULT STDMETHODCALLTYPE Skip(int32_t, int32_t* skipped) override
    {
        if (skipped)
            *skipped = 0;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override
    {
        return AnswerValue(tick, position_);
    }
    HRESULT STDMETHODCALLTYPE Next(int32_t count, float* samples, int32_t* fetched) override
    {
        if (!fetched || (count > 0 && !samples))
            return E_POINTER;
        *fetched = 0;
        if (!source_)
            return E_FAIL;
        return Orv::CatchReturn([&] {
            const size_t window = coefficients_.size();
            const size_t wanted = static_cast<size_t>(std::max(count, 0)) + window - 1;
            const size_t held = pending_.size();
            HRESULT read = S_OK;
            if (held < wanted)
            {
                pending_.resize(wanted);
                int32_t got = 0;
                read = source_->Next(static_cast<int32_t>(wanted - held), pending_.data() + held, &got);
                pending_.resize(held + static_cast<size_t>(std::max(got, 0)));
            }
            const size_t outputs = pending_.size() >= window ? std::min<size_t>(pending_.size() - window + 1, count) : 0;
            ApplySavitzkyGolay(coefficients_, std::span<const float>(pending_).first(outputs + window - 1),
                               std::span<float>(samples, outputs));
            pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(outputs));
            *fetched = static_cast<int32_t>(outputs);
            position_ += *fetched;
            return *fetched == count ? S_OK : (read == S_FALSE ? S_FALSE : S_OK);
        });
    }

private:
    std::map<std::tuple<int, int, int>, std::vector<double>> weights_; // by window, derivative and order
    std::vector<double> coefficients_;
    Orv::ComPtr<IEnumFloatEx> source_;
    std::vector<float> pending_; // source samples read but still inside a window to come
    int32_t position_ = 0;
};

} // namespace

HRESULT CreateSampleFilter(ICalcEnum** calc)
{
    if (!calc)
        return E_POINTER;
    *calc = nullptr;
    return Orv::CatchReturn([&] {
        auto* filter = new SampleFilterEnum;
        return filter->QueryInterface(IID_ICalcEnum, reinterpret_cast<void**>(calc));
    });
}

HRESULT RegisterSampleFilterClass(IVyrStandIn& standIn)
{
    static HostCalcClass filterClass({&SampleFilterClassGuid, SampleFilterTypeNumber, L"Sample Filter",
                                      L"Savitzky-Golay smoothing and differentiation.",
                                      [](IUnknown*, ICalcEnum** calc) { return CreateSampleFilter(calc); }});
    return filterClass.Register(standIn);
}

} // namespace Host::Calc
