// What a person needs to write a macro: each automation command of the module with an example of its
// statement, its description and its parameters as the command's own signature gives them; and the
// faults of a statement's arguments in words, with the command's form beside them.
#pragma once

#include "hostapi/VyrClassRegistry.h"

#include <ostream>
#include <string>
#include <vector>

namespace Host::Macro
{

// The command's statement with arguments that make a message (the example when the host has one, else
// the command's own default statement), e.g. Doc.SelectASistra LoopIdx:=0.
std::wstring CommandExample(IMsgIdMessageClassObject& command);
// The command's signature lines: name, description and one line per parameter.
std::vector<std::wstring> CommandSignature(IMsgIdMessageClassObject& command);
// The names of the command's parameters, in order.
std::vector<std::wstring> ParameterNames(IMsgIdMessageClassObject& command);

// The command takes its arguments by position: a statement whose names are not the command's parameters,
// in their order (any letter case), would hand a value to another parameter than the one it names. Why,
// in words; empty when the names fit (a recorded statement's closing ViewType:= included).
std::string MisnamedArgument(IMsgIdMessageClassObject& command, const std::vector<std::wstring>& names);

// Why a statement's arguments made no message (the code the command answered), in words.
std::string ArgumentFault(IMsgIdMessageClassObject& command, HRESULT code);

// Every command by name, one paragraph each: the example, then its description and parameters indented.
void WriteCommandHelp(std::vector<IMsgIdMessageClassObject*> commands, std::ostream& out);

} // namespace Host::Macro
