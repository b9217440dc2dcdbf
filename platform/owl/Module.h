// OWL::TModule: a loaded module (the executable or a library) known by its instance handle. Window
// classes, resources and the views that a library creates are tied to its module object.
#pragma once

#include <windows.h>

#include <string>

namespace OWL
{

class TModule
{
public:
    // name may be null (the module then has no name); addToList makes the module findable by handle.
    TModule(const wchar_t* name, HINSTANCE instance, bool addToList = true);
    // A library loaded by name when shouldLoad is set, and freed with the object. Without it, or when
    // it cannot be loaded and mustLoad is clear, the module has no handle; with mustLoad a library that
    // cannot be loaded throws XOrv.
    TModule(const wchar_t* name, bool shouldLoad, bool mustLoad = true, bool addToList = true);
    virtual ~TModule();
    TModule(const TModule&) = delete;
    TModule& operator=(const TModule&) = delete;

    HINSTANCE GetHandle() const { return instance_; }
    operator HINSTANCE() const { return instance_; }
    const std::wstring& GetName() const { return name_; }

    // The listed module of an instance handle, or null.
    static TModule* FindModule(HINSTANCE instance);

    // The address of an export; throws XOrv when the module has none of that name.
    FARPROC GetProcAddress(const char* name) const;

private:
    std::wstring name_;
    HINSTANCE instance_;
    bool listed_;
    bool loaded_ = false;
};

// One export of a module, resolved by name on its first call and called through the resolved address
// afterwards. Throws XOrv on the first call when the export is missing.
template <class Result, class... Args>
class TModuleProc
{
public:
    using Function = Result(WINAPI*)(Args...);

    TModuleProc(const TModule& module, const char* name) : module_(module), name_(name) {}

    Result operator()(Args... args) const { return Resolve()(args...); }
    Function Resolve() const
    {
        if (!function_)
            function_ = reinterpret_cast<Function>(reinterpret_cast<void*>(module_.GetProcAddress(name_)));
        return function_;
    }

private:
    const TModule& module_;
    const char* name_;
    mutable Function function_ = nullptr;
};

} // namespace OWL
