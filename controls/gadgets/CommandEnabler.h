// The module's answer object for the host's question whether a command is enabled, and the bridge that
// puts a host command handler's answer onto an OWL command enabler.
#pragma once

#include "hostapi/OrvStringInterfaces.h"
#include "hostapi/VyrMessaging.h"
#include "foundation/text/String.h"
#include "platform/owl/window/CommandEnabler.h"

namespace Vyr
{

class CommandEnabler : public IVyrCommandEnabler
{
public:
    // An enabler on the stack outlives every reference the host takes during one query and is never
    // deleted through Release; one on the heap is deleted when its last reference goes.
    enum class Lifetime
    {
        Scoped,
        Counted,
    };

    explicit CommandEnabler(ULONG tag, Lifetime lifetime = Lifetime::Scoped) : tag_(tag), lifetime_(lifetime) {}
    virtual ~CommandEnabler() = default;
    CommandEnabler(const CommandEnabler&) = delete;
    CommandEnabler& operator=(const CommandEnabler&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE SetText(IAutoOrvString* text) override;
    HRESULT STDMETHODCALLTYPE Enable(VARIANT_BOOL enable) override;
    HRESULT STDMETHODCALLTYPE SetState(ULONG bits, ULONG mask) override;
    HRESULT STDMETHODCALLTYPE GetTag(ULONG reserved, ULONG* tag) override;

    const Orv::String& Text() const { return text_; }
    void DropText() { text_ = Orv::String(); }
    ULONG State() const { return state_; }
    bool Enabled() const { return enabled_; }

private:
    LONG references_ = 0;
    Orv::String text_;
    ULONG state_ = 0;
    bool enabled_ = false;
    ULONG tag_;
    Lifetime lifetime_;
};

// Asks the host command handler (none: the command is disabled with an empty text) and applies its
// answer to the OWL enabler.
void EnableFromHost(IVyrCommandUpdater* handler, OWL::TCommandEnabler& enabler);

} // namespace Vyr
