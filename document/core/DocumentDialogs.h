// The dialogs the document's commands open. They are built in the subsystem above the document, which
// installs them when the module loads; a command whose dialog is not installed (a program that links
// the document alone) is answered by the host alone.
#pragma once

#include <windows.h>

#include "document/models/Model.h"

#include <functional>

namespace Sistra
{

class SistraDocument;

struct DocumentDialogs
{
    // Runs the workflow-mode dialog over parent on the flag (written only on OK); the button that
    // closed it.
    std::function<int(HWND parent, bool& workflowOn)> workflowMode;
    // Runs the settings dialog over parent on copies of the document's setup and Tau models, which it
    // edits; the button that closed it.
    std::function<int(HWND parent, SistraDocument& document, ModelPtr setup, ModelPtr tau)> settings;
};

DocumentDialogs& InstalledDocumentDialogs();

} // namespace Sistra
