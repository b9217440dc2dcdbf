// Analysis while the host samples: the document hears each record start, the new data and the record
// ends through the host's online data notifications, and feeds the analysis data as the data arrives.
#include "document/core/SistraDocument.h"

#include "foundation/com/ComBoundary.h"

#include <new>

namespace Sistra
{
namespace
{

constexpr int32_t AllAvailable = 0x7FFFFFFF;
constexpr int32_t SinkPriority = 200;
constexpr int32_t NoSinkPosition = static_cast<int32_t>(0x80000000u);

} // namespace

HRESULT STDMETHODCALLTYPE SistraDocument::GetSinkInfo(uint32_t* info, int16_t* wants)
{
    if (!info || !wants)
        return E_POINTER;
    *info = 0;
    *wants = VARIANT_TRUE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SistraDocument::GetSinkPriority(int32_t* priority)
{
    return Orv::AnswerValue(priority, SinkPriority);
}

HRESULT STDMETHODCALLTYPE SistraDocument::GetSinkPosition(int32_t, uint32_t, uint32_t, int32_t* position)
{
    return Orv::AnswerValue(position, NoSinkPosition);
}

HRESULT STDMETHODCALLTYPE SistraDocument::OnSamplingStarted(int32_t, int32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                                                            uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                                                            int16_t recording)
{
    return Orv::CatchReturn([&]() -> HRESULT {
        int32_t records = 0, current = -1;
        if (!HostDoc() || FAILED(HostDoc()->GetRecordCount(&records, &current)) || current < 0)
            return E_FAIL;
        if (recording && IsOnlineMode())
            data_->PrepareBlock(current, 0);
        return S_OK;
    });
}

// Whatever goes wrong while the new data is analysed stays here: the host goes on sampling.
HRESULT STDMETHODCALLTYPE SistraDocument::OnNewData(uint32_t)
{
    try
    {
        if (IsOnlineMode() && IsRecordingInProgress() && data_->FeedLoops(AllAvailable) > 0)
            RefreshViewsAndHost(ChangeState::ResetAndResults);
        return S_OK;
    }
    catch (const std::bad_alloc&)
    {
        ShowOutOfMemory();
        return S_OK;
    }
    catch (...)
    {
        return E_FAIL;
    }
}

HRESULT STDMETHODCALLTYPE SistraDocument::OnRecordEnd(int32_t, int32_t)
{
    const HRESULT fed = OnNewData(0);
    if (IsOnlineMode() && IsRecordingInProgress())
        data_->ReleaseEvents();
    return fed;
}

HRESULT STDMETHODCALLTYPE SistraDocument::OnSamplingStopped(uint32_t)
{
    return Orv::CatchReturn([&] {
        if (!data_->PressureStore().HasCalculations())
            RequestAnalysis(true);
        FinishOnlineAnalysis();
    });
}

} // namespace Sistra
