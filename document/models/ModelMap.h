// The models of one owner, at most one per kind, created through the factories on first request.
#pragma once

#include "document/models/Model.h"
#include "document/models/ModelOwner.h"

#include <unordered_map>
#include <vector>

namespace Sistra
{

class ModelMap
{
public:
    // The model of that kind; a new one is made for owner and observed by observer (when given).
    // Empty for a kind without a factory.
    ModelPtr Get(int kind, ModelOwner* owner, IObserver* observer);
    // The model of that kind when it exists; never creates.
    ModelPtr Find(int kind) const;
    // The kinds the map holds, in ascending order, so that records written from it are reproducible.
    std::vector<int> Kinds() const;
    // The kinds in the order their models were made (a model that needs others is made after them).
    const std::vector<int>& CreationOrder() const { return order_; }
    void Clear()
    {
        models_.clear();
        order_.clear();
    }

private:
    std::unordered_map<int, ModelPtr> models_;
    std::vector<int> order_;
};

} // namespace Sistra
