// The document's answer to the host's stand-in for the workflow's setup pane: the choices the pane would
// make on the setup model, and the analysis results the views would read. It lives inside the document
// and counts its references on it.
#pragma once

#include "hostapi/SistraSetupPane.h"

namespace Sistra
{

class SistraDocument;

class SetupPaneSeam final : public ISistraSetupPane
{
public:
    explicit SetupPaneSeam(SistraDocument& document) : document_(document) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE SetSources(int32_t pressureChannel, int32_t volumeChannel, const WCHAR* ecgSource) override;
    HRESULT STDMETHODCALLTYPE SetDetector(double peakHeight, double minimumPeriod) override;
    HRESULT STDMETHODCALLTYPE SetRegion(LONG regionMode, VARIANT_BOOL online) override;
    HRESULT STDMETHODCALLTYPE GetLoopCount(ULONG* count) override;
    HRESULT STDMETHODCALLTYPE GetLoops(ULONG first, ULONG count, int32_t* blocks, SistraEvent* records, double* values,
                                       ULONG* read) override;
    HRESULT STDMETHODCALLTYPE GetSummary(LONG parameter, SistraParameterSummary* summary, BSTR* unit) override;
    HRESULT STDMETHODCALLTYPE GetRegression(SistraRelation relation, SistraRegression* regression) override;
    HRESULT STDMETHODCALLTYPE ApplyPressureCalibration(double raw1, double pressure1, double raw2,
                                                       double pressure2) override;
    HRESULT STDMETHODCALLTYPE ExcludeLoops(ULONG count, const ULONG* loops) override;
    HRESULT STDMETHODCALLTYPE GetSelectedLoop(LONG* loop) override;

private:
    SistraDocument& document_;
};

} // namespace Sistra
