// The dialogs the document's commands open. They are built in the subsystem above the document, which
// installs them when the module loads; a command whose dialog is not installed (a program that links
// the document alone) is answered by the host alone.
#pragma once

#include <windows.h>

#include <functional>

namespace Sistra
{

struct DocumentDialogs
{
    // Runs the workflow-mode dialog over parent on the flag (written only on OK); the button that
    // closed it.
    std::function<int(HWND parent, bool& workflowOn)> workflowMode;
};

DocumentDialogs& InstalledDocumentDialogs();

} // namespace Sistra
