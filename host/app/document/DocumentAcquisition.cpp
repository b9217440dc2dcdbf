#include "host/app/document/DocumentAcquisition.h"

#include "host/app/document/HostDocument.h"
#include "host/vyr/ComObjects.h"

#include "foundation/com/ComBoundary.h"

#include <stdexcept>

namespace Host
{
namespace
{

bool SamePeriod(const HostRational& a, const HostRational& b)
{
    return a.denominator != 0 && b.denominator != 0 && a.numerator * b.denominator == b.numerator * a.denominator;
}

} // namespace

HRESULT STDMETHODCALLTYPE DocumentAcquisition::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IHostSamplingSink)
    {
        *object = static_cast<IHostSamplingSink*>(this);
        AddRef();
        return S_OK;
    }
    return document_.QueryInterface(iid, object);
}

ULONG STDMETHODCALLTYPE DocumentAcquisition::AddRef()
{
    return document_.AddRef();
}

ULONG STDMETHODCALLTYPE DocumentAcquisition::Release()
{
    return document_.Release();
}

HRESULT STDMETHODCALLTYPE DocumentAcquisition::DeclareChannel(int32_t channel, int32_t sampling, VARIANT_BOOL, IUnknown* units,
                                                              HostRational channelPeriod, const HostRational* tickPeriod,
                                                              uint32_t, IStrixDataSource* source)
{
    if (!tickPeriod)
        return E_POINTER;
    if (channel < 0)
        return E_INVALIDARG;
    if (recordOpen_)
        return E_UNEXPECTED;
    return Orv::CatchReturn([&] {
        if (static_cast<size_t>(channel) >= declared_.size())
            declared_.resize(static_cast<size_t>(channel) + 1);
        declared_[static_cast<size_t>(channel)] = DeclaredChannel{sampling != 0, channelPeriod, Orv::ComPtr<IStrixDataSource>(source),
                                                                       Orv::ComPtr<IUnknown>(units)};
        tickPeriod_ = *tickPeriod;
    });
}

IUnknown* DocumentAcquisition::DeclaredUnits(int32_t channel) const
{
    if (channel < 0 || static_cast<size_t>(channel) >= declared_.size() || !declared_[static_cast<size_t>(channel)])
        return nullptr;
    return declared_[static_cast<size_t>(channel)]->units.Get();
}

std::wstring DocumentAcquisition::WhyNotSampling() const
{
    if (recordOpen_)
        return L"a record is being sampled";
    if (declared_.empty())
        return L"no channel is declared";
    for (const auto& channel : declared_)
    {
        if (!channel)
            return L"the channels are not declared one after another from the first";
        // The stand-in keeps one sample interval per record.
        if (!SamePeriod(channel->period, tickPeriod_))
            return L"every channel must sample at the tick rate";
    }
    if (recording_.RecordCount() > 0 && recording_.Channels().size() != declared_.size())
        return L"the channels of a recording are fixed by its first record";
    return {};
}

HRESULT STDMETHODCALLTYPE DocumentAcquisition::CanSample(BSTR* reason, VARIANT_BOOL* can)
{
    if (!can)
        return E_POINTER;
    return Orv::CatchReturn([&]() -> HRESULT {
        const std::wstring why = WhyNotSampling();
        *can = why.empty() ? VARIANT_TRUE : VARIANT_FALSE;
        return reason ? Vyr::CopyToBstr(why, reason) : S_OK;
    });
}

std::vector<Orv::ComPtr<IEnumFloatEx>> DocumentAcquisition::OpenChannels(IStrixDataSource* recordSource) const
{
    std::vector<Orv::ComPtr<IEnumFloatEx>> channels(declared_.size());
    for (size_t index = 0; index < declared_.size(); ++index)
    {
        if (!declared_[index]->sampling)
            continue;
        IStrixDataSource* source = declared_[index]->source ? declared_[index]->source.Get() : recordSource;
        Orv::ComPtr<IUnknown> data;
        if (!source || FAILED(source->GetChannelData(0, static_cast<int32_t>(index), data.Put())) || !data ||
            !(channels[index] = data.As<IEnumFloatEx>(IID_IEnumFloatEx)))
            throw std::runtime_error("the data source gives no samples for channel " + std::to_string(index + 1));
    }
    return channels;
}

HRESULT STDMETHODCALLTYPE DocumentAcquisition::StartRecord(uint32_t, IStrixDataSource* source, double tickPeriod,
                                                           double startTime, double, int32_t, int32_t,
                                                           int32_t startOption, VARIANT_BOOL)
{
    if (!WhyNotSampling().empty() || !(tickPeriod > 0.0))
        return E_FAIL;
    return Orv::CatchReturn([&]() -> HRESULT {
        auto channels = OpenChannels(source);
        // A holder's channels come named by the document it holds samples of.
        if (recording_.RecordCount() == 0 && recording_.Channels().size() != declared_.size())
        {
            std::vector<ChannelInfo> named;
            for (size_t index = 0; index < declared_.size(); ++index)
                named.push_back({"Channel " + std::to_string(index + 1), "V"});
            recording_.DeclareChannels(std::move(named));
        }
        recording_.AddRecord(tickPeriod);
        channels_ = std::move(channels);
        recordOpen_ = true;
        startTime_ = startTime;
        startOption_ = startOption;
        document_.AcquisitionStarted(static_cast<int32_t>(recording_.RecordCount() - 1));
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE DocumentAcquisition::AddTicks(int32_t count)
{
    if (!recordOpen_)
        return E_UNEXPECTED;
    if (count < 0)
        return E_INVALIDARG;
    if (count == 0)
        return S_OK;
    return Orv::CatchReturn([&]() -> HRESULT {
        std::vector<std::vector<float>> samples(channels_.size(), std::vector<float>(static_cast<size_t>(count), 0.0f));
        for (size_t index = 0; index < channels_.size(); ++index)
        {
            int32_t fetched = 0;
            if (channels_[index] && (FAILED(channels_[index]->Next(count, samples[index].data(), &fetched)) || fetched != count))
                return E_FAIL;
        }
        std::vector<std::span<const float>> rows(samples.begin(), samples.end());
        recording_.RecordAt(recording_.RecordCount() - 1).Append(rows);
        document_.AcquisitionData();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE DocumentAcquisition::QueryStop(uint32_t, int32_t* value)
{
    return Orv::AnswerValue(value, int32_t{0});
}

HRESULT STDMETHODCALLTYPE DocumentAcquisition::StopSampling(VARIANT_BOOL)
{
    if (!recordOpen_)
        return S_FALSE;
    return Orv::CatchReturn([&] {
        Record& record = recording_.RecordAt(recording_.RecordCount() - 1);
        record.MarkComplete();
        channels_.clear();
        recordOpen_ = false;
        document_.AcquisitionStopped(static_cast<int32_t>(recording_.RecordCount() - 1),
                                     static_cast<int32_t>(record.Length()));
    });
}

} // namespace Host
