#include "dialogs/steps/SetupStep.h"

#include "dialogs/helpers/UnitChoices.h"
#include "foundation/text/StringResources.h"

using namespace Sistra;

namespace
{

constexpr int PromptIndent = 4;

const StepDlgClassObj<SetupStep> factory;

constexpr UINT WorkflowNames[] = {IDS_WORKFLOW_SMALL_MAMMAL, IDS_WORKFLOW_LARGE_MAMMAL, IDS_WORKFLOW_ECHO};

void SelectItem(HWND page, int id, int item)
{
    SendDlgItemMessageW(page, id, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
}

// The channel's item; none for an unset channel or one the list does not have.
int ItemOfChannel(HWND page, int id, int32_t channel)
{
    const auto count = static_cast<int32_t>(SendDlgItemMessageW(page, id, CB_GETCOUNT, 0, 0));
    return channel >= 0 && channel < count ? channel : -1;
}

} // namespace

int WorkflowKindOfItem(int item)
{
    return item >= 0 && item < 3 ? item + 1 : 0;
}

int ItemOfWorkflowKind(int kind)
{
    return kind >= 1 && kind <= 3 ? kind - 1 : -1;
}

LRESULT ChooseCombo::OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    DefWindowProc(msg, wParam, lParam);
    if (SendMessage(CB_GETCURSEL) >= 0)
        return 0;
    static const Orv::String prompt(Orv::ThisModule(), IDS_SETUP_CHOOSE, true);
    HDC dc = ::GetWindowDC(m_hWnd);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
    RECT text{};
    DrawTextW(dc, prompt.c_str(), -1, &text, DT_CALCRECT);
    RECT client{};
    GetClientRect(&client);
    client.left += PromptIndent;
    client.top += (client.bottom - client.top - (text.bottom - text.top)) / 2;
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, prompt.c_str(), -1, &client, 0);
    SelectObject(dc, old);
    ::ReleaseDC(m_hWnd, dc);
    return 0;
}

LRESULT SetupStep::OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    workflow_.SubclassWindow(::GetDlgItem(m_hWnd, IDC_SETUP_WORKFLOW));
    pressure_.SubclassWindow(::GetDlgItem(m_hWnd, IDC_SETUP_PRESSURE));
    volume_.SubclassWindow(::GetDlgItem(m_hWnd, IDC_SETUP_VOLUME));
    std::vector<Orv::String> names;
    for (const UINT name : WorkflowNames)
        names.emplace_back(Orv::ThisModule(), name, true);
    FillCombo(m_hWnd, IDC_SETUP_WORKFLOW, names);
    std::vector<Orv::String> channels;
    if (GetDocument())
        GetChannelTitles(*GetDocument(), channels);
    FillCombo(m_hWnd, IDC_SETUP_PRESSURE, channels);
    FillCombo(m_hWnd, IDC_SETUP_VOLUME, channels);
    return StepDlgBase::OnInitDialog(msg, wParam, lParam, handled);
}

LRESULT SetupStep::OnSelChange(WORD, WORD id, HWND combo, BOOL&)
{
    const auto item = static_cast<int32_t>(::SendMessageW(combo, CB_GETCURSEL, 0, 0));
    const ModelPtr& model = GetModel();
    if (!model)
        return 0;
    if (id == IDC_SETUP_WORKFLOW)
        model->SetValue<PropertyType::Int>(PropertyId::WorkflowKind, WorkflowKindOfItem(item));
    else if (id == IDC_SETUP_PRESSURE)
        model->SetPressureChannel(item);
    else if (id == IDC_SETUP_VOLUME)
        model->SetVolumeChannel(item);
    CommitModel();
    return 0;
}

void SetupStep::OnModelChanged(const PropertyIdSet& changed)
{
    const ModelPtr& model = GetModel();
    if (!m_hWnd || !model)
        return;
    if (changed.Test(PropertyId::WorkflowKind))
        SelectItem(m_hWnd, IDC_SETUP_WORKFLOW,
                   ItemOfWorkflowKind(model->GetValue<PropertyType::Int>(PropertyId::WorkflowKind)));
    if (changed.Test(PropertyId::PressureChannel))
        SelectItem(m_hWnd, IDC_SETUP_PRESSURE, ItemOfChannel(m_hWnd, IDC_SETUP_PRESSURE, model->GetPressureChannel()));
    if (changed.Test(PropertyId::VolumeChannel))
        SelectItem(m_hWnd, IDC_SETUP_VOLUME, ItemOfChannel(m_hWnd, IDC_SETUP_VOLUME, model->GetVolumeChannel()));
}

