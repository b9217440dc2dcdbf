// The host's trace-display preferences as the views of a document read them (IHostViewSettings): whether
// graphs show their grid, its colour and style, the trace colour. A document starts with what a host
// nobody configured shows: a grid of dotted lines in the first of the host's grid colours.
#pragma once

#include "host/vyr/ComObjects.h"
#include "hostapi/VyrServices.h"

#include <map>
#include <mutex>
#include <optional>

namespace Host
{

class DocumentDisplaySettings final : public Vyr::DelegatingFace<IHostViewSettings>
{
public:
    // The index of the host's grid colour (IHostGridColours) that grids are drawn in by default.
    static constexpr LONG DefaultGridColour = 0;

    explicit DocumentDisplaySettings(IUnknown* document);
    DocumentDisplaySettings(const DocumentDisplaySettings&) = delete;
    DocumentDisplaySettings& operator=(const DocumentDisplaySettings&) = delete;

    // A preference by its setting id (HostDisplaySetting); none for an id the host does not keep.
    std::optional<LONG> Value(ULONG id) const;
    // Changes a preference the host keeps; false for an id it does not.
    bool Change(ULONG id, LONG value);

    // S_FALSE for an id the host does not keep, the value untouched, as for a setting never written.
    HRESULT STDMETHODCALLTYPE GetInteger(IHostSettingKey* key, LONG* value) override;
    HRESULT STDMETHODCALLTYPE GetBoolean(IHostSettingKey* key, VARIANT_BOOL* value) override;

private:
    HRESULT Read(IHostSettingKey* key, LONG* value) const;

    mutable std::mutex lock_;
    std::map<ULONG, LONG> values_;
};

} // namespace Host
