// The notice shown when settings are confirmed while some are invalid: it shows the error icon that
// marks them, and the caption line of a dialog group: its text followed by a themed line.
#pragma once

#include "controls/dialogs/DialogBase.h"
#include "controls/windows/Popup.h"
#include "platform/owl/controls/Control.h"

namespace OrvControls
{

class DialogSettingsWarningDlg : public Orv::DialogBase
{
public:
    static constexpr const wchar_t* ProductName = L"Kymorama";

    explicit DialogSettingsWarningDlg(OWL::TWindow* parent);
    void SetupWindow() override;

private:
    OWL::TStatic* icon_;
    BitmapWindow* bitmap_;
};

class DialogSeparator : public OWL::TStatic
{
public:
    DialogSeparator(OWL::TWindow* parent, int resourceId);

    void SetupWindow() override;
    void Paint(OWL::TDC& dc, bool erase, OWL::TRect& rect) override;

    // Where the line starts: 5 pixels after the caption, a pixel below the middle.
    OWL::TPoint LineStart();
    // The group box's border colour of the theme, else light grey.
    COLORREF LineColour();

    DECLARE_RESPONSE_TABLE(DialogSeparator);
};

} // namespace OrvControls
