// The document's side of the host's analysis manager: it registers the module under its name, clears
// its analysis, re-applies its calibrations and reports its region when the manager asks, and tells the
// manager when its settings change.
#pragma once

#include "hostapi/VyrAnalysis.h"
#include "foundation/com/ComPtr.h"

#include <ocidl.h>

namespace AnalysisManager
{

// The manager of the host document object; E_POINTER without one, E_FAIL when it has none.
HRESULT GetAnalysisManager(IUnknown* hostDocument, IAnalysisManager** manager);

// The title the module registers under.
const wchar_t* GetClientTitle();
inline const wchar_t* GetClientName()
{
    return L"Sistra";
}

// The type of persister the client asks its document for: one that saves into a stream.
constexpr ULONG StreamPersisterType = 2;

// Document supplies: HostDocumentObject(), GetPersister(kind, type, reserved, out), IsPersistenceActive(), AnalysedRegion(start, end),
// OnClearAnalysisMsg() and ReapplyCalibrationsAndAnalyse().
template <class Document>
class AnalysisClientBase
{
public:
    virtual ~AnalysisClientBase() = default;

    // True when a settings persister was registered with the manager.
    virtual bool Register()
    {
        manager_ = nullptr;
        if (FAILED(GetAnalysisManager(Self().HostDocumentObject(), manager_.Put())) || !manager_)
            return false;
        manager_->RegisterClient(GetClientName(), GetClientTitle(), &clientId_);
        bool registered = false;
        for (const ULONG flavour : {0u, 1u})
        {
            Orv::ComPtr<IUnknown> persister;
            Orv::ComPtr<IPersistStreamInit> stream;
            if (Self().GetPersister(flavour, StreamPersisterType, nullptr, persister.Put()) != S_OK || !persister ||
                FAILED(persister->QueryInterface(IID_IPersistStreamInit, stream.PutVoid())))
                continue;
            const VARIANT_BOOL dirty = stream->IsDirty() == S_OK ? VARIANT_TRUE : VARIANT_FALSE;
            registered |= SUCCEEDED(manager_->RegisterPersister(clientId_, static_cast<LONG>(flavour), stream.Get(), dirty));
        }
        return registered;
    }
    virtual HRESULT ReportRegion(ULONG_PTR argument)
    {
        if (!Guard())
            return S_OK;
        uint64_t start = 0, end = 0;
        Self().AnalysedRegion(start, end);
        return manager_->TakeRegion(clientId_, argument, start, end);
    }
    virtual HRESULT OnClearRequest(ULONG_PTR)
    {
        if (!Guard())
            return 0;
        VARIANT_BOOL linked = VARIANT_FALSE;
        const HRESULT asked = manager_->IsLinked(clientId_, &linked);
        if (SUCCEEDED(asked) && linked)
            return Self().OnClearAnalysisMsg();
        return asked;
    }
    virtual HRESULT OnCalibrationRequest(ULONG_PTR)
    {
        if (Guard() && IsLinked())
            Self().ReapplyCalibrationsAndAnalyse();
        return S_OK;
    }

    void NotifySettingsChanged()
    {
        if (Guard() && IsLinked())
            manager_->SettingsChanged(clientId_);
    }

    LONG ClientId() const { return clientId_; }

private:
    Document& Self() { return static_cast<Document&>(*this); }
    bool Guard() { return manager_ && clientId_ >= 0 && Self().IsPersistenceActive(); }
    // A failed question counts as "not linked".
    bool IsLinked()
    {
        VARIANT_BOOL linked = VARIANT_FALSE;
        return SUCCEEDED(manager_->IsLinked(clientId_, &linked)) && linked;
    }

    Orv::ComPtr<IAnalysisManager> manager_;
    LONG clientId_ = -1;
};

} // namespace AnalysisManager
