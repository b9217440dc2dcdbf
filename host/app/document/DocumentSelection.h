// Where a module finds the host document's selection as a selection source: the selection object with
// the selected range, and a fallback that knows each channel's units while nothing is selected. The
// selection itself (IHostSelection) is kept by the document; the definitions of its operations live in
// DocumentSelection.cpp beside these faces.
#pragma once

#include "host/vyr/ComObjects.h"
#include "hostapi/HostSelectionSource.h"

namespace Host
{

class HostDocument;

// The faces live inside their document and count with it.
class DocumentSelectionSource final : public Vyr::DelegatingFace<IHostSelectionSource>
{
public:
    explicit DocumentSelectionSource(HostDocument& document);
    DocumentSelectionSource(const DocumentSelectionSource&) = delete;
    DocumentSelectionSource& operator=(const DocumentSelectionSource&) = delete;

    // The fallback face (IHostUnitsFallback) of the same document.
    IHostUnitsFallback* Fallback() { return &fallback_; }

    // A new selection object over the document's selected range; S_FALSE and none while nothing is
    // selected.
    HRESULT STDMETHODCALLTYPE GetSelectionObject(ULONG reserved, IUnknown** selection) override;
    HRESULT STDMETHODCALLTYPE GetUnitsFallback(IUnknown** fallback) override;

private:
    // Without a selected record a channel's units are those it has by default (its first record's).
    class UnitsFallback final : public Vyr::DelegatingFace<IHostUnitsFallback>
    {
    public:
        UnitsFallback(HostDocument& document);
        HRESULT STDMETHODCALLTYPE GetChannelUnits(ULONG reserved, int32_t channel, IUnitConversion** units) override;

    private:
        HostDocument& document_;
    };

    HostDocument& document_;
    UnitsFallback fallback_;
};

} // namespace Host
