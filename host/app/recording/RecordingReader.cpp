#include "host/app/recording/RecordingReader.h"

#include "host/app/files/TextConversion.h"

#include <algorithm>
#include <bit>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace Host
{

namespace
{

// The reader was asked to stop.
struct Stopped
{
};

// The parse found a record other than the quick pass did.
struct ShapeMismatch
{
};

bool SameShape(const RecordShape& a, const RecordShape& b)
{
    return a.rows == b.rows && std::bit_cast<uint64_t>(a.interval) == std::bit_cast<uint64_t>(b.interval) &&
           std::bit_cast<uint64_t>(a.last) == std::bit_cast<uint64_t>(b.last);
}

} // namespace

RecordingReader::RecordingReader(std::string path, size_t chunkRows, ShapeScan scan)
    : path_(std::move(path)), chunkRows_(chunkRows), scan_(std::move(scan)), live_({}),
      thread_([this](std::stop_token stop) { Run(stop); })
{
}

// The reader is told to stop under its mutex rather than through a wait on the thread's stop token: such a wait
// ends by unregistering its stop callback, and where the callback is running on the stopping thread that means
// waiting on a semaphore whose wake-up this toolchain can lose (its atomic wait, lacking a platform wait, checks
// the value outside its lock), which left the joining thread waiting for ever.
RecordingReader::~RecordingReader()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        changed_.notify_all();
    }
    thread_.request_stop();
}

void RecordingReader::Run(std::stop_token stop)
{
    const auto check = [&] {
        if (stop.stop_requested())
            throw Stopped();
    };
    // A pipe (`<(cat file)`) can be read once only: the quick pass would leave the parse nothing to read.
    std::error_code noStatus;
    if (!std::filesystem::is_regular_file(std::filesystem::path(FromUtf8(path_)), noStatus))
    {
        ReadWhole();
        return;
    }
    try
    {
        shapes_ = scan_(path_, check);
        if (shapes_)
        {
            ReadRecordingRows(path_, *this, chunkRows_, check);
            if (record_ != shapes_->size())
                throw ShapeMismatch();
            PostPending(true);
            AfterTheParse();
            return;
        }
    }
    catch (const Stopped&)
    {
        return;
    }
    catch (const ShapeMismatch&)
    {
    }
    catch (...)
    {
        SetPhase(Phase::Failed, std::current_exception());
        return;
    }
    ReadWhole();
}

void RecordingReader::ReadWhole()
{
    SetPhase(Phase::Falling);
    try
    {
        Recording recording = LoadRecordingFile(path_);
        std::lock_guard lock(mutex_);
        whole_.emplace(std::move(recording));
        phase_ = Phase::Whole;
    }
    catch (...)
    {
        SetPhase(Phase::Failed, std::current_exception());
        return;
    }
    changed_.notify_all();
}

void RecordingReader::SetPhase(Phase phase, std::exception_ptr fault)
{
    {
        std::lock_guard lock(mutex_);
        phase_ = phase;
        fault_ = fault;
        if (phase != Phase::Streaming)
            queue_.clear();
    }
    changed_.notify_all();
}

void RecordingReader::Post(Chunk chunk)
{
    std::vector<std::vector<float>> retired;
    {
        std::unique_lock lock(mutex_);
        queue_.push_back(std::move(chunk));
        if (queue_.back().last)
            phase_ = Phase::Ended;
        TouchRoomAhead(lock);
        retired.swap(retired_);
    }
    changed_.notify_all();
}

void RecordingReader::PostPending(bool last)
{
    if (!pending_)
        return;
    pending_->last = last;
    Post(std::move(*pending_));
    pending_.reset();
}

void RecordingReader::Channels(const std::vector<ChannelInfo>& channels)
{
    {
        std::lock_guard lock(mutex_);
        channels_ = channels;
    }
    SetPhase(Phase::Streaming);
}

RecordShape RecordingReader::RecordStart()
{
    if (record_ == shapes_->size())
        throw ShapeMismatch();
    starting_ = (*shapes_)[record_++];
    roomRecord_ = record_ - 1;
    roomRows_ = starting_->rows;
    rowsTouched_ = 0;
    roomStarts_.clear();
    return *starting_;
}

void RecordingReader::Rows(std::vector<std::vector<float>> columns)
{
    PostPending(false);
    Post(Passed(std::move(columns), false));
}

void RecordingReader::RecordEnd(std::vector<std::vector<float>> columns, const RecordShape& shape)
{
    if (!SameShape((*shapes_)[record_ - 1], shape))
        throw ShapeMismatch();
    PostPending(false);
    pending_ = Passed(std::move(columns), true);
}

// The chunk of the rows parsed; a record's first chunk brings the room made for the record.
RecordingReader::Chunk RecordingReader::Passed(std::vector<std::vector<float>> columns, bool recordEnd)
{
    Chunk chunk{std::move(columns), std::exchange(starting_, std::nullopt), recordEnd};
    if (chunk.start)
    {
        chunk.room.resize(chunk.columns.size());
        for (std::vector<float>& channel : chunk.room)
        {
            channel.reserve(roomRows_);
            roomStarts_.push_back(channel.data());
        }
    }
    return chunk;
}

// The rows of the current room the feeding thread has taken; the caller holds the mutex.
size_t RecordingReader::RoomRowsFed() const
{
    return recordsFed_ == roomRecord_ + 1 ? rowsFed_ : recordsFed_ > roomRecord_ + 1 ? roomRows_ : 0;
}

// The room is touched up to two chunks beyond the rows fed; the caller holds the mutex.
size_t RecordingReader::RoomRowsToTouch() const
{
    return std::min(RoomRowsFed() + 2 * chunkRows_, roomRows_);
}

void RecordingReader::TouchRoomAhead(const std::unique_lock<std::mutex>&)
{
    constexpr size_t samplesPerPage = 4096 / sizeof(float);
    const size_t from = std::max(rowsTouched_, RoomRowsFed());
    const size_t end = RoomRowsToTouch();
    // Rows the feeding thread has taken were touched by its copy: below end nothing is left to touch.
    if (from < end)
        for (float* start : roomStarts_)
        {
            volatile float* const room = start;
            for (size_t row = from; row < end; row += samplesPerPage)
                room[row] = 0.0f;
            room[end - 1] = 0.0f;
        }
    rowsTouched_ = std::max(rowsTouched_, end);
}

// Once every row is handed over, the reader goes on touching the last record's room ahead of the feeding and
// letting go of the columns fed, until the last chunk is fed or the reader is stopped.
void RecordingReader::AfterTheParse()
{
    std::unique_lock lock(mutex_);
    const auto moreToDo = [&] {
        return stopping_ || !retired_.empty() || lastFed_ || rowsTouched_ < RoomRowsToTouch();
    };
    while (true)
    {
        TouchRoomAhead(lock);
        if (!retired_.empty())
        {
            std::vector<std::vector<float>> retired = std::exchange(retired_, {});
            lock.unlock();
            retired.clear();
            lock.lock();
            continue;
        }
        if (lastFed_ || stopping_)
            return;
        changed_.wait(lock, moreToDo);
    }
}

bool RecordingReader::Streams()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return phase_ != Phase::Scanning; });
    if (phase_ != Phase::Streaming && phase_ != Phase::Ended)
        return false;
    if (!declared_)
        live_.DeclareChannels(channels_);
    declared_ = true;
    return true;
}

void RecordingReader::Feed(int64_t)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !queue_.empty() || phase_ != Phase::Streaming; });
    if (phase_ == Phase::Failed)
        std::rethrow_exception(fault_);
    if (phase_ != Phase::Streaming && phase_ != Phase::Ended)
        throw ReadWholeFirst();
    if (queue_.empty())
        throw std::logic_error("rows asked for after the end of the recording");
    Chunk chunk = std::move(queue_.front());
    queue_.pop_front();
    const size_t rows = chunk.columns.empty() ? 0 : chunk.columns.front().size();
    recordsFed_ += chunk.start ? 1 : 0;
    rowsFed_ = chunk.start ? rows : rowsFed_ + rows;
    lock.unlock();
    changed_.notify_all();
    Append(chunk);
    lock.lock();
    for (std::vector<float>& column : chunk.columns)
        retired_.push_back(std::move(column));
    lastFed_ = chunk.last;
    lock.unlock();
    changed_.notify_all();
}

void RecordingReader::Append(Chunk& chunk)
{
    if (chunk.start)
        try
        {
            live_.AddRecord(chunk.start->interval).TakeRoom(std::move(chunk.room));
        }
        catch (...)
        {
            roomsDropped_.push_back(std::move(chunk.room));
            throw;
        }
    Record& record = live_.RecordAt(live_.RecordCount() - 1);
    record.Append(std::vector<std::span<const float>>(chunk.columns.begin(), chunk.columns.end()));
    if (chunk.recordEnd)
        record.MarkComplete();
    if (chunk.last)
        live_.MarkFinished();
}

RecordingReader::Outcome RecordingReader::Settle()
{
    std::unique_lock lock(mutex_);
    while (true)
    {
        for (Chunk& chunk : queue_)
            if (!chunk.room.empty())
                roomsDropped_.push_back(std::move(chunk.room));
        queue_.clear();
        changed_.notify_all();
        if (phase_ == Phase::Ended)
            return Outcome::Streamed;
        if (phase_ == Phase::Failed)
            return Outcome::Failed;
        if (phase_ == Phase::Whole)
            return Outcome::Whole;
        changed_.wait(lock);
    }
}

const Recording& RecordingReader::Whole()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return phase_ == Phase::Whole || phase_ == Phase::Failed; });
    if (phase_ == Phase::Failed)
        std::rethrow_exception(fault_);
    return *whole_;
}

int RunWhileReading(const std::string& path, std::ostream& err,
                    const std::function<int(const Recording&, SampleFeed*, std::ostream&)>& work,
                    const std::function<int(const std::string&)>& readFailed,
                    const std::function<void()>& meanwhile)
{
    RecordingReader reader(path);
    if (meanwhile)
        meanwhile();
    if (reader.Streams())
    {
        std::ostringstream held;
        std::exception_ptr fault;
        int status = 0;
        try
        {
            status = work(reader.Live(), &reader, held);
        }
        catch (...)
        {
            fault = std::current_exception();
        }
        if (reader.Settle() == RecordingReader::Outcome::Streamed)
        {
            err << held.str();
            if (fault)
                std::rethrow_exception(fault);
            return status;
        }
    }
    const Recording* whole = nullptr;
    try
    {
        whole = &reader.Whole();
    }
    catch (const std::exception& e)
    {
        return readFailed(e.what());
    }
    return work(*whole, nullptr, err);
}

} // namespace Host
