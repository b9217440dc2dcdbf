// The module's help: every help button and link opens a topic of one help file, shown by the host.
#pragma once

#include "hostapi/VyrServices.h"

inline constexpr wchar_t SistraHelpFile[] = L"SistraHelp";

// Asks services (a document frame's UI services, or the host application) to show the topic of the
// module's help file; a host that cannot show help, or none, leaves the click without effect.
void ShowSistraHelp(IHostApplication* services, const wchar_t* topic) noexcept;
