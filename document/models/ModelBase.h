// The common base of the 14 model kinds: the property table, the change transaction, validation,
// copying between models of a kind and the subscription to the models a kind depends on.
#pragma once

#include "document/models/Model.h"
#include "document/models/ModelOwner.h"

#include <unordered_map>
#include <variant>

namespace Sistra
{

// A model made for the owner's map reacts to the kinds it depends on; a snapshot of a transaction is
// a private copy that subscribes to nothing and is observed by nobody.
enum class ModelRole
{
    Live,
    Snapshot,
};

class ModelBaseNoTpl : public Model
{
public:
    bool CommitChanges() override;
    void DiscardChanges() override;
    ValidationResult Validate() override;
    ValidationResult CheckReady() override;
    bool SetSuppressCommit(bool suppress) override;
    bool IsCommitting() const override { return committing_; }
    bool CopyFrom(Model* other) override;
    PropertyIdSet GetPropertyIds() const override;

    bool Load(Orv::BinIStream&, int) override { return true; }
    void Save(Orv::BinOStream&) const override {}
    bool LoadSettings(Orv::BinIStream&, int) override { return true; }
    void SaveSettings(Orv::BinOStream&) const override {}

    void* FindValue(int id, PropertyType type) const override;
    void BeginChange() override;
    bool IsLocked(int id) override { return IsPropertyLocked(id); }

    virtual ValidationResult ValidateValues() { return ValidationResult::Ok(); }
    virtual ValidationResult CheckPrerequisites() { return ValidationResult::Ok(); }
    virtual void OnModelChanged(Model* source, const PropertyIdSet& changed);
    virtual bool IsPropertyLocked(int) { return false; }

    // The ids whose values differ between two models of one kind (empty for different kinds).
    static PropertyIdSet ComputeDifferences(const Model& a, const Model& b);
    static bool PropertyEquals(int id, const Model& a, const Model& b);

    // The owner's model of that kind reports a problem from CheckReady.
    bool IsModelNotReady(int kind);
    bool IsWorkflowModeOn();

    ModelOwner* Owner() const { return owner_; }
    ModelRole Role() const { return role_; }
    bool HasSnapshot() const { return snapshot_ != nullptr; }

    VYR_DECLARE_EVENT_MAP()

protected:
    ModelBaseNoTpl(ModelOwner* owner, ModelRole role);
    ~ModelBaseNoTpl() override;

    template <PropertyType T>
    void RegisterProperty(int id, PropertyValueType<T>* member)
    {
        properties_[id] = Slot(std::in_place_index<static_cast<size_t>(T)>, member);
    }

    // Observes the owner's model of that kind (a snapshot observes nothing).
    void SubscribeToModel(int kind);
    // Sets the flag to false and commits: the user must apply that calibration again.
    void WithdrawFlag(int id);
    void NotifyPropertiesChanged(const PropertyIdSet& changed);

private:
    using Slot = std::variant<int32_t*, int32_t*, bool*, double*, UnitInfo*, Orv::String*, std::vector<double>*,
                              std::vector<BolusEntry>*, ParameterSet*, RecordingPosition*, IntSet*, DoubleMatrix*>;

    void HandleModelChanged(const ModelChangedRecord* record);
    void NotifyStatus(ULONG messageId);

    std::unordered_map<int, Slot> properties_;
    ModelOwner* owner_;
    ModelRole role_;
    bool suppressCommit_ = false;
    std::shared_ptr<Model> snapshot_;
    bool committing_ = false;
};

template <int Kind>
class ModelBase : public ModelBaseNoTpl
{
public:
    static constexpr int KindId = Kind;
    int GetModelId() const override { return Kind; }

protected:
    using ModelBaseNoTpl::ModelBaseNoTpl;
};

} // namespace Sistra
