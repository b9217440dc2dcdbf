#include "host/app/gui/SamplingPlayer.h"
#include "host/app/gui/WindowClass.h"

#include "host/app/files/TextConversion.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/system/PacingClock.h"

#include <cmath>
#include <stdexcept>

namespace Host
{

namespace
{

constexpr const wchar_t* TimerWindowClass = L"SistraHostSamplingClock";
constexpr UINT_PTR ClockTimer = 1;
// A display refreshes about this often; a shorter beat would only cut the same samples finer.
constexpr UINT ClockMilliseconds = 20;
constexpr int ImageSide = 16;

// The longest a timer beat feeds samples before the window's messages run again: a recording whose
// analysis falls behind the clock plays slower, while a click on Stop or on the frame's close is
// answered at once.
constexpr uint64_t BeatBudgetMilliseconds = 50;

// The command's images: a green triangle pointing right to start, a red square to stop, on a clear
// background, premultiplied as the command's contract says.
HBITMAP CommandImage(bool stop)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = ImageSide;
    info.bmiHeader.biHeight = -ImageSide;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP image = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!image)
        return nullptr;
    auto* pixels = static_cast<uint32_t*>(bits);
    constexpr uint32_t Green = 0xFF1E9E3Cu, Red = 0xFFC8281Eu;
    for (int y = 0; y < ImageSide; ++y)
        for (int x = 0; x < ImageSide; ++x)
        {
            const double fromMiddle = std::abs(y + 0.5 - ImageSide / 2.0);
            const bool inside = stop ? (x >= 3 && x < 13 && y >= 3 && y < 13)
                                     : (x >= 4 && x <= 12 && fromMiddle <= (12.5 - x) * 0.6);
            pixels[y * ImageSide + x] = inside ? (stop ? Red : Green) : 0u;
        }
    return image;
}

} // namespace

SamplingPlayer::SamplingPlayer(HostDocument& document, IVyrStandIn& standIn, double speed)
    : document_(document), standIn_(standIn), speed_(speed)
{
    if (!(speed > 0.0) || !std::isfinite(speed))
        throw std::invalid_argument("the sampling speed must be a positive number");
    EnsureWindowClass(TimerWindowClass, TimerProcedure, {false}, "the sampling clock's");
    timerWindow_ = CreateWindowExW(0, TimerWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    if (!timerWindow_)
        throw std::runtime_error("cannot make the sampling clock's window: " + SystemErrorText(GetLastError()));
    SetWindowLongPtrW(timerWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    standIn_.SetHostCommandTarget(VyrHostCommandId::StartStopSampling, static_cast<IVyrHostCommand*>(this));
    // A live preview that is started before the host samples starts the sampling.
    if (LiveSamplingSource* live = document_.LiveSource())
        live->SetStarter([this] { Start(); });
}

SamplingPlayer::~SamplingPlayer()
{
    standIn_.SetHostCommandTarget(VyrHostCommandId::StartStopSampling, nullptr);
    if (LiveSamplingSource* live = document_.LiveSource())
        live->SetStarter(nullptr);
    KillTimer(timerWindow_, ClockTimer);
    SetWindowLongPtrW(timerWindow_, GWLP_USERDATA, 0);
    DestroyWindow(timerWindow_);
}

void SamplingPlayer::Start()
{
    if (started_ || document_.IsSamplingDone())
        return;
    started_ = true;
    startMilliseconds_ = Orv::PacingMilliseconds();
    if (!SetTimer(timerWindow_, ClockTimer, ClockMilliseconds, nullptr))
        throw std::runtime_error("cannot start the sampling clock: " + SystemErrorText(GetLastError()));
    // The first samples open the record at once, so the document samples from the moment it starts.
    document_.FeedSamples(1);
}

void SamplingPlayer::Stop()
{
    KillTimer(timerWindow_, ClockTimer);
    document_.StopSampling();
}

SamplingPlayer::PlayedSoFar SamplingPlayer::Played()
{
    // The records completed so far are summed once each: a recording of many short records would
    // otherwise be summed again for every chunk.
    const Recording& live = document_.Data();
    while (completedRecords_ < live.RecordCount() && live.RecordAt(completedRecords_).IsComplete())
    {
        const Record& record = live.RecordAt(completedRecords_++);
        completedSeconds_ += static_cast<double>(record.Length()) * record.SampleInterval();
    }
    PlayedSoFar played{completedSeconds_, 0.0};
    if (completedRecords_ < live.RecordCount())
    {
        const Record& open = live.RecordAt(completedRecords_);
        played.seconds += static_cast<double>(open.Length()) * open.SampleInterval();
        played.openInterval = open.SampleInterval();
    }
    return played;
}

void SamplingPlayer::CatchUp()
{
    if (!IsPlaying())
        return;
    const uint64_t beatStart = Orv::PacingMilliseconds();
    const double due = static_cast<double>(beatStart - startMilliseconds_) / 1000.0 * speed_;
    while (!document_.IsSamplingDone() && Orv::PacingMilliseconds() - beatStart < BeatBudgetMilliseconds)
    {
        const PlayedSoFar played = Played();
        if (played.seconds >= due)
            break;
        const double missing = played.openInterval > 0.0 ? std::ceil((due - played.seconds) / played.openInterval) : 1.0;
        document_.FeedSamples(static_cast<int64_t>(std::max(1.0, missing)));
    }
    if (document_.IsSamplingDone())
        KillTimer(timerWindow_, ClockTimer);
}

LRESULT CALLBACK SamplingPlayer::TimerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* player = reinterpret_cast<SamplingPlayer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message != WM_TIMER || !player)
        return DefWindowProcW(window, message, wParam, lParam);
    // Nothing thrown may leave a window procedure; a feed that fails ends the sampling as Stop would.
    try
    {
        player->CatchUp();
    }
    catch (...)
    {
        KillTimer(window, ClockTimer);
        try
        {
            player->document_.StopSampling();
        }
        catch (...)
        {
        }
    }
    return 0;
}

HRESULT STDMETHODCALLTYPE SamplingPlayer::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IVyrHostCommand)
    {
        *object = static_cast<IVyrHostCommand*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE SamplingPlayer::Execute(ULONG)
{
    return Orv::CatchReturn([&] {
        if (IsPlaying())
            Stop();
        else
            Start();
    });
}

HRESULT STDMETHODCALLTYPE SamplingPlayer::GetImage(ULONG state, HBITMAP* image)
{
    if (!image)
        return E_POINTER;
    *image = CommandImage(state == VyrHostCommandImage::Pressed);
    return *image ? S_OK : E_OUTOFMEMORY;
}

} // namespace Host
