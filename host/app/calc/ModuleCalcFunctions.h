// The calculation functions a module registered with the framework, as functions of the host's
// calculation language: found by name or alias (any case), their arguments checked against what the
// class object reports, and their enumerators fed from the host's channels and event sources.
#pragma once

#include "host/app/calc/CalcFunctions.h"
#include "hostapi/CalcInterfaces.h"

#include "foundation/com/ComPtr.h"

#include <map>
#include <string>

namespace Host::Calc
{

// One module function: the class object and the parameter description it answers.
class ModuleCalcFunction final : public CalcFunction
{
public:
    // Throws std::runtime_error when the class object describes no usable function. context: the host
    // document the texts belong to (its enumerators receive it), or none.
    ModuleCalcFunction(const Recording& recording, ICalcEnumClass2* classObject, IUnknown* context = nullptr);

    const std::string& Name() const override { return name_; }
    const std::vector<ParameterInfo>& Parameters() const override { return parameters_; }
    size_t RequiredArguments() const override { return sourceCount_; }
    bool Accepts(size_t index, ValueKind kind) const override;
    // Asks the module itself: an enumerator is started over empty sources, the one for this parameter
    // with records of the size, and refuses them or not. The other event sources get no object.
    bool AcceptsRecordSize(size_t index, size_t recordSize) const override;
    Value Create(const std::vector<Argument>& arguments) const override;

    const std::vector<std::string>& Aliases() const { return aliases_; }
    const std::string& Description() const { return description_; }
    ValueKind Result() const { return (resultWord_ & CalcKindEvents) != 0 ? ValueKind::Events : ValueKind::Channel; }

private:
    const Recording& recording_;
    IUnknown* context_;
    Orv::ComPtr<ICalcEnumClass2> class_;
    Orv::ComPtr<ICalcNumericParamsFuncClass> params_;
    std::string name_;
    std::string description_;
    std::vector<std::string> aliases_;
    std::vector<ParameterInfo> parameters_;
    size_t sourceCount_ = 0;
    uint32_t functionWord_ = 0;
    uint32_t resultWord_ = 0;
};

// The module functions of the framework's class registry, by lower-case name and alias.
class ModuleFunctionTable
{
public:
    // Reads every calculation-function class object the framework holds (through its stand-in face).
    // context: the host document whose texts call the functions (it must outlive the table), or none.
    ModuleFunctionTable(const Recording& recording, IVyrStandIn& standIn, IUnknown* context = nullptr);

    CalcFunctionPtr Find(const std::string& lowerCaseName) const;
    FunctionLookup Lookup() const;
    size_t FunctionCount() const { return functions_.size(); }
    // In the order the module registered them.
    const std::vector<std::shared_ptr<const ModuleCalcFunction>>& Functions() const { return functions_; }

private:
    void Add(const std::shared_ptr<ModuleCalcFunction>& function);

    std::map<std::string, CalcFunctionPtr> byName_;
    std::vector<std::shared_ptr<const ModuleCalcFunction>> functions_;
};

// The argument text a module function receives: its numbers, blank-separated, in the classic locale and
// with every digit a double carries; the detector-style functions (a nonzero function word) read a
// leading flag (0) before them.
std::wstring ModuleArgumentText(const std::vector<double>& numbers, bool leadingFlag);

} // namespace Host::Calc
