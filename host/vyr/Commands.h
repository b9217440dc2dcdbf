// The host's command service and command registrations: commands a module makes for its menus, the
// menu list in the order the module added it, the states the module sets, and the module's handler,
// which executes a chosen command and tells whether one is enabled.
#pragma once

#include "ComObjects.h"
#include "hostapi/VyrCommands.h"

#include "foundation/com/ComPtr.h"

#include <array>
#include <mutex>
#include <string>
#include <vector>

namespace Vyr
{

class Command : public HeapComObject<IVyrCommand, &IID_IVyrCommand>
{
public:
    using Texts = std::array<std::wstring, 7>;
    struct Numbers
    {
        ULONG number = 0;
        ULONG placement = 0;
        ULONG image = 0;
    };

    Command(ULONG id, ULONG kind, Numbers numbers, Texts texts);

    HRESULT STDMETHODCALLTYPE GetKind(ULONG* kind) override;
    HRESULT STDMETHODCALLTYPE SetId(ULONG id) override;
    HRESULT STDMETHODCALLTYPE ChangeState(ULONG set, ULONG clear) override;
    HRESULT STDMETHODCALLTYPE GetState(ULONG* state) override;
    HRESULT STDMETHODCALLTYPE GetText(ULONG which, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE GetId(ULONG* id) override;
    HRESULT STDMETHODCALLTYPE GetNumbers(ULONG* number, ULONG* placement, ULONG* image) override;

private:
    const ULONG kind_;
    const Numbers numbers_;
    const Texts texts_;
    volatile LONG id_;
    volatile LONG state_ = VyrCommandBits::Enabled | VyrCommandBits::Shown;
};

// A command of the host's own: what runs it is the host application's (null: nothing runs), its
// images are the stand-in's drawings (a green start triangle, pressed a red stop square).
class HostCommand final : public Command, public IVyrHostCommand
{
public:
    HostCommand(ULONG id, std::wstring caption);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return Command::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return Command::Release(); }
    HRESULT STDMETHODCALLTYPE Execute(ULONG argument) override;
    HRESULT STDMETHODCALLTYPE GetImage(ULONG state, HBITMAP* image) override;

    void SetTarget(IVyrHostCommand* target);

private:
    std::mutex lock_;
    Orv::ComPtr<IVyrHostCommand> target_;
};

class CommandService final : public StaticComObject<IHostCommandService, &IID_IHostCommandService>
{
public:
    HRESULT STDMETHODCALLTYPE CreateCommand(ULONG id, ULONG kind, IOrvString* path, IOrvString* separator,
        IOrvString* title, IOrvString* moduleName, IVyrCommand** command) override;
    HRESULT STDMETHODCALLTYPE CreateCommandEx(ULONG flags, ULONG number, ULONG id, ULONG kind, IOrvString* path,
        IOrvString* caption, IOrvString* status, IOrvString* shortName, ULONG placement, ULONG image,
        IVyrCommand** command) override;
    HRESULT STDMETHODCALLTYPE FindCommand(ULONG id, IVyrCommand** command) override;
    HRESULT STDMETHODCALLTYPE PostCommandMessage(ULONG message, ULONG_PTR value) override;
    HRESULT STDMETHODCALLTYPE GetRefreshCount(ULONG* count) override;

    // What runs the host's command of that id; E_INVALIDARG for an id the host has no command of.
    HRESULT SetHostCommandTarget(ULONG id, IUnknown* target);

private:
    HRESULT Keep(Command* made, IVyrCommand** command);

    std::mutex lock_;
    std::vector<Orv::ComPtr<Command>> commands_;
    Orv::ComPtr<HostCommand> startStopSampling_ =
        Orv::ComPtr<HostCommand>::Adopt(new HostCommand(VyrHostCommandId::StartStopSampling, L"Start/Stop Sampling"));
    // Ids the host chooses lie in a range of its own, away from every GUID code a module gets.
    ULONG nextHostId_ = 0x7FFF0001;
    ULONG refreshes_ = 0;
};

class CommandRegistration final : public HeapComObject<IVyrCommandRegistration, &IID_IVyrCommandRegistration>
{
public:
    CommandRegistration(IVyrCommandHandler* handler, ULONG_PTR argument);

    HRESULT STDMETHODCALLTYPE AddMenuCommand(IVyrCommand* command, VARIANT_BOOL* created) override;
    HRESULT STDMETHODCALLTYPE GetMenuCommandCount(ULONG* count) override;
    HRESULT STDMETHODCALLTYPE GetMenuCommand(ULONG index, IVyrCommand** command) override;
    HRESULT STDMETHODCALLTYPE ExecuteCommand(ULONG id) override;
    HRESULT STDMETHODCALLTYPE QueryCommandState(ULONG id, ULONG* state) override;

private:
    std::mutex lock_;
    Orv::ComPtr<IVyrCommandHandler> handler_;
    std::vector<Orv::ComPtr<IVyrCommand>> menu_;
};

class CommandRegistrationService final
    : public StaticComObject<ICommandRegistrationService, &IID_ICommandRegistrationService>
{
public:
    HRESULT STDMETHODCALLTYPE RegisterCommandHandler(const GUID* guid, IVyrCommandHandler* handler,
        ULONG_PTR argument, IVyrCommandRegistration** registration) override;

    // The registration made index-th, with one reference; false past the last.
    bool At(ULONG index, GUID* guid, IVyrCommandRegistration** registration);
    // Lets go of every registration (and so of the modules' handlers).
    void Clear();

private:
    struct Made
    {
        GUID guid;
        Orv::ComPtr<IVyrCommandRegistration> registration;
    };
    std::mutex lock_;
    std::vector<Made> made_;
};

} // namespace Vyr
