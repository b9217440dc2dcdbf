#include "hostframework/printing/Printout.h"

#include "foundation/containers/Bitset.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

using OWL::TColor;
using OWL::TPoint;
using OWL::TRect;

// Three pages; page p fills the p-th third of the page's width, with a pen of its own selected.
class ThirdsPrintout : public VyrSinglePagePrintout
{
public:
    using VyrSinglePagePrintout::VyrSinglePagePrintout;

    std::vector<ULONG> drawn;
    int pageWidth = 0;

protected:
    void DrawPage(ULONG page, OWL::TDC& dc, ULONG_PTR) override
    {
        drawn.push_back(page);
        pageWidth = dc.GetDeviceCaps(HORZRES);
        const RECT& area = PrintRect();
        const int third = dc.GetDeviceCaps(HORZRES) / 3;
        const int height = dc.GetDeviceCaps(VERTRES);
        pen_ = std::make_unique<OWL::TPen>(TColor(0, 0, 0), 3);
        dc.SelectObject(*pen_);
        const TRect fill = dc.GetMapMode() == MM_TEXT
                               ? TRect(area.left + static_cast<int>(page) * (area.right - area.left) / 3, area.top,
                                       area.left + static_cast<int>(page + 1) * (area.right - area.left) / 3,
                                       area.bottom)
                               : TRect(static_cast<int>(page) * third, 0, static_cast<int>(page + 1) * third, height);
        dc.FillRect(fill, OWL::TBrush(TColor(0, 150, 0)));
    }
    ULONG CountPages() override { return 3; }

private:
    std::unique_ptr<OWL::TPen> pen_;
};

ThirdsPrintout* MakePrintout(const wchar_t* title = L"Loop view", IOrvBitset* pages = nullptr)
{
    auto* printout = new ThirdsPrintout(nullptr, Orv::String(title), 7, pages);
    printout->AddRef();
    return printout;
}

TEST(VyrPrintout, PrintsEachPageOnTheGivenContextAndPutsBackWhatThePageSelected)
{
    ThirdsPrintout* printout = MakePrintout();
    OWL::TBitmap bitmap(90, 30);
    OWL::TMemoryDC dc(bitmap);
    dc.TextRect(TRect(0, 0, 90, 30), TColor::White);
    const HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    const RECT area{0, 0, 90, 30};
    ASSERT_EQ(S_OK, printout->SetDC(&area, dc, nullptr));
    ULONG count = 0;
    ASSERT_EQ(S_OK, printout->GetPageCount(&count));
    EXPECT_EQ(3u, count);
    EXPECT_EQ(S_OK, printout->HasPage(2));
    EXPECT_EQ(S_FALSE, printout->HasPage(3));
    EXPECT_EQ(S_OK, printout->PrintPage(1, 0));
    EXPECT_EQ(pen, GetCurrentObject(dc, OBJ_PEN));
    EXPECT_EQ(RGB(255, 255, 255), dc.GetPixel(TPoint(15, 15)).GetValue());
    EXPECT_EQ(RGB(0, 150, 0), dc.GetPixel(TPoint(45, 15)).GetValue());
    printout->Release();
}

TEST(VyrPrintout, APreviewDrawsThePrintersPageIntoThePrintRectangleAndASecondSetDCReplacesIt)
{
    ThirdsPrintout* printout = MakePrintout();
    const HDC printer = CreateCompatibleDC(nullptr);
    const int printerWidth = GetDeviceCaps(printer, HORZRES);
    OWL::TBitmap bitmap(200, 100);
    OWL::TMemoryDC screen(bitmap);
    screen.TextRect(TRect(0, 0, 200, 100), TColor::White);
    const RECT area{20, 10, 170, 90};
    ASSERT_EQ(S_OK, printout->SetDC(&area, screen, printer));
    ULONG count = 0;
    printout->GetPageCount(&count);
    EXPECT_EQ(S_OK, printout->PrintPage(2, 0));
    EXPECT_EQ(printerWidth, printout->pageWidth) << "the page is laid out for the printer";
    EXPECT_NE(MM_TEXT, screen.GetMapMode());

    OWL::TBitmap other(10, 10);
    OWL::TMemoryDC second(other);
    const RECT small{0, 0, 10, 10};
    ASSERT_EQ(S_OK, printout->SetDC(&small, second, nullptr));
    EXPECT_EQ(MM_TEXT, screen.GetMapMode()) << "the first preview context gave the screen its state back";
    EXPECT_EQ(RGB(0, 150, 0), screen.GetPixel(TPoint(160, 50)).GetValue()) << "last third of the rectangle";
    EXPECT_EQ(RGB(255, 255, 255), screen.GetPixel(TPoint(60, 50)).GetValue());
    EXPECT_EQ(RGB(255, 255, 255), screen.GetPixel(TPoint(180, 50)).GetValue()) << "nothing beyond the rectangle";
    printout->Release();
    DeleteDC(printer);
}

TEST(VyrPrintout, APageIsNotPrintedBeforeTheContextsAreHandedOver)
{
    ThirdsPrintout* printout = MakePrintout();
    EXPECT_EQ(E_UNEXPECTED, printout->PrintPage(0, 0));
    EXPECT_TRUE(printout->drawn.empty());
    printout->Release();
}

TEST(VyrPrintout, PageSelectionRules)
{
    struct Case
    {
        std::vector<ULONG> words;
        bool fill;
        ULONG page;
        HRESULT expected;
    };
    const std::vector<Case> cases = {
        {{0, 0}, false, 5, S_OK},             // nothing chosen: every page
        {{0, 0}, false, 200, S_OK},
        {{0x4, 0}, false, 2, S_OK},           // page 2 chosen
        {{0x4, 0}, false, 1, S_FALSE},
        {{0x4, 0}, false, 70, S_FALSE},       // beyond the words, fill clear
        {{0, 0x1}, false, 32, S_OK},          // second word
        {{0x1, 0}, true, 100, S_OK},          // beyond the words, fill set
        {{0, 0}, true, 3, S_FALSE},           // the words say no, the fill says yes beyond them
    };
    for (const Case& test : cases)
    {
        Orv::BitsetRep* rep = Orv::BitsetRep::Create(2, test.fill ? Orv::BitsetRep::AllOnes : 0);
        rep->Words()[0] = test.words[0];
        rep->Words()[1] = test.words[1];
        rep->AddRef();
        ThirdsPrintout* printout = MakePrintout(L"t", rep);
        EXPECT_EQ(test.expected, printout->IsPageSelected(test.page)) << test.page;
        printout->Release();
        rep->Release();
    }
}

TEST(VyrPrintout, TitleKindOptionsAndInterfaces)
{
    ThirdsPrintout* printout = MakePrintout();
    BSTR title = SysAllocString(L"old");
    EXPECT_EQ(S_OK, printout->GetTitle(&title));
    EXPECT_STREQ(L"Loop view", title);
    SysFreeString(title);
    EXPECT_EQ(S_OK, printout->GetTitle(nullptr));
    ThirdsPrintout* untitled = MakePrintout(L"");
    BSTR none = SysAllocString(L"old");
    untitled->GetTitle(&none);
    EXPECT_EQ(nullptr, none);
    untitled->Release();

    ULONG kind = 0, options = 0;
    printout->GetKind(&kind);
    EXPECT_EQ(7u, kind);
    printout->SetOptions(0x3, 0x3);
    printout->SetOptions(0x4, 0x6);
    printout->GetOptions(&options);
    EXPECT_EQ(0x5u, options);

    for (const IID& iid : {IID_IVyrPrintout, IID_IVyrPrintoutEx, IID_IVyrPrintoutType, IID_IUnknown})
    {
        IUnknown* face = nullptr;
        EXPECT_EQ(S_OK, printout->QueryInterface(iid, reinterpret_cast<void**>(&face)));
        face->Release();
    }
    IUnknown* owner = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(S_OK, printout->GetOwner(&owner));
    EXPECT_EQ(nullptr, owner);
    printout->Release();
}

} // namespace
