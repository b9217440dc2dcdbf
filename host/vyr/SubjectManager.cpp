#include "SubjectManager.h"

#include <algorithm>

namespace Vyr
{

HRESULT SubjectManager::Subscribe(const Subscription& subscription)
{
    return Guarded([&]() -> HRESULT {
        if (!subscription.subject || !subscription.observer)
            return E_POINTER;
        std::lock_guard guard(lock_);
        if (std::find(subscriptions_.begin(), subscriptions_.end(), subscription) != subscriptions_.end())
            return S_FALSE;
        subscriptions_.push_back(subscription);
        return S_OK;
    });
}

template <class Predicate>
HRESULT SubjectManager::RemoveWhere(Predicate predicate)
{
    std::lock_guard guard(lock_);
    const auto removed = std::erase_if(subscriptions_, predicate);
    return removed ? S_OK : S_FALSE;
}

bool SubjectManager::IsSubscribed(ISubject* subject, IObserver* observer, ULONG eventId)
{
    std::lock_guard guard(lock_);
    return std::any_of(subscriptions_.begin(), subscriptions_.end(), [&](const Subscription& s) {
        return s.subject == subject && s.observer == observer && s.Covers(eventId);
    });
}

HRESULT STDMETHODCALLTYPE SubjectManager::AddObserver(ISubject* subject, IObserver* observer)
{
    return Subscribe({subject, observer, true, 0});
}

HRESULT STDMETHODCALLTYPE SubjectManager::AddObserverForEvent(ISubject* subject, IObserver* observer, ULONG eventId,
                                                              ULONG)
{
    return Subscribe({subject, observer, false, eventId});
}

HRESULT STDMETHODCALLTYPE SubjectManager::RemoveObserver(ISubject* subject, IObserver* observer)
{
    return RemoveWhere([&](const Subscription& s) { return s.subject == subject && s.observer == observer; });
}

HRESULT STDMETHODCALLTYPE SubjectManager::ForgetSubject(ISubject* subject)
{
    return RemoveWhere([&](const Subscription& s) { return s.subject == subject; });
}

HRESULT STDMETHODCALLTYPE SubjectManager::ForgetObserver(IObserver* observer)
{
    return RemoveWhere([&](const Subscription& s) { return s.observer == observer; });
}

HRESULT STDMETHODCALLTYPE SubjectManager::Notify(ISubject* subject, ULONG eventId, void* data)
{
    return Guarded([&]() -> HRESULT {
        if (!subject)
            return E_POINTER;
        // Observers are called without the lock held, since they may subscribe, unsubscribe or die while
        // they handle the event; each one is called once, and only while it is still subscribed.
        std::vector<IObserver*> observers;
        {
            std::lock_guard guard(lock_);
            for (const Subscription& s : subscriptions_)
                if (s.subject == subject && s.Covers(eventId) &&
                    std::find(observers.begin(), observers.end(), s.observer) == observers.end())
                    observers.push_back(s.observer);
        }
        for (IObserver* observer : observers)
            if (IsSubscribed(subject, observer, eventId))
                observer->Notify(subject, eventId, 0, data);
        return S_OK;
    });
}

} // namespace Vyr
