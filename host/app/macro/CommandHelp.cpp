#include "host/app/macro/CommandHelp.h"

#include "foundation/com/ErrorReason.h"

#include "foundation/com/ComPtr.h"
#include "host/app/files/TextConversion.h"
#include "host/app/macro/MacroText.h"

#include <algorithm>
#include <cwchar>

namespace Host::Macro
{
namespace
{

// Arguments a person would give: the commands' own default statements carry zeros and empty texts,
// which several commands refuse.
const struct
{
    const wchar_t* command;
    const wchar_t* arguments;
    // The unit the numbers are read in, where they measure something: a number in another unit is taken
    // all the same, and moves every volume by a factor of a thousand or more.
    const char* unit = nullptr;
} ExampleArguments[] = {
    {L"ApplySistraSalineCalibration", L"Vp:=2.5e-06",
     "Vp in the volume channel's unit without its prefix (litres on a uL or mL channel): 2.5e-06 is 2.5 uL"},
    {L"ApplySistraCuvetteCalibration", L"slope:=0.5, intercept:=3",
     "slope in uL per raw volume unit without its prefix (per V on an mV channel, per L on an mL\n"
     "            one), intercept in uL; --calibrate-volume takes uL per recorded unit: on an mV or mL\n"
     "            channel its slope is 1000x smaller"},
    {L"ShowESPVRegression", L"ShowESPVR:=True"},
    {L"ShowEDPVRegression", L"ShowEDPVR:=True"},
    {L"SetESPVRegressionType", L"RegressionType:=\"Quadratic\""},
    {L"SetEDPVRegressionType", L"RegressionType:=\"Exponential\""},
    {L"RemoveParallelConductanceFromList", L"position:=1"},
    {L"EditParallelConductanceInList", L"position:=1, parallelConductance:=2.5",
     "parallelConductance in the volume channel's own unit (uL on a uL channel)"},
    {L"SetShowESPointsType", L"esPointsType:=\"TangentFitESPoints\""},
};

// The argument a recorded statement closes with: the view the command came from.
constexpr wchar_t OriginArgumentName[] = L"ViewType";
constexpr std::wstring_view ParametersLabel = L"Parameters:  ";
constexpr std::wstring_view DescriptionLabel = L"Description: ";

std::wstring CommandName(IMsgIdMessageClassObject& command)
{
    BSTR name = nullptr;
    command.GetName(&name);
    std::wstring text = name ? std::wstring(name, SysStringLen(name)) : std::wstring();
    SysFreeString(name);
    return text;
}

// The parameter lines of a signature without their labels and the comma that joins them.
std::vector<std::wstring> ParameterLines(const std::vector<std::wstring>& signature)
{
    std::vector<std::wstring> lines;
    bool inParameters = false;
    for (const std::wstring& line : signature)
    {
        inParameters = inParameters || line.starts_with(ParametersLabel);
        if (!inParameters)
            continue;
        std::wstring text = line.substr(line.find_first_not_of(L' ', line.starts_with(ParametersLabel) ? ParametersLabel.size() : 0));
        if (text.ends_with(L','))
            text.pop_back();
        lines.push_back(text);
    }
    return lines;
}

std::string Plural(size_t count, const char* word)
{
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

} // namespace

std::wstring CommandExample(IMsgIdMessageClassObject& command)
{
    const std::wstring name = CommandName(command);
    for (const auto& example : ExampleArguments)
        if (name == example.command)
            return std::wstring(StatementPrefix) + name + L" " + example.arguments;
    const auto recorder = Orv::ComPtr<IMacroWriter>::Adopt(CreateMacroRecorder());
    if (FAILED(command.WriteClassMacro(0, recorder.Get(), 0)))
        return std::wstring(StatementPrefix) + name;
    const std::vector<std::wstring> texts = RecordedTexts(recorder.Get());
    return texts.empty() ? std::wstring(StatementPrefix) + name : texts.front();
}

std::vector<std::wstring> CommandSignature(IMsgIdMessageClassObject& command)
{
    const auto collector = Orv::ComPtr<ISignatureWriter>::Adopt(CreateSignatureCollector());
    command.WriteSignature(0, collector.Get(), 0);
    return CollectedLines(collector.Get());
}

std::vector<std::wstring> ParameterNames(IMsgIdMessageClassObject& command)
{
    std::vector<std::wstring> names;
    for (const std::wstring& line : ParameterLines(CommandSignature(command)))
        names.push_back(line.substr(0, line.find(L' ')));
    return names;
}

std::string MisnamedArgument(IMsgIdMessageClassObject& command, const std::vector<std::wstring>& names)
{
    const std::vector<std::wstring> parameters = ParameterNames(command);
    for (size_t i = 0; i < names.size() && i < parameters.size(); ++i)
        if (_wcsicmp(names[i].c_str(), parameters[i].c_str()) != 0)
            return ToUtf8(CommandName(command)) + " takes " + ToUtf8(parameters[i]) + ":= where the statement gives " +
                   ToUtf8(names[i]) + ":=, as in " + ToUtf8(CommandExample(command));
    if (names.size() == parameters.size() + 1 && _wcsicmp(names.back().c_str(), OriginArgumentName) != 0)
        return ToUtf8(CommandName(command)) + " takes no argument " + ToUtf8(names.back()) + ":=, as in " +
               ToUtf8(CommandExample(command));
    return {};
}

std::string ArgumentFault(IMsgIdMessageClassObject& command, HRESULT code)
{
    const std::vector<std::wstring> names = ParameterNames(command);
    std::string takes = ToUtf8(CommandName(command)) + " takes " + (names.empty() ? "no arguments" : Plural(names.size(), "argument"));
    for (size_t i = 0; i < names.size(); ++i)
        takes += (i == 0 ? ", " : " and ") + ToUtf8(names[i]);
    std::string why;
    switch (code)
    {
    case DISP_E_BADPARAMCOUNT:
        why = "the statement gives another number of arguments";
        break;
    case DISP_E_TYPEMISMATCH:
        why = "an argument is not of its kind (a number, True or False, or a quoted text)";
        break;
    case DISP_E_OVERFLOW:
        why = "a number lies beyond the range its argument takes";
        break;
    default:
        // The command's own reason, where it gave one, says it best.
        const std::wstring reason = Orv::TakeErrorReason();
        why = reason.empty() ? FailureText(code) : ToUtf8(reason);
    }
    return why + ": " + takes + ", as in " + ToUtf8(CommandExample(command));
}

void WriteCommandHelp(std::vector<IMsgIdMessageClassObject*> commands, std::ostream& out)
{
    std::sort(commands.begin(), commands.end(), [](IMsgIdMessageClassObject* a, IMsgIdMessageClassObject* b) {
        return CommandName(*a) < CommandName(*b);
    });
    for (IMsgIdMessageClassObject* command : commands)
    {
        out << "  " << ToUtf8(CommandExample(*command)) << "\n";
        const std::wstring name = CommandName(*command);
        for (const auto& example : ExampleArguments)
            if (name == example.command && example.unit)
                out << "            " << example.unit << "\n";
        for (const std::wstring& line : CommandSignature(*command))
            if (line.starts_with(DescriptionLabel))
                out << "            " << ToUtf8(line.substr(DescriptionLabel.size())) << "\n";
        for (const std::wstring& line : ParameterLines(CommandSignature(*command)))
            out << "              " << ToUtf8(line) << "\n";
    }
}

} // namespace Host::Macro
