#include "calc/sources/DataGetters.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/text/String.h"
#include "foundation/numbers/Units.h"
#include "hostframework/services/HostServices.h"
#include "hostframework/services/UnitConversion.h"

#include <cwctype>
#include <string>

namespace ExtLib
{
namespace
{

constexpr int16_t SinkWantsNotifications = static_cast<int16_t>(0xFFFF);
constexpr int32_t GetterUpdatePeriod = 100;
constexpr double AskTheDocument = -1.0;

// Every getter operation answers with a flag; nothing it meets may escape as an exception.
template <class Body>
bool Guarded(Body&& body) noexcept
{
    try
    {
        return body();
    }
    catch (...)
    {
        return false;
    }
}

uint32_t ChannelKind(const ChannelRef& ref)
{
    if (ref.v)
        return HostChannelCalculated;
    return ref.raw ? HostChannelRaw : HostChannelScaled;
}

std::wstring LowerCase(const wchar_t* text)
{
    std::wstring lower = text ? text : L"";
    for (wchar_t& c : lower)
        c = static_cast<wchar_t>(std::towlower(c));
    return lower;
}

} // namespace

Orv::ComPtr<IUnknown> OpenHostChannel(IHostDocument& document, uint32_t request, int32_t record,
                                      const TickPosition& start, int32_t channel)
{
    Orv::ComPtr<IUnknown> opened;
    Orv::ComPtr<IUnknown> data;
    if (SUCCEEDED(document.GetChannelData(request, start.record, channel, data.Put())))
        if (auto channelData = data.As<IHostChannelData>(IID_IHostChannelData))
            if (FAILED(channelData->OpenEnum(request, record, HostRecordEnd, 0, opened.Put())))
                opened.Reset();
    if (!opened && FAILED(document.OpenChannelEnum(request, record, channel, opened.Put())))
        opened.Reset();
    // What cannot tell its position is no sample enumerator.
    const auto samples = opened.As<IEnumFloatEx>(IID_IEnumFloatEx);
    int32_t position = 0;
    if (!samples || FAILED(samples->GetPosition(&position)))
        return nullptr;
    return opened;
}

EnumGetterBase::EnumGetterBase(IUnknown* source, int32_t offline) : source(source), offline(offline)
{
    Advise();
}

EnumGetterBase::EnumGetterBase(IUnknown* source, const EndOfRecordCallback& endOfRecord, int32_t offline)
    : source(source), offline(offline), hasCallback(true), endOfRecord(endOfRecord)
{
    Advise();
}

EnumGetterBase::~EnumGetterBase()
{
    if (advised)
        if (auto registry = source.As<IOnlineDataSource>(IID_IOnlineDataSource))
            registry->RemoveSink(this);
    Stop();
    // The calculation may still refer to the document: it goes first.
    enumerator.Reset();
    source.Reset();
}

bool EnumGetterBase::Advise()
{
    if (offline || advised)
        return true;
    const auto registry = source.As<IOnlineDataSource>(IID_IOnlineDataSource);
    if (!registry || FAILED(registry->AddSink(this)))
        return false;
    advised = 1;
    return true;
}

bool EnumGetterBase::SetSources(bool noDocument, const wchar_t* expression, const wchar_t* arguments,
                                uint32_t calcType)
{
    return Guarded([&] {
        Stop();
        enumerator.Reset();
        channelRefs = ParseChannelRefs(LowerCase(expression));
        IVyrObjectFactory* factory = ObjectFactoryAccessor::Get();
        Orv::ComPtr<ICalcEnumClass2> calcClass;
        if (!factory || FAILED(factory->GetObject(calcType, IID_ICalcEnumClass2, calcClass.PutVoid())) || !calcClass)
            return false;
        Orv::ComPtr<IUnknown> document;
        if (!noDocument && !(document = source.As<IUnknown>(IID_IHostRecordData)))
            return false;
        if (FAILED(calcClass->CreateEnum(document.Get(), 0, enumerator.Put())) || !enumerator)
            return false;
        const Orv::String text(arguments ? arguments : L"");
        uint32_t flags = 0;
        if (SUCCEEDED(enumerator->ReadArguments(text.Interface(), &flags)))
            return true;
        enumerator.Reset();
        return false;
    });
}

bool EnumGetterBase::CreateEnum(uint32_t calcType, const std::wstring& text)
{
    return SetSources(false, L"", text.c_str(), calcType);
}

bool EnumGetterBase::SetSources(TickPosition position, double time)
{
    return SetPositionAtTime(position.record, position, time);
}

bool EnumGetterBase::OpenSources(IHostDocument& document, int32_t record, const TickPosition& start)
{
    for (const ChannelRef& ref : channelRefs)
    {
        const auto opened = OpenHostChannel(document, ChannelKind(ref) | HostChannelStream, record, start, ref.index);
        if (!opened)
            return false;
        sources.Add(opened.Get());
    }
    return true;
}

void EnumGetterBase::AdjustStart(IHostDocument& document, int32_t record, TickPosition& start) const
{
    if (channelRefs.empty())
        return;
    document.AdjustStartPosition(ChannelKind(channelRefs.front()), record, channelRefs.front().index, &start);
    for (size_t i = 1; i < channelRefs.size(); ++i)
    {
        TickPosition unused = start;
        document.AdjustStartPosition(0, record, channelRefs[i].index, &unused);
    }
}

bool EnumGetterBase::Open(int32_t record, TickPosition start, double time)
{
    return Guarded([&] {
        if (running || !source || !enumerator)
            return false;
        // Whatever an interrupted open left behind is not this record's.
        sources.Clear();
        const auto document = source.As<IHostDocument>(IID_IHostDocument);
        if (!document || !OpenSources(*document.Get(), record, start))
        {
            sources.Clear();
            return false;
        }
        AdjustStart(*document.Get(), record, start);
        const int32_t endTick = offline == GetterOnline || offline == GetterOfflineOpenEnd ? CalcOpenEndTick : 0;
        std::vector<Orv::ComPtr<IHostUnit>> units(sources.Count());
        std::vector<IUnknown*> sourceList;
        std::vector<IUnknown*> unitList;
        for (unsigned i = 0; i < sources.Count(); ++i)
        {
            CreateHostUnit(Orv::PrefixedUnit(L"V"), units[i].Put());
            sourceList.push_back(sources[i]);
            unitList.push_back(units[i].Get());
        }
        // A calculation that refuses its sources does not run, whatever the seek says after it.
        if (FAILED(enumerator->Start(record, sources.Count(), sourceList.data(), unitList.data(), time, start.tick,
                                     endTick)))
        {
            sources.Clear();
            return false;
        }
        enumerator->Seek(start.tick);
        running = true;
        return true;
    });
}

bool EnumGetterBase::SetPositionAtTime(int32_t record, TickPosition start, double time)
{
    return Guarded([&] {
        if (time == AskTheDocument)
        {
            const auto document = source.As<IHostDocument>(IID_IHostDocument);
            // An unanswered time must not reach the calculation as a tick interval of -1 s.
            if (!document || FAILED(document->GetTickInterval(0, record, &time)))
                return false;
        }
        return Open(record, start, time);
    });
}

Orv::ComPtr<IEnumEventEx> EnumGetterBase::GetEnumEventEx() const
{
    return enumerator.As<IEnumEventEx>(IID_IEnumEventEx);
}

void EnumGetterBase::Stop()
{
    if (!running)
        return;
    enumerator->Stop();
    sources.Clear();
    running = false;
}

HRESULT EnumGetterBase::OnEndOfRecord()
{
    const HRESULT hr = hasCallback ? Orv::CatchReturn([&] { endOfRecord(); }) : S_OK;
    Stop();
    return hr;
}

HRESULT STDMETHODCALLTYPE EnumGetterBase::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IOnlineDataSink)
        return E_NOINTERFACE;
    *out = static_cast<IOnlineDataSink*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE EnumGetterBase::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&references));
}

ULONG STDMETHODCALLTYPE EnumGetterBase::Release()
{
    return static_cast<ULONG>(InterlockedDecrement(&references));
}

HRESULT STDMETHODCALLTYPE EnumGetterBase::GetSinkInfo(uint32_t* info, int16_t* wants)
{
    if (!info || !wants)
        return E_POINTER;
    *info = 0;
    *wants = SinkWantsNotifications;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EnumGetterBase::OnRecordEnd(int32_t, int32_t)
{
    return OnEndOfRecord();
}

HRESULT STDMETHODCALLTYPE EventEnumDataGetter::GetSinkPriority(int32_t* priority)
{
    if (priority)
        *priority = 0;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE EventEnumDataGetter::GetSinkPosition(int32_t, uint32_t, uint32_t, int32_t* position)
{
    if (!position)
        return E_POINTER;
    *position = GetterUpdatePeriod;
    return S_OK;
}

} // namespace ExtLib
