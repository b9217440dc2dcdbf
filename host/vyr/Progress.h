// The host's progress indicators. Nobody watches them in a batch run: the stand-in records how they
// went, answers "cancelled" from a scripted percent on, or at once after a cancel request (Ctrl+C), and
// draws a text bar on the console when asked to.
#pragma once

#include "ComObjects.h"
#include "hostapi/VyrAnalysis.h"

#include <atomic>
#include <mutex>
#include <string>

namespace Vyr
{

struct ProgressLog
{
    ULONG indicators = 0;
    ULONG updates = 0;
    LONG lastPercent = -1;
    std::wstring lastText;
};

class ProgressService final : public StaticComObject<IHostProgressService, &IID_IHostProgressService>
{
public:
    HRESULT STDMETHODCALLTYPE CreateIndicator(ULONG kind, const WCHAR* title, const WCHAR* text, const WCHAR* detail,
                                              ULONG style, IHostProgress** progress) override;

    // Updates at or past percent are answered "cancelled"; a negative percent cancels none.
    void ScriptCancelAt(LONG percent);
    // Every later update is answered "cancelled" (safe from any thread).
    void RequestCancel() { cancelRequested_ = true; }
    void ShowOnConsole(bool show) { console_ = show; }
    void SetAvailable(bool available) { available_ = available; }
    ProgressLog Log();

    void Text(const WCHAR* text);
    HRESULT Update(LONG percent);

private:
    std::mutex lock_;
    ProgressLog log_;
    LONG cancelAt_ = -1;
    std::atomic<bool> cancelRequested_{false};
    std::atomic<bool> console_{false};
    std::atomic<bool> available_{true};
};

} // namespace Vyr
