// The class objects through which the host learns the module's automation commands: id, name, group,
// description and parameters; they turn automation arguments into messages, write macro statements and
// signatures. One static object per command, linked into the start-up list that registration walks.
#pragma once

#include "hostapi/VyrAutomation.h"
#include "hostapi/VyrClassRegistry.h"
#include "hostframework/entry/ClassRegistration.h"
#include "hostframework/messaging/MessageIds.h"
#include "hostframework/automation/AutomationValues.h"

#include <type_traits>
#include <vector>

namespace Orv
{

// One parameter as a command declares it: its text ("name" or "name - description"; a semicolon in it
// stands for a comma) and its default value.
template <class T>
struct MsgIdMessageParameter
{
    const wchar_t* text;
    T defaultValue;
};

// What a command is, apart from its parameters.
struct MsgIdMessageIdentity
{
    IdGetter id;                 // asked on first use, never while the library loads
    const wchar_t* name;
    const wchar_t* group;
    const wchar_t* description;
    bool secondOption = false;
    ULONG sendFlags = 0;         // the flags word the module's own senders give this command's messages
    ULONG creationFlags = 0;
    ULONG reserved = 0;
    const wchar_t* fixedMacroText = L"";
};

class MsgIdMessageClassObjectRootImpl : public IMsgIdMessageClassObject, public VyrMessageClassLink
{
public:
    ULONG Id() const;
    const String& Name() const { return name_; }
    ULONG SendFlags() const { return sendFlags_; }

    IMsgIdMessageClassObject* GetClassObject() override { return this; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    // Static objects: the count is kept for the host's bookkeeping only, never deletes.
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetId(ULONG* id) override;
    HRESULT STDMETHODCALLTYPE GetName(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE GetGroup(BSTR* group) override;
    HRESULT STDMETHODCALLTYPE GetDescription(IAutoOrvString** description) override;
    HRESULT STDMETHODCALLTYPE QueryFirstOption(VARIANT_BOOL* answer) override;
    HRESULT STDMETHODCALLTYPE QuerySecondOption(VARIANT_BOOL* answer) override;
    HRESULT STDMETHODCALLTYPE CreateMessage(ULONG reserved, DISPPARAMS* arguments, IMessage** message) override;
    HRESULT STDMETHODCALLTYPE WriteMessageMacro(ULONG reserved, IMessage* message, IMacroWriter* writer,
                                                ULONG_PTR cookie) override;
    HRESULT STDMETHODCALLTYPE WriteClassMacro(ULONG reserved, IMacroWriter* writer, ULONG_PTR cookie) override;
    HRESULT STDMETHODCALLTYPE WriteSignature(ULONG reserved, ISignatureWriter* writer, ULONG_PTR cookie) override;

protected:
    struct Parameter
    {
        String text;
        const Automation::ValueKind* kind;
    };

    MsgIdMessageClassObjectRootImpl(const MsgIdMessageIdentity& identity, std::vector<Parameter> parameters,
                                    Automation::PayloadRecord defaults);
    ~MsgIdMessageClassObjectRootImpl() = default;

private:
    enum class ArgumentNames
    {
        Macro,     // the parameter text up to its first blank
        Signature, // the whole parameter text
    };

    HRESULT MakeMessage(const DISPPARAMS& arguments, IMessage** message) const;
    String ItemText(const void* payload, ArgumentNames names) const;
    HRESULT WriteStatement(IMessage* message, IMacroWriter* writer, ULONG_PTR cookie) const;

    IdGetter idGetter_;
    String name_;
    String group_;
    String description_;
    ULONG creationFlags_;
    ULONG reserved_;
    String fixedMacroText_;
    bool secondOption_;
    ULONG sendFlags_;
    std::vector<Parameter> parameters_;
    Automation::PayloadRecord defaults_;
    volatile LONG references_ = 0;
};

// One command with parameters of the value types Values (double, LONG, ULONG, bool, String), first
// parameter first.
template <class... Values>
class MsgIdMessageClassObject final : public MsgIdMessageClassObjectRootImpl
{
public:
    explicit MsgIdMessageClassObject(const MsgIdMessageIdentity& identity,
                                     MsgIdMessageParameter<Values>... parameters)
        : MsgIdMessageClassObjectRootImpl(identity, {Parameter{parameters.text, &Automation::KindOf<Values>()}...},
                                          Defaults(parameters...))
    {
    }

private:
    static Automation::PayloadRecord Defaults(const MsgIdMessageParameter<Values>&... parameters)
    {
        Automation::PayloadRecord record;
        (AppendDefault(record, parameters.defaultValue), ...);
        return record;
    }
    template <class T>
    static void AppendDefault(Automation::PayloadRecord& record, const T& value)
    {
        if constexpr (std::is_same_v<T, String>)
        {
            record.AppendText(value);
        }
        else if constexpr (std::is_same_v<T, bool>)
        {
            const ULONG flag = value ? 1 : 0;
            record.AppendRaw(Automation::KindOf<T>(), &flag);
        }
        else
        {
            record.AppendRaw(Automation::KindOf<T>(), &value);
        }
    }
};

} // namespace Orv
