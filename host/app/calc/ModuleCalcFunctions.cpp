#include "host/app/calc/ModuleCalcFunctions.h"

#include "host/app/calc/CalcEnumAdaptors.h"
#include "host/app/files/TextConversion.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/text/String.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iomanip>
#include <limits>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace Host::Calc
{
namespace
{

constexpr int32_t EventsPerRead = 64;
constexpr int32_t SamplesPerRead = 4096;

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Takes the caller's reference of a string the module handed out.
std::string TakeText(IOrvString* text)
{
    if (!text)
        return {};
    std::string value = ToUtf8(text->GetText());
    text->Release();
    return value;
}

std::runtime_error ModuleError(const std::string& what, HRESULT hr)
{
    std::ostringstream message;
    message << what << " (0x" << std::hex << std::uppercase << std::setw(8) << std::setfill('0')
            << static_cast<unsigned long>(hr) << ")";
    return std::runtime_error(message.str());
}

void Check(HRESULT hr, const std::string& what)
{
    if (FAILED(hr))
        throw ModuleError(what, hr);
}

// One call of a module function in the text: its class, argument text and sources, from which an
// enumerator is started per record.
class ModuleCall
{
public:
    ModuleCall(const Recording& recording, IUnknown* context, Orv::ComPtr<ICalcEnumClass2> classObject,
               std::wstring arguments, std::vector<Value> sources, REFIID face)
        : recording_(recording), context_(context), class_(std::move(classObject)), arguments_(std::move(arguments)),
          sources_(std::move(sources)), face_(face)
    {
    }

    const Recording& Data() const { return recording_; }

    // A new enumerator that has read the arguments and offers the face the call's result needs.
    Orv::ComPtr<ICalcEnum> Create() const
    {
        Orv::ComPtr<ICalcEnum> calc;
        Check(class_->CreateEnum(context_, 0, calc.Put()), "the function's enumerator cannot be created");
        if (!calc || !calc.As<IUnknown>(face_))
            throw std::runtime_error("the function's enumerator does not yield what its class reports");
        Orv::String text(arguments_);
        uint32_t flags = 0;
        Check(calc->ReadArguments(text.Interface(), &flags), "the function refuses its arguments");
        return calc;
    }

    // A new enumerator bound to the record, its sources read through the engine's cursors.
    Orv::ComPtr<ICalcEnum> Start(size_t record) const
    {
        Orv::ComPtr<ICalcEnum> calc = Create();
        std::vector<Orv::ComPtr<IUnknown>> held;
        std::vector<IUnknown*> pointers;
        for (const Value& source : sources_)
        {
            held.emplace_back(SourceAdaptor(source, record));
            pointers.push_back(held.back().Get());
        }
        const double interval = recording_.RecordAt(record).SampleInterval();
        Check(calc->Start(static_cast<int32_t>(record), static_cast<uint32_t>(pointers.size()), pointers.data(),
                          nullptr, interval, 0, CalcOpenEndTick),
              "the function cannot start on record " + std::to_string(record));
        return calc;
    }

private:
    IUnknown* SourceAdaptor(const Value& source, size_t record) const
    {
        if (source.kind != ValueKind::Events)
            return new ChannelEnumAdaptor(recording_, source.channel, record);
        if (source.events->HandsObjects())
            return new ObjectEventListAdaptor(recording_, source.events, record);
        return new EventEnumAdaptor(recording_, source.events, record);
    }

    const Recording& recording_;
    IUnknown* context_; // the document the text belongs to, or none
    Orv::ComPtr<ICalcEnumClass2> class_;
    std::wstring arguments_;
    std::vector<Value> sources_;
    IID face_;
};

// The events of one module enumerator per record, read into the engine's tracks as they settle.
class ModuleEventNode final : public EventNode
{
public:
    explicit ModuleEventNode(ModuleCall call) : call_(std::move(call))
    {
        // The record size is the enumerator's, whatever record it is bound to.
        int32_t size = 0;
        Check(call_.Create().As<IEnumEventEx>(IID_IEnumEventEx)->GetRecordSize(&size), "the function's record size");
        if (size < static_cast<int32_t>(sizeof(EventHeader)))
            throw std::runtime_error("the function's event records are smaller than an event");
        recordSize_ = static_cast<size_t>(size);
    }

    size_t RecordSize() const override { return recordSize_; }

    const EventTrack& Events(size_t record) override
    {
        auto found = states_.find(record);
        if (found == states_.end())
            found = states_.emplace(record, State{call_.Start(record).As<IEnumEventEx>(IID_IEnumEventEx),
                                                  EventTrack(recordSize_), std::nullopt})
                        .first;
        CatchUp(record, found->second);
        return found->second.track;
    }

private:
    struct State
    {
        Orv::ComPtr<IEnumEventEx> events;
        EventTrack track;
        // The record's extent when the enumerator last had nothing more to give: until the record grows,
        // asking it again gives nothing either.
        std::optional<Extent> exhaustedAt;
    };

    void CatchUp(size_t record, State& state)
    {
        // Readers ask for the track at every read; a complete one, or one the data has not grown under
        // since the enumerator last ran dry, is as far as it goes.
        if (state.track.IsComplete())
            return;
        const Extent extent = RecordExtent(call_.Data(), record);
        if (state.exhaustedAt == extent)
            return;
        state.exhaustedAt.reset();
        buffer_.resize(recordSize_ * EventsPerRead);
        while (!state.track.IsComplete())
        {
            int32_t count = 0;
            int32_t next = 0;
            const HRESULT hr = state.events->Next(static_cast<int32_t>(buffer_.size()), CalcNoMoreEventsTick,
                                                  buffer_.data(), &count, &next);
            Check(hr, "the function failed on record " + std::to_string(record));
            for (int32_t i = 0; i < std::clamp(count, 0, EventsPerRead); ++i)
                state.track.Append(buffer_.data() + static_cast<size_t>(i) * recordSize_);
            if (hr == S_FALSE)
            {
                state.track.Complete(call_.Data().RecordAt(record).Length());
                // The track holds every event now: a recording of many records keeps no enumerator
                // (with its sources and caches) per record.
                state.events.Reset();
                return;
            }
            if (count == 0)
            {
                state.track.Settle(std::max<int64_t>(state.track.SettledTicks(), next));
                state.exhaustedAt = extent;
                return;
            }
        }
    }

    ModuleCall call_;
    size_t recordSize_ = 0;
    std::map<size_t, State> states_;
    // The records of one read on their way into a track; kept, so that a read allocates nothing.
    std::vector<std::byte> buffer_;
};

// The samples of one module enumerator per record, kept as they are computed so that the engine can
// read any stretch of them.
class ModuleSampleNode final : public SampleNode
{
public:
    explicit ModuleSampleNode(ModuleCall call) : call_(std::move(call)) {}

    Extent Available(size_t record) const override
    {
        State& state = StateOf(record);
        CatchUp(record, state);
        return {static_cast<int64_t>(state.samples.size()), state.complete};
    }

    void Compute(size_t record, int64_t first, std::span<float> out) const override
    {
        const std::vector<float>& samples = StateOf(record).samples;
        std::copy_n(samples.begin() + first, out.size(), out.begin());
    }

private:
    struct State
    {
        Orv::ComPtr<IEnumFloatEx> enumerator;
        std::vector<float> samples;
        bool complete = false;
    };

    State& StateOf(size_t record) const
    {
        auto found = states_.find(record);
        if (found == states_.end())
            found = states_.emplace(record, State{call_.Start(record).As<IEnumFloatEx>(IID_IEnumFloatEx), {}, false})
                        .first;
        return found->second;
    }

    void CatchUp(size_t record, State& state) const
    {
        if (state.complete)
            return;
        std::vector<float> buffer(SamplesPerRead);
        while (!state.complete)
        {
            int32_t fetched = 0;
            const HRESULT hr = state.enumerator->Next(SamplesPerRead, buffer.data(), &fetched);
            Check(hr, "the function failed on record " + std::to_string(record));
            state.samples.insert(state.samples.end(), buffer.begin(), buffer.begin() + std::clamp(fetched, 0, SamplesPerRead));
            state.complete = hr == S_FALSE;
            if (state.complete)
                state.enumerator.Reset(); // the samples are all kept
            if (fetched < SamplesPerRead)
                return;
        }
    }

    ModuleCall call_;
    mutable std::map<size_t, State> states_;
};

// The answer of a read from a source that holds nothing: no items, and the end.
HRESULT NothingMore(int32_t* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_FALSE;
}

// Sources without data, for asking a function which sources it takes before any data is read.
class EmptyChannel final : public CountedObject<IEnumFloatEx>
{
public:
    HRESULT STDMETHODCALLTYPE Clone(IEnumFloatEx**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Skip(int32_t, int32_t* skipped) override { return NothingMore(skipped); }
    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override { return Orv::AnswerValue(tick, 0); }
    HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t* format) override { return Orv::AnswerValue(format, 0); }
    HRESULT STDMETHODCALLTYPE GetScale(TimeBase* timeBase) override { return Orv::AnswerValue(timeBase, TimeBase{}); }
    HRESULT STDMETHODCALLTYPE Next(int32_t, float*, int32_t* fetched) override { return NothingMore(fetched); }
    void STDMETHODCALLTYPE DeleteThis() override { CountedObject::DeleteThis(); }
};

class EmptyEvents final : public CountedObject<IEnumEventEx>
{
public:
    explicit EmptyEvents(int32_t recordSize) : recordSize_(recordSize) {}

    HRESULT STDMETHODCALLTYPE Next(int32_t, int32_t, void*, int32_t* count, int32_t* nextPosition) override
    {
        if (!nextPosition)
            return E_POINTER;
        *nextPosition = CalcNoMoreEventsTick;
        return NothingMore(count);
    }
    HRESULT STDMETHODCALLTYPE Seek(int32_t, int32_t, int32_t, int32_t) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override { return Orv::AnswerValue(tick, CalcNoMoreEventsTick); }
    HRESULT STDMETHODCALLTYPE Clone(IEnumEventEx**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t* format) override { return Orv::AnswerValue(format, 0); }
    HRESULT STDMETHODCALLTYPE GetRecordSize(int32_t* bytes) override { return Orv::AnswerValue(bytes, recordSize_); }
    HRESULT STDMETHODCALLTYPE GetUnitName(IUnknown** unit) override { return Orv::AnswerValue(unit, nullptr); }
    HRESULT STDMETHODCALLTYPE GetEventCount(int32_t* count) override { return Orv::AnswerValue(count, 0); }
    HRESULT STDMETHODCALLTYPE GetTimeBase(TimeBase* timeBase) override { return Orv::AnswerValue(timeBase, TimeBase{}); }

private:
    int32_t recordSize_;
};

} // namespace

std::wstring ModuleArgumentText(const std::vector<double>& numbers, bool leadingFlag)
{
    std::wostringstream text;
    text.imbue(std::locale::classic());
    text << std::setprecision(std::numeric_limits<double>::max_digits10);
    if (leadingFlag)
        text << 0;
    for (size_t i = 0; i < numbers.size(); ++i)
        text << (leadingFlag || i > 0 ? L" " : L"") << numbers[i];
    return text.str();
}

ModuleCalcFunction::ModuleCalcFunction(const Recording& recording, ICalcEnumClass2* classObject, IUnknown* context)
    : recording_(recording), context_(context), class_(classObject)
{
    params_ = class_.As<ICalcNumericParamsFuncClass>(IID_ICalcNumericParamsFuncClass);
    if (!params_)
        throw std::runtime_error("a calculation class without a parameter description");
    IOrvString* name = nullptr;
    uint32_t paramCount = 0;
    uint32_t sourceCount = 0;
    Check(params_->GetInfo(&name, nullptr, &paramCount, &sourceCount, &functionWord_, &resultWord_),
          "a calculation class without information");
    name_ = TakeText(name);
    IOrvString* description = nullptr;
    if (SUCCEEDED(class_->GetDescription(&description)))
        description_ = TakeText(description);
    sourceCount_ = std::min(sourceCount, paramCount);
    uint32_t aliasCount = 0;
    params_->GetAliasCount(&aliasCount);
    for (uint32_t i = 0; i < aliasCount; ++i)
    {
        IOrvString* alias = nullptr;
        if (SUCCEEDED(params_->GetAlias(i, &alias)))
            aliases_.push_back(TakeText(alias));
    }
    for (uint32_t i = 0; i < paramCount; ++i)
    {
        ParameterInfo info;
        IOrvString* paramName = nullptr;
        Check(params_->GetParamInfo(i, &info.maximum, &info.minimum, nullptr, &paramName),
              "parameter " + std::to_string(i + 1) + " of " + name_);
        info.name = TakeText(paramName);
        info.kind = i >= sourceCount_                                 ? ValueKind::Number
                    : params_->CheckSource(i, CalcKindChannel) == S_OK ? ValueKind::Channel
                                                                      : ValueKind::Events;
        parameters_.push_back(info);
    }
}

bool ModuleCalcFunction::Accepts(size_t index, ValueKind kind) const
{
    if (index >= parameters_.size())
        return false;
    if (index >= sourceCount_)
        return kind == ValueKind::Number;
    const uint32_t word = kind == ValueKind::Events ? CalcKindEvents : CalcKindChannel;
    return params_->CheckSource(static_cast<uint32_t>(index), word) == S_OK;
}

bool ModuleCalcFunction::AcceptsRecordSize(size_t index, size_t recordSize) const
{
    if (index >= sourceCount_ || parameters_[index].kind != ValueKind::Events)
        return true;
    Orv::ComPtr<ICalcEnum> calc;
    if (FAILED(class_->CreateEnum(context_, 0, calc.Put())) || !calc)
        return true; // the call fails where it is made, with its own message
    Orv::String text(ModuleArgumentText({}, functionWord_ != 0));
    uint32_t flags = 0;
    calc->ReadArguments(text.Interface(), &flags);
    std::vector<Orv::ComPtr<IUnknown>> held;
    std::vector<IUnknown*> sources;
    for (size_t source = 0; source < sourceCount_; ++source)
    {
        IUnknown* object = parameters_[source].kind == ValueKind::Channel ? static_cast<IUnknown*>(new EmptyChannel)
                           : source == index ? static_cast<IUnknown*>(new EmptyEvents(static_cast<int32_t>(recordSize)))
                                             : nullptr;
        held.emplace_back(object);
        sources.push_back(object);
    }
    constexpr double AnyInterval = 0.001;
    const HRESULT started = calc->Start(0, static_cast<uint32_t>(sources.size()), sources.data(), nullptr, AnyInterval,
                                        0, CalcOpenEndTick);
    calc->Stop();
    return SUCCEEDED(started);
}

Value ModuleCalcFunction::Create(const std::vector<Argument>& arguments) const
{
    std::vector<Value> sources;
    std::vector<double> numbers;
    for (size_t i = 0; i < arguments.size(); ++i)
    {
        if (i < sourceCount_)
            sources.push_back(arguments[i].value);
        else
            numbers.push_back(arguments[i].value.number);
    }
    const bool events = Result() == ValueKind::Events;
    ModuleCall call(recording_, context_, class_, ModuleArgumentText(numbers, functionWord_ != 0), std::move(sources),
                    events ? IID_IEnumEventEx : IID_IEnumFloatEx);
    Value result;
    result.kind = events ? ValueKind::Events : ValueKind::Channel;
    if (events)
        result.events = std::make_shared<ModuleEventNode>(std::move(call));
    else
        result.channel = std::make_shared<ModuleSampleNode>(std::move(call));
    return result;
}

ModuleFunctionTable::ModuleFunctionTable(const Recording& recording, IVyrStandIn& standIn, IUnknown* context)
{
    Orv::ComPtr<IVyrObjectFactory> factory;
    Check(standIn.QueryInterface(IID_IVyrObjectFactory, factory.PutVoid()), "the framework has no object factory");
    ULONG count = 0;
    standIn.GetRegistrationCount(&count);
    for (ULONG i = 0; i < count; ++i)
    {
        VyrRegistrationRecord record{};
        if (FAILED(standIn.GetRegistration(i, &record)) || record.kind != VyrRegistrationKind::ClassObject ||
            FAILED(record.result))
            continue;
        Orv::ComPtr<ICalcEnumClass2> classObject;
        if (FAILED(factory->GetObject(record.typeId, IID_ICalcEnumClass2, classObject.PutVoid())) || !classObject ||
            classObject->IsCategory(&CalcFunctionCategory) != S_OK)
            continue;
        try
        {
            Add(std::make_shared<ModuleCalcFunction>(recording, classObject.Get(), context));
        }
        catch (const std::runtime_error&)
        {
            // A class that cannot describe its parameters cannot be called from text.
        }
    }
}

void ModuleFunctionTable::Add(const std::shared_ptr<ModuleCalcFunction>& function)
{
    functions_.push_back(function);
    byName_.emplace(Lower(function->Name()), function);
    for (const std::string& alias : function->Aliases())
        byName_.emplace(Lower(alias), function);
}

CalcFunctionPtr ModuleFunctionTable::Find(const std::string& lowerCaseName) const
{
    const auto found = byName_.find(lowerCaseName);
    return found == byName_.end() ? nullptr : found->second;
}

FunctionLookup ModuleFunctionTable::Lookup() const
{
    return [this](const std::string& lowerCaseName) { return Find(lowerCaseName); };
}

} // namespace Host::Calc
