// Vyr.dll: the host framework library. Its framework class object is added by the host-client work;
// until then the library answers that it has no classes.
#include <windows.h>

#include <objbase.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID, REFIID, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}
