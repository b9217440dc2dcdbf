// The process-wide keeper of every subject's observers.
#pragma once

#include "ComObjects.h"
#include "hostapi/VyrMessaging.h"

#include <mutex>
#include <vector>

namespace Vyr
{

// Holds no references: subjects and observers tell the manager to forget them when they die.
class SubjectManager final : public StaticComObject<ISubjectManager, &IID_ISubjectManager>
{
public:
    HRESULT STDMETHODCALLTYPE AddObserver(ISubject* subject, IObserver* observer) override;
    HRESULT STDMETHODCALLTYPE RemoveObserver(ISubject* subject, IObserver* observer) override;
    HRESULT STDMETHODCALLTYPE Notify(ISubject* subject, ULONG eventId, void* data) override;
    HRESULT STDMETHODCALLTYPE AddObserverForEvent(ISubject* subject, IObserver* observer, ULONG eventId,
                                                  ULONG flags) override;
    HRESULT STDMETHODCALLTYPE ForgetSubject(ISubject* subject) override;
    HRESULT STDMETHODCALLTYPE ForgetObserver(IObserver* observer) override;

private:
    struct Subscription
    {
        ISubject* subject;
        IObserver* observer;
        bool allEvents;
        ULONG eventId;

        bool Covers(ULONG id) const { return allEvents || eventId == id; }
        bool operator==(const Subscription&) const = default;
    };

    HRESULT Subscribe(const Subscription& subscription);
    bool IsSubscribed(ISubject* subject, IObserver* observer, ULONG eventId);
    template <class Predicate>
    HRESULT RemoveWhere(Predicate predicate);

    std::mutex lock_;
    std::vector<Subscription> subscriptions_;
};

} // namespace Vyr
