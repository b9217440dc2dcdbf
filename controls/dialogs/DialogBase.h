// The base of the module's dialogs: the template comes from a chosen module in the host's user-interface
// language, so that the host's choice of language, not the system's, decides what the dialog shows.
#pragma once

#include "platform/owl/dialogs/Dialog.h"

namespace Orv
{

class DialogBase : public OWL::TDialog
{
public:
    // module null: this program's own resources.
    DialogBase(OWL::TWindow* parent, OWL::TResId resource, OWL::TModule* module = nullptr);

    // The language a dialog of parent speaks: its application's, else the host's.
    static LANGID LanguageFor(OWL::TWindow* parent);
};

} // namespace Orv
