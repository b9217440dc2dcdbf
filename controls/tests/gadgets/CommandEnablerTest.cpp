#include "controls/gadgets/CommandEnabler.h"
#include "controls/gadgets/GadgetWindows.h"

#include "foundation/text/String.h"

#include <gtest/gtest.h>

namespace
{

// The OWL side of a query: what the bridge applied.
class RecordingEnabler : public OWL::TCommandEnabler
{
public:
    RecordingEnabler() : OWL::TCommandEnabler(22032) {}
    void Enable(bool enable) override
    {
        OWL::TCommandEnabler::Enable(enable);
        enabled = enable;
    }
    void SetText(const wchar_t* newText) override { text = newText; }
    void SetCheck(int) override {}
    bool enabled = true;
    std::wstring text = L"untouched";
};

// A host command that holds on to the enabler for a moment, as a host may.
class HostCommand : public IVyrCommandUpdater
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Update(IVyrCommandEnabler* enabler, ULONG) override
    {
        enabler->AddRef();
        Orv::String text(L"Stop");
        enabler->SetText(text.Interface());
        enabler->Enable(1);
        ULONG tag = 0;
        enabler->GetTag(0, &tag);
        seenTag = tag;
        countAfterRelease = enabler->Release();
        return S_OK;
    }
    ULONG seenTag = 0;
    ULONG countAfterRelease = 99;
};

TEST(CommandEnabler, AHostsAddRefAndReleaseLeaveTheScopedEnablerAlive)
{
    HostCommand command;
    RecordingEnabler owl;
    Vyr::EnableFromHost(&command, owl);
    EXPECT_EQ(0u, command.countAfterRelease);
    EXPECT_EQ(1u, command.seenTag);
    EXPECT_TRUE(owl.enabled) << "any non-zero VARIANT_BOOL enables";
    EXPECT_EQ(L"Stop", owl.text);
}

TEST(CommandEnabler, ACommandWithNoHostHandlerComesBackDisabled)
{
    RecordingEnabler owl;
    Vyr::EnableFromHost(nullptr, owl);
    EXPECT_FALSE(owl.enabled);
    EXPECT_EQ(L"", owl.text);
}

TEST(CommandEnabler, StateBitsAreReplacedUnderTheMask)
{
    struct
    {
        ULONG before, bits, mask, after;
    } const cases[] = {{0x3, 0x4, 0x6, 0x5}, {0x0, 0x1, 0x1, 0x1}, {0xF, 0x0, 0xF, 0x0}, {0x8, 0x1, 0x0, 0x9}};
    for (const auto& c : cases)
    {
        Vyr::CommandEnabler enabler(1);
        enabler.SetState(c.before, ~0ul);
        enabler.SetState(c.bits, c.mask);
        EXPECT_EQ(c.after, enabler.State());
    }
}

TEST(CommandEnabler, ACountedEnablerGoesWithItsLastReference)
{
    struct Watched : Vyr::CommandEnabler
    {
        explicit Watched(bool* gone) : Vyr::CommandEnabler(1, Lifetime::Counted), gone_(gone) {}
        ~Watched() override { *gone_ = true; }
        bool* gone_;
    };
    bool gone = false;
    auto* enabler = new Watched(&gone);
    IVyrCommandEnabler* face = nullptr;
    ASSERT_EQ(S_OK, enabler->QueryInterface(IID_IVyrCommandEnabler, reinterpret_cast<void**>(&face)));
    EXPECT_EQ(E_NOINTERFACE, enabler->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&face)));
    EXPECT_EQ(nullptr, face);
    enabler->Release();
    EXPECT_TRUE(gone);
}

TEST(FixedGadgetWindow, KeepsItsSizeWhateverItsGadgets)
{
    FixedGadgetWindow strip(nullptr, 0, nullptr);
    EXPECT_FALSE(strip.GetShrinkWrapWidth());
    EXPECT_FALSE(strip.GetShrinkWrapHeight());
}

} // namespace
