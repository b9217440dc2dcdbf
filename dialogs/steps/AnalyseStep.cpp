#include "dialogs/steps/AnalyseStep.h"

#include "dialogs/framework/DocumentCommand.h"
#include "dialogs/helpers/UnitChoices.h"
#include "hostframework/messaging/SistraIds.h"

#include <utility>
#include <vector>

namespace
{

const Sistra::StepDlgClassObj<AnalyseStep> factory;

// The list's items are the analysis types in the order of their values.
constexpr int32_t TypeCount = 2;

// The host message that opens one of the host's own windows, and the words that name its Analysis
// Manager.
constexpr ULONG OpenHostWindowMessage = 0x80010016;
constexpr ULONG AnalysisManagerWindow = 0x800D000E;
constexpr ULONG AnalysisManagerWindowFlags = 0x100024;
struct AnalysisManagerPayload
{
    ULONG words[4] = {276, AnalysisManagerWindow, 1, 1};
};

} // namespace

LRESULT AnalyseStep::OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    Sistra::AlignSeparator(m_hWnd, IDC_ANALYSE_LINE);
    std::vector<std::pair<Orv::String, int32_t>> types;
    Sistra::GetAnalysisTypeList(types);
    std::vector<Orv::String> names;
    for (const auto& type : types)
        names.push_back(type.first);
    Sistra::FillCombo(m_hWnd, IDC_ANALYSE_TYPE, names);
    return StepDlgBase::OnInitDialog(msg, wParam, lParam, handled);
}

LRESULT AnalyseStep::OnAnalysisTypeChanged(WORD, WORD, HWND combo, BOOL&)
{
    const auto item = static_cast<int32_t>(::SendMessageW(combo, CB_GETCURSEL, 0, 0));
    if (GetModel())
        GetModel()->SetValue<Sistra::PropertyType::Int>(Sistra::PropertyId::AnalysisType,
                                                        item >= 0 && item < TypeCount ? item : -1);
    CommitModel();
    return 0;
}

void AnalyseStep::OnModelChanged(const Sistra::PropertyIdSet& changed)
{
    if (!m_hWnd || !GetModel() || !changed.Test(Sistra::PropertyId::AnalysisType))
        return;
    const int32_t type = GetModel()->GetAnalysisType();
    SendDlgItemMessageW(m_hWnd, IDC_ANALYSE_TYPE, CB_SETCURSEL, static_cast<WPARAM>(type >= 0 && type < TypeCount ? type : -1),
                        0);
}

// The host takes the request in the context of the host object it made for the Analysis Manager.
LRESULT AnalyseStep::OnAnalysisManager(WORD, WORD, HWND, BOOL&)
{
    Sistra::SistraDocument* document = GetDocument();
    if (!document)
        return 0;
    const Orv::ComPtr<IUnknown> context = CreateHostObject(OpenHostWindowMessage, AnalysisManagerWindow, 1);
    const ULONG word = HostContextWord(context.Get());
    document->SendMsgWithContext(document->Outer(), MsgData<AnalysisManagerPayload>{OpenHostWindowMessage, 0, {}},
                                 AnalysisManagerWindowFlags, word ? &word : nullptr);
    return 0;
}

LRESULT AnalyseStep::OnAnalyzeNow(WORD, WORD, HWND, BOOL&)
{
    if (Sistra::SistraDocument* document = GetDocument())
        Sistra::SendDocumentCommand(*document, Sistra::AutomationMessage::AnalyzeSistraNow);
    return 0;
}
