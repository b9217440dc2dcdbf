#include "host/app/gui/ComputedChannelCommand.h"

#include "host/app/files/TextConversion.h"
#include "host/app/gui/FieldsDialog.h"
#include "host/app/gui/FrameWindow.h"
#include "hostapi/VyrClassRegistry.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/text/String.h"

#include <algorithm>
#include <stdexcept>

namespace Host
{

namespace
{

Orv::ComPtr<IUnknown> PreviewChannelFactory(IVyrStandIn& standIn)
{
    Orv::ComPtr<IMsgIdRegistry> registry;
    Orv::ComPtr<IVyrObjectFactory> objects;
    USHORT code = 0;
    Orv::ComPtr<IUnknown> factory;
    if (SUCCEEDED(standIn.QueryInterface(IID_IMsgIdRegistry, registry.PutVoid())) &&
        SUCCEEDED(registry->GetCode(&HostTypeGUID, &code)) &&
        SUCCEEDED(standIn.QueryInterface(IID_IVyrObjectFactory, objects.PutVoid())))
        objects->GetObject(VyrTypeId::Make(code, ComputedChannelTypeNumber), IID_IComputedChannelFactory,
                           factory.PutVoid());
    return factory;
}

} // namespace

std::vector<Orv::ComPtr<ICalculationClass>> ComputedChannelClasses(IVyrStandIn& standIn)
{
    std::vector<Orv::ComPtr<ICalculationClass>> classes;
    Orv::ComPtr<IVyrObjectFactory> objects;
    ULONG count = 0;
    if (FAILED(standIn.QueryInterface(IID_IVyrObjectFactory, objects.PutVoid())) ||
        FAILED(standIn.GetRegistrationCount(&count)))
        return classes;
    for (ULONG index = 0; index < count; ++index)
    {
        VyrRegistrationRecord record{};
        Orv::ComPtr<ICalculationClass> found;
        if (SUCCEEDED(standIn.GetRegistration(index, &record)) && record.kind == VyrRegistrationKind::ClassObject &&
            SUCCEEDED(record.result) &&
            SUCCEEDED(objects->GetObject(record.typeId, IID_ICalculationClass, found.PutVoid())) && found)
            classes.push_back(found);
    }
    return classes;
}

ComputedChannelCommand::ComputedChannelCommand(HostDocument& document, IVyrStandIn& standIn,
                                               ICalculationClass& calculationClass)
    : document_(document), previewChannels_(PreviewChannelFactory(standIn)), class_(&calculationClass)
{
}

std::wstring ComputedChannelCommand::ClassName() const
{
    IOrvString* name = nullptr;
    Orv::String text;
    if (SUCCEEDED(class_->GetName(&name)) && name)
        text.AssignAndRelease(name);
    return text.IsEmpty() ? L"Computed" : text.c_str();
}

ULONG ComputedChannelCommand::ClassTypeId() const
{
    ULONG typeId = 0;
    return SUCCEEDED(class_->GetTypeId(&typeId)) ? typeId : 0;
}

Orv::ComPtr<IChannelCalc> ComputedChannelCommand::Create(HWND owner, IPersistObject* settings, uint32_t channel)
{
    Orv::ComPtr<IChannelCalc> made;
    const HRESULT hr = class_->CreateCalculationInteractive(static_cast<IChannelCalcHost*>(this), owner,
                                                            document_.Unknown(), settings, channel, 0, 0,
                                                            document_.Unknown(), made.Put());
    if (hr == S_FALSE && !made)
        return nullptr;
    if (FAILED(hr) || !made)
        throw std::runtime_error("the channel could not be made: " + HResultText(FAILED(hr) ? hr : E_FAIL));
    return made;
}

std::optional<int32_t> ComputedChannelCommand::Run(HWND owner)
{
    const Orv::ComPtr<IChannelCalc> made = Create(owner, nullptr, static_cast<uint32_t>(document_.ComputedChannelCount()));
    if (!made)
        return std::nullopt;
    return document_.AddComputedChannel(made.Get());
}

std::vector<size_t> ComputedChannelCommand::ChannelsOfClass() const
{
    std::vector<size_t> channels;
    for (size_t index = 0; index < document_.ComputedChannelCount(); ++index)
        if (document_.ComputedChannelName(index) == ClassName())
            channels.push_back(index);
    return channels;
}

bool ComputedChannelCommand::Edit(HWND owner, size_t index)
{
    const Orv::ComPtr<IChannelCalc> current = document_.ComputedChannelCalculation(index);
    if (!current)
        throw std::out_of_range("there is no computed channel " + std::to_string(index + 1));
    Orv::ComPtr<IPersistObject> settings;
    if (FAILED(current->CloneSettings(settings.Put())) || !settings)
        throw std::runtime_error("the channel's settings cannot be read");
    const Orv::ComPtr<IChannelCalc> made = Create(owner, settings.Get(), static_cast<uint32_t>(index));
    if (!made)
        return false;
    document_.ReplaceComputedChannel(index, made.Get());
    return true;
}

int32_t ComputedChannelCommand::Remake(IPersistObject* settings)
{
    Orv::ComPtr<IChannelCalc> made;
    HRESULT hr = class_->CreateCalculation(static_cast<IChannelCalcHost*>(this), settings, made.Put());
    if (SUCCEEDED(hr) && !made)
        hr = E_FAIL;
    if (FAILED(hr))
        throw std::runtime_error("the " + ToUtf8(ClassName()) + " class could not make it: " + HResultText(hr));
    return document_.AddComputedChannel(made.Get());
}

HRESULT STDMETHODCALLTYPE ComputedChannelCommand::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IComputedChannelFactory && previewChannels_)
        return previewChannels_->QueryInterface(iid, object);
    *object = iid == IID_IUnknown || iid == IID_IChannelCalcHost ? static_cast<IChannelCalcHost*>(this) : nullptr;
    return *object ? S_OK : E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE ComputedChannelCommand::SetUpChannel(uint32_t, uint32_t, uint32_t)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ComputedChannelCommand::GetChannelSource(IUnknown** source)
{
    if (!source)
        return E_POINTER;
    *source = document_.Unknown();
    (*source)->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ComputedChannelCommand::GetDocumentData(IUnknown** data)
{
    return GetChannelSource(data);
}

ComputedChannelHosts::ComputedChannelHosts(HostDocument& document, IVyrStandIn& standIn) : document_(document)
{
    for (const Orv::ComPtr<ICalculationClass>& calculationClass : ComputedChannelClasses(standIn))
        commands_.push_back(std::make_unique<ComputedChannelCommand>(document, standIn, *calculationClass.Get()));
}

ComputedChannelHosts::~ComputedChannelHosts()
{
    document_.DropComputedChannels();
}

ComputedChannelCommand* ComputedChannelHosts::CommandOf(size_t index) const
{
    for (const auto& command : commands_)
        if (document_.ComputedChannelName(index) == command->ClassName())
            return command.get();
    return nullptr;
}

ComputedChannelCommand* ComputedChannelHosts::CommandOfType(ULONG typeId) const
{
    for (const auto& command : commands_)
        if (command->ClassTypeId() == typeId)
            return command.get();
    return nullptr;
}

ComputedChannelMenu::ComputedChannelMenu(FrameWindow& frame, HostDocument& document, const ComputedChannelHosts& hosts,
                                         std::function<void()> made)
    : document_(document)
{
    // What the person is told when a command fails, titled with the command's caption.
    const auto told = [&frame, made](const std::wstring& caption, std::function<bool()> action) {
        return FrameWindow::HostMenuItem{caption, [&frame, made, caption, action] {
                                             try
                                             {
                                                 if (action() && made)
                                                     made();
                                             }
                                             catch (const std::exception& e)
                                             {
                                                 MessageBoxW(frame.Handle(), FromUtf8(e.what()).c_str(),
                                                             caption.c_str(), MB_OK | MB_ICONERROR);
                                             }
                                         }};
    };
    std::vector<FrameWindow::HostMenuItem> items;
    for (const auto& hosted : hosts.Commands())
    {
        ComputedChannelCommand& command = *hosted;
        const std::wstring name = command.ClassName();
        items.push_back(told(L"New " + name + L" Channel...", [&frame, &command] { return command.Run(frame.Handle()).has_value(); }));
        items.push_back(told(L"Edit " + name + L" Channel...", [this, &frame, &command] {
            const auto channel = ChooseChannel(frame.Handle(), command);
            return channel && command.Edit(frame.Handle(), *channel);
        }));
    }
    if (!items.empty())
        frame.AddHostMenu(L"&Channel", std::move(items));
}

std::optional<size_t> ComputedChannelMenu::ChooseChannel(HWND owner, const ComputedChannelCommand& command) const
{
    const std::vector<size_t> channels = command.ChannelsOfClass();
    if (channels.empty())
        throw std::runtime_error("the document has no " + ToUtf8(command.ClassName()) + " channel to edit; make one with New " +
                                 ToUtf8(command.ClassName()) + " Channel...");
    if (channels.size() == 1)
        return channels.front();
    std::vector<std::wstring> titles;
    for (size_t index : channels)
        titles.push_back(std::to_wstring(index + 1) + L": " + document_.ComputedChannelTitle(index));
    const auto answer = AskFields(owner, L"Edit " + command.ClassName() + L" Channel", {{L"Channel", titles.front(), titles}});
    if (!answer)
        return std::nullopt;
    const auto chosen = std::find(titles.begin(), titles.end(), answer->front());
    return chosen == titles.end() ? std::nullopt : std::optional<size_t>(channels[static_cast<size_t>(chosen - titles.begin())]);
}

} // namespace Host
