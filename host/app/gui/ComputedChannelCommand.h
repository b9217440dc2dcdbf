// The host's command that makes a computed channel: a module's calculation class asks the person for
// the channel's settings in its own dialog and makes the channel's calculation, which the document then
// keeps as one of its channels, shown in the trace view and read by calculations like a recorded one.
#pragma once

#include "host/app/document/HostDocument.h"
#include "hostapi/CalcInterfaces.h"
#include "hostapi/ChannelCalcHost.h"

#include "foundation/com/ComPtr.h"
#include "foundation/com/OwnerKept.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct IVyrStandIn;

namespace Host
{

// The channel host of the channels a command makes: their data is the document's, and a settings
// preview runs on the framework's temporary channels. It outlives the calculations that hold it.
class ComputedChannelCommand final : public Orv::OwnerKept<IChannelCalcHost>
{
public:
    ComputedChannelCommand(HostDocument& document, IVyrStandIn& standIn, ICalculationClass& calculationClass);
    ComputedChannelCommand(const ComputedChannelCommand&) = delete;
    ComputedChannelCommand& operator=(const ComputedChannelCommand&) = delete;

    // The class's name ("Computed" when it tells none).
    std::wstring ClassName() const;
    // The class's type id in the framework's registry.
    ULONG ClassTypeId() const;
    // Asks the class for a channel over owner: the index of the document's new computed channel, none
    // when the person cancelled. Throws std::runtime_error with the class's failure.
    std::optional<int32_t> Run(HWND owner);
    // The indices of the document's computed channels of this class.
    std::vector<size_t> ChannelsOfClass() const;
    // Opens the class's dialog over computed channel index's settings; on OK the channel runs the
    // calculation made from the edited settings. False when the person cancelled. Throws
    // std::runtime_error with the class's failure, std::out_of_range for a channel the document lacks.
    bool Edit(HWND owner, size_t index);
    // Makes a channel's calculation from settings the class made before, without asking the person, as the
    // new last computed channel of the document: its index. The calculation holds the settings but runs
    // nothing until it applies them. Throws std::runtime_error with the class's failure.
    int32_t Remake(IPersistObject* settings);

    // IUnknown: the command lives as long as its owner keeps it.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    // IChannelCalcHost
    HRESULT STDMETHODCALLTYPE SetUpChannel(uint32_t reserved, uint32_t parameter, uint32_t flag) override;
    HRESULT STDMETHODCALLTYPE GetChannelSource(IUnknown** source) override;
    HRESULT STDMETHODCALLTYPE GetDocumentData(IUnknown** data) override;

private:
    // What the class makes over owner from settings (none: a new channel's); null when the person
    // cancelled.
    Orv::ComPtr<IChannelCalc> Create(HWND owner, IPersistObject* settings, uint32_t channel);

    HostDocument& document_;
    Orv::ComPtr<IUnknown> previewChannels_; // the framework's IComputedChannelFactory
    Orv::ComPtr<ICalculationClass> class_;
};

// The computed-channel classes among a framework's registrations.
std::vector<Orv::ComPtr<ICalculationClass>> ComputedChannelClasses(IVyrStandIn& standIn);

// The commands of every computed-channel class the framework holds, which host the document's computed
// channels: they outlive the channels, which the document lets go of first.
class ComputedChannelHosts
{
public:
    ComputedChannelHosts(HostDocument& document, IVyrStandIn& standIn);
    ~ComputedChannelHosts();
    ComputedChannelHosts(const ComputedChannelHosts&) = delete;
    ComputedChannelHosts& operator=(const ComputedChannelHosts&) = delete;

    const std::vector<std::unique_ptr<ComputedChannelCommand>>& Commands() const { return commands_; }
    // The command of the class of computed channel index; null when no class of the framework made it.
    ComputedChannelCommand* CommandOf(size_t index) const;
    // The command of the class with the type id; null when the framework holds none.
    ComputedChannelCommand* CommandOfType(ULONG typeId) const;

private:
    HostDocument& document_;
    std::vector<std::unique_ptr<ComputedChannelCommand>> commands_;
};

class FrameWindow;

// The frame's "Channel" menu: for each computed-channel class the framework holds, a command that makes a
// channel of the class and one that edits the settings of such a channel.
class ComputedChannelMenu
{
public:
    // made: told after each channel the document gained or that changed.
    ComputedChannelMenu(FrameWindow& frame, HostDocument& document, const ComputedChannelHosts& hosts,
                        std::function<void()> made);

private:
    // Which of the document's channels of the command's class to edit: the one there is, else the one the
    // person chooses; none when the person cancelled. Throws std::runtime_error when there is none.
    std::optional<size_t> ChooseChannel(HWND owner, const ComputedChannelCommand& command) const;

    HostDocument& document_;
};

} // namespace Host
