// The observable property model of the workflow: typed properties by id, changed in transactions
// (setters store and open a snapshot; a commit validates, works out which ids changed against the
// snapshot and tells the observers once), persisted as records, and observed by the document, views,
// step pages and other models through the host's subject manager.
#pragma once

#include "document/models/ModelValues.h"
#include "document/models/PropertyIds.h"
#include "document/models/ValidationResult.h"
#include "foundation/com/ComObjectRoot.h"
#include "hostframework/messaging/EventHandlers.h"
#include "hostframework/messaging/Subjects.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Orv
{
class BinIStream;
class BinOStream;
} // namespace Orv

namespace Sistra
{

// The C++ type stored for each type code.
template <PropertyType T> struct PropertyTraits;
template <> struct PropertyTraits<PropertyType::Int> { using Type = int32_t; };
template <> struct PropertyTraits<PropertyType::Channel> { using Type = int32_t; };
template <> struct PropertyTraits<PropertyType::Bool> { using Type = bool; };
template <> struct PropertyTraits<PropertyType::Double> { using Type = double; };
template <> struct PropertyTraits<PropertyType::Unit> { using Type = UnitInfo; };
template <> struct PropertyTraits<PropertyType::Text> { using Type = Orv::String; };
template <> struct PropertyTraits<PropertyType::DoubleVector> { using Type = std::vector<double>; };
template <> struct PropertyTraits<PropertyType::BolusList> { using Type = std::vector<BolusEntry>; };
template <> struct PropertyTraits<PropertyType::ParameterSet> { using Type = ParameterSet; };
template <> struct PropertyTraits<PropertyType::Position> { using Type = RecordingPosition; };
template <> struct PropertyTraits<PropertyType::IntSet> { using Type = IntSet; };
template <> struct PropertyTraits<PropertyType::Matrix> { using Type = DoubleMatrix; };

template <PropertyType T>
using PropertyValueType = typename PropertyTraits<T>::Type;

// Record versions the document passes to the loaders today.
constexpr int FullRecordVersion = 20;
constexpr int SettingsRecordVersion = 12;

class Model : public VyrSubject, public VyrEventHandlerT<1>, public Orv::CComObjectRoot
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    // At zero the count is parked at a value that never reaches zero again, then the model deletes itself.
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }

    // The change transaction.
    virtual bool CommitChanges() = 0;
    virtual void DiscardChanges() = 0;
    virtual ValidationResult Validate() = 0;
    virtual ValidationResult CheckReady() = 0;
    virtual bool SetSuppressCommit(bool suppress) = 0;
    virtual bool IsCommitting() const = 0;
    virtual bool CopyFrom(Model* other) = 0;
    virtual int GetModelId() const = 0;
    virtual PropertyIdSet GetPropertyIds() const = 0;

    // Records: the full record and the settings record.
    virtual bool Load(Orv::BinIStream& in, int version) = 0;
    virtual void Save(Orv::BinOStream& out) const = 0;
    virtual bool LoadSettings(Orv::BinIStream& in, int version) = 0;
    virtual void SaveSettings(Orv::BinOStream& out) const = 0;

    // The member that stores property id when it has that type here; null otherwise.
    virtual void* FindValue(int id, PropertyType type) const = 0;
    virtual void BeginChange() = 0;
    virtual bool IsLocked(int id) = 0;

    template <PropertyType T>
    PropertyValueType<T>* GetValuePtr(int id) const
    {
        return static_cast<PropertyValueType<T>*>(FindValue(id, T));
    }

    // The value, or the type's empty value when this model does not own the property.
    template <PropertyType T>
    PropertyValueType<T> GetValue(int id) const
    {
        const PropertyValueType<T>* value = GetValuePtr<T>(id);
        return value ? *value : PropertyValueType<T>{};
    }

    // Locked: false, nothing changes. Equal to the stored value: true, no snapshot. Otherwise the
    // transaction's snapshot is taken (when there is none) and the value stored. Sends nothing.
    template <PropertyType T>
    bool SetValue(int id, const PropertyValueType<T>& value)
    {
        if (IsLocked(id))
            return false;
        PropertyValueType<T>* stored = GetValuePtr<T>(id);
        if (!stored)
            return false;
        if (ValuesEqual(*stored, value))
            return true;
        BeginChange();
        *stored = value;
        return true;
    }

    // Named access to single properties.
    int32_t GetPressureChannel() const { return GetValue<PropertyType::Channel>(PropertyId::PressureChannel); }
    int32_t GetVolumeChannel() const { return GetValue<PropertyType::Channel>(PropertyId::VolumeChannel); }
    UnitInfo GetConductanceUnit() const { return GetValue<PropertyType::Unit>(PropertyId::ConductanceUnit); }
    int32_t GetAnalysisType() const { return GetValue<PropertyType::Int>(PropertyId::AnalysisType); }
    int32_t GetEspvrRegressionType() const { return GetValue<PropertyType::Int>(PropertyId::EspvrRegressionType); }
    int32_t GetEdpvrRegressionType() const { return GetValue<PropertyType::Int>(PropertyId::EdpvrRegressionType); }
    Orv::String GetEcgEventSource() const { return GetValue<PropertyType::Text>(PropertyId::EcgEventSource); }
    UnitInfo GetCuvetteUnit() const { return GetValue<PropertyType::Unit>(PropertyId::CuvetteUnit); }
    bool GetShowLoopMarkers() const { return GetValue<PropertyType::Bool>(PropertyId::ShowLoopMarkers); }
    std::vector<double> GetKnownVolumes() const { return GetValue<PropertyType::DoubleVector>(PropertyId::KnownVolumes); }
    DoubleMatrix GetCuvetteTable() const { return GetValue<PropertyType::Matrix>(PropertyId::CuvetteTable); }
    std::vector<BolusEntry> GetBolusList() const { return GetValue<PropertyType::BolusList>(PropertyId::BolusList); }
    IntSet GetSelectedBoluses() const { return GetValue<PropertyType::IntSet>(PropertyId::SelectedBoluses); }
    UnitInfo GetVolumeCalibrationUnit() const { return GetValue<PropertyType::Unit>(PropertyId::VolumeCalibrationUnit); }
    ParameterSet GetTableParameterSet() const { return GetValue<PropertyType::ParameterSet>(PropertyId::TableParameterSet); }
    IntSet GetCheckedItems() const { return GetValue<PropertyType::IntSet>(PropertyId::CheckedItems); }
    UnitInfo GetKnownVolumeUnit() const { return GetValue<PropertyType::Unit>(PropertyId::KnownVolumeUnit); }
    bool GetKnownVolumeCalibrationApplied() const
    {
        return GetValue<PropertyType::Bool>(PropertyId::KnownVolumeCalibrationApplied);
    }

    bool SetPressureChannel(int32_t v) { return SetValue<PropertyType::Channel>(PropertyId::PressureChannel, v); }
    bool SetVolumeChannel(int32_t v) { return SetValue<PropertyType::Channel>(PropertyId::VolumeChannel, v); }
    bool SetPressureBase1(double v) { return SetValue<PropertyType::Double>(PropertyId::PressureBase1, v); }
    bool SetPressureBase2(double v) { return SetValue<PropertyType::Double>(PropertyId::PressureBase2, v); }
    bool SetPressureCalibrationApplied(bool v) { return SetValue<PropertyType::Bool>(PropertyId::PressureCalibrationApplied, v); }
    bool SetConductanceBase1(double v) { return SetValue<PropertyType::Double>(PropertyId::ConductanceBase1, v); }
    bool SetConductanceBase2(double v) { return SetValue<PropertyType::Double>(PropertyId::ConductanceBase2, v); }
    bool SetConductanceCalibrationApplied(bool v)
    {
        return SetValue<PropertyType::Bool>(PropertyId::ConductanceCalibrationApplied, v);
    }
    bool SetCuvetteSlope(double v) { return SetValue<PropertyType::Double>(PropertyId::CuvetteSlope, v); }
    bool SetCuvetteIntercept(double v) { return SetValue<PropertyType::Double>(PropertyId::CuvetteIntercept, v); }
    bool SetCuvetteCalibrationApplied(bool v) { return SetValue<PropertyType::Bool>(PropertyId::CuvetteCalibrationApplied, v); }
    bool SetParallelConductance(double v) { return SetValue<PropertyType::Double>(PropertyId::ParallelConductance, v); }
    bool SetSalineCalibrationApplied(bool v) { return SetValue<PropertyType::Bool>(PropertyId::SalineCalibrationApplied, v); }
    bool SetShowEspvrRegression(bool v) { return SetValue<PropertyType::Bool>(PropertyId::ShowEspvrRegression, v); }
    bool SetShowEdpvrRegression(bool v) { return SetValue<PropertyType::Bool>(PropertyId::ShowEdpvrRegression, v); }
    bool SetEspvrRegressionType(int32_t v) { return SetValue<PropertyType::Int>(PropertyId::EspvrRegressionType, v); }
    bool SetEdpvrRegressionType(int32_t v) { return SetValue<PropertyType::Int>(PropertyId::EdpvrRegressionType, v); }
    bool SetRegionMode(int32_t v) { return SetValue<PropertyType::Int>(PropertyId::RegionMode, v); }
    bool SetDetectionSource(int32_t v) { return SetValue<PropertyType::Int>(PropertyId::DetectionSource, v); }
    bool SetEcgEventSource(const Orv::String& v) { return SetValue<PropertyType::Text>(PropertyId::EcgEventSource, v); }
    bool SetMinimumPeakHeight(double v) { return SetValue<PropertyType::Double>(PropertyId::MinimumPeakHeight, v); }
    bool SetMinimumPeriod(double v) { return SetValue<PropertyType::Double>(PropertyId::MinimumPeriod, v); }
    bool SetMinimumPeriodUnit(int32_t v) { return SetValue<PropertyType::Int>(PropertyId::MinimumPeriodUnit, v); }
    bool SetWorkflowModeOn(bool v) { return SetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn, v); }
    bool SetOnlineMode(bool v) { return SetValue<PropertyType::Bool>(PropertyId::OnlineMode, v); }
    bool SetShowLoopMarkers(bool v) { return SetValue<PropertyType::Bool>(PropertyId::ShowLoopMarkers, v); }
    bool SetKnownVolumes(const std::vector<double>& v) { return SetValue<PropertyType::DoubleVector>(PropertyId::KnownVolumes, v); }
    bool SetCuvetteTable(const DoubleMatrix& v) { return SetValue<PropertyType::Matrix>(PropertyId::CuvetteTable, v); }
    bool SetRegionSet(bool v) { return SetValue<PropertyType::Bool>(PropertyId::RegionSet, v); }
    bool SetBolusList(const std::vector<BolusEntry>& v) { return SetValue<PropertyType::BolusList>(PropertyId::BolusList, v); }
    bool SetSelectedBoluses(const IntSet& v) { return SetValue<PropertyType::IntSet>(PropertyId::SelectedBoluses, v); }
    bool SetAlphaCalibrationApplied(bool v) { return SetValue<PropertyType::Bool>(PropertyId::AlphaCalibrationApplied, v); }
    bool SetVolumeBase1(double v) { return SetValue<PropertyType::Double>(PropertyId::VolumeBase1, v); }
    bool SetVolumeBase2(double v) { return SetValue<PropertyType::Double>(PropertyId::VolumeBase2, v); }
    bool SetVolumeCalibrationApplied(bool v) { return SetValue<PropertyType::Bool>(PropertyId::VolumeCalibrationApplied, v); }
    bool SetTableParameterSet(const ParameterSet& v)
    {
        return SetValue<PropertyType::ParameterSet>(PropertyId::TableParameterSet, v);
    }
    bool SetAlwaysShowLatestRow(bool v) { return SetValue<PropertyType::Bool>(PropertyId::AlwaysShowLatestRow, v); }
    bool SetSelectedLoop(int32_t v) { return SetValue<PropertyType::Int>(PropertyId::SelectedLoop, v); }
    bool SetRegionStart(const RecordingPosition& v) { return SetValue<PropertyType::Position>(PropertyId::RegionStart, v); }
    bool SetRegionEnd(const RecordingPosition& v) { return SetValue<PropertyType::Position>(PropertyId::RegionEnd, v); }
    bool SetCheckedItems(const IntSet& v) { return SetValue<PropertyType::IntSet>(PropertyId::CheckedItems, v); }
    bool SetKnownVolumeValue65(double v) { return SetValue<PropertyType::Double>(PropertyId::KnownVolumeBaseEsv, v); }
    bool SetKnownVolumeValue66(double v) { return SetValue<PropertyType::Double>(PropertyId::KnownVolumeBaseEdv, v); }
    bool SetKnownVolumeValue67(double v) { return SetValue<PropertyType::Double>(PropertyId::KnownVolumeBaseSv, v); }
    bool SetEsPointType(int32_t v) { return SetValue<PropertyType::Int>(PropertyId::EsPointType, v); }

protected:
    Model() = default;
    ~Model() override = default;
};

// Shared ownership that also counts as one COM reference: the last holder releases it.
using ModelPtr = std::shared_ptr<Model>;

} // namespace Sistra
