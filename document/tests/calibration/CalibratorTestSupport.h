// What the calibrator tests share: a document with its models, a host document whose records show a
// channel with conversions the test chooses, and conversions of a raw unit.
#pragma once

#include "document/calibration/CalibratorBase.h"
#include "document/models/ModelFactory.h"
#include "document/models/ModelMap.h"
#include "hostframework/services/HostServices.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

namespace CalibratorTests
{

using namespace Sistra;
using Orv::ComPtr;

// Counted by its holders; made with one reference for its creator.
template <class Interface>
class CountedObject : public Interface
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    virtual ~CountedObject() = default;

private:
    ULONG references_ = 1;
};

// A channel recorded in unprefixed units with a prefix letter ("mV": V with 'm'), shown as it is.
class RawUnitConversion final : public CountedObject<IUnitConversion>
{
public:
    // A conversion in use: shown value = scale * raw value + offset.
    RawUnitConversion(const wchar_t* unit, double scale, double offset) : RawUnitConversion(unit, 0)
    {
        scale_ = scale;
        offset_ = offset;
        inUse_ = true;
    }
    RawUnitConversion(const wchar_t* unit, wchar_t prefix)
    {
        record_.rawUnitText = unit;
        record_.unitText = unit;
        record_.rawPrefix = record_.unitPrefix = prefix;
        Orv::PrefixedUnit prefixed(unit);
        prefixed.SetPrefix(prefix);
        record_.unitPrefixCode = prefixed.GetPrefixCode();
    }

    HRESULT STDMETHODCALLTYPE GetUnitsInformation(UnitsInformation* information) override
    {
        *information = {};
        information->scale = scale_;
        information->offset = offset_;
        information->inUse = inUse_ ? VARIANT_TRUE : VARIANT_FALSE;
        information->rawUnitText = SysAllocString(record_.rawUnitText.c_str());
        information->unitText = SysAllocString(record_.unitText.c_str());
        information->rawPrefixCode = information->unitPrefixCode = record_.unitPrefixCode;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDescription(BYTE* kind, ULONG* count) override
    {
        *kind = 0;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDescriptionText(ULONG, BSTR*) override { return E_INVALIDARG; }
    HRESULT STDMETHODCALLTYPE GetUnitsRecord(const void** record) override
    {
        *record = &record_;
        return S_OK;
    }

private:
    Orv::ChannelUnitsRecord record_;
    double scale_ = 1.0;
    double offset_ = 0.0;
    bool inUse_ = false;
};

inline ComPtr<IUnitConversion> RawUnit(const wchar_t* unit, wchar_t prefix = 0)
{
    return ComPtr<IUnitConversion>::Adopt(new RawUnitConversion(unit, prefix));
}

inline ComPtr<IUnitConversion> ShownUnit(const wchar_t* unit, double scale, double offset)
{
    return ComPtr<IUnitConversion>::Adopt(new RawUnitConversion(unit, scale, offset));
}

// The records of a host document and the conversion each shows the calibrated channels with.
class FakeHostDocument final : public IHostDocument
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTickInterval(uint32_t, int32_t, double*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AdjustStartPosition(uint32_t, int32_t, int32_t, TickPosition*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OpenChannelEnum(uint32_t, int32_t, int32_t, IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelData(uint32_t, int32_t, int32_t, IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRecordLength(uint32_t, int32_t, int32_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRecordingEnd(uint32_t, uint64_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelCount(int32_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRecordHandle(int32_t, ULONG_PTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSampleCount(uint32_t, ULONG_PTR, int32_t, int32_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ApplyChannelSetup(uint32_t, uint32_t, int32_t, uint32_t, IUnknown*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetRecordCount(int32_t* count, int32_t* current) override
    {
        *count = records;
        *current = records - 1;
        return S_OK;
    }
    // Every channel alike: the tests calibrate one channel at a time.
    HRESULT STDMETHODCALLTYPE GetChannelConversion(int32_t, int32_t record, int32_t,
                                                   IUnitConversion** conversion) override
    {
        asked.push_back(record);
        const auto found = shown.find(record == HostDefaultRecord ? 0 : record);
        *conversion = found == shown.end() ? nullptr : ComPtr<IUnitConversion>(found->second).Detach();
        return *conversion ? S_OK : S_FALSE;
    }

    int32_t records = 0;
    std::map<int32_t, ComPtr<IUnitConversion>> shown; // by record, HostNewRecordings included
    std::vector<int32_t> asked;
};

class TestDocument final : public CalibratorOwner
{
public:
    TestDocument() { GetModel(ModelKind::WorkflowSetup); }
    ~TestDocument() { models.Clear(); }

    ModelPtr GetModel(int kind) override { return models.Get(kind, this, nullptr); }
    void SetModified() override {}
    bool IsLoadingSettings() const override { return false; }
    int32_t GetChannelCount() override { return 4; }
    bool ChannelDependsOnAnalysis(int32_t) override { return false; }
    IHostDocument* GetHostDocument() override { return &host; }
    ComPtr<IUnitConversion> GetConversionAtSelection(int32_t) override { return atSelection; }

    template <PropertyType T>
    void Set(int kind, int id, const PropertyValueType<T>& value)
    {
        ASSERT_TRUE(GetModel(kind)->template SetValue<T>(id, value)) << id;
    }
    void SetDouble(int kind, int id, double value) { Set<PropertyType::Double>(kind, id, value); }
    void SetApplied(int kind, int id) { Set<PropertyType::Bool>(kind, id, true); }
    void SetWorkflow(int kind)
    {
        Set<PropertyType::Bool>(ModelKind::WorkflowSetup, PropertyId::WorkflowModeOn, kind != 0);
        if (kind != 0)
            Set<PropertyType::Int>(ModelKind::WorkflowSetup, PropertyId::WorkflowKind, kind);
    }

    ModelMap models;
    FakeHostDocument host;
    ComPtr<IUnitConversion> atSelection;
};

inline const Orv::ChannelUnitsRecord& RecordOf(IUnitConversion* conversion)
{
    const void* record = nullptr;
    EXPECT_EQ(S_OK, conversion->GetUnitsRecord(&record));
    return *static_cast<const Orv::ChannelUnitsRecord*>(record);
}

inline std::string Saved(const CalibratorBase& calibrator)
{
    std::stringbuf bytes;
    Orv::BinOStream out(&bytes);
    calibrator.Save(out);
    return bytes.str();
}

inline HRESULT LoadFrom(CalibratorBase& calibrator, const std::string& bytes)
{
    std::stringbuf in(bytes);
    Orv::BinIStream reader(&in);
    return calibrator.Load(reader);
}

} // namespace CalibratorTests
