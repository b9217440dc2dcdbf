// One module document on a host document of a steady ventricle (pressure in channel 1, volume in
// channel 2), and the means to send it messages and read its loops.
#pragma once

#include "host/tests/RecordingFixtures.h"
#include "host/tests/module/CrossingFunction.h"

#include "calc/tests/SyntheticLoops.h"
#include "document/core/SistraDocument.h"
#include "hostframework/entry/ClassRegistration.h"
#include "hostframework/messaging/MessageSenders.h"
#include "hostframework/services/HostServices.h"
#include "hostframework/messaging/SistraIds.h"
#include "host/app/document/HostDocument.h"
#include "host/app/calc/ModuleCalcFunctions.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace HostTests
{

using Sistra::SistraDocument;

constexpr double Interval = 0.001;
// growth: how much each beat's volume grows over the one before, as a fraction of the first's; the
// channels in volts unless named (pressure first).
inline Host::Recording SteadyVentricle(int32_t samples, double growth = 0.0, std::vector<Host::ChannelInfo> channels = {})
{
    const CalcTesting::RealisticBeat beat{0.8};
    std::vector<float> pressure(static_cast<size_t>(samples)), volume(static_cast<size_t>(samples));
    for (int32_t tick = 0; tick < samples; ++tick)
    {
        pressure[static_cast<size_t>(tick)] = static_cast<float>(beat.Pressure(tick * Interval));
        const double scale = 1.0 + growth * std::floor(tick * Interval / beat.beatSeconds);
        volume[static_cast<size_t>(tick)] = static_cast<float>(beat.Volume(tick * Interval) * scale);
    }
    if (channels.empty())
        return HostTests::MakeRecording(Interval, {{pressure, volume}}, 2);
    return HostTests::MakeRecording(Interval, {{pressure, volume}}, std::move(channels));
}

struct LoopSummary
{
    int32_t tick;
    double ved;
    double sw;
    bool operator==(const LoopSummary&) const = default;
};

// One module document on one host document: the module's functions registered, the channels set and
// the document told that its host document is ready.
class DocumentOnHost
{
public:
    DocumentOnHost(const Host::Recording& recording, bool sampling, bool online,
                   std::vector<std::string> calculated = {})
        : host_(sampling ? Host::HostDocument::Sampling(recording, calculated)
                         : Host::HostDocument::Offline(recording, calculated))
    {
        Start(online);
    }
    // A document sampled from the feed, which must outlive it.
    DocumentOnHost(Host::SampleFeed& feed, bool online) : host_(Host::HostDocument::Sampling(feed))
    {
        Start(online);
    }
    ~DocumentOnHost() { document_->Close(); }

    void Notify(ULONG eventId, void* data) { document_->Notify(nullptr, eventId, 0, data); }
    void Send(USHORT number, const void* payload = nullptr)
    {
        USHORT code = 0;
        Sistra::GetDocumentMessagePrefix(&code);
        const MsgPayload0 empty;
        Orv::ComPtr<IMessage> message;
        MessageCreatorAccessor::Get()->MakeMessage(static_cast<ULONG>(code) << 16 | number, 0, 0, 0, 0,
                                                   payload ? payload : &empty, message.Put());
        document_->HandleMessage(message.Get());
    }
    std::vector<LoopSummary> Loops()
    {
        std::vector<LoopSummary> loops;
        for (uint32_t loop = 0; loop < document_->Data().GetLoopCount(); ++loop)
        {
            Sistra::SistraEvent record;
            if (document_->Data().ReadLoop(loop, record))
                loops.push_back({record.base.tick, record.ved, record.sw});
        }
        return loops;
    }
    bool RegionSet() { return document_->GetSetupModel()->GetValue<Sistra::PropertyType::Bool>(Sistra::PropertyId::RegionSet); }

    SistraDocument& Document() { return *document_; }
    Host::HostDocument& Host() { return *host_.Get(); }

private:
    void Start(bool online)
    {
        VyrRegisterStaticClassObjects();
        table_ = std::make_unique<Host::Calc::ModuleFunctionTable>(host_->Data(), framework_, host_->Unknown());
        host_->SetFunctionLookup(table_->Lookup());
        document_ = new SistraDocument(host_->Unknown(), nullptr, 0);
        holder_ = Orv::ComPtr<IUnknown>(document_->Outer());
        const Sistra::ModelPtr setup = document_->GetSetupModel();
        setup->SetPressureChannel(0);
        setup->SetVolumeChannel(1);
        setup->SetValue<Sistra::PropertyType::Int>(Sistra::PropertyId::RegionMode, 1);
        setup->SetValue<Sistra::PropertyType::Bool>(Sistra::PropertyId::OnlineMode, online);
        setup->CommitChanges();
        document_->OnAttached(0);
        Notify(VyrTypeId::StoredMessageNotification, host_->Unknown());
    }

    // The module caches the framework it finds first: the shared one must be there before anything of the
    // module runs, or a document made first in the process would load a framework of its own.
    IVyrStandIn& framework_ = HostTests::StandIn();
    Orv::ComPtr<Host::HostDocument> host_;
    std::unique_ptr<Host::Calc::ModuleFunctionTable> table_;
    SistraDocument* document_;
    Orv::ComPtr<IUnknown> holder_;
};

} // namespace HostTests
