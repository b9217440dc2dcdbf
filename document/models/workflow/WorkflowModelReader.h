// The workflow models as the calculation texts read them: each property id from the model of the
// owner document that owns it.
#pragma once

#include "calc/engine/ExpressionText.h"
#include "document/models/Model.h"
#include "document/models/ModelOwner.h"

namespace Sistra
{

class WorkflowModelReader final : public ModelPropertyReader
{
public:
    // The document keeps its models alive; the reader hands out pointers into them.
    explicit WorkflowModelReader(ModelOwner& document) : document_(&document) {}
    // Reads the one model's own properties (a copy the document does not own); no others.
    explicit WorkflowModelReader(ModelPtr model) : only_(std::move(model)) {}

    const int32_t* GetInt(int32_t id) const override;
    const double* GetDouble(int32_t id) const override;
    const bool* GetBool(int32_t id) const override;
    const int32_t* GetChannel(int32_t id) const override;
    const Orv::String* GetText(int32_t id) const override;
    std::optional<uint64_t> GetPosition(int32_t id) const override;

private:
    template <PropertyType T>
    const PropertyValueType<T>* Lookup(int32_t id) const;

    ModelOwner* document_ = nullptr;
    ModelPtr only_;
};

} // namespace Sistra
