// Reaching the host framework when the host has not registered it: the module initialises OLE, loads
// Vyr.dll from the host executable's folder and registers the library's class object itself.
#pragma once

#include <windows.h>

#include <string>

// S_OK when the framework class is registered (before or now). When Vyr.dll or its class-object
// export is missing, the user is told and the process ends with exit code -1.
HRESULT VyrLoadFrameworkFallback();

// Loads the library beside the host executable and registers its framework class object.
HRESULT LoadVyrFramework();

// Where the framework library is looked for: beside the host executable only.
std::wstring FrameworkLibraryPath();

// What the fallback has done so far in this process.
struct FrameworkFallbackStatus
{
    bool oleInitialized;
    bool libraryLoaded;
    HMODULE library;
    DWORD registrationCookie;
};
FrameworkFallbackStatus GetFrameworkFallbackStatus();

// Called from DllMain on process detach: at process end the clean-up leaves COM alone, since the
// process and every object in it are going anyway and other threads may already be gone.
void NoteModuleDetach(bool processTerminating);
