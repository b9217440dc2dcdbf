#include "controls/dialogs/DialogBase.h"

#include "hostframework/services/HostServices.h"
#include "platform/owl/Application.h"
#include "foundation/text/StringResources.h"
#include "platform/owl/Module.h"

namespace Orv
{

namespace
{

// The template lives as long as its module stays loaded, which outlasts the dialog's window.
const DLGTEMPLATE& TemplateOf(OWL::TWindow* parent, OWL::TResId resource, OWL::TModule* module)
{
    const HINSTANCE instance = module ? module->GetHandle() : ThisModule();
    return *OWL::TDialogRes(instance, resource, DialogBase::LanguageFor(parent)).GetTemplate();
}

} // namespace

DialogBase::DialogBase(OWL::TWindow* parent, OWL::TResId resource, OWL::TModule* module)
    : OWL::TDialog(parent, TemplateOf(parent, resource, module), module)
{
}

LANGID DialogBase::LanguageFor(OWL::TWindow* parent)
{
    if (parent)
        if (const OWL::TApplication* application = OWL::TApplication::Current())
            return application->GetLangId();
    LANGID language = 0;
    if (IHostApplication* host = HostAppAccessor::Get())
        host->GetUiLanguage(&language);
    return language;
}

} // namespace Orv
