#include "platform/owl/Application.h"

#include <atomic>

namespace OWL
{

namespace
{

std::atomic<TApplication*> current{nullptr};

} // namespace

TApplication::TApplication(const wchar_t* name, HINSTANCE instance)
    : TModule(name, instance), language_(GetUserDefaultUILanguage()), previous_(current.exchange(this))
{
}

TApplication::~TApplication()
{
    TApplication* self = this;
    current.compare_exchange_strong(self, previous_);
}

TApplication* TApplication::Current()
{
    return current.load();
}

} // namespace OWL
