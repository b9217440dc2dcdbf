#include "Progress.h"

#include <cstdio>

namespace Vyr
{
namespace
{

constexpr int BarWidth = 40;

class ProgressIndicator final : public HeapComObject<IHostProgress, &IID_IHostProgress>
{
public:
    explicit ProgressIndicator(ProgressService& service) : service_(service) {}
    HRESULT STDMETHODCALLTYPE SetText(const WCHAR* text) override
    {
        service_.Text(text);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetPercent(LONG percent) override { return service_.Update(percent); }

private:
    ProgressService& service_;
};

void DrawBar(LONG percent)
{
    const LONG shown = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    const int filled = static_cast<int>(shown * BarWidth / 100);
    std::fprintf(stderr, "\r[%-*.*s] %3ld%%", BarWidth, filled, "########################################", shown);
    if (shown == 100)
        std::fputc('\n', stderr);
    std::fflush(stderr);
}

} // namespace

HRESULT STDMETHODCALLTYPE ProgressService::CreateIndicator(ULONG, const WCHAR*, const WCHAR*, const WCHAR*, ULONG,
                                                            IHostProgress** progress)
{
    return Guarded([&]() -> HRESULT {
        if (!progress)
            return E_POINTER;
        *progress = nullptr;
        if (!available_)
            return E_FAIL;
        *progress = new ProgressIndicator(*this);
        const std::lock_guard guard(lock_);
        ++log_.indicators;
        return S_OK;
    });
}

void ProgressService::ScriptCancelAt(LONG percent)
{
    const std::lock_guard guard(lock_);
    cancelAt_ = percent;
    log_ = ProgressLog{};
    cancelRequested_ = false;
}

ProgressLog ProgressService::Log()
{
    const std::lock_guard guard(lock_);
    return log_;
}

void ProgressService::Text(const WCHAR* text)
{
    const std::lock_guard guard(lock_);
    log_.lastText = text ? text : L"";
}

HRESULT ProgressService::Update(LONG percent)
{
    bool cancelled = cancelRequested_;
    {
        const std::lock_guard guard(lock_);
        ++log_.updates;
        log_.lastPercent = percent;
        cancelled = cancelled || (cancelAt_ >= 0 && percent >= cancelAt_);
    }
    if (console_)
        DrawBar(percent);
    return cancelled ? S_FALSE : S_OK;
}

} // namespace Vyr
