#include "hostframework/entry/ClassRegistration.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComPtr.h"
#include "foundation/system/TraceColors.h"
#include "hostframework/services/HostServices.h"
#include "hostframework/entry/ModuleVersion.h"
#include "foundation/text/StringResources.h"

void VyrRegisterStaticClassObjects()
{
    for (VyrClassObject* entry = VyrClassObject::Head(); entry; entry = entry->Next())
    {
        IVyrObjectFactory* factory = ObjectFactoryAccessor::Get();
        IVyrClassObject* classObject = entry->GetClassObject();
        if (factory && classObject)
            factory->RegisterClassObject(classObject);
    }
}

void VyrRegisterMessageClasses()
{
    for (VyrMessageClassLink* entry = VyrMessageClassLink::Head(); entry; entry = entry->Next())
    {
        IMessageFactory* factory = MessageFactoryAccessor::Get();
        IMsgIdMessageClassObject* messageClass = entry->GetClassObject();
        if (factory && messageClass)
            factory->RegisterMessageClass(0, messageClass);
    }
}

void VyrRegisterSelfTests()
{
    IUnitTestRegistry* registry = UnitTestRegistryAccessor::Get();
    for (SelfTestMaker* entry = SelfTestMaker::Head(); entry; entry = entry->Next())
    {
        IUnitTest* made = entry->GetClassObject();
        if (!made)
            continue;
        // Made with no reference: the holder's own goes when it dies, leaving the registry's. The module
        // keeps none; the registry's answer changes nothing.
        const Orv::ComPtr<IUnitTest> test(made);
        if (registry)
            registry->AddTest(test.Get());
    }
}

// The module's texts are looked up in the language the host's user interface speaks: the module has no
// application object of its own to hold it.
void AdoptHostLanguage()
{
    LANGID language = 0;
    if (IHostApplication* application = HostAppAccessor::Get(); application && SUCCEEDED(application->GetUiLanguage(&language)))
        Orv::SetApplicationLanguage(language);
}

HRESULT RegisterModuleClasses(IUnknown* host)
{
    if (!host)
        return E_FAIL;
    // Reaching the host from DllMain would run COM (and perhaps load the framework) under the loader
    // lock, so the version notice waits for the host's first call.
    Orv::CatchReturn([] { ReportModuleVersionOnce(); });
    // The screen's depth is asked here rather than at load, for the same reason.
    InitTraceColorPalette(false);
    // Before the registrations load the menus' captions.
    Orv::CatchReturn(AdoptHostLanguage);
    Orv::CatchReturn(VyrRegisterStaticClassObjects);
    IVyrObjectFactory* factory = ObjectFactoryAccessor::Get();
    Orv::CatchReturn([&] { RegisterMadeClassObjects<DocumentClassMaker>(factory); });
    Orv::CatchReturn([&] { RegisterMadeClassObjects<ViewClassMaker>(factory); });
    Orv::CatchReturn([&] { RegisterMadeClassObjects<EventDrawClassMaker>(factory); });
    Orv::CatchReturn(VyrRegisterMessageClasses);
    Orv::CatchReturn(VyrRegisterSelfTests);
    return S_OK;
}
