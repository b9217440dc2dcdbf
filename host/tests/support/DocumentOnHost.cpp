// The module's document on a host document, and the recording of a steady ventricle, for the module's
// tests: the host's own test fixtures behind the seam.
#include "host/tests/support/StandInConcrete.h"

#include "host/tests/module/DocumentOnHost.h"

namespace StandInHost
{

struct DocumentOnHost::Concrete
{
    Concrete(const Recording& recording, bool sampling, bool online, std::vector<std::string> calculated)
        : document(recording.Get().recording, sampling, online, std::move(calculated)),
          host(std::make_unique<HostDocument::Concrete>(
              HostDocument::Concrete{Orv::ComPtr<Host::HostDocument>(&document.Host())}))
    {
    }

    HostTests::DocumentOnHost document;
    HostDocument host;
};

DocumentOnHost::DocumentOnHost(const Recording& recording, bool sampling, bool online,
                               std::vector<std::string> calculated)
    : concrete_(std::make_unique<Concrete>(recording, sampling, online, std::move(calculated)))
{
}

DocumentOnHost::~DocumentOnHost() = default;

Sistra::SistraDocument& DocumentOnHost::Document()
{
    return concrete_->document.Document();
}

HostDocument& DocumentOnHost::Host()
{
    return concrete_->host;
}

Recording SteadyVentricle(int32_t samples, double growth)
{
    return Recording(std::make_unique<Recording::Concrete>(
        Recording::Concrete{HostTests::SteadyVentricle(samples, growth)}));
}

} // namespace StandInHost
