// The library's module object: created for the library instance at process attach and deleted at
// detach; window classes and views are tied to it.
#pragma once

#include "platform/owl/Module.h"

namespace Sistra
{

// The module object, or null outside attach and detach (or when it could not be made).
OWL::TModule* ModuleObject();

// Called from the library entry point only; neither reaches the host nor throws.
void CreateModuleObject(HINSTANCE instance) noexcept;
void DestroyModuleObject() noexcept;

} // namespace Sistra
