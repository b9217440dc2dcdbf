#include "host/app/ModuleSession.h"

#include "host/app/ModuleLoader.h"
#include "host/app/calc/HostCalcClasses.h"

#include <stdexcept>

namespace Host
{

HRESULT ModuleSession::Load()
{
    if (!loaded_)
    {
        if (!session_)
            session_ = std::make_unique<HostSession>();
        Calc::RegisterHostCalculationClasses(session_->Framework().StandIn());
        loaded_ = session_->LoadModule(ExecutableFolder() + L"Sistra.dll", &application_);
    }
    return *loaded_;
}

HostSession& ModuleSession::Session()
{
    if (!session_)
        throw std::logic_error("the module session is asked for before it was made");
    return *session_;
}

} // namespace Host
