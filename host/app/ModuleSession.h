// The module loaded into a host session as the command line's commands use it.
#pragma once

#include "host/app/FrameworkHost.h"
#include "host/app/HostApplication.h"

#include <memory>
#include <optional>

namespace Host
{

// Making the session and loading the module are a step of their own so that a command can take it while its
// recording is still being read: under Wine the two take about as long as finding the records of an hour's text.
class ModuleSession
{
public:
    ModuleSession() = default;
    ModuleSession(const ModuleSession&) = delete;
    ModuleSession& operator=(const ModuleSession&) = delete;

    // Makes the session, registers the host's sample filter, which the module finds once registered, then
    // loads the module from the executable's folder. Loads once; every call answers with the first result.
    HRESULT Load();

    // The session Load made.
    HostSession& Session();

private:
    std::unique_ptr<HostSession> session_;
    HostApplication application_;
    std::optional<HRESULT> loaded_;
};

} // namespace Host
