// What the settings preview runs, apart from its window: the detector texts that the setup model's
// settings make, and the two temporary calculated channels of the host document that run them (the
// end-diastolic points, and the end-systolic points found from those). Texts are compiled again only
// when they or their units changed, since each compile costs the host a pass over the recording.
#pragma once

#include "calc/engine/ExpressionText.h"
#include "foundation/com/ComPtr.h"
#include "foundation/text/String.h"
#include "hostapi/HostDocument.h"

#include <cstdint>
#include <vector>

namespace Sistra
{

// The unit of a trace: a kind word, a prefix code (1 or 8: none) and the unit's name.
struct TraceUnit
{
    uint32_t kind = 0;
    int32_t prefixCode = 1;
    Orv::String name;
};
// Equal: both names empty, or equal names, kinds and prefix codes (1 and 8 both meaning no prefix).
bool SameTraceUnit(const TraceUnit& a, const TraceUnit& b);
// The prefix letter of the code, then the name.
Orv::String TraceUnitText(const TraceUnit& unit);

// The preview's texts in channel order: the end-diastolic detector over the whole recording; then the
// maximum detector over the events of the first channel (named firstChannel in texts), empty when
// end-diastole comes from ECG events.
std::vector<Orv::String> SettingsPreviewExpressions(const ModelPropertyReader& setup, const Orv::String& firstChannel);
// The units of the two channels: "Pressure" and "Volume", without prefix.
std::vector<TraceUnit> SettingsPreviewUnits();

class PreviewChannels
{
public:
    static constexpr int Count = 2;
    static constexpr double DisplayTop = 10.0;
    static constexpr double DisplayBottom = -10.0;

    enum class Applied
    {
        Unchanged,
        Compiled,
        Failed,
    };

    // hostDocument outlives the channels.
    explicit PreviewChannels(IUnknown* hostDocument);
    // Takes the channels it made out of the document again.
    ~PreviewChannels();
    PreviewChannels(const PreviewChannels&) = delete;
    PreviewChannels& operator=(const PreviewChannels&) = delete;

    // Makes the two channels the first time; false when the host makes none.
    bool Make();
    bool Made() const { return ids_.size() == Count; }
    // How texts name channel i: "vch" and its number.
    Orv::String TextName(int channel) const;
    const std::vector<HostItemId>& Ids() const { return ids_; }

    // Whether both lists equal the last applied ones.
    bool IsApplied(const std::vector<Orv::String>& texts, const std::vector<TraceUnit>& units) const;
    // Gives channel i the calculation of texts[i] with units[i] (an empty text clears it); nothing when
    // both lists equal the last applied. Failed when the host refuses a text: the lists are then not
    // kept, so that the next application tries again.
    Applied Apply(const std::vector<Orv::String>& texts, const std::vector<TraceUnit>& units);
    // Why the host refused a text at the last failed application, as the host states it; empty when it
    // states nothing.
    const Orv::String& Refusal() const { return refusal_; }

private:
    Orv::ComPtr<IHostDocument> document_;
    std::vector<HostItemId> ids_;
    std::vector<Orv::String> names_;
    std::vector<Orv::String> lastTexts_;
    std::vector<TraceUnit> lastUnits_;
    Orv::String refusal_;
};

} // namespace Sistra
