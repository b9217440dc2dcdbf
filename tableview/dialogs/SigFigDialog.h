// "Format Column": how many significant figures a table column shows, and whether the choice applies to
// every column. The dialog only edits the two values; its caller reads them after IDOK and applies them
// to its own column formats.
#pragma once

#include "controls/dialogs/DialogBase.h"

class IntEdit;

namespace OWL
{
class TCheckBox;
class TUpDown;
} // namespace OWL

namespace TableView
{

class SigFigDialog : public Orv::DialogBase
{
public:
    static constexpr int DefaultDigits = 4;
    static constexpr int MinDigits = 1;
    static constexpr int MaxDigits = 10;

    // module null: the module's own resources.
    explicit SigFigDialog(OWL::TWindow* parent, OWL::TModule* module = nullptr);

    // Set before the dialog runs; valid after it ended with IDOK. While the user is refused a value out
    // of range, digits already holds it.
    int digits = DefaultDigits;
    bool applyToAll = false;

    DECLARE_RESPONSE_TABLE(SigFigDialog);

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    IntEdit* digitsEdit_;
    OWL::TCheckBox* applyAllCheck_;
    OWL::TUpDown* digitsSpin_;
};

} // namespace TableView
