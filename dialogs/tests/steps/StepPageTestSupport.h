// What the step pages' tests share: a page made by the step list in a pane of its own, typing into its
// boxes as a person does, and the balloon it showed last.
#pragma once

#include "dialogs/framework/StepFactory.h"
#include "dialogs/tests/DialogTestSupport.h"
#include "document/models/Model.h"

#include <string>

namespace DialogTests
{

// Types into the box as a person does: the box tells its page.
inline void Type(HWND page, int id, const wchar_t* text)
{
    HWND edit = GetDlgItem(page, id);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
}

inline std::wstring Text(HWND page, int id)
{
    wchar_t text[64] = {};
    GetDlgItemTextW(page, id, text, 64);
    return text;
}

// The title of the balloon shown last, and the balloon closed.
inline std::wstring TakeBalloonTitle()
{
    HWND balloon = FindWindowW(L"XPBalloonHelp", nullptr);
    if (!balloon)
        return L"";
    wchar_t title[64] = {};
    GetWindowTextW(balloon, title, 64);
    DestroyWindow(balloon);
    OwlTest::PumpMessages();
    return title;
}

inline double Stored(const Sistra::ModelPtr& model, int id)
{
    return model->GetValue<Sistra::PropertyType::Double>(id);
}

struct StepPage
{
    StepPage(int step, Sistra::SistraDocument& document) : page(Sistra::CreateStepPage(step, pane.Window(), &document))
    {
        ShowWindow(page, SW_SHOW);
    }
    StepPage(int step, DocumentFixture& fixture) : StepPage(step, fixture.Document()) {}
    ~StepPage() { DestroyWindow(page); }

    TestPane pane;
    HWND page;
};

} // namespace DialogTests
