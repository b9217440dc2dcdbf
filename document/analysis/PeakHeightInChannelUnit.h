// The pressure peak detector's least peak height as its calculation text must give it. The setup keeps the
// height in mmHg (PeakHeightUnit), the same pressure whatever unit the pressure channel shows; the detector
// reads the channel's samples in the channel's shown unit without its prefix (pascals on a kPa channel), so
// the text carries the height in that unit: 20 mmHg is 2666.4 on a kPa channel, 27.2 on a cmH2O one.
#pragma once

#include "calc/engine/ExpressionText.h"
#include "hostapi/HostDocument.h"

#include <optional>

namespace Sistra
{

// What one unit of the kept height is in the unit the host shows the channel in (its first record),
// without the prefix; 1 where the host tells no unit or the unit is no pressure.
double ChannelPeakHeightScale(IHostDocument* host, int32_t channel);

// The setup as the detector's text must read it: the least peak height times scale (ChannelPeakHeightScale
// of the pressure channel), every other property as the setup gives it. The setup must outlive this reader.
class PeakHeightInChannelUnit final : public ModelPropertyReader
{
public:
    PeakHeightInChannelUnit(const ModelPropertyReader& setup, double scale);

    const int32_t* GetInt(int32_t id) const override { return setup_.GetInt(id); }
    const double* GetDouble(int32_t id) const override;
    const bool* GetBool(int32_t id) const override { return setup_.GetBool(id); }
    const int32_t* GetChannel(int32_t id) const override { return setup_.GetChannel(id); }
    const Orv::String* GetText(int32_t id) const override { return setup_.GetText(id); }
    std::optional<uint64_t> GetPosition(int32_t id) const override { return setup_.GetPosition(id); }

private:
    const ModelPropertyReader& setup_;
    std::optional<double> height_;
};

} // namespace Sistra
