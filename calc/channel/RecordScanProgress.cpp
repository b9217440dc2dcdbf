#include "calc/channel/RecordScanProgress.h"

#include "hostframework/services/HostProgress.h"
#include "hostframework/services/HostServices.h"

#include <string>

namespace Sistra
{
namespace
{
constexpr double WholePercent = 100.0;
} // namespace

bool RecordScanIndicator::Show(const ScanStep& step)
{
    if (!made_)
    {
        made_ = true;
        indicator_ = CreateProgressIndicator(HostAppAccessor::Get(), title_);
    }
    if (!indicator_)
        return true;
    if (step.record != shownRecord_)
    {
        shownRecord_ = step.record;
        const std::wstring text = L"Record " + std::to_wstring(step.record + 1) + L" of " + std::to_wstring(step.records);
        indicator_->SetText(text.c_str());
    }
    return indicator_->SetPercent(static_cast<LONG>(step.done * WholePercent)) == S_OK;
}

} // namespace Sistra
