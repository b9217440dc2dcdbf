#include "host/app/ModuleCalcFunctions.h"

#include "host/app/CalcEnumAdaptors.h"
#include "host/app/TextConversion.h"

#include "foundation/String.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iomanip>
#include <limits>
#include <map>
#include <sstream>
#include <stdexcept>

namespace Host::Calc
{
namespace
{

constexpr int32_t EventsPerRead = 64;

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

// The events of one module enumerator per record, read into the engine's tracks as they settle.
class ModuleEventNode final : public EventNode
{
public:
    ModuleEventNode(const Recording& recording, Orv::ComPtr<ICalcEnumClass2> classObject, std::wstring arguments,
                    std::vector<Value> sources)
        : recording_(recording), class_(std::move(classObject)), arguments_(std::move(arguments)),
          sources_(std::move(sources))
    {
        // The record size is the enumerator's, whatever record it is bound to.
        Orv::ComPtr<ICalcEnum> probe = CreateEnumerator();
        int32_t size = 0;
        Check(probe.As<IEnumEventEx>(IID_IEnumEventEx)->GetRecordSize(&size), "the function's record size");
        if (size < static_cast<int32_t>(sizeof(EventHeader)))
            throw std::runtime_error("the function's event records are smaller than an event");
        recordSize_ = static_cast<size_t>(size);
    }

    size_t RecordSize() const override { return recordSize_; }

    const EventTrack& Events(size_t record) override
    {
        auto found = states_.find(record);
        if (found == states_.end())
            found = states_.emplace(record, Bind(record)).first;
        CatchUp(record, found->second);
        return found->second.track;
    }

private:
    struct State
    {
        Orv::ComPtr<ICalcEnum> calc;
        Orv::ComPtr<IEnumEventEx> events;
        EventTrack track;
    };

    Orv::ComPtr<ICalcEnum> CreateEnumerator() const
    {
        Orv::ComPtr<ICalcEnum> calc;
        Check(class_->CreateEnum(nullptr, 0, calc.Put()), "the function's enumerator cannot be created");
        if (!calc || !calc.As<IEnumEventEx>(IID_IEnumEventEx))
            throw std::runtime_error("the function's enumerator yields no events");
        Orv::String text(arguments_);
        uint32_t flags = 0;
        Check(calc->ReadArguments(text.Interface(), &flags), "the function refuses its arguments");
        return calc;
    }

    State Bind(size_t record) const
    {
        State state{CreateEnumerator(), {}, EventTrack(recordSize_)};
        std::vector<Orv::ComPtr<IUnknown>> held;
        for (const Value& source : sources_)
        {
            IUnknown* adaptor = source.kind == ValueKind::Events
                                    ? static_cast<IUnknown*>(new EventEnumAdaptor(recording_, source.events, record))
                                    : static_cast<IUnknown*>(
                                          new ChannelEnumAdaptor(recording_, source.channel, record));
            held.emplace_back(adaptor);
        }
        std::vector<IUnknown*> pointers;
        for (const auto& source : held)
            pointers.push_back(source.Get());
        const double interval = recording_.RecordAt(record).SampleInterval();
        Check(state.calc->Start(static_cast<int32_t>(record), static_cast<uint32_t>(pointers.size()),
                                pointers.data(), nullptr, interval, 0, CalcOpenEndTick),
              "the function cannot start on record " + std::to_string(record));
        state.events = state.calc.As<IEnumEventEx>(IID_IEnumEventEx);
        return state;
    }

    void CatchUp(size_t record, State& state) const
    {
        std::vector<std::byte> buffer(recordSize_ * EventsPerRead);
        while (!state.track.IsComplete())
        {
            int32_t count = 0;
            int32_t next = 0;
            const HRESULT hr = state.events->Next(static_cast<int32_t>(buffer.size()), CalcNoMoreEventsTick,
                                                  buffer.data(), &count, &next);
            Check(hr, "the function failed on record " + std::to_string(record));
            for (int32_t i = 0; i < std::clamp(count, 0, EventsPerRead); ++i)
                state.track.Append(buffer.data() + static_cast<size_t>(i) * recordSize_);
            if (hr == S_FALSE)
            {
                state.track.Complete(recording_.RecordAt(record).Length());
                return;
            }
            if (count == 0)
            {
                state.track.Settle(std::max<int64_t>(state.track.SettledTicks(), next));
                return;
            }
        }
    }

    const Recording& recording_;
    Orv::ComPtr<ICalcEnumClass2> class_;
    std::wstring arguments_;
    std::vector<Value> sources_;
    size_t recordSize_ = 0;
    std::map<size_t, State> states_;
};

} // namespace

std::wstring ModuleArgumentText(const std::vector<double>& numbers)
{
    std::wostringstream text;
    text.imbue(std::locale::classic());
    text << std::setprecision(std::numeric_limits<double>::max_digits10) << 0;
    for (double number : numbers)
        text << L' ' << number;
    return text.str();
}

ModuleCalcFunction::ModuleCalcFunction(const Recording& recording, ICalcEnumClass2* classObject)
    : recording_(recording), class_(classObject)
{
    params_ = class_.As<ICalcNumericParamsFuncClass>(IID_ICalcNumericParamsFuncClass);
    if (!params_)
        throw std::runtime_error("a calculation class without a parameter description");
    IOrvString* name = nullptr;
    uint32_t paramCount = 0;
    uint32_t sourceCount = 0;
    Check(params_->GetInfo(&name, nullptr, &paramCount, &sourceCount, nullptr, &resultWord_),
          "a calculation class without information");
    name_ = TakeText(name);
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

Value ModuleCalcFunction::Create(const std::vector<Argument>& arguments) const
{
    if ((resultWord_ & CalcKindEvents) == 0)
        throw std::invalid_argument(name_ + " yields samples, which module functions cannot give the host yet");
    std::vector<Value> sources;
    std::vector<double> numbers;
    for (size_t i = 0; i < arguments.size(); ++i)
    {
        if (i < sourceCount_)
            sources.push_back(arguments[i].value);
        else
            numbers.push_back(arguments[i].value.number);
    }
    Value result;
    result.kind = ValueKind::Events;
    result.events = std::make_shared<ModuleEventNode>(recording_, class_, ModuleArgumentText(numbers), sources);
    return result;
}

ModuleFunctionTable::ModuleFunctionTable(const Recording& recording, IVyrStandIn& standIn)
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
            Add(std::make_shared<ModuleCalcFunction>(recording, classObject.Get()));
        }
        catch (const std::runtime_error&)
        {
            // A class that cannot describe its parameters cannot be called from text.
        }
    }
}

void ModuleFunctionTable::Add(const std::shared_ptr<ModuleCalcFunction>& function)
{
    ++functionCount_;
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
