#include "hostframework/entry/FrameworkBootstrap.h"

#include "hostapi/VyrIds.h"
#include "foundation/com/ComPtr.h"
#include "foundation/com/CriticalSection.h"

#include <objbase.h>
#include <ole2.h>

#include <utility>

namespace
{

constexpr const wchar_t* FrameworkLibraryName = L"Vyr.dll";
constexpr const wchar_t* LoadFailedText = L"Strix failed to load ";
constexpr const wchar_t* LoadFailedCaption = L"Strix load failed";
constexpr size_t LoadFailedTextLimit = 511;
constexpr UINT LoadFailedExitCode = static_cast<UINT>(-1);
constexpr DWORD AnyContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

using DllGetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

bool processTerminating = false;

class LibraryHolder
{
public:
    LibraryHolder() = default;
    explicit LibraryHolder(HMODULE library) : library_(library) {}
    ~LibraryHolder() { Free(); }
    LibraryHolder(const LibraryHolder&) = delete;
    LibraryHolder& operator=(LibraryHolder&& other) noexcept
    {
        Free();
        library_ = std::exchange(other.library_, nullptr);
        return *this;
    }

    HMODULE Get() const { return library_; }
    void Free()
    {
        if (HMODULE library = std::exchange(library_, nullptr))
            FreeLibrary(library);
    }

private:
    HMODULE library_ = nullptr;
};

// The process-wide fallback state; its destruction at unload undoes what the fallback did, newest first.
class FrameworkBootstrap
{
public:
    ~FrameworkBootstrap()
    {
        if (processTerminating)
            return;
        if (cookie_ != 0)
            CoRevokeClassObject(cookie_);
        library_.Free();
        if (oleInitialized_)
            OleUninitialize();
    }

    HRESULT Run();
    HRESULT Load();
    FrameworkFallbackStatus Status() const { return {oleInitialized_, libraryLoaded_, library_.Get(), cookie_}; }

private:
    HRESULT InitializeOle();
    HRESULT RegisterClassObject(HMODULE library);

    // Accessors of different services fill their caches under locks of their own, so two threads
    // can arrive here at once; loading and registering the library twice would lose a registration.
    Orv::CriticalSection section_;
    bool oleInitialized_ = false;
    bool libraryLoaded_ = false;
    LibraryHolder library_;
    DWORD cookie_ = 0;
};

FrameworkBootstrap& Bootstrap()
{
    static FrameworkBootstrap bootstrap;
    return bootstrap;
}

bool IsFrameworkRegistered()
{
    Orv::ComPtr<IUnknown> probe;
    return SUCCEEDED(CoGetClassObject(CLSID_VyrFrameWork, AnyContext, nullptr, IID_IUnknown, probe.PutVoid()));
}

// Shown directly, not through the host's message box: without the framework there is no host to ask.
[[noreturn]] void ReportMissingFramework(const std::wstring& path)
{
    const std::wstring text = (LoadFailedText + path).substr(0, LoadFailedTextLimit);
    MessageBoxW(nullptr, text.c_str(), LoadFailedCaption, MB_OK);
    ExitProcess(LoadFailedExitCode);
}

HRESULT FrameworkBootstrap::InitializeOle()
{
    if (oleInitialized_)
        return S_OK;
    const HRESULT result = OleInitialize(nullptr);
    // A thread already in the multithreaded apartment can use COM as it is; OLE stays as it was.
    if (result == RPC_E_CHANGED_MODE)
        return S_OK;
    if (FAILED(result))
        return result;
    oleInitialized_ = true;
    return S_OK;
}

HRESULT FrameworkBootstrap::RegisterClassObject(HMODULE library)
{
    const auto getClassObject =
        reinterpret_cast<DllGetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(library, "DllGetClassObject")));
    if (!getClassObject)
        return E_NOINTERFACE;
    Orv::ComPtr<IUnknown> classObject;
    const HRESULT result = getClassObject(CLSID_VyrFrameWork, IID_IUnknown, classObject.PutVoid());
    if (FAILED(result))
        return result;
    return CoRegisterClassObject(CLSID_VyrFrameWork, classObject.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                 &cookie_);
}

HRESULT FrameworkBootstrap::Load()
{
    Orv::CriticalSectionLock lock(section_);
    const std::wstring path = FrameworkLibraryPath();
    LibraryHolder library(LoadLibraryW(path.c_str()));
    if (!library.Get() || !GetProcAddress(library.Get(), "DllGetClassObject"))
        ReportMissingFramework(path);
    const HRESULT result = RegisterClassObject(library.Get());
    if (FAILED(result))
        return result;
    library_ = std::move(library);
    libraryLoaded_ = true;
    return S_OK;
}

HRESULT FrameworkBootstrap::Run()
{
    Orv::CriticalSectionLock lock(section_);
    if (IsFrameworkRegistered())
        return S_OK;
    const HRESULT ole = InitializeOle();
    if (FAILED(ole))
        return ole;
    return libraryLoaded_ ? S_OK : Load();
}

} // namespace

std::wstring FrameworkLibraryPath()
{
    wchar_t executable[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, executable, MAX_PATH);
    std::wstring path(executable, length < MAX_PATH ? length : 0);
    path = path.substr(0, path.find_last_of(L"\\/") + 1) + FrameworkLibraryName;
    wchar_t canonical[MAX_PATH] = {};
    const DWORD canonicalLength = GetFullPathNameW(path.c_str(), MAX_PATH, canonical, nullptr);
    if (canonicalLength == 0 || canonicalLength >= MAX_PATH)
        return path;
    return std::wstring(canonical, canonicalLength);
}

HRESULT VyrLoadFrameworkFallback()
{
    return Bootstrap().Run();
}

HRESULT LoadVyrFramework()
{
    return Bootstrap().Load();
}

FrameworkFallbackStatus GetFrameworkFallbackStatus()
{
    return Bootstrap().Status();
}

void NoteModuleDetach(bool terminating)
{
    processTerminating = terminating;
}
