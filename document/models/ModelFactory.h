// Models are made by kind through one static factory per kind, linked into a list while the library
// loads; nothing names the kinds in one central switch.
#pragma once

#include "document/models/ModelBase.h"

namespace Sistra
{

class ModelClassObjBase
{
public:
    ModelClassObjBase(const ModelClassObjBase&) = delete;
    ModelClassObjBase& operator=(const ModelClassObjBase&) = delete;

    // A new model of the factory's kind for owner, with one reference that the caller owns.
    virtual Model* CreateInstance(ModelOwner* owner, ModelRole role) const = 0;
    virtual int GetModelId() const = 0;

    // The model of that kind, held by a shared pointer that releases the model's reference; empty for
    // a kind without a factory.
    static ModelPtr CreateModel(int kind, ModelOwner* owner, ModelRole role = ModelRole::Live);

protected:
    ModelClassObjBase();
    virtual ~ModelClassObjBase() = default;

private:
    const ModelClassObjBase* next_;
};

template <class T>
class ModelClassObj final : public ModelClassObjBase
{
public:
    Model* CreateInstance(ModelOwner* owner, ModelRole role) const override
    {
        T* model = new T(owner, role);
        model->AddRef();
        return model;
    }
    int GetModelId() const override { return T::KindId; }
};

// Takes over the one reference a factory hands out.
ModelPtr AdoptModel(Model* model);

} // namespace Sistra
