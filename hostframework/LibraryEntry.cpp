// The module's two entry points: the library entry point and the one export the host calls.
#include <windows.h>

#include <unknwn.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterClassObjects(IUnknown* host)
{
    if (!host)
        return E_FAIL;
    return S_OK;
}
