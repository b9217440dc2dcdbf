#include "dialogs/framework/StepPageParts.h"

#include "controls/buttons/WtlBitmapButton.h"
#include "controls/sampling/SamplingControlPane.h"
#include "controls/windows/InkRoomText.h"
#include "controls/windows/GdiPlusBitmaps.h"
#include "dialogs/framework/DocumentCommand.h"
#include "dialogs/helpers/UnitChoices.h"
#include "document/core/SistraDocument.h"
#include "foundation/text/StringResources.h"
#include "hostframework/messaging/SistraIds.h"
#include "hostframework/services/HostServices.h"
#include "platform/atl/MessageLoop.h"
#include "resources/ResourceIds.h"

#include <objbase.h>

#include <gdiplus.h>

namespace Sistra
{

namespace
{

// The settings request comes from a page, not from a macro.
constexpr ULONG SettingsMessageFlags = 4;

} // namespace

class StepPageParts::LoopHooks final : public IHostLoopHooks
{
public:
    LoopHooks(WTL::CMessageFilter* filter, WTL::CIdleHandler* idle) : filter_(filter), idle_(idle) {}

    BOOL STDMETHODCALLTYPE PreTranslate(MSG* message) override { return filter_->PreTranslateMessage(message); }
    BOOL STDMETHODCALLTYPE OnLoopIdle() override { return idle_->OnIdle(); }

private:
    WTL::CMessageFilter* filter_;
    WTL::CIdleHandler* idle_;
};

StepPageParts::StepPageParts() = default;

StepPageParts::~StepPageParts()
{
    Unhook();
    samplingButton_.reset();
    if (selectionBitmap_)
        DeleteObject(selectionBitmap_);
    bitmaps_.clear();
    bitmapButtons_.clear();
    if (instructionFont_)
        DeleteObject(instructionFont_);
}

void StepPageParts::SetUp(HWND page, const StepPageLayout& layout, SistraDocument* document,
                          std::function<void()> samplingChanged)
{
    samplingChanged_ = [changed = std::move(samplingChanged)](bool) {
        if (changed)
            changed();
    };
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    {
        const int id = GetDlgCtrlID(child);
        if (id == StepControl::FirstInstruction || id == StepControl::SecondInstruction)
        {
            if (!instructionFont_)
                instructionFont_ = MakeInstructionFont(child);
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(instructionFont_), TRUE);
            OrvControls::InstallInkRoomText(child);
            FitTextHeight(page, id);
        }
        else if (id == StepControl::FirstFromSelection || id == StepControl::SecondFromSelection)
            AttachSelectionButton(child);
        else if (id == StepControl::SamplingPlaceholder)
            CreateSamplingButton(child, document);
        for (int button = 0; button < layout.imageButtonCount; ++button)
            if (id == layout.imageButtons[button].id)
                AttachImageButton(child, layout.imageButtons[button].png);
    }
    if (GetDlgItem(page, StepControl::FirstFromSelection) && GetDlgItem(page, StepControl::FirstValue))
        AlignButtonToEdit(page, StepControl::FirstFromSelection, StepControl::FirstValue);
    if (GetDlgItem(page, StepControl::SecondFromSelection) && GetDlgItem(page, StepControl::SecondValue))
        AlignButtonToEdit(page, StepControl::SecondFromSelection, StepControl::SecondValue);
}

void StepPageParts::AttachSelectionButton(HWND button)
{
    if (!selectionBitmap_)
        selectionBitmap_ = static_cast<HBITMAP>(LoadImageW(Orv::ThisModule(), MAKEINTRESOURCEW(IDB_STEP_FROM_SELECTION),
                                                           IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    auto control = std::make_unique<WTLControls::CWtlBitmapButton>();
    if (control->SubclassWindow(button) && selectionBitmap_)
    {
        // The button keeps its own copies, an enabled and a greyed one, of the page's bitmap.
        GdiplusStarter::Instance();
        Gdiplus::Bitmap image(selectionBitmap_, nullptr);
        control->SetBitmap(image);
    }
    bitmapButtons_.push_back(std::move(control));
}

void StepPageParts::AttachImageButton(HWND button, UINT png)
{
    auto control = std::make_unique<WTLControls::CWtlBitmapButton>();
    std::unique_ptr<Gdiplus::Bitmap> image = LoadPngAsPargbBitmap(png);
    if (control->SubclassWindow(button) && image)
        control->SetBitmap(*image);
    bitmapButtons_.push_back(std::move(control));
    if (image)
        bitmaps_.push_back(std::move(image));
}

void StepPageParts::CreateSamplingButton(HWND placeholder, SistraDocument* document)
{
    samplingButton_.reset();
    samplingButton_ = std::make_unique<OwlSamplingButton>(placeholder, document ? document->HostDocument() : nullptr,
                                                          &samplingChanged_);
}

void StepPageParts::UpdateSamplingLabel(HWND page, const StepPageLayout& layout, bool sampling)
{
    SetDlgItemTextW(page, layout.samplingLabel, SamplingLabelText(sampling).c_str());
}

void StepPageParts::ShowUnitLabels(HWND page, const StepPageLayout& layout, SistraDocument* document)
{
    if (!document)
        return;
    const Orv::PrefixedUnit unit = layout.pressureUnits ? GetOwnPressureUnit(*document) : GetOwnVolumeUnit(*document);
    for (const int id : {StepControl::FirstUnit, StepControl::SecondUnit})
        SetDlgItemTextW(page, id, unit.GetText().c_str());
}

void StepPageParts::OpenSettings(SistraDocument* document)
{
    if (document)
        SendDocumentCommand(*document, AutomationMessage::OpenSistraSettings, MsgPayload0{}, SettingsMessageFlags);
}

void StepPageParts::SendToPane(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (HWND pane = page ? GetParent(page) : nullptr)
        SendMessageW(pane, message, wParam, lParam);
}

void StepPageParts::Hook(WTL::CMessageFilter* filter, WTL::CIdleHandler* idle)
{
    Unhook();
    hooks_ = std::make_unique<LoopHooks>(filter, idle);
    if (IHostApplication* host = HostAppAccessor::Get())
        host->AddLoopHooks(hooks_.get());
}

void StepPageParts::Unhook()
{
    if (!hooks_)
        return;
    if (IHostApplication* host = HostAppAccessor::Get())
        host->RemoveLoopHooks(hooks_.get());
    hooks_.reset();
}

} // namespace Sistra
