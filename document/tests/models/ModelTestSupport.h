// What the model tests share: an owner with a model map and a host document of a given channel count,
// and an observer that records every model message it receives.
#pragma once

#include "document/models/ModelFactory.h"
#include "document/models/ModelMap.h"
#include "foundation/streams/BinaryStream.h"
#include "hostframework/services/HostServices.h"
#include "hostframework/messaging/SistraIds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace ModelTests
{

using namespace Sistra;

inline ULONG MessageId(USHORT number)
{
    USHORT code = 0;
    MsgIdPrefix<&SistraDocumentGUID>::TryGet(&code);
    return static_cast<ULONG>(code) << 16 | number;
}

// One message as an observer saw it.
struct SeenMessage
{
    USHORT number = 0;        // 34 to 37
    int sourceKind = 0;
    PropertyIdSet changed;    // 34
    std::wstring title;       // 35
    std::wstring message;     // 35

    bool operator==(const SeenMessage&) const = default;
};

// Records the model messages of the subjects it observes; lives on the stack.
class MessageLog final : public IObserver
{
public:
    ~MessageLog() { SubjectManagerAccessor::Get()->ForgetObserver(this); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE RegisterEvents(ISubject*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Notify(ISubject*, ULONG eventId, ULONG_PTR, void* data) override;

    void Watch(const ModelPtr& model) { model->AddObserver(this); }
    // The numbers of the messages seen, in order.
    std::vector<USHORT> Numbers() const;
    // The changed sets of the PropertiesChanged messages, in order.
    std::vector<PropertyIdSet> ChangedSets() const;

    std::vector<SeenMessage> seen;
};

inline HRESULT STDMETHODCALLTYPE MessageLog::Notify(ISubject*, ULONG eventId, ULONG_PTR, void* data)
{
    SeenMessage entry;
    entry.number = static_cast<USHORT>(eventId & 0xFFFF);
    auto* source = static_cast<const ModelStatusRecord*>(data)->source;
    entry.sourceKind = static_cast<Model*>(source)->GetModelId();
    if (entry.number == DocumentNotification::ModelPropertiesChanged)
        entry.changed = PropertyIdSet(static_cast<const ModelChangedRecord*>(data)->changed);
    if (entry.number == DocumentNotification::ModelStatus)
    {
        const auto* problem = static_cast<const ModelProblemRecord*>(data);
        entry.title = Orv::String::FromInterface(problem->title).c_str();
        entry.message = Orv::String::FromInterface(problem->message).c_str();
    }
    seen.push_back(entry);
    return S_OK;
}

inline std::vector<USHORT> MessageLog::Numbers() const
{
    std::vector<USHORT> numbers;
    for (const SeenMessage& entry : seen)
        numbers.push_back(entry.number);
    return numbers;
}

inline std::vector<PropertyIdSet> MessageLog::ChangedSets() const
{
    std::vector<PropertyIdSet> sets;
    for (const SeenMessage& entry : seen)
        if (entry.number == DocumentNotification::ModelPropertiesChanged)
            sets.push_back(entry.changed);
    return sets;
}

// A document as the models see it.
class TestOwner final : public ModelOwner
{
public:
    explicit TestOwner(int32_t channels = 4) : channelCount(channels) { GetModel(ModelKind::WorkflowSetup); }
    ~TestOwner() { models.Clear(); }

    ModelPtr GetModel(int kind) override { return models.Get(kind, this, nullptr); }
    void SetModified() override { ++modifiedCount; }
    bool IsLoadingSettings() const override { return loading; }
    int32_t GetChannelCount() override { return channelCount; }
    bool ChannelDependsOnAnalysis(int32_t channel) override { return dependentChannels.count(channel) != 0; }

    ModelPtr Setup() { return GetModel(ModelKind::WorkflowSetup); }

    ModelMap models;
    int32_t channelCount;
    std::set<int32_t> dependentChannels;
    bool loading = false;
    int modifiedCount = 0;
};

// The bytes a model writes into its full and its settings record.
inline std::string FullRecordOf(const Model& model)
{
    std::stringbuf buffer;
    {
        Orv::BinOStream out(&buffer);
        model.Save(out);
    }
    return buffer.str();
}

inline std::string SettingsRecordOf(const Model& model)
{
    std::stringbuf buffer;
    {
        Orv::BinOStream out(&buffer);
        model.SaveSettings(out);
    }
    return buffer.str();
}

// Loads bytes as the full (or settings) record of the given version; the loader's answer.
inline bool LoadRecord(Model& model, const std::string& bytes, int version, bool settings = false)
{
    std::stringbuf buffer(bytes);
    Orv::BinIStream in(&buffer);
    return settings ? model.LoadSettings(in, version) : model.Load(in, version);
}

// Little-endian bytes of values, for writing expected records.
class Bytes
{
public:
    Bytes& U8(uint8_t v) { text_.push_back(static_cast<char>(v)); return *this; }
    Bytes& I32(int32_t v) { return Raw(&v, 4); }
    Bytes& F64(double v) { return Raw(&v, 8); }
    // A text as the binary stream writes it.
    Bytes& Text(const wchar_t* v)
    {
        std::stringbuf buffer;
        {
            Orv::BinOStream out(&buffer);
            out.WriteString(Orv::String(v));
        }
        text_ += buffer.str();
        return *this;
    }
    const std::string& Str() const { return text_; }

private:
    Bytes& Raw(const void* data, size_t n)
    {
        text_.append(static_cast<const char*>(data), n);
        return *this;
    }
    std::string text_;
};

} // namespace ModelTests
