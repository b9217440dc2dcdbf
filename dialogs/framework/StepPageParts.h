// The parts a step page owns besides its own controls: the instruction font, the bitmap buttons and
// their images, the sampling button, and its hooks in the host's message loop.
#pragma once

#include "dialogs/framework/StepPageTools.h"

#include "resources/ResourceIds.h"

#include "hostapi/VyrServices.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

namespace Gdiplus
{
class Bitmap;
}
namespace WTLControls
{
class CWtlBitmapButton;
}
namespace WTL
{
class CMessageFilter;
class CIdleHandler;
} // namespace WTL

namespace Sistra
{

class OwlSamplingButton;
class SistraDocument;

// A push button that shows a PNG image of the module.
struct StepImageButton
{
    int id;
    UINT png;
};

inline constexpr StepImageButton DetectorSettingsButton[] = {{StepControl::DetectorSettings, IDP_STEP_DETECTOR_SETTINGS}};

// Which control fills a shared role on a page.
struct StepPageLayout
{
    int samplingLabel = StepControl::SamplingLabel;
    // The unit labels show the pressure channel's unit instead of the volume channel's.
    bool pressureUnits = false;
    const StepImageButton* imageButtons = DetectorSettingsButton;
    int imageButtonCount = 1;
};

class StepPageParts
{
public:
    StepPageParts();
    ~StepPageParts();
    StepPageParts(const StepPageParts&) = delete;
    StepPageParts& operator=(const StepPageParts&) = delete;

    // Gives the page's shared controls their fonts, images and places; samplingChanged runs whenever the
    // host starts or stops sampling from the page's sampling button.
    void SetUp(HWND page, const StepPageLayout& layout, SistraDocument* document, std::function<void()> samplingChanged);
    void UpdateSamplingLabel(HWND page, const StepPageLayout& layout, bool sampling);
    void ShowUnitLabels(HWND page, const StepPageLayout& layout, SistraDocument* document);
    void OpenSettings(SistraDocument* document);
    // To the accordion pane (the page's parent), when the page has a window.
    void SendToPane(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

    // The page's dialog keys and idle work run in the host's message loop from Hook to Unhook.
    void Hook(WTL::CMessageFilter* filter, WTL::CIdleHandler* idle);
    void Unhook();

    OwlSamplingButton* SamplingButton() const { return samplingButton_.get(); }

private:
    class LoopHooks;

    void AttachSelectionButton(HWND button);
    void AttachImageButton(HWND button, UINT png);
    void CreateSamplingButton(HWND placeholder, SistraDocument* document);

    HFONT instructionFont_ = nullptr;
    std::vector<std::unique_ptr<WTLControls::CWtlBitmapButton>> bitmapButtons_;
    std::vector<std::unique_ptr<Gdiplus::Bitmap>> bitmaps_;
    HBITMAP selectionBitmap_ = nullptr;
    std::function<void(bool)> samplingChanged_;
    std::unique_ptr<OwlSamplingButton> samplingButton_;
    std::unique_ptr<LoopHooks> hooks_;
};

} // namespace Sistra
