#include "Commands.h"

#include "foundation/com/OwnerKept.h"

#include <cmath>

namespace Vyr
{
namespace
{

std::wstring TextOf(IOrvString* text)
{
    BSTR copy = nullptr;
    if (!text || FAILED(text->GetBSTR(&copy)))
        return {};
    return TakeBstr(copy);
}

// Answers whatever state the module's handler gives it.
class CommandStateAnswer final : public Orv::OwnerKept<IVyrCommandState>
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        return AnswerOneInterface<IVyrCommandState>(this, IID_IUnknown, iid, object);
    }
    HRESULT STDMETHODCALLTYPE GetState(ULONG* state) override
    {
        if (!state)
            return E_POINTER;
        *state = state_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetState(ULONG state) override
    {
        state_ = state;
        return S_OK;
    }

private:
    ULONG state_ = 0;
};

bool IsMenuItem(IVyrCommand* command)
{
    ULONG kind = 0;
    BSTR separator = nullptr;
    command->GetKind(&kind);
    command->GetText(VyrCommandText::Separator, &separator);
    return kind != VyrCommandKind::ModuleOwner && TakeBstr(separator).empty();
}

// A 16 x 16 image, premultiplied alpha, top-down: opaque colour where inside(x, y), clear elsewhere.
template <class Inside>
HBITMAP DrawImage(COLORREF colour, Inside inside)
{
    constexpr int Side = 16;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), Side, -Side, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP image = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!image)
        return nullptr;
    const DWORD opaque = 0xFF000000u | GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
    auto* pixels = static_cast<DWORD*>(bits);
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; ++x)
            pixels[y * Side + x] = inside(x, y) ? opaque : 0;
    return image;
}

} // namespace

HostCommand::HostCommand(ULONG id, std::wstring caption)
    : Command(id, VyrCommandKind::Full, {}, [&] {
          Texts texts;
          texts[VyrCommandText::Caption] = std::move(caption);
          return texts;
      }())
{
}

HRESULT HostCommand::QueryInterface(REFIID iid, void** object)
{
    if (object && IsEqualIID(iid, IID_IVyrHostCommand))
    {
        *object = static_cast<IVyrHostCommand*>(this);
        AddRef();
        return S_OK;
    }
    return Command::QueryInterface(iid, object);
}

HRESULT HostCommand::Execute(ULONG argument)
{
    Orv::ComPtr<IVyrHostCommand> target;
    {
        std::lock_guard<std::mutex> hold(lock_);
        target = target_;
    }
    return target ? target->Execute(argument) : S_FALSE;
}

HRESULT HostCommand::GetImage(ULONG state, HBITMAP* image)
{
    if (!image)
        return E_POINTER;
    if (state == VyrHostCommandImage::Pressed)
        *image = DrawImage(RGB(200, 30, 30), [](int x, int y) { return x >= 3 && x <= 12 && y >= 3 && y <= 12; });
    else if (state == VyrHostCommandImage::Normal)
        *image = DrawImage(RGB(20, 150, 40), [](int x, int y) { return x >= 4 && std::fabs(y - 7.5) <= (12.5 - x) * 0.6; });
    else
        *image = nullptr;
    return *image ? S_OK : S_FALSE;
}

void HostCommand::SetTarget(IVyrHostCommand* target)
{
    std::lock_guard<std::mutex> hold(lock_);
    target_ = Orv::ComPtr<IVyrHostCommand>(target);
}

Command::Command(ULONG id, ULONG kind, Numbers numbers, Texts texts)
    : kind_(kind), numbers_(numbers), texts_(std::move(texts)), id_(static_cast<LONG>(id))
{
}

HRESULT Command::GetKind(ULONG* kind)
{
    if (!kind)
        return E_POINTER;
    *kind = kind_;
    return S_OK;
}

HRESULT Command::SetId(ULONG id)
{
    InterlockedExchange(&id_, static_cast<LONG>(id));
    return S_OK;
}

HRESULT Command::ChangeState(ULONG set, ULONG clear)
{
    LONG old = state_;
    while (InterlockedCompareExchange(&state_, static_cast<LONG>((static_cast<ULONG>(old) | set) & ~clear), old) != old)
        old = state_;
    return S_OK;
}

HRESULT Command::GetState(ULONG* state)
{
    if (!state)
        return E_POINTER;
    *state = static_cast<ULONG>(state_);
    return S_OK;
}

HRESULT Command::GetText(ULONG which, BSTR* text)
{
    if (which >= texts_.size())
        return E_INVALIDARG;
    return Guarded([&] { return CopyToBstr(texts_[which], text); });
}

HRESULT Command::GetId(ULONG* id)
{
    if (!id)
        return E_POINTER;
    *id = static_cast<ULONG>(id_);
    return S_OK;
}

HRESULT Command::GetNumbers(ULONG* number, ULONG* placement, ULONG* image)
{
    if (!number || !placement || !image)
        return E_POINTER;
    *number = numbers_.number;
    *placement = numbers_.placement;
    *image = numbers_.image;
    return S_OK;
}

HRESULT CommandService::Keep(Command* made, IVyrCommand** command)
{
    std::lock_guard<std::mutex> hold(lock_);
    commands_.push_back(Orv::ComPtr<Command>::Adopt(made));
    made->AddRef();
    *command = made;
    return S_OK;
}

HRESULT CommandService::CreateCommand(ULONG id, ULONG kind, IOrvString* path, IOrvString* separator,
                                      IOrvString* title, IOrvString* moduleName, IVyrCommand** command)
{
    if (!command)
        return E_POINTER;
    *command = nullptr;
    return Guarded([&] {
        Command::Texts texts;
        texts[VyrCommandText::Path] = TextOf(path);
        texts[VyrCommandText::Separator] = TextOf(separator);
        texts[VyrCommandText::Title] = TextOf(title);
        texts[VyrCommandText::ModuleName] = TextOf(moduleName);
        return Keep(new Command(id, kind, {}, std::move(texts)), command);
    });
}

HRESULT CommandService::CreateCommandEx(ULONG flags, ULONG number, ULONG id, ULONG kind, IOrvString* path,
                                        IOrvString* caption, IOrvString* status, IOrvString* shortName,
                                        ULONG placement, ULONG image, IVyrCommand** command)
{
    if (!command)
        return E_POINTER;
    *command = nullptr;
    if (flags != VyrCommandCreateFlags)
        return E_INVALIDARG;
    return Guarded([&] {
        Command::Texts texts;
        texts[VyrCommandText::Path] = TextOf(path);
        texts[VyrCommandText::Caption] = TextOf(caption);
        texts[VyrCommandText::Status] = TextOf(status);
        texts[VyrCommandText::ShortName] = TextOf(shortName);
        if (id == 0)
        {
            std::lock_guard<std::mutex> hold(lock_);
            id = nextHostId_++;
        }
        return Keep(new Command(id, kind, {number, placement, image}, std::move(texts)), command);
    });
}

HRESULT CommandService::FindCommand(ULONG id, IVyrCommand** command)
{
    if (!command)
        return E_POINTER;
    *command = nullptr;
    if (id == VyrHostCommandId::StartStopSampling)
    {
        startStopSampling_->AddRef();
        *command = startStopSampling_.Get();
        return S_OK;
    }
    std::lock_guard<std::mutex> hold(lock_);
    for (const auto& made : commands_)
    {
        ULONG madeId = 0;
        made->GetId(&madeId);
        if (madeId == id && IsMenuItem(made.Get()))
        {
            made->AddRef();
            *command = made.Get();
            return S_OK;
        }
    }
    return E_INVALIDARG;
}

HRESULT CommandService::SetHostCommandTarget(ULONG id, IUnknown* target)
{
    if (id != VyrHostCommandId::StartStopSampling)
        return E_INVALIDARG;
    Orv::ComPtr<IVyrHostCommand> command;
    if (target && FAILED(target->QueryInterface(IID_IVyrHostCommand, command.PutVoid())))
        return E_NOINTERFACE;
    startStopSampling_->SetTarget(command.Get());
    return S_OK;
}

HRESULT CommandService::PostCommandMessage(ULONG message, ULONG_PTR value)
{
    if (message != VyrCommandRefreshMessage)
        return E_INVALIDARG;
    if (value == 1)
    {
        std::lock_guard<std::mutex> hold(lock_);
        ++refreshes_;
    }
    return S_OK;
}

HRESULT CommandService::GetRefreshCount(ULONG* count)
{
    if (!count)
        return E_POINTER;
    std::lock_guard<std::mutex> hold(lock_);
    *count = refreshes_;
    return S_OK;
}

CommandRegistration::CommandRegistration(IVyrCommandHandler* handler, ULONG_PTR) : handler_(handler) {}

HRESULT CommandRegistration::AddMenuCommand(IVyrCommand* command, VARIANT_BOOL* created)
{
    if (!command || !created)
        return E_POINTER;
    return Guarded([&] {
        std::lock_guard<std::mutex> hold(lock_);
        menu_.emplace_back(command);
        *created = IsMenuItem(command) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

HRESULT CommandRegistration::GetMenuCommandCount(ULONG* count)
{
    if (!count)
        return E_POINTER;
    std::lock_guard<std::mutex> hold(lock_);
    *count = static_cast<ULONG>(menu_.size());
    return S_OK;
}

HRESULT CommandRegistration::GetMenuCommand(ULONG index, IVyrCommand** command)
{
    if (!command)
        return E_POINTER;
    std::lock_guard<std::mutex> hold(lock_);
    if (index >= menu_.size())
    {
        *command = nullptr;
        return E_INVALIDARG;
    }
    *command = menu_[index].Get();
    (*command)->AddRef();
    return S_OK;
}

HRESULT CommandRegistration::ExecuteCommand(ULONG id)
{
    return handler_ ? handler_->Execute(id) : E_FAIL;
}

HRESULT CommandRegistration::QueryCommandState(ULONG id, ULONG* state)
{
    if (!state)
        return E_POINTER;
    CommandStateAnswer answer;
    const HRESULT result = handler_ ? handler_->QueryState(id, &answer) : E_FAIL;
    answer.GetState(state);
    return result;
}

HRESULT CommandRegistrationService::RegisterCommandHandler(const GUID* guid, IVyrCommandHandler* handler,
                                                           ULONG_PTR argument,
                                                           IVyrCommandRegistration** registration)
{
    if (!registration)
        return E_POINTER;
    *registration = nullptr;
    if (!guid || !handler)
        return E_INVALIDARG;
    return Guarded([&] {
        // Made with the caller's reference; the service keeps one of its own for the frame.
        auto* made = new CommandRegistration(handler, argument);
        std::lock_guard<std::mutex> hold(lock_);
        made_.push_back({*guid, Orv::ComPtr<IVyrCommandRegistration>(made)});
        *registration = made;
        return S_OK;
    });
}

bool CommandRegistrationService::At(ULONG index, GUID* guid, IVyrCommandRegistration** registration)
{
    std::lock_guard<std::mutex> hold(lock_);
    *registration = nullptr;
    if (index >= made_.size())
        return false;
    *guid = made_[index].guid;
    *registration = made_[index].registration.Get();
    (*registration)->AddRef();
    return true;
}

void CommandRegistrationService::Clear()
{
    std::vector<Made> dropped;
    {
        std::lock_guard<std::mutex> hold(lock_);
        dropped.swap(made_);
    }
}

} // namespace Vyr
