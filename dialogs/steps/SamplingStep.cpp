#include "dialogs/steps/SamplingStep.h"

#include "document/models/workflow/Workflow.h"
#include "foundation/text/StringResources.h"

namespace
{

const Sistra::StepDlgClassObj<SamplingStep> factory;

} // namespace

UINT SamplingInstruction(int workflowKind)
{
    switch (workflowKind)
    {
    case Sistra::WorkflowKind::SmallMammal: return IDS_SAMPLING_SMALL_MAMMAL;
    case Sistra::WorkflowKind::LargeMammal: return IDS_SAMPLING_LARGE_MAMMAL;
    default: return IDS_SAMPLING_OTHER;
    }
}

// The text is chosen once: the page does not follow later changes of the workflow.
LRESULT SamplingStep::OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    Sistra::AlignSeparator(m_hWnd, IDC_SAMPLING_TOP_LINE);
    Sistra::AlignSeparator(m_hWnd, IDC_SAMPLING_BOTTOM_LINE);
    const int kind = GetDocument() ? Sistra::Workflow(GetDocument()).GetKind() : Sistra::WorkflowKind::None;
    const Orv::String text(Orv::ThisModule(), SamplingInstruction(kind), true);
    SetDlgItemTextW(m_hWnd, Sistra::StepControl::FirstInstruction, text.c_str());
    return StepDlgBase::OnInitDialog(msg, wParam, lParam, handled);
}

void SamplingStep::OnModelChanged(const Sistra::PropertyIdSet& changed)
{
    if (m_hWnd && GetModel() && changed.Test(Sistra::PropertyId::SamplingComplete))
        CheckDlgButton(m_hWnd, Sistra::StepControl::Apply,
                       GetModel()->GetValue<Sistra::PropertyType::Bool>(Sistra::PropertyId::SamplingComplete)
                           ? BST_CHECKED
                           : BST_UNCHECKED);
}

LRESULT SamplingStep::OnCompleteClicked(WORD, WORD, HWND, BOOL&)
{
    OnApplyClicked(Sistra::PropertyId::SamplingComplete);
    return 0;
}
