// The host's progress indicator behind a long copy or transfer.
#pragma once

#include "foundation/com/ComPtr.h"
#include "hostapi/VyrAnalysis.h"
#include "tableview/transfer/TableCopy.h"

#include <memory>

namespace TableView
{

class HostCopyProgress final : public CopyProgress
{
public:
    // Null when the host makes no indicators: the copy then runs to its end.
    static std::unique_ptr<CopyProgress> Create(IUnknown* frameServices);

    bool SetPercentage(int percent) override { return m_progress->SetPercent(percent) != S_OK; }
    void SetText(const Orv::String& text) override { m_progress->SetText(text.c_str()); }

private:
    explicit HostCopyProgress(Orv::ComPtr<IHostProgress> progress) : m_progress(std::move(progress)) {}

    Orv::ComPtr<IHostProgress> m_progress;
};

} // namespace TableView
