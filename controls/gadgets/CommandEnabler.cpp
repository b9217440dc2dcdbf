#include "controls/gadgets/CommandEnabler.h"

#include "foundation/com/ComFace.h"

namespace Vyr
{

HRESULT CommandEnabler::QueryInterface(REFIID iid, void** out)
{
    return Orv::QueryOneFace(static_cast<IVyrCommandEnabler*>(this), iid, out, IID_IVyrCommandEnabler);
}

ULONG CommandEnabler::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG CommandEnabler::Release()
{
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0 && lifetime_ == Lifetime::Counted)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT CommandEnabler::SetText(IAutoOrvString* text)
{
    text_ = Orv::String::FromInterface(text);
    return S_OK;
}

HRESULT CommandEnabler::Enable(VARIANT_BOOL enable)
{
    enabled_ = enable != 0;
    return S_OK;
}

HRESULT CommandEnabler::SetState(ULONG bits, ULONG mask)
{
    state_ = (state_ & ~mask) | bits;
    return S_OK;
}

HRESULT CommandEnabler::GetTag(ULONG, ULONG* tag)
{
    if (tag)
        *tag = tag_;
    return S_OK;
}

void EnableFromHost(IVyrCommandUpdater* handler, OWL::TCommandEnabler& enabler)
{
    CommandEnabler answer(1);
    if (handler)
        handler->Update(&answer, 0);
    enabler.Enable(answer.Enabled());
    enabler.SetText(answer.Text().c_str());
    answer.DropText();
}

} // namespace Vyr
