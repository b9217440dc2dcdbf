#include "host/app/ModuleSession.h"

#include "host/app/ModuleLoader.h"
#include "host/app/calc/SampleFilterClass.h"

namespace Host
{

HRESULT ModuleSession::Load()
{
    if (!loaded_)
    {
        Calc::RegisterSampleFilterClass(session_.Framework().StandIn());
        loaded_ = session_.LoadModule(ExecutableFolder() + L"Sistra.dll", &application_);
    }
    return *loaded_;
}

} // namespace Host
