// The module's computed channel: one hemodynamic parameter of every loop plotted along the recording,
// taken from the analysis's loop or PVA events through a parameter selector.
#pragma once

#include "calc/channel/ChannelCalcBase.h"
#include "calc/channel/ChannelCalculationSettings.h"
#include "calc/channel/RecordScanProgress.h"

#include "foundation/numbers/Units.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace Sistra
{

// The document's pressure and volume factors that a selector text carries.
struct ChannelUnitFactors
{
    double pressure = 1.0;
    double volume = 1.0;
};

// The factors the document reports, through its own interface or, given the host's document, through
// the module's document on it; 1 and 1 without either.
ChannelUnitFactors ReadChannelUnitFactors(IUnknown* documentData);

// The module's document on a host document (any face of it), null when it has none. The document's
// layer installs it when the module loads.
using ModuleDocumentLookup = std::function<IUnknown*(IUnknown* hostDocument)>;
ModuleDocumentLookup& InstalledModuleDocument();

// Where the analysis of a document (any face of the host document) keeps its loops; nothing before it
// has made its calculations. The document's layer installs it when the module loads.
using AnalysisRegionLookup = std::function<std::optional<AnalysisRegion>(IUnknown* document)>;
AnalysisRegionLookup& InstalledAnalysisRegion();
// The region of the document's analysis; without one, the names the analysis registers its event
// streams under, the references unset.
AnalysisRegion AnalysisRegionOf(IUnknown* document);

// The selector text of the settings over the region of the document's analysis (which the settings then
// name) with the factors of the document's data.
Orv::String PrepareSelectorText(ChannelCalculationSettings& settings, IUnknown* documentData);

// The channel's unit from the settings' unit text: the whole text is the unit's name, without a
// prefix letter of its own.
Orv::PrefixedUnit ChannelUnitOf(const ChannelCalculationSettings& settings);

// The lowest and highest finite value that the calculation of the type yields from the text over every
// record of the document (a host document); nothing when it yields none or progress stopped the scan.
// The text is compiled once for all records; progress, when given, hears of every read.
std::optional<std::pair<float, float>> ExpressionDataRange(IUnknown* document, uint32_t calculationType,
                                                           const std::wstring& text, const ScanProgress& progress = {});

// With auto scale chosen, the settings' bottom and top become the data range of their selector text over
// the whole recording, while the host's progress indicator shows the scan and can cancel it. A recording
// without any value, or a cancelled scan, leaves every setting as it was.
void ScaleSettingsToData(ChannelCalculationSettings& settings, IUnknown* document);

class SistraChannelCalculation final : public ChannelCalcBase
{
public:
    SistraChannelCalculation(uint32_t value, IUnknown* host, uint32_t first, uint32_t second);

    // The channel's source object, the scale triple (1, 1, 0) and the host's answer to the set-up.
    HRESULT STDMETHODCALLTYPE SetUp(uint32_t parameter, uint32_t reserved, IUnknown** source, TimeBase* scale,
                                    uint32_t flag, uint32_t* word) override;
    // S_FALSE when the settings make no difference (unless forced); otherwise the range, the source and
    // the selector text are renewed and the text's calculation is handed to the channel.
    HRESULT STDMETHODCALLTYPE ApplySettings(IPersistObject* settings, int32_t force) override;
    HRESULT STDMETHODCALLTYPE SetSettings(IPersistObject* settings) override;
    // A copy of the settings; null (still S_OK) when memory runs out.
    HRESULT STDMETHODCALLTYPE CloneSettings(IPersistObject** settings) override;
    HRESULT STDMETHODCALLTYPE Refresh() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetClassName(IOrvString** name) override;

    const ChannelCalculationSettings& Settings() const { return *settings_.Get(); }
    const Orv::PrefixedUnit& Unit() const { return unit_; }
    int UnitPrefixCode() const { return unitPrefixCode_; }

private:
    Orv::ComPtr<ChannelCalculationSettings> settings_;
    Orv::PrefixedUnit unit_;
    int unitPrefixCode_ = Orv::PrefixedUnit::NoPrefixCode;
    Orv::ComPtr<IUnknown> source_;
};

} // namespace Sistra
