// The host application object the module receives in DllRegisterClassObjects.
#pragma once

#include <unknwn.h>

namespace Host
{

// A process-lifetime object: the host outlives every module it loads, so its reference count is
// kept only for COM's sake.
class HostApplication final : public IUnknown
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

private:
    LONG references_ = 1;
};

} // namespace Host
