// Cost of the change transaction of a workflow model: 1,000 commits of the setup model, each changing
// one property, with 10 observers told of every commit (PropertiesChanged, then ModelReady or
// ModelNotReady); printed as commits per second. Beside it, the cost of what a transaction must copy:
// the snapshot its first change takes (a copy of the model through its records). Prints the time of a
// commit over the time of that copy last: a commit should cost the copy and the notifications, no
// further copies of the model.
#include "document/models/ModelBase.h"
#include "document/models/ModelFactory.h"
#include "document/models/ModelMap.h"
#include "foundation/streams/BinaryStream.h"
#include "hostframework/services/HostServices.h"

#include <chrono>
#include <cstdio>
#include <sstream>
#include <vector>

namespace
{

constexpr int kCommits = 1000;
constexpr int kObservers = 10;

using Sistra::ModelPtr;

class BenchOwner final : public Sistra::ModelOwner
{
public:
    ~BenchOwner() { models.Clear(); }
    ModelPtr GetModel(int kind) override { return models.Get(kind, this, nullptr); }
    void SetModified() override {}
    bool IsLoadingSettings() const override { return false; }
    int32_t GetChannelCount() override { return 8; }
    bool ChannelDependsOnAnalysis(int32_t) override { return false; }

    Sistra::ModelMap models;
};

// Counts what it is told; lives on the stack.
class CountingObserver final : public IObserver
{
public:
    ~CountingObserver() { SubjectManagerAccessor::Get()->ForgetObserver(this); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE RegisterEvents(ISubject*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Notify(ISubject*, ULONG, ULONG_PTR, void*) override
    {
        ++notifications;
        return S_OK;
    }
    long notifications = 0;
};

template <class Body>
double Seconds(Body body)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point begin = Clock::now();
    body();
    return std::chrono::duration<double>(Clock::now() - begin).count();
}

size_t RecordBytes(const Sistra::Model& model)
{
    std::stringbuf full;
    std::stringbuf settings;
    {
        Orv::BinOStream out(&full);
        model.Save(out);
        Orv::BinOStream settingsOut(&settings);
        model.SaveSettings(settingsOut);
    }
    return full.str().size() + settings.str().size();
}

} // namespace

int main()
{
    if (!SubjectManagerAccessor::Get())
    {
        std::fprintf(stderr, "model_commit_bench: the framework's subject manager is not reachable\n");
        return 1;
    }
    BenchOwner owner;
    const ModelPtr setup = owner.GetModel(Sistra::ModelKind::WorkflowSetup);
    setup->SetEcgEventSource(L"cmpeakdet(shift(ch3, -0.01), 0.5, 0.05)");
    setup->CommitChanges();
    std::vector<CountingObserver> observers(kObservers);
    for (CountingObserver& observer : observers)
        setup->AddObserver(&observer);

    int committed = 0;
    const double commitSeconds = Seconds([&] {
        for (int i = 0; i < kCommits; ++i)
        {
            setup->SetMinimumPeakHeight(20.0 + (i % 2 == 0 ? 1.0 : 0.0));
            committed += setup->CommitChanges() ? 1 : 0;
        }
    });

    const ModelPtr snapshot =
        Sistra::ModelClassObjBase::CreateModel(Sistra::ModelKind::WorkflowSetup, &owner, Sistra::ModelRole::Snapshot);
    const double copySeconds = Seconds([&] {
        for (int i = 0; i < kCommits; ++i)
            snapshot->CopyFrom(setup.get());
    });

    long told = 0;
    for (const CountingObserver& observer : observers)
        told += observer.notifications;
    std::printf("setup model, %d observers, %zu record bytes copied per snapshot\n", kObservers, RecordBytes(*setup));
    std::printf("commits that changed a value: %d of %d; observers told %ld times (2 per commit each)\n", committed,
                kCommits, told);
    std::printf("commit:        %8.2f us   (%.0f commits per second)\n", 1e6 * commitSeconds / kCommits,
                kCommits / commitSeconds);
    std::printf("snapshot copy: %8.2f us\n", 1e6 * copySeconds / kCommits);
    std::printf("commit / snapshot copy: %.2f\n", commitSeconds / copySeconds);
    return committed == kCommits && told == 2L * kCommits * kObservers ? 0 : 1;
}
