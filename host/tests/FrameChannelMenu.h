// The host's Channel menu actions taken as a person takes them (the channel or source chosen in the host's
// dialog, the units typed into it), for the frame tests of the channels.
#pragma once

#include "host/app/document/HostDocument.h"
#include "host/app/gui/FieldsDialog.h"
#include "host/tests/FrameInput.h"
#include "host/tests/TestPictures.h"
#include "host/vyr/UnitConversions.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace HostTests
{

// Closes every message box of this process with OK while it runs, keeping their texts and pictures: a box
// left open would hold the test in its modal loop. The host's channel dialog is no box.
class MessageBoxCloser
{
public:
    explicit MessageBoxCloser(std::wstring picture)
        : thread_([this, picture = std::move(picture)] {
              while (!stop_)
              {
                  const HWND box = DialogWithControl(MessageText);
                  if (!box || GetDlgItem(box, Host::DialogFieldId(0)))
                  {
                      Sleep(20);
                      continue;
                  }
                  texts_.push_back(WindowText(GetDlgItem(box, MessageText)));
                  SaveTestPicture(box, texts_.size() == 1 ? picture : picture + L"-" + std::to_wstring(texts_.size()));
                  ClickUntilGone(box, IDOK);
              }
          })
    {
    }
    ~MessageBoxCloser() { Stop(); }
    // The texts of the boxes closed, in the order they came.
    std::vector<std::wstring> Stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        return texts_;
    }

private:
    static constexpr int MessageText = 0xFFFF; // the static of a message box
    std::atomic<bool> stop_ = false;
    std::vector<std::wstring> texts_;
    std::thread thread_;
};

// Chooses, in the host's channel dialog, the entry of its first field whose text starts with key.
inline void ChooseFirstEntry(HWND dialog, wchar_t key)
{
    const HWND list = GetDlgItem(dialog, Host::DialogFieldId(0));
    const wchar_t start[] = {key, L'\0'};
    EXPECT_TRUE(ChooseListItem(list, static_cast<int>(SendMessageW(list, CB_FINDSTRING, static_cast<WPARAM>(-1),
                                                                   reinterpret_cast<LPARAM>(start)))));
}

// Chooses the Channel menu's item and, in the host's dialog it opens, the entry whose text starts with key
// (a channel's number, a source's first letter). The texts of the message boxes the action brought up,
// each closed with OK.
inline std::vector<std::wstring> ChooseInChannelDialog(Host::FrameWindow& frame, const std::wstring& item, wchar_t key,
                                                       const std::wstring& picture)
{
    MessageBoxCloser boxes(picture);
    {
        SecondHand hand([] { return DialogWithControl(Host::DialogFieldId(0)); }, [&](HWND dialog) {
            ChooseFirstEntry(dialog, key);
            ClickUntilGone(dialog, IDOK);
        });
        EXPECT_EQ(item, ChooseMenuItem(frame, L"Channel", [&](const std::wstring& text) { return text == item; }));
        PumpUntil(frame, [&] { return hand.done.load(); });
    }
    Settle(frame);
    return boxes.Stop();
}

// Channel > Delete Channel... for the channel of that number.
inline std::vector<std::wstring> DeleteChannelThroughTheMenu(Host::FrameWindow& frame, wchar_t number)
{
    return ChooseInChannelDialog(frame, L"Delete &Channel...", number, std::wstring(L"frame-channel-deleted-") + number);
}

// The scale of the conversion the host shows the channel through (in its first record); 0 for none.
inline double ShownScale(Host::HostDocument& document, int32_t channel)
{
    Orv::ComPtr<IUnitConversion> conversion;
    Vyr::ConversionFacts facts;
    if (document.GetChannelConversion(HostUnsetPosition, 0, channel, conversion.Put()) != S_OK ||
        !Vyr::ReadConversionFacts(*conversion.Get(), facts))
        return 0.0;
    return facts.scale;
}

// Channel > Units..., its dialog handled by inDialog (which closes it).
inline void InUnitsDialog(Host::FrameWindow& frame, const std::function<void(HWND)>& inDialog)
{
    SecondHand hand([] { return DialogWithControl(Host::DialogFieldId(0)); }, inDialog);
    const std::wstring item = L"&Units...";
    EXPECT_EQ(item, ChooseMenuItem(frame, L"Channel", [&](const std::wstring& text) { return text == item; }));
    PumpUntil(frame, [&] { return hand.done.load(); });
    Settle(frame);
}

constexpr size_t UnitsShownSecondField = 4, UnitsUnitField = 5;

// Channel > Units... with the channel of that number (the first, the pressure, unless said) shown as shown2
// at raw 1, in unit when one is given (else the unit the dialog offers, the recorded one).
inline void ChangeUnitsThroughTheMenu(Host::FrameWindow& frame, const std::wstring& shown2, const std::wstring& unit = {},
                                      wchar_t channel = L'1')
{
    InUnitsDialog(frame, [&](HWND dialog) {
        ChooseFirstEntry(dialog, channel);
        EXPECT_TRUE(RetypeUntilShown(GetDlgItem(dialog, Host::DialogFieldId(UnitsShownSecondField)), shown2));
        if (!unit.empty())
        {
            EXPECT_TRUE(RetypeUntilShown(GetDlgItem(dialog, Host::DialogFieldId(UnitsUnitField)), unit));
        }
        SaveTestPicture(dialog, L"frame-channel-units");
        ClickUntilGone(dialog, IDOK);
    });
}

} // namespace HostTests
