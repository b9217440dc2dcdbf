#include "document/analysis/PeakHeightInChannelUnit.h"

#include "document/calibration/RecordedUnits.h"
#include "hostframework/services/HostDataAccess.h"

#include <cmath>

namespace Sistra
{

double ChannelPeakHeightScale(IHostDocument* host, int32_t channel)
{
    Orv::PrefixedUnit unit;
    return ReadChannelUnits(host, channel, 0, unit) ? PeakHeightScale(unit) : 1.0;
}

PeakHeightInChannelUnit::PeakHeightInChannelUnit(const ModelPropertyReader& setup, double scale) : setup_(setup)
{
    // A marker for a missing number stays what it is: the setup's checks refuse it by its bits.
    if (const double* kept = setup.GetDouble(AnalysisProperty::PeakHeight))
        height_ = std::isfinite(*kept) ? *kept * scale : *kept;
}

const double* PeakHeightInChannelUnit::GetDouble(int32_t id) const
{
    if (id != AnalysisProperty::PeakHeight)
        return setup_.GetDouble(id);
    return height_ ? &*height_ : nullptr;
}

} // namespace Sistra
