#include "hostframework/tests/FrameworkTestSupport.h"

#include "hostapi/OrvStringInterfaces.h"
#include "hostapi/VyrAutomation.h"
#include "foundation/text/String.h"
#include "hostframework/automation/MessageClassObject.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{

using Orv::ComPtr;
using Orv::String;

struct CommandRow
{
    USHORT number;
    const wchar_t* name;
    bool secondOption;
    ULONG typeWord;          // of a message made from arguments of the parameters' own types
    int signatureLines;
};

// Every command, in the order registration meets them (the reverse of their construction).
const CommandRow Commands[] = {
    {287, L"SetShowESPointsType", false, 7, 3},
    {286, L"SetKnownSistraVolumeValueFromSel", true, 2, 3},
    {285, L"EditParallelConductanceInList", false, 0x32, 4},
    {284, L"OpenMPVSControlSoftware", false, 0, 2},
    {283, L"SetSistraVolumeValueFromSel", true, 2, 3},
    {282, L"RemoveParallelConductanceFromList", false, 2, 3},
    {281, L"AddAnalyzedParallelConductance", false, 0, 2},
    {280, L"ArrangeSistraViews", false, 0, 2},
    {276, L"OpenSistraSettings", false, 0, 2},
    {274, L"SetSistraConductanceValueFromSel", true, 2, 3},
    {273, L"SetSistraPressureValueFromSel", true, 2, 3},
    {272, L"CopyPVTableToTallion", false, 0, 2},
    {267, L"SetEDPVRegressionType", false, 7, 3},
    {266, L"SetESPVRegressionType", false, 7, 3},
    {265, L"ShowEDPVRegression", false, 1, 3},
    {264, L"ShowESPVRegression", false, 1, 3},
    {269, L"SistraTableRowSelected", true, 1, 3},
    {268, L"SelectASistra", false, 2, 3},
    {271, L"DisableSistraCuvetteCalibration", false, 0, 2},
    {270, L"ApplySistraCuvetteCalibration", false, 0x33, 4},
    {263, L"DisableSistraSalineCalibration", false, 0, 2},
    {262, L"ApplySistraSalineCalibration", false, 3, 3},
    {261, L"ToggleSistraEventMarkers", false, 0, 2},
    {260, L"ToggleSistraOnlineMode", false, 0, 2},
    {259, L"ReselectSistraAnalyzedRegion", false, 0, 2},
    {258, L"ClearSistraAnalysis", false, 0, 2},
    {257, L"AnalyzeSistraNow", false, 0, 2},
    {256, L"AddSelToSistraCuvetteCalibration", false, 0, 2},
};

std::wstring Text(IAutoOrvString* text)
{
    return String::FromInterface(text).c_str();
}

std::wstring NameOf(IMsgIdMessageClassObject* command)
{
    BSTR name = nullptr;
    command->GetName(&name);
    std::wstring result = name ? name : L"";
    SysFreeString(name);
    return result;
}

// The module's own commands, in list order.
std::vector<Orv::MsgIdMessageClassObjectRootImpl*> ModuleCommands()
{
    std::vector<Orv::MsgIdMessageClassObjectRootImpl*> commands;
    for (VyrMessageClassLink* link = VyrMessageClassLink::Head(); link; link = link->Next())
        if (auto* command = dynamic_cast<Orv::MsgIdMessageClassObjectRootImpl*>(link))
            commands.push_back(command);
    return commands;
}

IMsgIdMessageClassObject* CommandNamed(const wchar_t* name)
{
    for (auto* command : ModuleCommands())
        if (command->Name() == String(name))
            return command;
    ADD_FAILURE() << "no command " << String(name).Narrow();
    return nullptr;
}

// Automation arguments as a caller writes them, first argument first (DISPPARAMS holds them reversed).
class Arguments
{
public:
    Arguments& Add(VARIANT value)
    {
        values_.insert(values_.begin(), value);
        return *this;
    }
    Arguments& Text(const wchar_t* text)
    {
        VARIANT value;
        V_VT(&value) = VT_BSTR;
        V_BSTR(&value) = SysAllocString(text);
        return Add(value);
    }
    Arguments& Long(LONG number)
    {
        VARIANT value;
        V_VT(&value) = VT_I4;
        V_I4(&value) = number;
        return Add(value);
    }
    ~Arguments()
    {
        for (VARIANT& value : values_)
            VariantClear(&value);
    }
    DISPPARAMS* Params()
    {
        params_ = {values_.data(), nullptr, static_cast<UINT>(values_.size()), 0};
        return &params_;
    }

private:
    std::vector<VARIANT> values_;
    DISPPARAMS params_{};
};

struct Made
{
    HRESULT result;
    ComPtr<IMessage> message;
    std::vector<BYTE> payload;
};

Made Create(const wchar_t* name, Arguments& arguments)
{
    Made made{};
    made.result = CommandNamed(name)->CreateMessage(0, arguments.Params(), made.message.Put());
    if (made.message)
    {
        ULONG size = 0;
        const void* payload = nullptr;
        made.message->GetPayloadSize(&size);
        made.message->GetPayload(&payload);
        made.payload.assign(static_cast<const BYTE*>(payload), static_cast<const BYTE*>(payload) + size);
    }
    return made;
}

template <class T>
T ValueAt(const Made& made, std::size_t offset)
{
    T value{};
    std::memcpy(&value, made.payload.data() + offset, sizeof value);
    return value;
}

// What the host's macro machinery was asked to write.
class RecordingMacroWriter final : public TestSupport::StackComObject<IMacroWriter, IMacroStatement, ISignatureWriter>
{
public:
    HRESULT STDMETHODCALLTYPE WriteText(IAutoOrvString* text, ULONG_PTR) override
    {
        written.push_back(Text(text));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetStatementPrefix(ULONG, IAutoOrvString** prefix) override
    {
        return Hand(String(L"Doc."), prefix);
    }
    HRESULT STDMETHODCALLTYPE CreateStatement(ULONG, IMacroStatement** statement) override
    {
        *statement = this;
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateElementStatement(ULONG reserved, IMacroStatement** statement) override
    {
        return CreateStatement(reserved, statement);
    }
    HRESULT STDMETHODCALLTYPE Begin(IAutoOrvString* prefix, IAutoOrvString* command) override
    {
        statement = Text(prefix) + Text(command);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AddArgument(IAutoOrvString* name, IAutoOrvString* value, ULONG kind) override
    {
        statement += L" " + Text(name) + L"=" + Text(value) + L"/" + std::to_wstring(kind);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetText(IAutoOrvString** text) override
    {
        return Hand(String(statement.c_str()), text);
    }
    HRESULT STDMETHODCALLTYPE WriteLine(IAutoOrvString* line, ULONG_PTR) override
    {
        written.push_back(Text(line));
        return S_OK;
    }

    std::wstring statement;
    std::vector<std::wstring> written;

private:
    static HRESULT Hand(const String& text, IAutoOrvString** out)
    {
        *out = text.Interface();
        (*out)->AddRef();
        return S_OK;
    }
};

TEST(AutomationCommands, EachCommandHasItsNumberNameGroupOptionsAndRegistrationPlace)
{
    const auto commands = ModuleCommands();
    ASSERT_EQ(std::size(Commands), commands.size());
    for (std::size_t i = 0; i < commands.size(); ++i)
    {
        const CommandRow& row = Commands[i];
        IMsgIdMessageClassObject* command = commands[i];
        EXPECT_EQ(row.name, NameOf(command)) << i;
        ULONG id = 0;
        EXPECT_EQ(S_OK, command->GetId(&id));
        EXPECT_EQ((MsgIdClass<&SistraDocumentGUID, 0>::Id() | row.number), id) << row.number;
        BSTR group = nullptr;
        command->GetGroup(&group);
        EXPECT_STREQ(L"Sistra", group);
        SysFreeString(group);
        VARIANT_BOOL first = 0, second = 0;
        command->QueryFirstOption(&first);
        command->QuerySecondOption(&second);
        EXPECT_EQ(VARIANT_TRUE, first);
        EXPECT_EQ(row.secondOption ? VARIANT_TRUE : VARIANT_FALSE, second) << row.number;
        RecordingMacroWriter writer;
        EXPECT_EQ(S_OK, command->WriteSignature(0, &writer, 0));
        EXPECT_EQ(row.signatureLines, static_cast<int>(writer.written.size())) << row.number;
        EXPECT_EQ(row.number == 276 ? 4u : 0u, commands[i]->SendFlags()) << row.number;
    }
}

TEST(AutomationCommands, DescriptionsAreTheCommandsOwnTexts)
{
    const std::pair<const wchar_t*, const wchar_t*> samples[] = {
        {L"AddSelToSistraCuvetteCalibration", L"Adds the current Strix View selection to Cuvette Calibration in Sistra."},
        {L"OpenMPVSControlSoftware", L"Launches Millar Instruments' MPVS Ultra Control Interface"},
        {L"SistraTableRowSelected", L"Message for special handling for when the table row being selected"},
        {L"SetShowESPointsType",
         L"Sets the type of end-systolic points to be shown in the Loop View and used to determine end-systolic-based "
         L"parameters in the Hemodynamics Table and other Views."},
    };
    for (const auto& [name, description] : samples)
    {
        ComPtr<IAutoOrvString> text;
        ASSERT_EQ(S_OK, CommandNamed(name)->GetDescription(text.Put()));
        EXPECT_EQ(description, Text(text.Get()));
    }
}

TEST(AutomationCommands, ArgumentsConvertUnderTheFixedEnglishLocaleWhateverTheUsersIs)
{
    const LCID before = GetThreadLocale();
    SetThreadLocale(MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT));
    Arguments arguments;
    arguments.Text(L"0.5").Long(3);
    const Made made = Create(L"ApplySistraCuvetteCalibration", arguments);
    SetThreadLocale(before);

    ASSERT_EQ(S_OK, made.result);
    ASSERT_EQ(4u + 16u, made.payload.size());
    EXPECT_EQ(0x33u, ValueAt<ULONG>(made, 0));
    EXPECT_EQ(0.5, ValueAt<double>(made, 4));
    EXPECT_EQ(3.0, ValueAt<double>(made, 12));
    ULONG id = 0;
    made.message->GetId(&id);
    EXPECT_EQ((MsgIdClass<&SistraDocumentGUID, 270>::Id()), id);
}

TEST(AutomationCommands, ValuesOfEveryTypeLandInThePayloadRecord)
{
    Arguments edit;
    edit.Text(L"-2").Text(L"1.25");
    const Made edited = Create(L"EditParallelConductanceInList", edit);
    ASSERT_EQ(S_OK, edited.result);
    EXPECT_EQ(0x32u, ValueAt<ULONG>(edited, 0));
    EXPECT_EQ(-2, ValueAt<LONG>(edited, 4));
    EXPECT_EQ(1.25, ValueAt<double>(edited, 8));

    Arguments show;
    show.Long(2);
    const Made shown = Create(L"ShowESPVRegression", show);
    ASSERT_EQ(S_OK, shown.result);
    EXPECT_EQ(1u, ValueAt<ULONG>(shown, 4)) << "any non-zero number is true";

    Arguments type;
    type.Long(1);
    const Made typed = Create(L"SetESPVRegressionType", type);
    ASSERT_EQ(S_OK, typed.result);
    EXPECT_EQ(7u, ValueAt<ULONG>(typed, 0));
    EXPECT_EQ(L"1", Text(ValueAt<IAutoOrvString*>(typed, 4))) << "the message keeps its text alive";
}

TEST(AutomationCommands, AWrongArgumentCountOrAnUnconvertibleArgumentMakesNoMessage)
{
    struct Case
    {
        const wchar_t* name;
        int arguments;
        HRESULT expected;
    };
    const Case cases[] = {
        {L"ApplySistraCuvetteCalibration", 1, DISP_E_BADPARAMCOUNT},
        {L"ApplySistraCuvetteCalibration", 4, DISP_E_BADPARAMCOUNT},
        {L"SelectASistra", 0, DISP_E_BADPARAMCOUNT},
        {L"AnalyzeSistraNow", 2, DISP_E_BADPARAMCOUNT},
    };
    for (const Case& c : cases)
    {
        Arguments arguments;
        for (int i = 0; i < c.arguments; ++i)
            arguments.Long(i);
        const Made made = Create(c.name, arguments);
        EXPECT_EQ(c.expected, made.result) << String(c.name).Narrow() << " " << c.arguments;
        EXPECT_FALSE(made.message);
    }
    IMessage* message = reinterpret_cast<IMessage*>(1);
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, CommandNamed(L"AnalyzeSistraNow")->CreateMessage(0, nullptr, &message));
    EXPECT_EQ(nullptr, message);

    Arguments notANumber;
    notANumber.Text(L"abc");
    const Made refused = Create(L"ApplySistraSalineCalibration", notANumber);
    EXPECT_EQ(DISP_E_TYPEMISMATCH, refused.result);
    EXPECT_FALSE(refused.message);
}

TEST(AutomationCommands, AnOriginTextNamesTheSendingViewAndComesBackInTheMacro)
{
    const ULONG viewType = MsgIdClass<&SistraDocumentGUID, 4>::Id();
    ComPtr<IAutoOrvString> originText;
    ASSERT_EQ(S_OK, MsgIdRegistryAccessor::Get()->IdToText(0, viewType, originText.Put()));

    Arguments fromView;
    fromView.Text(Text(originText.Get()).c_str());
    const Made made = Create(L"AnalyzeSistraNow", fromView);
    ASSERT_EQ(S_OK, made.result);
    ComPtr<IMessageOrigin> origin;
    ASSERT_EQ(S_OK, made.message->QueryInterface(IID_IMessageOrigin, origin.PutVoid()));
    ULONG originId = 0, present = 0;
    origin->GetOrigin(&originId, &present);
    EXPECT_EQ(viewType, originId);
    EXPECT_EQ(1u, present);

    RecordingMacroWriter writer;
    EXPECT_EQ(S_OK, CommandNamed(L"AnalyzeSistraNow")->WriteMessageMacro(0, made.message.Get(), &writer, 7));
    ASSERT_EQ(1u, writer.written.size());
    EXPECT_EQ(L"Doc.AnalyzeSistraNow ViewType=\"" + Text(originText.Get()) + L"\"/0", writer.written[0]);

    Arguments numeric;
    numeric.Long(5);
    const Made numbered = Create(L"ClearSistraAnalysis", numeric);
    ASSERT_EQ(S_OK, numbered.result);
    ComPtr<IMessageOrigin> numberOrigin;
    ASSERT_EQ(S_OK, numbered.message->QueryInterface(IID_IMessageOrigin, numberOrigin.PutVoid()));
    numberOrigin->GetOrigin(&originId, &present);
    EXPECT_EQ(0u, originId);
    EXPECT_EQ(1u, present);
}

TEST(AutomationCommands, MacroStatementsCarryEachValueWithItsKindAndCommasRestored)
{
    RecordingMacroWriter defaults;
    EXPECT_EQ(S_OK, CommandNamed(L"ApplySistraCuvetteCalibration")->WriteClassMacro(0, &defaults, 0));
    EXPECT_EQ(std::vector<std::wstring>{L"Doc.ApplySistraCuvetteCalibration slope=0/0 intercept=0/0"}, defaults.written);

    Arguments text;
    text.Text(L"Linear,Tangent");
    const Made made = Create(L"SetESPVRegressionType", text);
    RecordingMacroWriter withComma;
    CommandNamed(L"SetESPVRegressionType")->WriteMessageMacro(0, made.message.Get(), &withComma, 0);
    EXPECT_EQ(std::vector<std::wstring>{L"Doc.SetESPVRegressionType RegressionType=Linear,Tangent/2"}, withComma.written);

    Arguments flag;
    flag.Long(1);
    const Made shown = Create(L"ShowESPVRegression", flag);
    RecordingMacroWriter boolean;
    CommandNamed(L"ShowESPVRegression")->WriteMessageMacro(0, shown.message.Get(), &boolean, 0);
    EXPECT_EQ(std::vector<std::wstring>{L"Doc.ShowESPVRegression ShowESPVR=1/5"}, boolean.written);

    EXPECT_EQ(E_FAIL, CommandNamed(L"AnalyzeSistraNow")->WriteClassMacro(0, nullptr, 0));
}

TEST(AutomationCommands, SignaturesNameEveryParameterOnItsOwnLine)
{
    RecordingMacroWriter cuvette;
    EXPECT_EQ(S_OK, CommandNamed(L"ApplySistraCuvetteCalibration")->WriteSignature(0, &cuvette, 0));
    const std::vector<std::wstring> expected = {
        L"Name:        ApplySistraCuvetteCalibration",
        L"Description: Sets the values for the cuvette calibration, and reanalyzes",
        L"Parameters:  slope - coefficient of linear conversion, in uL per unprefixed conductance unit,",
        L"             intercept - intercept of linear conversion, in uL",
    };
    EXPECT_EQ(expected, cuvette.written);

    RecordingMacroWriter show;
    CommandNamed(L"ShowESPVRegression")->WriteSignature(0, &show, 0);
    ASSERT_EQ(3u, show.written.size());
    EXPECT_EQ(L"Parameters:  ShowESPVR", show.written[2]);

    RecordingMacroWriter regression;
    CommandNamed(L"SetESPVRegressionType")->WriteSignature(0, &regression, 0);
    ASSERT_EQ(3u, regression.written.size());
    EXPECT_EQ(L"Parameters:  RegressionType - Can be one of: \"Linear\", \"Quadratic\", \"Perpendicular\" or \"Tangent\"",
              regression.written[2]);
}

} // namespace
