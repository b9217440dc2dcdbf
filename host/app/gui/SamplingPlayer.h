// Sampling in the host's window without hardware: a recording played into a sampling document in real
// time (or faster), by the pacing clock, on a window timer's beat on the window's thread, and the host's
// start/stop command that stops it. Stopping leaves the recording as far as it was sampled.
#pragma once

#include "host/app/document/HostDocument.h"
#include "hostapi/VyrClassRegistry.h"
#include "hostapi/VyrCommands.h"
#include "foundation/com/OwnerKept.h"

#include <windows.h>

#include <cstdint>

namespace Host
{

class SamplingPlayer final : public Orv::OwnerKept<IVyrHostCommand>
{
public:
    // speed: seconds of recording played per second of the clock. Becomes the target of the host's
    // start/stop command until it ends. Throws std::invalid_argument for a speed that is not positive,
    // std::runtime_error when its timer window cannot be made.
    SamplingPlayer(HostDocument& document, IVyrStandIn& standIn, double speed);
    ~SamplingPlayer();
    SamplingPlayer(const SamplingPlayer&) = delete;
    SamplingPlayer& operator=(const SamplingPlayer&) = delete;

    // Starts the clock; the samples follow as the window's messages run.
    void Start();
    // The recording ends where it is.
    void Stop();
    bool IsPlaying() const { return started_ && !document_.IsSamplingDone(); }
    // Feeds what the clock says is due now, or as much of it as a beat's time allows; the timer calls it,
    // and so may a test that drives the clock.
    void CatchUp();

    // IUnknown: the player lives as long as the window it plays into; references are counted for COM's
    // sake only.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    // IVyrHostCommand: starts sampling when it has not started, stops it while it runs.
    HRESULT STDMETHODCALLTYPE Execute(ULONG argument) override;
    HRESULT STDMETHODCALLTYPE GetImage(ULONG state, HBITMAP* image) override;

private:
    // Seconds of recording sampled so far, and the sample interval of the record being sampled (0 when
    // no record is open, so that the next one starts with a sample that tells its interval).
    struct PlayedSoFar
    {
        double seconds = 0.0;
        double openInterval = 0.0;
    };

    static LRESULT CALLBACK TimerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    PlayedSoFar Played();

    HostDocument& document_;
    IVyrStandIn& standIn_;
    double speed_;
    HWND timerWindow_ = nullptr;
    bool started_ = false;
    uint64_t startMilliseconds_ = 0; // on the pacing clock
    size_t completedRecords_ = 0;
    double completedSeconds_ = 0.0; // of the completed records
};

} // namespace Host
