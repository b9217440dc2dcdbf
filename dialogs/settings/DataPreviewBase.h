// A live trace preview over a dialog's placeholder: the host's recording in a preview window with
// buttons, and calculation texts run as temporary calculated channels of the host document whose
// events the window marks. What the texts, their units and the drawers are is the concrete
// preview's business; the base compiles the texts again only when they or their units changed.
#pragma once

#include "dialogs/settings/DataPreview.h"
#include "dialogs/settings/SettingsPreviewData.h"

#include "foundation/com/ComPtr.h"
#include "foundation/text/String.h"

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace StrixDraw
{
class PreviewDataWinWButtons;
}

namespace Sistra
{

class DataPreviewBase : public IDataPreview
{
public:
    // The window's samples per pixel: the first of this series that shows the host's selection across
    // about this many pixels; without a selection the first at or above what the host's own view of the
    // data shows, else 1.
    static constexpr double SelectionPixels = 400.0;

    DataPreviewBase() = default;
    ~DataPreviewBase() override;
    DataPreviewBase(const DataPreviewBase&) = delete;
    DataPreviewBase& operator=(const DataPreviewBase&) = delete;

    void Attach(IUnknown* hostDocument, IUnknown* hostData, OWL::TWindow* owner) override;
    void ShowAt(int unused, int placeholderId) override;
    void Refresh() override { Update(); }
    virtual void Update();

    StrixDraw::PreviewDataWinWButtons* Window() const { return window_; }
    // The calculated channels that run the texts, made on first use; null before Attach.
    PreviewChannels* Channels();
    // How often the texts went to the host's calculation engine and all compiled.
    int Rebuilds() const { return rebuilds_; }
    // The colours the drawers were last given.
    COLORREF GridColour() const { return gridColour_; }
    COLORREF TraceColour() const { return traceColour_; }

protected:
    virtual void CreatePreviewWindow(int value);
    // A null range leaves the axis as it is unless the window scales it to its data.
    virtual void SetAxisRange(bool secondAxis, const std::pair<double, double>* range);
    virtual void ApplyAxisRange(bool secondAxis, double low, double high);
    virtual void ApplyExpressions(const std::vector<Orv::String>& expressions, const std::vector<TraceUnit>& units);
    virtual void ReadDisplaySettings();
    virtual void OnBeforeCompile() {}
    // A text that does not compile leaves the preview empty, and the next change of the settings tries
    // again: the title, the text and the host's own reason (detail) of the refusal.
    virtual void ReportExpressionError(const Orv::String& title, const Orv::String& text, const Orv::String& detail);
    virtual void OnExpressionCompiled() {}
    virtual void BuildDrawers() = 0;
    virtual HostItemId GetReferenceChannel() = 0;
    virtual void GetExpressions(std::vector<Orv::String>& expressions) = 0;
    virtual void GetTraceUnits(std::vector<TraceUnit>& units) = 0;

    IUnknown* HostDocument() const { return hostDocument_.Get(); }
    // The samples per pixel of the host's own view of the data; none without one.
    virtual std::optional<double> HostSamplesPerPixel() const { return std::nullopt; }
    // The range of the channel's values over the data the window shows; null without data.
    std::optional<std::pair<double, double>> ShownRange(LONG channel) const;

private:
    // Pauses the window's live data and greys its controls while the texts are replaced; the
    // destructor puts both back.
    class Rebuilding;

    double PreviewStep(LONGLONG& start) const;
    void AttachSamplingSource();

    Orv::ComPtr<IUnknown> hostDocument_;
    Orv::ComPtr<IUnknown> hostData_;
    StrixDraw::PreviewDataWinWButtons* window_ = nullptr;
    OWL::TWindow* owner_ = nullptr;
    Orv::ComPtr<IUnknown> previewData_;
    std::unique_ptr<PreviewChannels> channels_;
    COLORREF gridColour_ = 0;
    COLORREF traceColour_ = 0;
    int rebuilds_ = 0;
};

} // namespace Sistra
