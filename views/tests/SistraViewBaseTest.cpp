#include "views/base/SistraViewBase.h"

#include "views/tests/ViewTestSupport.h"

#include "hostframework/messaging/SistraIds.h"

#include <gtest/gtest.h>

using namespace Sistra;

namespace
{

// A view of the loop-view model that counts what reaches it.
class CountingView final : public SistraViewBase
{
public:
    CountingView(const ViewCreation& creation, int modelKind)
        : SistraViewBase(creation, Orv::String(L"Counting"), 2, modelKind)
    {
    }

    void DataChanged(uint32_t hint) override { hints.push_back(hint); }
    void GetCopyCommandText(Orv::String&) override {}
    void GetPrintCommandText(Orv::String&) override {}
    void OnModelChanged(ModelChangedRecord* record) { changedCounts.push_back(PropertyIdSet(record->changed).Count()); }

    std::vector<uint32_t> hints;
    std::vector<int> changedCounts;

    VYR_DECLARE_EVENT_MAP()
};

ULONG* ModelChangedId(ULONG* slot)
{
    return MsgIdClass<&SistraDocumentGUID, DocumentNotification::ModelPropertiesChanged>::GetId(slot);
}

VYR_DEFINE_EVENT_MAP(CountingView, SistraViewBase){
    VyrEventMap::Header(),
    VyrEventMap::Observer(&ModelChangedId,
                          &DispatchObserverEvent<CountingView, ModelChangedRecord, &CountingView::OnModelChanged>),
    VyrEventMap::End(),
};

void NotifyResultsChanged(SistraViewBase& view, uint32_t hint)
{
    if (IObserver* proxy = view.Proxy())
        proxy->Notify(nullptr, MsgIdClass<&SistraDocumentGUID, DocumentNotification::AnalysisResultsChanged>::Id(), 0,
                      &hint);
}

} // namespace

TEST(SistraViewBase, AModelViewHearsEveryPropertyOnceAtSetUpAndNothingOnceItsWindowIsGone)
{
    ViewTesting::AnalysedDocument document;
    ViewTesting::Frame frame(320, 240);
    auto* view = new CountingView(document.CreationIn(&frame.window), ModelKind::LoopView);
    ASSERT_TRUE(view->ViewModel());
    frame.Show(*view);
    ASSERT_EQ(1u, view->changedCounts.size());
    EXPECT_EQ(view->ViewModel()->GetPropertyIds().Count(), view->changedCounts.front());
    NotifyResultsChanged(*view, 0x18);
    EXPECT_EQ(std::vector<uint32_t>{0x18}, view->hints);
    EXPECT_EQ(WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
              static_cast<DWORD>(GetWindowLongW(view->GetHandle(), GWL_STYLE)) & (WS_CLIPSIBLINGS | WS_CLIPCHILDREN));

    // The host still holds the view's proxy; after the window goes nothing reaches the view.
    const Orv::ComPtr<IObserver> hostHeld(view->Proxy());
    DestroyWindow(view->GetHandle());
    view->ViewModel()->SetValue<PropertyType::Bool>(PropertyId::ShowEspvrRegression, !view->ViewModel()->GetValue<PropertyType::Bool>(PropertyId::ShowEspvrRegression));
    view->ViewModel()->CommitChanges();
    uint32_t hint = 0x10;
    hostHeld->Notify(nullptr, MsgIdClass<&SistraDocumentGUID, DocumentNotification::AnalysisResultsChanged>::Id(), 0,
                     &hint);
    EXPECT_EQ(1u, view->changedCounts.size());
    EXPECT_EQ(1u, view->hints.size());
    delete view;
}

TEST(SistraViewBase, AViewWithoutAModelReadsTheDocumentsSetup)
{
    DocumentTesting::FakeCalcItems host;
    auto* made = new SistraDocument(&host, nullptr, 0);
    const Orv::ComPtr<IUnknown> holder(made->Outer());
    CountingView view(ViewCreation{nullptr, nullptr, nullptr, made->Outer(), nullptr, nullptr}, SistraViewBase::NoModel);
    EXPECT_EQ(made, view.Document());
    EXPECT_FALSE(view.ViewModel());
    EXPECT_EQ(made->GetSetupModel(), view.GetSetupModel());
    EXPECT_EQ(Orv::String(), view.GetControlText(1234));
}
