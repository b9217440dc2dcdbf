#include "document/models/ModelMap.h"

#include "document/models/ModelFactory.h"

#include <algorithm>

namespace Sistra
{

ModelPtr ModelMap::Get(int kind, ModelOwner* owner, IObserver* observer)
{
    if (ModelPtr existing = Find(kind))
        return existing;
    // Creating a model creates the kinds it depends on first, through this map.
    ModelPtr model = ModelClassObjBase::CreateModel(kind, owner);
    if (!model)
        return nullptr;
    models_.emplace(kind, model);
    order_.push_back(kind);
    if (observer)
        model->AddObserver(observer);
    return model;
}

ModelPtr ModelMap::Find(int kind) const
{
    const auto found = models_.find(kind);
    return found == models_.end() ? nullptr : found->second;
}

std::vector<int> ModelMap::Kinds() const
{
    std::vector<int> kinds;
    kinds.reserve(models_.size());
    for (const auto& entry : models_)
        kinds.push_back(entry.first);
    std::sort(kinds.begin(), kinds.end());
    return kinds;
}

} // namespace Sistra
