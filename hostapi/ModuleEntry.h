// The one function a module exports for the host: it hands the module the host's interface and
// lets the module register its class objects.
#pragma once

#include <unknwn.h>

using DllRegisterClassObjectsFn = HRESULT(STDAPICALLTYPE*)(IUnknown* host);

constexpr const char* ModuleRegistrationExport = "DllRegisterClassObjects";
