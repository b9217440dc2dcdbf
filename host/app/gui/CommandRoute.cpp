#include "host/app/gui/CommandRoute.h"

#include "foundation/com/OwnerKept.h"

namespace Host
{

namespace
{

// The host's command state as a handler's enabler fills it in: through its state word (0xFFFF enabled)
// or through the enabler face (enable, check bits, text). Lives on the asking frame's stack for the one
// query.
class CommandEnablerAnswer final : public Orv::OwnerKept<IVyrCommandState, IVyrCommandEnabler>
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IVyrCommandEnabler))
            *object = static_cast<IVyrCommandEnabler*>(this);
        else if (IsEqualIID(iid, IID_IUnknown))
            *object = static_cast<IVyrCommandState*>(this);
        else
            return *object = nullptr, E_NOINTERFACE;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetState(ULONG* state) override
    {
        return state ? (*state = answer.enabled ? VyrCommandStateValue::Enabled : 0, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE SetState(ULONG state) override
    {
        answer.enabled = (state & VyrCommandStateValue::Enabled) == VyrCommandStateValue::Enabled;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetText(IAutoOrvString* text) override
    {
        BSTR copy = nullptr;
        if (text && SUCCEEDED(text->GetBSTR(&copy)) && copy)
            answer.text = copy;
        SysFreeString(copy);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Enable(VARIANT_BOOL enable) override
    {
        answer.enabled = enable != VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetState(ULONG bits, ULONG mask) override
    {
        if (mask & VyrCommandBits::Checked)
            answer.checked = (bits & VyrCommandBits::Checked) != 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTag(ULONG, ULONG* tag) override { return tag ? (*tag = 0, S_OK) : E_POINTER; }

    CommandAnswer answer;
};

} // namespace

CommandRoute::CommandRoute(IUnknown* activeView, IUnknown* document, IVyrCommandRegistration* owner)
    : owner_(owner)
{
    for (IUnknown* object : {activeView, document})
    {
        Orv::ComPtr<IVyrCommandHandler> handler;
        if (object && SUCCEEDED(object->QueryInterface(IID_IVyrCommandHandler, handler.PutVoid())) && handler)
            handlers_.push_back(handler);
    }
}

CommandAnswer CommandRoute::Query(ULONG commandId) const
{
    for (const auto& handler : handlers_)
    {
        CommandEnablerAnswer state;
        if (handler->QueryState(commandId, &state) == S_OK)
        {
            state.answer.answered = true;
            return state.answer;
        }
    }
    CommandAnswer answer;
    ULONG state = 0;
    if (owner_ && owner_->QueryCommandState(commandId, &state) == S_OK)
    {
        answer.answered = true;
        answer.enabled = state == VyrCommandStateValue::Enabled;
    }
    return answer;
}

bool CommandRoute::Execute(ULONG commandId) const
{
    for (const auto& handler : handlers_)
        if (handler->Execute(commandId) == S_OK)
            return true;
    return owner_ && owner_->ExecuteCommand(commandId) == S_OK;
}

bool CommandRoute::Invoke(ULONG commandId, ULONG kind, ULONG_PTR first, ULONG_PTR second) const
{
    for (const auto& handler : handlers_)
        if (handler->Invoke(commandId, kind, first, second) == S_OK)
            return true;
    return false;
}

} // namespace Host
