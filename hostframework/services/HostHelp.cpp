#include "hostframework/services/HostHelp.h"

#include "foundation/com/ComBoundary.h"

void ShowSistraHelp(IHostApplication* services, const wchar_t* topic) noexcept
{
    if (!services || !topic || !*topic)
        return;
    Orv::CatchReturn([&] { return services->ShowHelp(topic, SistraHelpFile); });
}
