// The comments as the host holds them: where a comment is with and without its block, how two compare,
// what the marker answers, the popup a comment opens, the event comment and the show-comment message.
#include "hostframework/comments/StrixComment.h"

#include "hostframework/comments/CommentPopup.h"
#include "hostframework/tests/FrameworkTestSupport.h"
#include "platform/owl/gdi/DC.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

class Block final : public TestSupport::StackComObject<IStrixCommentBlock>
{
public:
    HRESULT STDMETHODCALLTYPE GetEventWord(ULONG* word) override { return *word = 9, S_OK; }
    HRESULT STDMETHODCALLTYPE GetFirstSample(LONG* sample) override { return *sample = 5000, S_OK; }
    HRESULT STDMETHODCALLTYPE GetIndex(LONG* index) override { return *index = 3, S_OK; }
    HRESULT STDMETHODCALLTYPE GetStart(LONGLONG* start) override { return *start = 7000, S_OK; }
};

class Comment final : public StrixCommentBase
{
public:
    Comment(const wchar_t* text, ULONG kind, LONG blockIndex, ULONG offset, LONG channel)
        : StrixCommentBase(Orv::String(text), kind, blockIndex, offset, channel)
    {
        AddRef();
    }
    HRESULT STDMETHODCALLTYPE GetState(ULONG* state) override { return *state = state_, S_OK; }
    ULONG state_ = 0;
};

std::pair<LONG, LONG> Position(IStrixComment& comment)
{
    LONG position[2] = {};
    comment.GetInfo(position, nullptr, nullptr, nullptr);
    return {position[0], position[1]};
}

TEST(CommentObjects, APositionComesFromTheBlockWhileOneIsAttachedAndItsIndexStaysWhenDetached)
{
    Comment* comment = new Comment(L"Bolus", 2, 1, 100, 4);
    LONG sample = 0;
    EXPECT_EQ(std::make_pair(1L, 100L), Position(*comment));
    EXPECT_EQ(E_FAIL, comment->GetAbsoluteSample(&sample));
    EXPECT_EQ(-1, sample);
    EXPECT_EQ(E_FAIL, comment->GetEventPosition(&sample, nullptr));

    Block block;
    comment->SetBlock(&block);
    LONGLONG absolute = 0;
    ULONG word = 0;
    EXPECT_EQ(std::make_pair(3L, 100L), Position(*comment));
    EXPECT_EQ(S_OK, comment->GetAbsoluteSample(&sample));
    EXPECT_EQ(5100, sample);
    comment->GetAbsolutePosition(&absolute);
    EXPECT_EQ(7100, absolute);
    EXPECT_EQ(S_OK, comment->GetEventPosition(&sample, &word));
    EXPECT_EQ(9u, word);

    comment->SetBlock(nullptr);
    IStrixCommentBlock* none = nullptr;
    EXPECT_EQ(S_FALSE, comment->GetBlock(&none));
    EXPECT_EQ(std::make_pair(3L, 100L), Position(*comment));
    EXPECT_EQ(0, block.references);
    comment->Release();
}

TEST(CommentObjects, OrderIsByPositionThenChannelKindAndTextAndACommentEqualsItself)
{
    struct Case
    {
        Comment* first;
        Comment* second;
        LONG order;
    };
    const Case cases[] = {
        {new Comment(L"b", 0, 1, 5, 0), new Comment(L"a", 0, 2, 0, 0), -1},
        {new Comment(L"a", 0, 1, 9, 0), new Comment(L"a", 0, 1, 5, 0), 1},
        {new Comment(L"a", 0, 1, 5, 2), new Comment(L"a", 0, 1, 5, 3), -1},
        {new Comment(L"a", 7, 1, 5, 2), new Comment(L"a", 6, 1, 5, 2), 1},
        {new Comment(L"a", 7, 1, 5, 2), new Comment(L"b", 7, 1, 5, 2), -1},
        {new Comment(L"a", 7, 1, 5, 2), new Comment(L"a", 7, 1, 5, 2), 0},
    };
    for (const Case& c : cases)
    {
        LONG order = 9;
        c.first->Compare(c.second, &order);
        EXPECT_EQ(c.order, order);
        EXPECT_EQ(c.order == 0 ? S_OK : S_FALSE, c.first->IsEqual(c.second));
        EXPECT_EQ(S_OK, c.first->IsEqual(c.first));
        c.first->Release();
        c.second->Release();
    }
}

TEST(CommentObjects, OnlyTheMarkerIsHitAndAHighlightedCommentIsFilledBlack)
{
    EventCommentBase* comment = new EventCommentBase(Orv::String(L"ESP"), 0, 0, 0, 1, RGB(0, 160, 0));
    comment->AddRef();
    OWL::TScreenDC screen;
    CommentDrawRecord record{50, 10, 200, 0, 0};
    for (const auto& [point, result, code] : {std::tuple{POINT{50, 13}, S_OK, 4ul}, std::tuple{POINT{53, 16}, S_OK, 4ul},
                                              std::tuple{POINT{60, 13}, S_FALSE, 0ul}, std::tuple{POINT{50, 30}, S_FALSE, 0ul}})
    {
        ULONG answer = 99;
        EXPECT_EQ(result, comment->HitTest(screen, &record, point, &answer));
        EXPECT_EQ(code, answer);
    }
    COLORREF fill = 0;
    comment->GetFillColour(&record, &fill);
    EXPECT_EQ(RGB(0, 160, 0), fill);
    record.flags = CommentDrawFlag::Highlighted;
    comment->GetFillColour(&record, &fill);
    EXPECT_EQ(RGB(0, 0, 0), fill);
    comment->Release();
}

TEST(CommentObjects, APopupShowsTheCommentUntilItsLastReleaseUnlessTheCommentsStateKeepsItClosed)
{
    OWL::TWindow owner(nullptr, L"Recording");
    owner.Attr.Style = WS_OVERLAPPEDWINDOW;
    owner.Create();
    Comment* comment = new Comment(L"Saline bolus", 0, 0, 0, 1);
    const RECT marker{100, 20, 107, 27};
    ICommentPopupWindow* popup = nullptr;
    ASSERT_EQ(S_OK, comment->ShowPopup(owner.GetHandle(), L"1.5 s", &popup, &marker));
    ASSERT_NE(nullptr, popup);
    IStrixComment* shown = nullptr;
    EXPECT_EQ(S_OK, popup->GetComment(&shown));
    EXPECT_EQ(static_cast<IStrixComment*>(comment), shown);
    shown->Release();
    EXPECT_EQ(E_INVALIDARG, popup->GetComment(nullptr));
    const HWND window = static_cast<CommentPopup*>(popup)->GetHandle();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(owner.GetHandle(), GetWindow(window, GW_OWNER));
    popup->Release();
    EXPECT_FALSE(IsWindow(window));

    comment->state_ = CommentStateNoPopup;
    EXPECT_EQ(S_FALSE, comment->ShowPopup(owner.GetHandle(), L"1.5 s", &popup, &marker));
    EXPECT_EQ(nullptr, popup);
    comment->Release();
}

TEST(CommentObjects, TheEventCommentAnswersItsIdentityAndTheMessageCarriesItsComment)
{
    const ULONG identity[2] = {1234, 56};
    auto* comment = new StrixClient::EventDataCommentTP(identity, 2, 0, 10, RGB(1, 2, 3), Orv::String(L"Loop 4"));
    comment->AddRef();
    LONG sample = 0;
    ULONG word = 0, typeId = 0, reserved = 9;
    COLORREF colour = 0;
    comment->GetEventPosition(&sample, &word);
    EXPECT_EQ(std::make_pair(1234L, 56ul), std::make_pair(sample, word));
    comment->SetOffset(1300);
    comment->GetAbsoluteSample(&sample);
    EXPECT_EQ(1300, sample);
    EXPECT_EQ(S_OK, comment->GetTypeInfo(&typeId, &colour, &reserved));
    EXPECT_EQ(RGB(1, 2, 3), colour);
    EXPECT_EQ(0u, reserved);
    EXPECT_NE(0u, typeId);

    int sender = 0;
    ShowComment2Msg* message = new ShowComment2Msg(comment, 0, &sender);
    ShowComment2Msg* copy = message->Clone();
    message->Release();
    VARIANT_BOOL fromSender = VARIANT_FALSE;
    ULONG id = 0;
    copy->GetId(&id);
    copy->IsFromSender(&sender, &fromSender);
    EXPECT_EQ(0x800C005Au, id);
    EXPECT_EQ(VARIANT_TRUE, fromSender);
    IStrixComment* carried = nullptr;
    copy->GetComment(&carried);
    EXPECT_EQ(static_cast<IStrixComment*>(comment), carried);
    carried->Release();
    copy->Release();
    comment->Release();
}

} // namespace
