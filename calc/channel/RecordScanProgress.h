// How far a run over the records of a recording is, and the host's indicator that shows it to the user,
// through which the user can stop the run.
#pragma once

#include "hostapi/VyrAnalysis.h"
#include "foundation/com/ComPtr.h"

#include <cstdint>
#include <functional>

namespace Sistra
{

// The record a run is at, of how many in the recording, and the share of the whole run done (0 to 1).
struct ScanStep
{
    int32_t record = 0;
    int32_t records = 0;
    double done = 0.0;
};
// Told every step of a run; false stops the run.
using ScanProgress = std::function<bool(const ScanStep&)>;

// The host's progress indicator over a run, made at the run's first step: a run with nothing to do shows
// none. Without an indicator from the host the run goes on to its end.
class RecordScanIndicator
{
public:
    explicit RecordScanIndicator(const wchar_t* title) : title_(title) {}

    // Shows the step; false once the user has cancelled.
    bool Show(const ScanStep& step);
    // A watcher for the run that shows its steps here; the indicator must outlive the run.
    ScanProgress Watcher()
    {
        return [this](const ScanStep& step) { return Show(step); };
    }

private:
    const wchar_t* title_;
    Orv::ComPtr<IHostProgress> indicator_;
    bool made_ = false;
    int32_t shownRecord_ = -1;
};

} // namespace Sistra
