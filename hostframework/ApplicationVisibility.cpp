#include "hostframework/ApplicationVisibility.h"

#include "hostframework/HostServices.h"

#include <atomic>

namespace Orv
{

namespace
{

constexpr const WCHAR* ApplicationVisibleKey = L"orv\\application\\visible";

// The reference is held for the life of the process, like the host services themselves; a failed
// fetch is not kept, so a later call asks again.
IHostSettings* HostSettingsForProcess()
{
    static std::atomic<IHostSettings*> settings{nullptr};
    if (IHostSettings* known = settings.load())
        return known;
    IHostApplication* application = HostAppAccessor::Get();
    IHostSettings* fetched = nullptr;
    if (!application || FAILED(application->GetSettings(&fetched)) || !fetched)
        return nullptr;
    IHostSettings* expected = nullptr;
    if (!settings.compare_exchange_strong(expected, fetched))
    {
        fetched->Release();
        return expected;
    }
    return fetched;
}

} // namespace

bool ReadApplicationVisible(IHostSettings* settings)
{
    VARIANT_BOOL visible = VARIANT_TRUE;
    if (!settings || settings->GetBoolean(ApplicationVisibleKey, &visible) != S_OK)
        return true;
    return visible != VARIANT_FALSE;
}

bool IsApplicationVisible()
{
    return ReadApplicationVisible(HostSettingsForProcess());
}

} // namespace Orv
