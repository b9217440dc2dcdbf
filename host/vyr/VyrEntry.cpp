// Vyr.dll's entry points. The host registers the framework class object with COM; the framework then
// registers its two companion classes (host application, test registry) itself, so that a module
// that bootstraps the framework on its own finds them too.
#include "Framework.h"
#include "foundation/com/ComPtr.h"

#include <objbase.h>

#include <utility>

namespace
{

struct CompanionRegistration
{
    const CLSID* clsid;
    DWORD cookie;
};

CompanionRegistration companions[] = {{&CLSID_VyrHostApplication, 0}, {&CLSID_VyrUnitTestRegistry, 0}};

IUnknown* CompanionObject(const CLSID& clsid)
{
    Vyr::FrameworkState& framework = Vyr::Framework();
    if (IsEqualCLSID(clsid, CLSID_VyrHostApplication))
        return &framework.application;
    return &framework.testRegistry;
}

bool IsClassRegistered(const CLSID& clsid)
{
    Orv::ComPtr<IUnknown> probe;
    return SUCCEEDED(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IUnknown, probe.PutVoid()));
}

void RegisterCompanions()
{
    for (CompanionRegistration& companion : companions)
        if (companion.cookie == 0 && !IsClassRegistered(*companion.clsid))
            CoRegisterClassObject(*companion.clsid, CompanionObject(*companion.clsid), CLSCTX_INPROC_SERVER,
                                  REGCLS_MULTIPLEUSE, &companion.cookie);
}

// On FreeLibrary (not at process end) the registrations must go before the code they point at.
void RevokeCompanions()
{
    for (CompanionRegistration& companion : companions)
        if (companion.cookie != 0)
            CoRevokeClassObject(std::exchange(companion.cookie, 0));
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr)
        RevokeCompanions();
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    Vyr::FrameworkState& framework = Vyr::Framework();
    if (IsEqualCLSID(clsid, CLSID_VyrFrameWork))
    {
        const HRESULT result = framework.classObject.QueryInterface(iid, object);
        if (SUCCEEDED(result))
            RegisterCompanions();
        return result;
    }
    if (IsEqualCLSID(clsid, CLSID_VyrHostApplication) || IsEqualCLSID(clsid, CLSID_VyrUnitTestRegistry))
        return CompanionObject(clsid)->QueryInterface(iid, object);
    return CLASS_E_CLASSNOTAVAILABLE;
}
