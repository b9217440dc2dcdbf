#include "hostframework/entry/ApplicationVisibility.h"

#include "foundation/com/ComPtr.h"
#include "hostframework/services/HostServices.h"

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
    ComPtr<IHostSettings> fetched;
    if (!application || FAILED(application->GetSettings(fetched.Put())) || !fetched)
        return nullptr;
    IHostSettings* expected = nullptr;
    // Another thread may have been first; its reference is the one kept, this one goes with fetched.
    if (!settings.compare_exchange_strong(expected, fetched.Get()))
        return expected;
    return fetched.Detach();
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
