#include "OwlTestIds.h"
#include "Screenshot.h"

#include "platform/owl/controls/ComboBox.h"
#include "platform/owl/controls/Control.h"
#include "platform/owl/controls/Edit.h"
#include "platform/owl/controls/ScrollBar.h"
#include "platform/owl/controls/Validator.h"
#include "platform/owl/dialogs/Dialog.h"

#include "foundation/system/ModalMessage.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace
{

using namespace OWL;

std::vector<std::wstring>& ShownMessages()
{
    static std::vector<std::wstring> shown;
    return shown;
}

int RecordMessageBox(HWND, const wchar_t* text, const wchar_t*, UINT) noexcept
{
    ShownMessages().push_back(text);
    return IDOK;
}

// Answers every message box by recording it, for the life of a test.
class MessageBoxRecorder
{
public:
    MessageBoxRecorder() : previous_(Orv::SetMessageBoxRoute(&RecordMessageBox)) { ShownMessages().clear(); }
    ~MessageBoxRecorder() { Orv::SetMessageBoxRoute(previous_); }
    const std::vector<std::wstring>& Shown() const { return ShownMessages(); }

private:
    Orv::MessageBoxRoute previous_;
};

constexpr UINT WmRunScript = WM_APP + 1;

// The test dialog: its controls bound by id; once it is up, it runs the test's script.
class LoopCountDialog : public TDialog
{
public:
    LoopCountDialog(TWindow* parent, TResId resource, std::function<void(LoopCountDialog&)> script)
        : TDialog(parent, resource), count(new TEdit(this, IDC_TEST_COUNT)), letters(new TEdit(this, IDC_TEST_LETTERS)),
          autoScale(new TCheckBox(this, IDC_TEST_AUTO)), model(new TComboBox(this, IDC_TEST_MODEL)),
          label(new TStatic(this, IDC_TEST_LABEL)), digits(new TEdit(this, IDC_TEST_DIGITS)),
          spin(new TUpDown(this, IDC_TEST_SPIN, digits)), script_(std::move(script))
    {
        count->SetValidator(new TRangeValidator(1, 10));
        letters->SetValidator(new TFilterValidator(TCharSet(L"a-z")));
    }

    void SetupWindow() override
    {
        TDialog::SetupWindow();
        model->AddString(L"Weiss");
        model->AddString(L"Glantz");
        model->SetSelIndex(1);
        spin->SetRange(0, 9);
        spin->SetPos(4);
        PostMessage(WmRunScript);
    }
    LRESULT RunScript(WPARAM, LPARAM)
    {
        script_(*this);
        return 0;
    }
    // Sends what a person's typing would: each character as WM_CHAR to the edit.
    static void Type(TEdit& edit, const std::wstring& text)
    {
        for (wchar_t ch : text)
            edit.SendMessage(WM_CHAR, ch, 1);
    }

    TEdit* count;
    TEdit* letters;
    TCheckBox* autoScale;
    TComboBox* model;
    TStatic* label;
    TEdit* digits;
    TUpDown* spin;

    DECLARE_RESPONSE_TABLE(LoopCountDialog);

private:
    std::function<void(LoopCountDialog&)> script_;
};

DEFINE_RESPONSE_TABLE1(LoopCountDialog, TDialog)
    EV_MESSAGE(WmRunScript, RunScript),
END_RESPONSE_TABLE;

TEST(OwlDialog, ADialogFromItsTemplateBindsItsControlsAndEndsWithTheButtonPressed)
{
    std::wstring seenLabel, seenModel;
    int seenSpin = -1;
    LoopCountDialog dialog(nullptr, IDD_TEST_DIALOG, [&](LoopCountDialog& d) {
        seenLabel = d.label->GetText();
        seenModel = d.model->GetString(d.model->GetSelIndex());
        seenSpin = d.spin->GetPos();
        d.autoScale->Check();
        d.count->SetText(L"7");
        OwlTest::SaveWindowPng(d.GetHandle(), L"owl_dialog_from_template");
        d.SendMessage(WM_COMMAND, IDOK);
    });
    EXPECT_EQ(IDOK, dialog.Execute());
    EXPECT_EQ(L"Loops (1 to 10):", seenLabel);
    EXPECT_EQ(L"Glantz", seenModel);
    EXPECT_EQ(4, seenSpin);
    EXPECT_EQ(nullptr, dialog.GetHandle()) << "the object outlives its window";
    EXPECT_EQ(IDC_TEST_COUNT, dialog.count->GetId());
}

TEST(OwlDialog, OkIsRefusedWhileAValidatorRefusesTheTextAndTheErrorIsReported)
{
    MessageBoxRecorder messages;
    std::vector<bool> openAfterOk;
    LoopCountDialog dialog(nullptr, IDD_TEST_DIALOG, [&](LoopCountDialog& d) {
        for (const wchar_t* text : {L"", L"0", L"11", L"99999999999999999999", L"-3"})
        {
            d.count->SetText(text);
            d.SendMessage(WM_COMMAND, IDOK);
            openAfterOk.push_back(IsWindow(d.GetHandle()) && IsWindowEnabled(d.GetHandle()));
        }
        EXPECT_EQ(d.count->GetHandle(), GetFocus()) << "the focus goes back to the refused edit";
        d.count->SetText(L"10");
        d.SendMessage(WM_COMMAND, IDOK);
    });
    EXPECT_EQ(IDOK, dialog.Execute());
    EXPECT_EQ(std::vector<bool>(5, true), openAfterOk);
    ASSERT_EQ(5u, messages.Shown().size());
    EXPECT_EQ(L"Value is not in the range 1 to 10.", messages.Shown()[0]);
}

TEST(OwlDialog, TypingACharacterTheValidatorRefusesLeavesTheTextAsItWas)
{
    std::wstring countText, lettersText;
    LoopCountDialog dialog(nullptr, IDD_TEST_DIALOG, [&](LoopCountDialog& d) {
        LoopCountDialog::Type(*d.count, L"1x-2");
        LoopCountDialog::Type(*d.letters, L"ab7c");
        countText = d.count->GetText();
        lettersText = d.letters->GetText();
        d.SendMessage(WM_COMMAND, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, dialog.Execute());
    EXPECT_EQ(L"12", countText) << "a range of positive numbers takes no letter and no minus";
    EXPECT_EQ(L"abc", lettersText);
}

TEST(OwlDialog, LeavingARefusedEditReportsTheErrorAndTakesTheFocusBackButCancelStillCloses)
{
    MessageBoxRecorder messages;
    HWND focusAfterLeaving = nullptr, refused = nullptr;
    LoopCountDialog dialog(nullptr, IDD_TEST_DIALOG, [&](LoopCountDialog& d) {
        refused = d.count->GetHandle();
        d.count->SetText(L"42");
        d.count->SetFocus();
        SetFocus(d.digits->GetHandle());
        OwlTest::PumpMessages();
        focusAfterLeaving = GetFocus();
        d.SendMessage(WM_COMMAND, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, dialog.Execute());
    EXPECT_EQ(1u, messages.Shown().size());
    EXPECT_EQ(refused, focusAfterLeaving);
}

TEST(OwlDialog, ARefusedTextIsReportedOnceWhenOkTakesTheFocusFromTheEdit)
{
    MessageBoxRecorder messages;
    LoopCountDialog dialog(nullptr, IDD_TEST_DIALOG, [&](LoopCountDialog& d) {
        d.count->SetText(L"0");
        d.count->SetFocus();
        SetFocus(d.GetDlgItem(IDOK));
        d.SendMessage(WM_COMMAND, IDOK);
        OwlTest::PumpMessages();
        d.SendMessage(WM_COMMAND, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, dialog.Execute());
    EXPECT_EQ(1u, messages.Shown().size());
}

TEST(OwlDialog, TheTemplateIsTakenInTheLanguageAskedForWithTheDefaultAsFallback)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    struct Case
    {
        LANGID language;
        const wchar_t* caption;
    };
    for (const Case& test : {Case{MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MODERN), L"Número de bucles"},
                             Case{MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), L"Loop count"}})
    {
        TDialogRes resource(instance, IDD_TEST_DIALOG, test.language);
        std::wstring caption;
        TDialog dialog(nullptr, *resource.GetTemplate());
        dialog.Create();
        caption = dialog.GetWindowText();
        EXPECT_EQ(test.caption, caption);
    }
    EXPECT_ANY_THROW(TDialogRes(instance, 4242, 0));
}

} // namespace
