// Recorded automation commands read back: a statement the host writes for a message makes the same
// message again when a macro runs it.
#include "host/app/macro/MacroText.h"

#include "foundation/com/ComPtr.h"
#include "host/tests/module/SharedFramework.h"
#include "hostframework/automation/MessageClassObject.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace
{

using Host::Macro::Statement;
using Orv::ComPtr;

Orv::MsgIdMessageClassObjectRootImpl* CommandNamed(const wchar_t* name)
{
    for (VyrMessageClassLink* link = VyrMessageClassLink::Head(); link; link = link->Next())
        if (auto* command = dynamic_cast<Orv::MsgIdMessageClassObjectRootImpl*>(link))
            if (command->Name() == Orv::String(name))
                return command;
    return nullptr;
}

// The payload with each text reference replaced by its text, so that two messages compare by content.
std::vector<std::wstring> Content(IMessage* message)
{
    ULONG size = 0;
    const void* payload = nullptr;
    message->GetPayloadSize(&size);
    message->GetPayload(&payload);
    const auto* bytes = static_cast<const BYTE*>(payload);
    ULONG typeWord = 0;
    std::memcpy(&typeWord, bytes, sizeof typeWord);
    std::vector<std::wstring> content{std::to_wstring(typeWord)};
    std::size_t at = sizeof typeWord;
    for (ULONG codes = typeWord; codes; codes >>= 4)
    {
        switch (codes & 0xF)
        {
        case 7:
        {
            IAutoOrvString* text = nullptr;
            std::memcpy(&text, bytes + at, sizeof text);
            content.push_back(Orv::String::FromInterface(text).c_str());
            at += sizeof text;
            break;
        }
        case 3:
        {
            double value = 0;
            std::memcpy(&value, bytes + at, sizeof value);
            content.push_back(std::to_wstring(value));
            at += sizeof value;
            break;
        }
        default:
        {
            ULONG value = 0;
            std::memcpy(&value, bytes + at, sizeof value);
            content.push_back(std::to_wstring(value));
            at += sizeof value;
        }
        }
    }
    return content;
}

TEST(MacroText, EveryRecordedStatementMakesTheSameMessageAgain)
{
    struct Case
    {
        const wchar_t* command;
        const wchar_t* statement; // as a person would type it
        const wchar_t* recorded;  // as the host writes the message back
    };
    const Case cases[] = {
        {L"ApplySistraCuvetteCalibration", L"Doc.ApplySistraCuvetteCalibration slope:=0.5, intercept:=-3",
         L"Doc.ApplySistraCuvetteCalibration slope:=0.5, intercept:=-3"},
        {L"SetESPVRegressionType", L"Doc.SetESPVRegressionType RegressionType:=\"Say \"\"Linear\"\", then\"",
         L"Doc.SetESPVRegressionType RegressionType:=\"Say \"\"Linear\"\", then\""},
        {L"ShowEDPVRegression", L"Doc.ShowEDPVRegression  ShowEDPVR:=True ",
         L"Doc.ShowEDPVRegression ShowEDPVR:=True"},
        {L"EditParallelConductanceInList", L"Doc.EditParallelConductanceInList position:=2,parallelConductance:=1e-3",
         L"Doc.EditParallelConductanceInList position:=2, parallelConductance:=0.001"},
        {L"AnalyzeSistraNow", L"Doc.AnalyzeSistraNow", L"Doc.AnalyzeSistraNow"},
    };
    HostTests::SharedFramework();
    for (const Case& c : cases)
    {
        Orv::MsgIdMessageClassObjectRootImpl* command = CommandNamed(c.command);
        ASSERT_NE(nullptr, command);
        Statement typed(c.statement);
        EXPECT_EQ(c.command, typed.Command());
        ComPtr<IMessage> first;
        ASSERT_EQ(S_OK, command->CreateMessage(0, typed.Parameters(), first.Put()));

        const auto recorder = ComPtr<IMacroWriter>::Adopt(Host::Macro::CreateMacroRecorder());
        ASSERT_EQ(S_OK, command->WriteMessageMacro(0, first.Get(), recorder.Get(), 0));
        const std::vector<std::wstring> texts = Host::Macro::RecordedTexts(recorder.Get());
        ASSERT_EQ(1u, texts.size());
        EXPECT_EQ(c.recorded, texts[0]);

        Statement replayed(texts[0]);
        ComPtr<IMessage> second;
        ASSERT_EQ(S_OK, command->CreateMessage(0, replayed.Parameters(), second.Put()));
        EXPECT_EQ(Content(first.Get()), Content(second.Get()));
    }
}

TEST(MacroText, AMalformedStatementIsRefusedAtItsColumn)
{
    const std::pair<const wchar_t*, std::size_t> cases[] = {
        {L"Sistra.AnalyzeSistraNow", 1},
        {L"Doc. x:=1", 5},
        {L"Doc.SelectASistra LoopIdx=3", 26},
        {L"Doc.SelectASistra LoopIdx:=3 4", 30},
        {L"Doc.SetESPVRegressionType RegressionType:=\"Linear", 50},
        {L"Doc.SelectASistra LoopIdx:=", 28},
    };
    for (const auto& [line, column] : cases)
    {
        try
        {
            Statement statement(line);
            ADD_FAILURE() << "accepted: " << Orv::String(line).Narrow();
        }
        catch (const Host::Macro::MacroSyntaxError& error)
        {
            EXPECT_EQ(column, error.column) << error.what();
        }
    }
}

TEST(MacroText, SignaturesAreCollectedLineByLine)
{
    const auto collector = ComPtr<ISignatureWriter>::Adopt(Host::Macro::CreateSignatureCollector());
    ASSERT_EQ(S_OK, CommandNamed(L"SelectASistra")->WriteSignature(0, collector.Get(), 0));
    const std::vector<std::wstring> expected = {
        L"Name:        SelectASistra",
        L"Description: Selects specified loop in the Loop View and Hemodynamics Table",
        L"Parameters:  LoopIdx - loop index, starting from zero. -1 will deselect all loops",
    };
    EXPECT_EQ(expected, Host::Macro::CollectedLines(collector.Get()));
}

} // namespace
