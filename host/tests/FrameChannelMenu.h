// The host's Channel > Delete Channel... and Channel > Units... taken as a person takes them, for the frame
// tests of the channels.
#pragma once

#include "host/app/HostDocument.h"
#include "host/app/gui/FieldsDialog.h"
#include "host/tests/FrameInput.h"
#include "host/tests/TestPictures.h"
#include "host/vyr/UnitConversions.h"

#include <gtest/gtest.h>

#include <string>

namespace HostTests
{

// The channel is chosen in the host's dialog by the first character of its entry (its number). The text
// of the first message box the deletion brought up (closed with OK); empty when none did.
inline std::wstring DeleteChannelThroughTheMenu(Host::FrameWindow& frame, wchar_t number)
{
    constexpr int MessageText = 0xFFFF; // the static of a message box
    constexpr DWORD GiveUpAfter = 5000;
    std::wstring told;
    SecondHand hand([] { return DialogWithControl(Host::DialogFieldId(0)); }, [&](HWND dialog) {
        SecondHand box([] { return DialogWithControl(MessageText); }, [&](HWND shown) {
            told = WindowText(GetDlgItem(shown, MessageText));
            SaveTestPicture(shown, std::wstring(L"frame-channel-deleted-") + number);
            ClickAt(ScreenCentreOf(GetDlgItem(shown, IDOK)));
        });
        const HWND list = GetDlgItem(dialog, Host::DialogFieldId(0));
        ClickAt(ScreenCentreOf(list));
        PumpUntil([&] { return SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0) != 0; }, GiveUpAfter);
        PressKey(number);
        PressKey(VK_RETURN);
        PumpUntil([&] { return SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0) == 0; }, GiveUpAfter);
        ClickAt(ScreenCentreOf(GetDlgItem(dialog, IDOK)));
    });
    const std::wstring item = L"Delete &Channel...";
    EXPECT_EQ(item, ChooseMenuItem(frame, L"Channel", [&](const std::wstring& text) { return text == item; }));
    PumpUntil(frame, [&] { return hand.done.load(); });
    Settle(frame);
    return told;
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

// Channel > Units... with the first channel the dialog offers (the pressure) shown as shown2 at raw 1.
inline void ChangeUnitsThroughTheMenu(Host::FrameWindow& frame, const std::wstring& shown2)
{
    constexpr size_t ShownSecondField = 4;
    SecondHand hand([] { return DialogWithControl(Host::DialogFieldId(0)); }, [&](HWND dialog) {
        ClickAt(ScreenCentreOf(GetDlgItem(dialog, Host::DialogFieldId(ShownSecondField))));
        PressKey(VK_END);
        PressKey(VK_BACK);
        TypeText(shown2);
        SaveTestPicture(dialog, L"frame-channel-units");
        ClickAt(ScreenCentreOf(GetDlgItem(dialog, IDOK)));
    });
    const std::wstring item = L"&Units...";
    EXPECT_EQ(item, ChooseMenuItem(frame, L"Channel", [&](const std::wstring& text) { return text == item; }));
    PumpUntil(frame, [&] { return hand.done.load(); });
    Settle(frame);
}

} // namespace HostTests
