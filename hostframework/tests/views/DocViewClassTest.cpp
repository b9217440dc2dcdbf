#include "hostframework/views/DocViewClass.h"

#include "hostframework/tests/FrameworkTestSupport.h"
#include "hostframework/views/InterfaceEnum.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

constexpr ULONG TestViewTypeId = 0x80000304;

// Ways a view's window can fail to come into being.
enum class Breakage
{
    None,
    ClassCannotBeMade,   // its window class is refused
    CreateDeclines,      // creation answers false and makes nothing
    GoneAfterSetup,      // the window destroys itself while it is set up
};

// A plain module window of the kind the view classes make.
class TestViewWindow final : public OWL::TWindow, public VyrCppEventHandler
{
public:
    TestViewWindow(OWL::TWindow* parent, IDocViewClass*, IDocView2*, IUnknown*, OWL::TModule* module, IDocView2*)
        : OWL::TWindow(parent, L"Loop View of Recording 1", module)
    {
    }
    bool CanClose() override { return agrees; }
    bool Create() override { return breakage == Breakage::CreateDeclines ? false : OWL::TWindow::Create(); }
    const wchar_t* GetClassName() override
    {
        return breakage == Breakage::ClassCannotBeMade ? L"SistraUnmadeViewClass" : OWL::TWindow::GetClassName();
    }
    void GetWindowClass(WNDCLASSEXW& windowClass) override
    {
        OWL::TWindow::GetWindowClass(windowClass);
        if (breakage == Breakage::ClassCannotBeMade)
            windowClass.cbWndExtra = -1;   // the system refuses a class with negative window memory
    }
    void SetupWindow() override
    {
        OWL::TWindow::SetupWindow();
        if (breakage == Breakage::GoneAfterSetup)
            DestroyWindow(GetHandle());
    }
    static inline bool agrees = true;
    static inline Breakage breakage = Breakage::None;
};

using TestViewClass = VyrOwlDocViewClass<TestViewWindow>;

TestViewClass* MakeClass(const wchar_t* fixedName)
{
    auto* made = new TestViewClass(Orv::String(L"Loop View"), Orv::String(fixedName), &FixedId<TestViewTypeId>);
    made->AddRef();
    return made;
}

std::wstring Text(BSTR text)
{
    std::wstring copy = text ? text : L"";
    SysFreeString(text);
    return copy;
}

std::wstring ClassTitle(IDocViewClass* viewClass)
{
    BSTR title = nullptr;
    viewClass->GetTitle(&title);
    return Text(title);
}

std::wstring ViewTitle(IDocView2* view)
{
    BSTR title = nullptr;
    view->GetTitle(&title);
    return Text(title);
}

LONG OpenViews(IDocViewClass* viewClass)
{
    LONG count = -1;
    viewClass->GetOpenViewCount(0, &count);
    return count;
}

// The host's site of a view: a parent window, and whether the view may close.
class ClientSite final : public TestSupport::StackComObject<IClientSite>
{
public:
    HRESULT STDMETHODCALLTYPE GetParentWindow(HWND* parent) override { return *parent = parentWindow, S_OK; }
    HRESULT STDMETHODCALLTYPE RequestClose() override { return closeAnswer; }
    HWND parentWindow = nullptr;
    HRESULT closeAnswer = S_OK;
};

// The document as its views tell it of their life.
class Document final : public TestSupport::StackComObject<IVyrViewHostDocument>
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = IsEqualIID(iid, IID_IVyrViewHostDocument) || IsEqualIID(iid, IID_IUnknown)
                      ? static_cast<IVyrViewHostDocument*>(this)
                      : nullptr;
        return *object ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE CanCloseView(IUnknown*, VARIANT_BOOL* answer) override
    {
        return *answer = agrees, S_OK;
    }
    HRESULT STDMETHODCALLTYPE ViewClosed(IUnknown*) override { return events.push_back("closed"), S_OK; }
    HRESULT STDMETHODCALLTYPE ViewActivated(IUnknown*) override { return events.push_back("activated"), S_OK; }
    VARIANT_BOOL agrees = VARIANT_TRUE;
    std::vector<std::string> events;
};

TEST(ViewClass, DescribesItselfWithItsFixedNameOrElseItsTitle)
{
    for (const auto& [fixedName, title] : {std::pair{L"Sistra PRSW GraphView", L"Sistra PRSW GraphView"},
                                            std::pair{L"", L"Loop View"}})
    {
        TestViewClass* viewClass = MakeClass(fixedName);
        EXPECT_EQ(title, ClassTitle(viewClass));
        BSTR name = nullptr;
        viewClass->GetClassName(&name);
        EXPECT_EQ(L"Loop View", Text(name));
        ULONG typeId = 0, flags = 0;
        viewClass->GetTypeId(&typeId);
        viewClass->GetFlags(&flags);
        EXPECT_EQ(TestViewTypeId, typeId);
        EXPECT_EQ(1u, flags);
        viewClass->Release();
    }
}

TEST(ViewClass, IsOfTheViewCategoryBySamePointerOrSameBytes)
{
    TestViewClass* viewClass = MakeClass(L"");
    const GUID* category = nullptr;
    viewClass->GetCategoryGuid(&category);
    const GUID copy = VyrViewCategoryGUID;
    EXPECT_EQ(S_OK, viewClass->IsCategory(category));
    EXPECT_EQ(S_OK, viewClass->IsCategory(&copy));
    EXPECT_EQ(S_FALSE, viewClass->IsCategory(&IID_IUnknown));
    EXPECT_EQ(S_FALSE, viewClass->IsCategory(nullptr));
    viewClass->Release();
}

TEST(ViewClass, EnumeratesTheTwoDocumentInterfacesItsViewsNeed)
{
    TestViewClass* viewClass = MakeClass(L"");
    const LONG locksBefore = ModuleLockCount();
    Orv::ComPtr<IEnumInterface> ids;
    ASSERT_EQ(S_OK, viewClass->EnumInterfaces(ids.Put()));
    EXPECT_EQ(locksBefore + 1, ModuleLockCount());
    const GUID* got[3] = {};
    ULONG fetched = 99;
    EXPECT_EQ(E_POINTER, ids->Next(2, got, nullptr));
    EXPECT_EQ(E_POINTER, ids->Next(1, nullptr, &fetched));
    EXPECT_EQ(S_OK, ids->Next(1, got, nullptr));
    EXPECT_EQ(0xCD8A64F4u, got[0]->Data1);
    Orv::ComPtr<IEnumInterface> clone;
    ASSERT_EQ(S_OK, ids->Clone(clone.Put()));
    EXPECT_EQ(E_POINTER, ids->Clone(nullptr));
    EXPECT_EQ(S_FALSE, ids->Next(3, got, &fetched));
    EXPECT_EQ(1u, fetched);
    EXPECT_TRUE(IsEqualGUID(IID_ISistraDocInterface, *got[0]));
    EXPECT_EQ(S_FALSE, ids->Next(1, got, &fetched));
    EXPECT_EQ(0u, fetched);
    EXPECT_EQ(S_OK, clone->Next(1, got, nullptr)) << "the clone goes on from where it was made";
    EXPECT_TRUE(IsEqualGUID(IID_ISistraDocInterface, *got[0]));
    EXPECT_EQ(S_OK, ids->Reset());
    EXPECT_EQ(S_OK, ids->Skip(2));
    EXPECT_EQ(S_FALSE, ids->Skip(1));
    ids.Reset();
    clone.Reset();
    EXPECT_EQ(locksBefore, ModuleLockCount());
    viewClass->Release();
}

class ViewLife : public testing::Test
{
protected:
    void SetUp() override
    {
        frame.Attr.Style = WS_OVERLAPPEDWINDOW;
        frame.Create();
        site.parentWindow = frame.GetHandle();
        viewClass = MakeClass(L"");
        ASSERT_EQ(S_OK, viewClass->CreateView(0, &document, view.Put()));
        view->QueryInterface(IID_IClientWindow, client.PutVoid());
    }
    void TearDown() override
    {
        client.Reset();
        view.Reset();
        EXPECT_EQ(0, OpenViews(viewClass));
        viewClass->Release();
        TestViewWindow::agrees = true;
        TestViewWindow::breakage = Breakage::None;
    }

    OWL::TWindow frame{nullptr, L"Host frame"};
    ClientSite site;
    Document document;
    TestViewClass* viewClass = nullptr;
    Orv::ComPtr<IDocView2> view;
    Orv::ComPtr<IClientWindow> client;
};

TEST_F(ViewLife, TheViewMakesItsWindowInTheSitesParentOnceAndIsCountedAsOpen)
{
    EXPECT_EQ(1, OpenViews(viewClass));
    HWND made = nullptr;
    ASSERT_EQ(S_OK, client->CreateClientWindow(&site, &made));
    EXPECT_TRUE(IsWindow(made));
    EXPECT_EQ(frame.GetHandle(), GetParent(made));
    EXPECT_EQ(L"Loop View of Recording 1", ViewTitle(view.Get()));
    HWND again = nullptr;
    EXPECT_EQ(E_FAIL, client->CreateClientWindow(&site, &again));
    EXPECT_EQ(nullptr, again);
    Orv::ComPtr<IVyrCommandHandler> handler;
    EXPECT_EQ(S_OK, view->QueryInterface(IID_IVyrCommandHandler, handler.PutVoid()));
    EXPECT_EQ(S_OK, client->DestroyClientWindow());
    EXPECT_FALSE(IsWindow(made));
    EXPECT_EQ(L"Loop View", ViewTitle(view.Get()));
}

TEST_F(ViewLife, AViewThatMakesNoWindowAnswersAFailureKeepsNothingAndCanTryAgain)
{
    const HWND notAWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FF0));
    ASSERT_FALSE(IsWindow(notAWindow));
    for (const auto& [breakage, parent] : {std::pair{Breakage::ClassCannotBeMade, frame.GetHandle()},
                                           std::pair{Breakage::CreateDeclines, frame.GetHandle()},
                                           std::pair{Breakage::GoneAfterSetup, frame.GetHandle()},
                                           std::pair{Breakage::None, notAWindow}})
    {
        SCOPED_TRACE(static_cast<int>(breakage));
        TestViewWindow::breakage = breakage;
        site.parentWindow = parent;
        client.Reset();
        ASSERT_EQ(S_OK, viewClass->CreateView(0, &document, view.Put()));
        view->QueryInterface(IID_IClientWindow, client.PutVoid());
        HWND made = reinterpret_cast<HWND>(1);
        EXPECT_TRUE(FAILED(client->CreateClientWindow(&site, &made)));
        EXPECT_EQ(nullptr, made);
        EXPECT_EQ(nullptr, GetWindow(frame.GetHandle(), GW_CHILD)) << "no half-made window is left in the site";
        EXPECT_EQ(L"Loop View", ViewTitle(view.Get())) << "no window object is kept for a window that is not there";
    }
    TestViewWindow::breakage = Breakage::None;
    site.parentWindow = frame.GetHandle();
    HWND made = nullptr;
    EXPECT_EQ(S_OK, client->CreateClientWindow(&site, &made));
    EXPECT_TRUE(IsWindow(made));
}

TEST_F(ViewLife, CloseAsksTheSiteTellsTheDocumentAndLeavesNoWindowBehindForTheTitle)
{
    HWND made = nullptr;
    client->CreateClientWindow(&site, &made);
    site.closeAnswer = S_FALSE;
    EXPECT_EQ(S_FALSE, view->Close()) << "the site refuses: nothing is closed";
    EXPECT_TRUE(IsWindow(made));
    EXPECT_TRUE(document.events.empty());

    site.closeAnswer = S_OK;
    EXPECT_EQ(S_OK, view->Close());
    EXPECT_FALSE(IsWindow(made));
    EXPECT_EQ(std::vector<std::string>{"closed"}, document.events);
    EXPECT_EQ(L"Loop View", ViewTitle(view.Get())) << "the title of a closed view comes from its class";
    EXPECT_EQ(S_OK, view->Close());
    EXPECT_EQ(std::vector<std::string>{"closed"}, document.events);
    Orv::ComPtr<IUnknown> held;
    view->GetDocument(held.Put());
    EXPECT_EQ(nullptr, held.Get());
}

TEST_F(ViewLife, CanCloseAsksTheWindowThenTheDocument)
{
    HWND made = nullptr;
    client->CreateClientWindow(&site, &made);
    struct Case
    {
        bool window;
        VARIANT_BOOL document;
        HRESULT result;
        USHORT answer;
    };
    for (const Case& c : {Case{true, VARIANT_TRUE, S_OK, 0xFFFF}, Case{true, VARIANT_FALSE, S_FALSE, 0},
                          Case{false, VARIANT_TRUE, S_FALSE, 0}})
    {
        TestViewWindow::agrees = c.window;
        document.agrees = c.document;
        USHORT answer = 7;
        EXPECT_EQ(c.result, view->CanClose(&answer));
        EXPECT_EQ(c.answer, answer);
    }
}

TEST_F(ViewLife, TheViewIdIsTheClassTypeIdAndKindOverNumber)
{
    view->SetViewNumber(3);
    view->SetViewKind(1);
    ULONG id[2] = {};
    ASSERT_EQ(S_OK, view->GetViewId(id));
    EXPECT_EQ(TestViewTypeId, id[0]);
    EXPECT_EQ(0x00010003u, id[1]);
    EXPECT_EQ(S_OK, view->Activate());
    EXPECT_EQ(std::vector<std::string>{"activated"}, document.events);
}

} // namespace
