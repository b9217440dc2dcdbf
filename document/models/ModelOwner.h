// What a workflow model needs of the document that owns it.
#pragma once

#include <cstdint>
#include <memory>

namespace Sistra
{

class Model;

class ModelOwner
{
public:
    // The owner's model of that kind, created on first request; empty for a kind without a factory.
    virtual std::shared_ptr<Model> GetModel(int kind) = 0;
    // A model's settings changed: the saved settings are out of date.
    virtual void SetModified() = 0;
    // While settings load, models do not react to one another.
    virtual bool IsLoadingSettings() const = 0;
    // The number of channels of the host document.
    virtual int32_t GetChannelCount() = 0;
    // Whether the channel's data is computed from this module's own analysis.
    virtual bool ChannelDependsOnAnalysis(int32_t channel) = 0;

protected:
    ~ModelOwner() = default;
};

} // namespace Sistra
