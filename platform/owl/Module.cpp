#include "platform/owl/Module.h"

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

TModule::~TModule()
{
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
