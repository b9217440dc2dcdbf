#include "../FrameworkTestSupport.h"
#include "hostframework/document/StrixChildDocument.h"
#include "hostframework/document/VyrDocumentClass.h"

#include <gtest/gtest.h>

namespace
{

constexpr GUID TestDocumentGuid = {0x1A2B3C4D, 0x0001, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};
constexpr GUID OtherGuid = {0x1A2B3C4D, 0x0002, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 2}};
constexpr ULONG TestTypeId = 0x7F010000;
constexpr ULONG TestFlags = 1;

class TestDocument final : public StrixChildDocument
{
public:
    using StrixChildDocument::StrixChildDocument;
    // The menu builder's answer, which the class hands the host unchanged.
    static HRESULT InstallMenus(IVyrCommandRegistration*, bool& installed)
    {
        installed = true;
        return menuResult;
    }
    static inline HRESULT menuResult = S_OK;
};

using TestDocumentClass = VyrDocumentClass<TestDocument>;

class DocumentClassTest : public ::testing::Test
{
protected:
    Orv::ComPtr<ICustomDocClass> documentClass{new TestDocumentClass(
        {L"Test Document", &TestDocumentGuid, &VyrDocumentCategoryGUID, TestTypeId, TestFlags})};

    Orv::ComPtr<ICustomDocument2> Create(IUnknown* host = nullptr, ULONG flags = 0)
    {
        Orv::ComPtr<IUnknown> made;
        EXPECT_EQ(S_OK, documentClass->CreateInstance(nullptr, host, flags, made.Put(), 0));
        return made.As<ICustomDocument2>(IID_ICustomDocument2);
    }
};

TEST_F(DocumentClassTest, IsCategoryComparesTheGuidNotThePointer)
{
    const GUID copy = VyrDocumentCategoryGUID;
    const struct
    {
        const GUID* asked;
        HRESULT expected;
    } cases[] = {{&VyrDocumentCategoryGUID, S_OK}, {&copy, S_OK}, {&OtherGuid, S_FALSE}, {nullptr, S_FALSE}};
    for (const auto& test : cases)
        EXPECT_EQ(test.expected, documentClass->IsCategory(test.asked));
}

TEST_F(DocumentClassTest, ClassNameReplacesAnOldTextAndToleratesNoPlace)
{
    EXPECT_EQ(S_OK, documentClass->GetClassName(nullptr));
    BSTR name = SysAllocString(L"old");
    EXPECT_EQ(S_OK, documentClass->GetClassName(&name));
    EXPECT_STREQ(L"Test Document", name);
    SysFreeString(name);
    ULONG typeId = 0, flags = 0;
    const GUID* documentGuid = nullptr;
    documentClass->GetTypeId(&typeId);
    documentClass->GetFlags(&flags);
    documentClass->GetDocumentGuid(&documentGuid);
    EXPECT_EQ(TestTypeId, typeId);
    EXPECT_EQ(TestFlags, flags);
    EXPECT_EQ(&TestDocumentGuid, documentGuid);
}

TEST_F(DocumentClassTest, ANewDocumentHasOneReferenceForItsCreator)
{
    Orv::ComPtr<IUnknown> made;
    ASSERT_EQ(S_OK, documentClass->CreateInstance(nullptr, nullptr, 0x40000000, made.Put(), 0));
    EXPECT_EQ(1u, TestSupport::ReferenceCount(made.Get()));
    const auto document = made.As<ICustomDocument2>(IID_ICustomDocument2);
    ULONG flags = 0;
    document->GetCreationFlags(&flags);
    EXPECT_EQ(0x40000000u, flags);
}

TEST_F(DocumentClassTest, CommandsTheImplementationLeavesFindNoEntryInTheClassMap)
{
    const auto commands = documentClass.As<IVyrCommandHandler>(IID_IVyrCommandHandler);
    ASSERT_TRUE(commands);
    EXPECT_EQ(S_FALSE, commands->Execute(42));
}

TEST_F(DocumentClassTest, InterfacesTheDocumentLacksComeFromTheImplementationExceptTheHiddenOne)
{
    const auto document = Create();
    EXPECT_TRUE(document.As<IVyrDocumentFrame>(IID_IVyrDocumentFrame));
    EXPECT_TRUE(document.As<IVyrCommandHandler>(IID_IVyrCommandHandler));
    Orv::ComPtr<IUnknown> hidden;
    EXPECT_EQ(E_NOINTERFACE, document->QueryInterface(IID_VyrHiddenDocumentFace, hidden.PutVoid()));
    // Faces of the implementation count on the document.
    EXPECT_EQ(1u, TestSupport::ReferenceCount(document.Get()));
}

TEST_F(DocumentClassTest, TheFrameServicesAreTheHostApplication)
{
    const auto document = Create();
    auto* own = static_cast<TestDocument*>(static_cast<VyrDocument*>(document.Get()));
    ASSERT_NE(nullptr, own->GetFrameServices());
    HWND window = reinterpret_cast<HWND>(1);
    EXPECT_EQ(S_OK, own->GetFrameServices()->GetMainWindow(&window));
}

TEST_F(DocumentClassTest, AttachingCommandsAnswersWhatTheMenuBuilderAnswered)
{
    const auto handler = documentClass.As<IVyrCommandHandler>(IID_IVyrCommandHandler);
    for (const HRESULT built : {S_OK, E_FAIL, E_OUTOFMEMORY})
    {
        TestDocument::menuResult = built;
        EXPECT_EQ(built, documentClass->AttachCommands(handler.Get(), 0));
        EXPECT_TRUE(static_cast<TestDocumentClass*>(documentClass.Get())->MenusInstalled());
    }
    TestDocument::menuResult = S_OK;
}

// A host document whose face for modules is not its identity.
struct TwoFacedHost
{
    struct Face : TestSupport::StackComObject<IUnknown>
    {
        TwoFacedHost* owner = nullptr;
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
        {
            *object = nullptr;
            if (IsEqualIID(iid, IID_IUnknown))
                *object = &owner->identity;
            else if (owner->offersFace && IsEqualIID(iid, IID_IVyrHostDocumentFace))
                *object = &owner->face;
            if (*object)
                static_cast<IUnknown*>(*object)->AddRef();
            return *object ? S_OK : E_NOINTERFACE;
        }
    };
    TwoFacedHost() { identity.owner = face.owner = this; }
    Face identity, face;
    bool offersFace = true;
};

TEST_F(DocumentClassTest, TheHostInterfaceIsTheHostDocumentsFaceForModules)
{
    for (const bool offered : {true, false})
    {
        TwoFacedHost host;
        host.offersFace = offered;
        const auto document = Create(&host.identity);
        Orv::ComPtr<IUnknown> handed;
        EXPECT_EQ(offered ? S_OK : E_NOINTERFACE, document->GetHostInterface(handed.Put()));
        EXPECT_EQ(offered ? static_cast<IUnknown*>(&host.face) : nullptr, handed.Get());
    }
}

TEST_F(DocumentClassTest, ANameGivenAsTheModulesStringIsShared)
{
    const auto document = Create();
    Orv::String name(L"Recording 1");
    ASSERT_EQ(S_OK, document->SetName(0, name.Interface()));
    Orv::ComPtr<IAutoOrvString> back;
    ASSERT_EQ(S_OK, document->GetName(0, back.Put()));
    EXPECT_EQ(static_cast<IAutoOrvString*>(name.Interface()), back.Get());
}

} // namespace
