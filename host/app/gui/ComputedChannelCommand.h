// The host's command that makes a computed channel: a module's calculation class asks the person for
// the channel's settings in its own dialog and makes the channel's calculation, which the document then
// keeps as one of its channels, shown in the trace view and read by calculations like a recorded one.
#pragma once

#include "host/app/HostDocument.h"
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
    // Asks the class for a channel over owner: the index of the document's new computed channel, none
    // when the person cancelled. Throws std::runtime_error with the class's failure.
    std::optional<int32_t> Run(HWND owner);
    // The indices of the document's computed channels of this class.
    std::vector<size_t> ChannelsOfClass() const;
    // Opens the class's dialog over computed channel index's settings; on OK the channel runs the
    // calculation made from the edited settings. False when the person cancelled. Throws
    // std::runtime_error with the class's failure, std::out_of_range for a channel the document lacks.
    bool Edit(HWND owner, size_t index);

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

class FrameWindow;

// The frame's "Channel" menu: for each computed-channel class the framework holds, a command that makes a
// channel of the class and one that edits the settings of such a channel.
class ComputedChannelMenu
{
public:
    // made: told after each channel the document gained or that changed.
    ComputedChannelMenu(FrameWindow& frame, HostDocument& document, IVyrStandIn& standIn, std::function<void()> made);
    // The document lets go of its computed channels first: their calculations hold the commands.
    ~ComputedChannelMenu();
    ComputedChannelMenu(const ComputedChannelMenu&) = delete;
    ComputedChannelMenu& operator=(const ComputedChannelMenu&) = delete;

private:
    // Which of the document's channels of the command's class to edit: the one there is, else the one the
    // person chooses; none when the person cancelled. Throws std::runtime_error when there is none.
    std::optional<size_t> ChooseChannel(HWND owner, const ComputedChannelCommand& command) const;

    HostDocument& document_;
    std::vector<std::unique_ptr<ComputedChannelCommand>> commands_;
};

} // namespace Host
