// The host's macro text: how a statement is written when a command is recorded, and read back when a
// macro is run. A statement is the writer's prefix, the command name and its named arguments:
//     Doc.ApplySistraCuvetteCalibration slope:=0.5, intercept:=3
// Texts are quoted with doubled quotation marks inside, bools read True or False, numbers stand as the
// message class wrote them (classic locale).
#pragma once

#include "hostapi/VyrAutomation.h"

#include <oaidl.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Host::Macro
{

// The statement prefix of every recorded statement.
inline constexpr wchar_t StatementPrefix[] = L"Doc.";

// What goes before the next text a recorder is given (the host's own statements for a state the command
// reads or the user set without a command); empty: nothing.
using LeadIn = std::function<std::vector<std::wstring>()>;

// A macro writer that keeps what it is given: statements and framing lines in order, each after what
// leadIn put before it. Made with one reference.
IMacroWriter* CreateMacroRecorder(LeadIn leadIn = {});
// The texts a recorder made of CreateMacroRecorder was given, in order.
std::vector<std::wstring> RecordedTexts(IMacroWriter* recorder);
ISignatureWriter* CreateSignatureCollector();
std::vector<std::wstring> CollectedLines(ISignatureWriter* collector);

struct MacroSyntaxError : std::runtime_error
{
    MacroSyntaxError(const std::string& what, std::size_t column) : std::runtime_error(what), column(column) {}
    std::size_t column; // 1-based
};

// One statement read back: the command and its arguments as automation arguments, first first.
class Statement
{
public:
    explicit Statement(std::wstring_view line);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    const std::wstring& Command() const { return command_; }
    const std::vector<std::wstring>& ArgumentNames() const { return names_; }
    // The arguments as a message class takes them (last argument first); valid while this lives.
    DISPPARAMS* Parameters();

private:
    std::wstring command_;
    std::vector<std::wstring> names_;
    std::vector<VARIANT> reversed_;
    DISPPARAMS parameters_{};
};

} // namespace Host::Macro
