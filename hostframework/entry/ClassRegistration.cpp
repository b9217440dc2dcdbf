#include "hostframework/entry/ClassRegistration.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComPtr.h"
#include "hostframework/services/HostServices.h"
#include "hostframework/entry/ModuleVersion.h"
#include "hostframework/entry/SelfTestObjects.h"

#include <new>

namespace
{

template <class Test>
void AddSelfTest(IUnitTestRegistry* registry)
{
    // Made with no reference: the holder's own goes when it dies, leaving the registry's.
    Test* made = new (std::nothrow) Test;
    if (!made)
        return;
    const Orv::ComPtr<IUnitTest> test(made);
    if (registry)
        registry->AddTest(test.Get());
}

} // namespace

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
    AddSelfTest<Sistra::Sistra_TestEdpDetector>(registry);
    AddSelfTest<Sistra::Sistra_TestEdpDetector_ECG>(registry);
    AddSelfTest<Sistra::Sistra_TestEventDetector>(registry);
    AddSelfTest<Sistra::Sistra_TestSelector>(registry);
    AddSelfTest<Sistra::Sistra_TestPVAEvents>(registry);
}

HRESULT RegisterModuleClasses(IUnknown* host)
{
    if (!host)
        return E_FAIL;
    // Reaching the host from DllMain would run COM (and perhaps load the framework) under the loader
    // lock, so the version notice waits for the host's first call.
    Orv::CatchReturn([] { ReportModuleVersionOnce(); });
    Orv::CatchReturn(VyrRegisterStaticClassObjects);
    IVyrObjectFactory* factory = ObjectFactoryAccessor::Get();
    Orv::CatchReturn([&] { RegisterMadeClassObjects<DocumentClassMaker>(factory); });
    Orv::CatchReturn([&] { RegisterMadeClassObjects<ViewClassMaker>(factory); });
    Orv::CatchReturn([&] { RegisterMadeClassObjects<EventDrawClassMaker>(factory); });
    Orv::CatchReturn(VyrRegisterMessageClasses);
    Orv::CatchReturn(VyrRegisterSelfTests);
    return S_OK;
}
