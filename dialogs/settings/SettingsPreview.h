// The settings dialog's "Preview of detected loops": the pressure channel of the setup model, with the
// end-diastolic and end-systolic points that the model's detector settings find marked over it. It
// follows every change of the model, and compiles the detectors again only when their texts change.
#pragma once

#include "dialogs/settings/DataPreviewBase.h"

#include "hostframework/messaging/EventHandlers.h"
#include "hostframework/messaging/EventMaps.h"

namespace Sistra
{

class SettingsPreview : public DataPreviewBase, public ISistraSetupDlgPreview, public VyrCppEventHandler
{
public:
    SettingsPreview() = default;
    ~SettingsPreview() override;

    void SetModel(ModelPtr model, SistraDocument* document) override;

protected:
    void BuildDrawers() override;
    HostItemId GetReferenceChannel() override;
    void GetExpressions(std::vector<Orv::String>& expressions) override;
    void GetTraceUnits(std::vector<TraceUnit>& units) override;
    std::optional<double> HostSamplesPerPixel() const override;

private:
    void OnModelChanged() { Update(); }
    int32_t PressureChannel() const;

    SistraDocument* document_ = nullptr;
    ModelPtr model_;

    VYR_DECLARE_EVENT_MAP()
};

} // namespace Sistra
