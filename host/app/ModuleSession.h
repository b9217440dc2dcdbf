// The module loaded into a host session as the command line's commands use it.
#pragma once

#include "host/app/FrameworkHost.h"
#include "host/app/HostApplication.h"

#include <optional>

namespace Host
{

// Loading is a step of its own so that a command can load the module while its recording is still being
// read: under Wine, loading and registering take about as long as finding the records of an hour's text.
class ModuleSession
{
public:
    ModuleSession() = default;
    ModuleSession(const ModuleSession&) = delete;
    ModuleSession& operator=(const ModuleSession&) = delete;

    // Registers the host's sample filter, which the module finds once registered, then loads the module
    // from the executable's folder. Loads once; every call answers with the first load's result.
    HRESULT Load();

    HostSession& Session() { return session_; }

private:
    HostSession session_;
    HostApplication application_;
    std::optional<HRESULT> loaded_;
};

} // namespace Host
