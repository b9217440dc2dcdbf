#include "host/app/gui/ComputedChannelCommand.h"

#include "host/app/TextConversion.h"
#include "host/app/gui/FrameWindow.h"
#include "hostapi/VyrClassRegistry.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/text/String.h"

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

std::wstring ComputedChannelCommand::Caption() const
{
    IOrvString* name = nullptr;
    Orv::String text;
    if (SUCCEEDED(class_->GetName(&name)) && name)
        text.AssignAndRelease(name);
    return L"New " + std::wstring(text.IsEmpty() ? L"Computed" : text.c_str()) + L" Channel...";
}

std::optional<int32_t> ComputedChannelCommand::Run(HWND owner)
{
    Orv::ComPtr<IChannelCalc> made;
    const auto index = static_cast<uint32_t>(document_.ComputedChannelCount());
    const HRESULT hr = class_->CreateCalculationInteractive(static_cast<IChannelCalcHost*>(this), owner,
                                                            document_.Unknown(), nullptr, index, 0, 0,
                                                            document_.Unknown(), made.Put());
    if (hr == S_FALSE && !made)
        return std::nullopt;
    if (FAILED(hr) || !made)
        throw std::runtime_error("the channel could not be made: " + HResultText(FAILED(hr) ? hr : E_FAIL));
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

ComputedChannelMenu::ComputedChannelMenu(FrameWindow& frame, HostDocument& document, IVyrStandIn& standIn,
                                         std::function<void()> made)
    : document_(document)
{
    std::vector<FrameWindow::HostMenuItem> items;
    for (const Orv::ComPtr<ICalculationClass>& calculationClass : ComputedChannelClasses(standIn))
    {
        ComputedChannelCommand& command =
            *commands_.emplace_back(std::make_unique<ComputedChannelCommand>(document, standIn, *calculationClass.Get()));
        items.push_back({command.Caption(), [&frame, &command, made] {
                             try
                             {
                                 if (command.Run(frame.Handle()) && made)
                                     made();
                             }
                             catch (const std::exception& e)
                             {
                                 MessageBoxW(frame.Handle(), FromUtf8(e.what()).c_str(), L"New computed channel",
                                             MB_OK | MB_ICONERROR);
                             }
                         }});
    }
    if (!items.empty())
        frame.AddHostMenu(L"&Channel", std::move(items));
}

ComputedChannelMenu::~ComputedChannelMenu()
{
    document_.DropComputedChannels();
}

} // namespace Host
