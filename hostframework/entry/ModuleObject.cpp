#include "hostframework/entry/ModuleObject.h"

#include <memory>
#include <new>

namespace Sistra
{

namespace
{
std::unique_ptr<OWL::TModule> moduleObject;
}

OWL::TModule* ModuleObject()
{
    return moduleObject.get();
}

void CreateModuleObject(HINSTANCE instance) noexcept
{
    // Running out of memory at load leaves the module without its object; the entry point must not throw.
    moduleObject.reset(new (std::nothrow) OWL::TModule(nullptr, instance));
}

void DestroyModuleObject() noexcept
{
    moduleObject.reset();
}

} // namespace Sistra
