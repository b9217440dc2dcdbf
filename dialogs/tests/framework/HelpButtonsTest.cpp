#include "calc/channel/ChannelCalculationDialog.h"
#include "dialogs/channel/SistraChannelCalculationDlg.h"
#include "dialogs/settings/SistraSetupDialog.h"
#include "dialogs/table/TableViewOptionsDialog.h"
#include "dialogs/tests/DialogTestSupport.h"
#include "hostframework/tests/FrameworkTestSupport.h"
#include "document/models/ModelFactory.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace
{

namespace ModelKind = Sistra::ModelKind;

// The help button of each dialog asks the host to show that dialog's topic of the module's help file.
TEST(HelpButtons, EachDialogsHelpButtonAsksTheHostForItsTopic)
{
    DialogTests::DocumentFixture fixture;
    Sistra::SistraDocument& document = fixture.Document();
    const auto snapshot = [&](int kind) {
        auto copy = Sistra::ModelClassObjBase::CreateModel(kind, &document, Sistra::ModelRole::Snapshot);
        copy->CopyFrom(document.GetModel(kind).get());
        copy->SetSuppressCommit(true);
        return copy;
    };
    auto channel = Orv::ComPtr<Sistra::ChannelCalculationSettings>::Adopt(new Sistra::ChannelCalculationSettings());
    const struct
    {
        std::function<std::unique_ptr<Orv::DialogBase>()> open;
        int button;
        const wchar_t* topic;
    } cases[] = {
        {[&]() -> std::unique_ptr<Orv::DialogBase> {
             return std::make_unique<Sistra::SistraSetupDialog>(nullptr, document, snapshot(ModelKind::WorkflowSetup),
                                                                snapshot(ModelKind::TauModel));
         },
         IDC_SETTINGS_HELP, L"SistraHelp: PV_settings"},
        {[&]() -> std::unique_ptr<Orv::DialogBase> {
             return std::make_unique<Sistra::SistraChannelCalculationDlg>(nullptr, nullptr, fixture.Host().Unknown(),
                                                                          *channel.Get());
         },
         IDC_CHANNEL_HELP, L"SistraHelp: pv_channel_calculations"},
        {[&]() -> std::unique_ptr<Orv::DialogBase> {
             return std::make_unique<Sistra::TableViewOptionsDialog>(nullptr, document, snapshot(ModelKind::HemoTable));
         },
         IDC_TABLE_OPTIONS_HELP, L"SistraHelp: pv_hemodynamics_options"},
    };
    for (const auto& c : cases)
    {
        const auto dialog = c.open();
        ASSERT_TRUE(dialog->Create()) << c.topic;
        DialogTests::Click(dialog->GetHandle(), c.button);
        EXPECT_EQ(c.topic, TestSupport::LastHelpRequest());
        dialog->Destroy();
    }
}

} // namespace
