#include "selftest/sources/FormulaDataAdder.h"

#include "foundation/com/ComFace.h"
#include "foundation/numbers/Rational.h"
#include "hostframework/messaging/MessageIds.h"
#include "hostframework/messaging/SistraIds.h"
#include "hostframework/services/HostDataAccess.h"
#include "hostframework/services/HostServices.h"
#include "hostapi/CalcInterfaces.h"

#include <oleauto.h>

#include <algorithm>
#include <ctime>
#include <limits>
#include <mutex>

namespace
{

// The source units the failure texts of these checks name.
constexpr const char* AdderSource = "TestDataAdder";
constexpr const char* DocumentSource = "TestStandardRoutines";

// Where each check of this unit stands in its failure text.
enum CheckLine : int
{
    LineRatesMatch = 58,
    LineSinkHeld = 112,
    LineLengthSet = 113,
    LineTickRate = 114,
    LineChannelHasRate = 121,
    LineCanSample = 140,
    LineRecordStarted = 146,
    LineSinkForTicks = 158,
    LineRecordData = 166,
    LineEndPosition = 169,
    LineFactory = 204,
    LineChannelData = 209,
    LineChannelMade = 231,
};

constexpr double DefaultRate = 1000.0;
constexpr const wchar_t* DefaultExpression = L"1";
constexpr const wchar_t* SilentChannel = L"0";
constexpr const wchar_t* ChannelUnit = L"V";

using DocumentCreatorType = TypeIdClass<&DocumentCreatorGUID, 0>;

// The creation service is the host's and lives as long as the framework: the cache keeps no reference.
IHostDocumentCreator* DocumentCreator()
{
    static std::mutex lock;
    static IHostDocumentCreator* cached = nullptr;
    std::lock_guard guard(lock);
    if (cached)
        return cached;
    IVyrObjectFactory* factory = ObjectFactoryAccessor::Get();
    Orv::ComPtr<IHostDocumentCreator> creator;
    if (!factory || FAILED(factory->GetObject(DocumentCreatorType::Id(), IID_IHostDocumentCreator, creator.PutVoid())))
        return nullptr;
    cached = creator.Get();
    return cached;
}

// 1 / rate as a fraction in lowest terms; a rate below 1 truncates to 0 and is refused here.
HostRational PeriodOf(double rate)
{
    OrvRationalImp::Rational64 period{1, static_cast<int64_t>(rate)};
    period.Normalize();
    return {period.numerator, period.denominator};
}

} // namespace

Orv::ComPtr<IUnknown> CreateTestDocument()
{
    Orv::ComPtr<IUnknown> document;
    if (IHostDocumentCreator* creator = DocumentCreator())
        creator->CreateDocument(0, &IID_IHostRecordingState, document.PutVoid());
    return document;
}

bool SetUpTestCalcChannel(IUnknown* document, const std::wstring& text, const std::wstring& secondText,
                          const HostItemId& channel)
{
    Orv::ComPtr<IHostDocument> host;
    if (!document || FAILED(document->QueryInterface(IID_IHostDocument, host.PutVoid())))
        return false;
    return CreateHostCalcFromText(host.Get(), Orv::String(text), Orv::String(secondText), channel.first, channel.second);
}

void AddTestCalculationChannels(const std::vector<std::wstring>& texts, IUnknown* document)
{
    HostItemId channel; // unset; each new channel's reference carries over to the next
    for (const std::wstring& text : texts)
    {
        Orv::ComPtr<IHostVirtualChannels> channels;
        HRESULT hr = E_NOINTERFACE;
        if (document && SUCCEEDED(document->QueryInterface(IID_IHostVirtualChannels, channels.PutVoid())))
        {
            BSTR name = nullptr;
            hr = channels->CreateVirtualChannel(0, 0, 0, &name, &channel);
            SysFreeString(name);
        }
        Check(hr == S_OK, "hr==S_OK", DocumentSource, LineChannelMade);
        SetUpTestCalcChannel(document, text, L"", channel);
    }
}

DataAdderBase::DataAdderBase(IUnknown* document) : document_(document)
{
    if (!document_)
    {
        ownedDocument_ = CreateTestDocument();
        document_ = ownedDocument_.Get();
    }
}

HRESULT STDMETHODCALLTYPE DataAdderBase::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryOneFace(static_cast<IStrixDataSource*>(this), iid, object, IID_IStrixDataSource);
}

HRESULT STDMETHODCALLTYPE DataAdderBase::GetChannelData(uint32_t, int32_t, IUnknown** data)
{
    if (data)
        *data = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE DataAdderBase::GetRecordLength(int64_t*)
{
    return E_NOTIMPL;
}

FormulaDataAdder::FormulaDataAdder(IUnknown* document) : DataAdderBase(document)
{
    mTicks = 10240;
}

HRESULT STDMETHODCALLTYPE FormulaDataAdder::GetRecordLength(int64_t* ticks)
{
    if (!ticks)
        return E_POINTER;
    *ticks = mTicks;
    return S_OK;
}

void FormulaDataAdder::SetChannels(const std::vector<std::wstring>& expressions, int32_t ticks,
                                   const std::vector<double>& rates)
{
    mExpressions = expressions;
    mSampleRates = rates;
    mTicks = ticks;
    Check(mExpressions.size() == mSampleRates.size(), "mExpressions.size() == mSampleRates.size()", AdderSource,
          LineRatesMatch);
    if (mExpressions.empty())
    {
        mExpressions.push_back(DefaultExpression);
        mSampleRates.push_back(DefaultRate);
    }
    if (mask_.None())
        mask_.SetLowBits(static_cast<uint32_t>(expressions.size()));
    mTickRate = mSampleRates.empty() ? DefaultRate : *std::max_element(mSampleRates.begin(), mSampleRates.end());
}

Orv::ComPtr<IUnknown> DataAdderBase::ChannelUnitsOf(size_t channel) const
{
    constexpr uint32_t LimitedRange = 0x80000000u;
    constexpr float LimitedTop = 10.0f;
    const bool limited = channel < channelFlags_.size() && (channelFlags_[channel] & LimitedRange) != 0;
    HostUnitsRecord record;
    record.top = limited ? LimitedTop : std::numeric_limits<float>::infinity();
    record.bottom = -record.top;
    record.reserved1 = 2;
    record.reserved2 = 1;
    Orv::ComPtr<IUnknown> units;
    if (IUnitsService* service = UnitsServiceAccessor::Get())
        service->CreateChannelUnits(0, &record, ChannelUnit, 0, 0, units.Put());
    return units;
}

void FormulaDataAdder::StartRecord(double startTime)
{
    Orv::ComPtr<IHostSamplingTarget> target;
    if (document_ && SUCCEEDED(document_->QueryInterface(IID_IHostSamplingTarget, target.PutVoid())))
        target->GetSamplingSink(mSink.Put());
    if (startTime == 0.0)
        startTime = static_cast<double>(std::time(nullptr));
    Check(static_cast<bool>(mSink), "mSink.IsValid()", AdderSource, LineSinkHeld);
    Check(mTicks != -1, "mTicks!=-1", AdderSource, LineLengthSet);
    Check(mTickRate > 0, "mTickRate>0", AdderSource, LineTickRate);
    // A private copy: setting the default channel must not reach the mask it came from.
    Orv::Bitset sampling = mask_;
    sampling.MakeUnique();
    if (sampling.None())
        sampling.Set(0);
    const HostRational tickPeriod = PeriodOf(mTickRate);
    for (size_t channel = 0; channel < mSampleRates.size(); ++channel)
    {
        Check(channel < mSampleRates.size(), "channel < (TChanIndex)(mSampleRates.size())", AdderSource,
              LineChannelHasRate);
        const Orv::ComPtr<IUnknown> units = ChannelUnitsOf(channel);
        const bool samples = sampling.Test(static_cast<uint32_t>(channel));
        mSink->DeclareChannel(static_cast<int32_t>(channel), samples ? 1 : 0, samples ? VARIANT_TRUE : VARIANT_FALSE,
                              units.Get(), PeriodOf(mSampleRates[channel]), &tickPeriod, HostSampledChannelKind, this);
    }
    VARIANT_BOOL canSample = VARIANT_FALSE;
    BSTR reason = nullptr;
    mSink->CanSample(&reason, &canSample);
    const Orv::String why(reason ? reason : L"");
    SysFreeString(reason);
    Check(canSample != VARIANT_FALSE, "canSample", AdderSource, LineCanSample, why);
    mSink->PrepareSampling(0);
    channelFailure_.reset();
    const HRESULT started = mSink->StartRecord(0, this, 1.0 / mTickRate, startTime, 0.0, 0, 0, startOption_, VARIANT_TRUE);
    if (channelFailure_)
        throw *channelFailure_;
    Check(SUCCEEDED(started), "started", AdderSource, LineRecordStarted, L"The host started no record.");
    mTicksAdded = 0;
}

void FormulaDataAdder::AddTicks(int32_t count)
{
    Check(static_cast<bool>(mSink), "mSink", AdderSource, LineSinkForTicks);
    count = std::clamp(count, 0, mTicks - mTicksAdded);
    mSink->AddTicks(count);
    mTicksAdded += count;
    Orv::ComPtr<IHostRecordingState> recdata;
    if (document_)
        document_->QueryInterface(IID_IHostRecordingState, recdata.PutVoid());
    Check(static_cast<bool>(recdata), "recdata", AdderSource, LineRecordData);
    HostEndPosition endpos;
    recdata->GetEndPosition(0, &endpos);
    Check(endpos.mRecordOffset == mTicksAdded, "endpos.mRecordOffset == mTicksAdded", AdderSource, LineEndPosition);
}

void FormulaDataAdder::StopSampling()
{
    if (!mSink)
        return;
    int32_t value = 0;
    mSink->QueryStop(0, &value);
    // The sink goes first: stopping tells the document's followers, who may read on.
    const Orv::ComPtr<IHostSamplingSink> sink = std::move(mSink);
    sink->StopSampling(VARIANT_TRUE);
}

void FormulaDataAdder::AddRecord(const std::vector<std::wstring>& expressions, int32_t ticks,
                                 const std::vector<double>& rates, double startTime)
{
    OpenRecord(expressions, ticks, rates, startTime);
    AddTicks(mTicks);
    StopSampling();
}

void FormulaDataAdder::OpenRecord(const std::vector<std::wstring>& expressions, int32_t ticks,
                                  const std::vector<double>& rates, double startTime)
{
    SetChannels(expressions, ticks, rates);
    StartRecord(startTime);
}

void FormulaDataAdder::AddRecordAtRate(const std::vector<std::wstring>& expressions, int32_t ticks, double rate,
                                       double startTime)
{
    AddRecord(expressions, ticks, std::vector<double>(expressions.size(), rate), startTime);
}

void FormulaDataAdder::OpenRecordAtRate(const std::vector<std::wstring>& expressions, int32_t ticks, double rate,
                                        double startTime)
{
    OpenRecord(expressions, ticks, std::vector<double>(expressions.size(), rate), startTime);
}

HRESULT STDMETHODCALLTYPE FormulaDataAdder::GetChannelData(uint32_t, int32_t channel, IUnknown** data)
{
    if (!data)
        return E_POINTER;
    *data = nullptr;
    // The host calls in here: a failed check must not travel back through it.
    try
    {
        MakeChannelData(channel, data);
        return S_OK;
    }
    catch (const UnitTestException& failure)
    {
        channelFailure_ = failure;
        return E_FAIL;
    }
    catch (...)
    {
        return E_FAIL;
    }
}

void FormulaDataAdder::MakeChannelData(int32_t channel, IUnknown** data)
{
    Orv::ComPtr<IHostRecordData> recordData;
    if (document_)
        document_->QueryInterface(IID_IHostRecordData, recordData.PutVoid());
    IVyrObjectFactory* factory = ObjectFactoryAccessor::Get();
    Check(factory != nullptr, "ObjectFactoryAccessor::Get()", AdderSource, LineFactory, L"Vyr.DLL couldnt be loaded?");
    Check(channel >= 0 && static_cast<size_t>(channel) < mSampleRates.size(),
          "chan < (TChanIndex)(mSampleRates.size())", AdderSource, LineChannelData);
    Orv::ComPtr<ICalcEnumClass2> calcClass;
    Orv::ComPtr<ICalcEnum> calc;
    factory->GetObject(Sistra::HostCommonType::Id(), IID_ICalcEnumClass2, calcClass.PutVoid());
    const size_t index = static_cast<size_t>(channel);
    const Orv::String formula(index < mExpressions.size() && !mExpressions[index].empty() ? mExpressions[index].c_str()
                                                                                         : SilentChannel);
    // The record the host is about to start is the one after those the document has.
    int32_t records = 0, current = 0;
    if (const auto host = Orv::ComPtr<IUnknown>(document_).As<IHostDocument>(IID_IHostDocument))
        host->GetRecordCount(&records, &current);
    uint32_t flags = 0;
    Check(calcClass && SUCCEEDED(calcClass->CreateEnum(recordData.Get(), 0, calc.Put())) && calc &&
              SUCCEEDED(calc->ReadArguments(formula.Interface(), &flags)) &&
              SUCCEEDED(calc->Start(records, 0, nullptr, nullptr, 1.0 / mSampleRates[index], 0, CalcOpenEndTick)),
          "channel calculation", AdderSource, LineChannelData, L"The host made no calculation of the formula.");
    Orv::ComPtr<IEnumFloatEx> samples = calc.As<IEnumFloatEx>(IID_IEnumFloatEx);
    Check(static_cast<bool>(samples), "channel samples", AdderSource, LineChannelData,
          L"The formula's calculation yields no samples.");
    *data = samples.Detach();
}
