// What the settings dialog asks of its live preview of the detected loops: attach it to the host's data,
// place its window over the dialog's placeholder, and rebuild it after a change of the settings. The
// preview is made by the trace display's preview window; a program built without one has none, and
// the dialog then leaves its preview area empty.
#pragma once

#include "document/models/Model.h"

#include <unknwn.h>

#include <functional>
#include <memory>

namespace OWL
{
class TWindow;
}

namespace Sistra
{

class SistraDocument;

class IDataPreview
{
public:
    virtual ~IDataPreview() = default;
    // hostDocument and hostData outlive the preview; owner is the window the preview's window lives in.
    virtual void Attach(IUnknown* hostDocument, IUnknown* hostData, OWL::TWindow* owner) = 0;
    // Moves the preview's window over the owner's control of that id; unused: ignored.
    virtual void ShowAt(int unused, int placeholderId) = 0;
    virtual void Refresh() = 0;
};

// The settings dialog's side of its preview: the setup model it shows the detectors of.
class ISistraSetupDlgPreview
{
public:
    virtual ~ISistraSetupDlgPreview() = default;
    virtual void SetModel(ModelPtr model, SistraDocument* document) = 0;
};

// Makes the settings preview; empty while the program has no preview window.
using SettingsPreviewFactory = std::function<std::unique_ptr<IDataPreview>()>;
SettingsPreviewFactory& InstalledSettingsPreview();

} // namespace Sistra
