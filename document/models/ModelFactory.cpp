#include "document/models/ModelFactory.h"

namespace Sistra
{
namespace
{

// Filled by the factories' constructors while the library loads; constant-initialised, so it is empty
// before the first of them runs whatever the order of initialisation.
const ModelClassObjBase* factoryHead = nullptr;

} // namespace

ModelClassObjBase::ModelClassObjBase() : next_(factoryHead)
{
    factoryHead = this;
}

ModelPtr ModelClassObjBase::CreateModel(int kind, ModelOwner* owner, ModelRole role)
{
    for (const ModelClassObjBase* factory = factoryHead; factory; factory = factory->next_)
        if (factory->GetModelId() == kind)
            return AdoptModel(factory->CreateInstance(owner, role));
    return nullptr;
}

ModelPtr AdoptModel(Model* model)
{
    return ModelPtr(model, [](Model* adopted) { adopted->Release(); });
}

} // namespace Sistra
