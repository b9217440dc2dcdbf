// What the cuvette calibration view's copy puts on the clipboard: the graph as an image or the
// calibration table. The view keeps the last choice and offers it again.
#pragma once

#include "controls/dialogs/DialogBase.h"

namespace OWL
{
class TRadioButton;
} // namespace OWL

namespace Sistra
{

class ResultsViewCopyDlg : public Orv::DialogBase
{
public:
    static constexpr int CopyGraph = 0;
    static constexpr int CopyTable = 1;

    // choice: the preset; 2, which older views remembered for the graph, counts as the graph.
    ResultsViewCopyDlg(OWL::TWindow* parent, OWL::TResId resource, int choice);

    // After the dialog ended with IDOK: CopyGraph or CopyTable.
    int Choice() const { return choice_; }

    DECLARE_RESPONSE_TABLE(ResultsViewCopyDlg);

protected:
    void SetupWindow() override;
    // The focus stays where the system put none, so that the preset is not changed by a keystroke.
    bool EvInitDialog(HWND focus);

private:
    void Show(int choice);
    void GraphClicked() { Show(CopyGraph); }
    void TableClicked() { Show(CopyTable); }

    int choice_;
    OWL::TRadioButton* graph_;
    OWL::TRadioButton* table_;
};

} // namespace Sistra
