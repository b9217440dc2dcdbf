#include "platform/owl/Module.h"

#include "platform/owl/Failure.h"

#include "foundation/com/XOrv.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace OWL
{

namespace
{

// Modules are made and destroyed at library attach and detach, which the loader serialises, but a
// lookup may come from any thread.
struct ModuleList
{
    std::mutex lock;
    std::vector<TModule*> modules;
};

ModuleList& List()
{
    static ModuleList list;
    return list;
}

} // namespace

TModule::TModule(const wchar_t* name, HINSTANCE instance, bool addToList)
    : name_(name ? name : L""), instance_(instance), listed_(addToList)
{
    if (listed_)
    {
        std::lock_guard guard(List().lock);
        List().modules.push_back(this);
    }
}

TModule::TModule(const wchar_t* name, bool shouldLoad, bool mustLoad, bool addToList)
    : name_(name ? name : L""), instance_(nullptr), listed_(addToList)
{
    if (shouldLoad)
    {
        instance_ = ::LoadLibraryW(name_.c_str());
        if (!instance_ && mustLoad)
            ThrowLastError((L"The library " + name_ + L" could not be loaded").c_str());
        loaded_ = instance_ != nullptr;
    }
    if (listed_)
    {
        std::lock_guard guard(List().lock);
        List().modules.push_back(this);
    }
}

FARPROC TModule::GetProcAddress(const char* name) const
{
    const FARPROC address = instance_ ? ::GetProcAddress(instance_, name) : nullptr;
    if (!address)
    {
        const std::string exportName(name);
        const std::wstring text = L"The library " + name_ + L" has no function " +
                                  std::wstring(exportName.begin(), exportName.end());
        throw XOrv(Orv::String(text), HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND));
    }
    return address;
}

TModule::~TModule()
{
    if (loaded_)
        ::FreeLibrary(instance_);
    if (listed_)
    {
        std::lock_guard guard(List().lock);
        auto& modules = List().modules;
        modules.erase(std::remove(modules.begin(), modules.end(), this), modules.end());
    }
}

TModule* TModule::FindModule(HINSTANCE instance)
{
    std::lock_guard guard(List().lock);
    for (TModule* module : List().modules)
        if (module->instance_ == instance)
            return module;
    return nullptr;
}

} // namespace OWL
