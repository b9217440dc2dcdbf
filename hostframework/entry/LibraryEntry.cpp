// The module's two entry points: the library entry point and the one export the host calls.
#include "foundation/com/ComBoundary.h"
#include "hostframework/entry/ClassRegistration.h"
#include "hostframework/entry/FrameworkBootstrap.h"
#include "hostframework/entry/ModuleObject.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
    {
        Sistra::CreateModuleObject(instance);
        DisableThreadLibraryCalls(instance);
    }
    else if (reason == DLL_PROCESS_DETACH)
    {
        NoteModuleDetach(reserved != nullptr);
        Sistra::DestroyModuleObject();
    }
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterClassObjects(IUnknown* host)
{
    return Orv::CatchReturn([host] { return RegisterModuleClasses(host); });
}
