#include "foundation/streams/StorageStreamBuf.h"

namespace Orv
{

namespace
{
const std::streampos NoPosition = std::streampos(std::streamoff(-1));

DWORD StreamOrigin(std::ios_base::seekdir way)
{
    if (way == std::ios_base::beg)
        return STREAM_SEEK_SET;
    return way == std::ios_base::cur ? STREAM_SEEK_CUR : STREAM_SEEK_END;
}
} // namespace

StorageStreamBuf::StorageStreamBuf()
{
    EmptyAreas();
}

StorageStreamBuf::~StorageStreamBuf()
{
    Close();
}

void StorageStreamBuf::EmptyAreas()
{
    setg(block_, BlockStart(), BlockStart());
    setp(BlockStart(), BlockStart());
}

void StorageStreamBuf::ResetForWriting()
{
    setg(block_, BlockStart(), BlockStart());
    setp(BlockStart(), BlockStart() + BlockSize);
}

StorageStreamBuf* StorageStreamBuf::Open(IStream* stream, bool forceWrite)
{
    if (IsOpen() || !stream)
        return nullptr;
    STATSTG stat{};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
        return nullptr;
    ULARGE_INTEGER position{};
    if (FAILED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &position)))
        return nullptr;

    const DWORD access = stat.grfMode & 3;
    mode_ = access == STGM_READ ? ModeRead : access == STGM_WRITE ? ModeWrite : ModeRead | ModeWrite;
    if (forceWrite)
        mode_ |= ModeWrite;
    stream_ = ComPtr<IStream>(stream);
    streamPosition_ = position.QuadPart;
    highWater_ = 0;
    EmptyAreas();
    return this;
}

bool StorageStreamBuf::Close()
{
    if (!IsOpen())
        return true;
    // Pending output is written, and bytes read ahead are given back, so that whoever uses the stream
    // next finds it just after what went through this buffer.
    const bool written = sync() == 0;
    stream_.Reset();
    mode_ = 0;
    highWater_ = 0;
    EmptyAreas();
    return written;
}

StorageStreamBuf::pos_type StorageStreamBuf::SeekStream(off_type off, DWORD origin)
{
    LARGE_INTEGER move;
    move.QuadPart = off;
    ULARGE_INTEGER position{};
    if (FAILED(stream_->Seek(move, origin, &position)))
        return NoPosition;
    streamPosition_ = position.QuadPart;
    EmptyAreas();
    return pos_type(off_type(position.QuadPart));
}

int StorageStreamBuf::sync()
{
    if (!IsOpen())
        return -1;
    const std::ptrdiff_t pending = std::max(highWater_, PutOffset());
    highWater_ = 0;
    if (pending > 0)
    {
        ULONG written = 0;
        const HRESULT hr = stream_->Write(BlockStart(), static_cast<ULONG>(pending), &written);
        streamPosition_ += written;
        if (FAILED(hr) || written != static_cast<ULONG>(pending))
            return -1;
        ResetForWriting();
        return 0;
    }
    // Bytes read ahead but not consumed: put the IStream back where the reader logically stands.
    if (UnreadCount() > 0 && SeekStream(-UnreadCount(), STREAM_SEEK_CUR) == NoPosition)
        return -1;
    return 0;
}

StorageStreamBuf::int_type StorageStreamBuf::underflow()
{
    if (!IsOpen() || !(mode_ & ModeRead))
        return traits_type::eof();
    if (gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    if (sync() != 0)
        return traits_type::eof();
    ULONG read = 0;
    if (FAILED(stream_->Read(BlockStart(), static_cast<ULONG>(BlockSize), &read)))
    {
        EmptyAreas();
        return traits_type::eof();
    }
    streamPosition_ += read;
    setg(block_, BlockStart(), BlockStart() + read);
    setp(BlockStart(), BlockStart());
    return read == 0 ? traits_type::eof() : traits_type::to_int_type(*gptr());
}

StorageStreamBuf::int_type StorageStreamBuf::overflow(int_type c)
{
    if (!IsOpen() || !(mode_ & ModeWrite) || sync() != 0)
        return traits_type::eof();
    ResetForWriting();
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

StorageStreamBuf::pos_type StorageStreamBuf::seekoff(off_type off, std::ios_base::seekdir way,
                                                     std::ios_base::openmode)
{
    if (!IsOpen() || sync() != 0)
        return NoPosition;
    return SeekStream(off, StreamOrigin(way));
}

StorageStreamBuf::pos_type StorageStreamBuf::seekpos(pos_type pos, std::ios_base::openmode)
{
    if (!IsOpen() || sync() != 0)
        return NoPosition;
    return SeekStream(off_type(pos), STREAM_SEEK_SET);
}

// ---- writer ----

bool StorageOutStreamBuf::MoveInsideBlock(off_type target)
{
    if (!HasPutArea())
        return false;
    RaiseHighWater();
    if (target < 0 || target > HighWater())
        return false;
    setp(pbase(), epptr());
    pbump(static_cast<int>(target));
    return true;
}

StorageOutStreamBuf::pos_type StorageOutStreamBuf::seekoff(off_type off, std::ios_base::seekdir way,
                                                           std::ios_base::openmode which)
{
    if (!IsOpen())
        return NoPosition;
    const auto here = static_cast<off_type>(StreamPosition()) + PutOffset();
    if (off == 0 && way == std::ios_base::cur)
        return pos_type(here);
    if (way == std::ios_base::end)
        return StorageStreamBuf::seekoff(off, way, which);
    // The IStream stands at the furthest byte written once the block is synchronised, not at the put
    // position, so a relative move is made absolute first.
    const off_type target = way == std::ios_base::cur ? here + off : off;
    return seekpos(pos_type(target), which);
}

StorageOutStreamBuf::pos_type StorageOutStreamBuf::seekpos(pos_type pos, std::ios_base::openmode which)
{
    if (!IsOpen())
        return NoPosition;
    if (MoveInsideBlock(off_type(pos) - static_cast<off_type>(StreamPosition())))
        return pos;
    return StorageStreamBuf::seekpos(pos, which);
}

// ---- reader ----

StorageInStreamBuf::off_type StorageInStreamBuf::LogicalPosition() const
{
    return static_cast<off_type>(StreamPosition()) - UnreadCount();
}

bool StorageInStreamBuf::MoveInsideBlock(off_type relative)
{
    if (!HasGetArea())
        return false;
    const off_type target = (gptr() - BlockStart()) + relative;
    if (target < 0 || target >= egptr() - BlockStart())
        return false;
    setg(eback(), BlockStart() + target, egptr());
    return true;
}

StorageInStreamBuf::pos_type StorageInStreamBuf::seekoff(off_type off, std::ios_base::seekdir way,
                                                         std::ios_base::openmode which)
{
    if (!IsOpen())
        return NoPosition;
    if (off == 0 && way == std::ios_base::cur)
        return pos_type(LogicalPosition());
    if (way != std::ios_base::end)
    {
        const off_type relative = way == std::ios_base::cur ? off : off - LogicalPosition();
        if (MoveInsideBlock(relative))
            return pos_type(LogicalPosition());
    }
    return StorageStreamBuf::seekoff(off, way, which);
}

StorageInStreamBuf::pos_type StorageInStreamBuf::seekpos(pos_type pos, std::ios_base::openmode which)
{
    if (!IsOpen())
        return NoPosition;
    if (MoveInsideBlock(off_type(pos) - LogicalPosition()))
        return pos;
    return StorageStreamBuf::seekpos(pos, which);
}

// ---- record streams ----

StorageBinIStreamLite::StorageBinIStreamLite(IStream* stream) : BinIStream(&embeddedBuffer)
{
    if (embeddedBuffer.Open(stream, false))
        ReadHeader();
    else
        Fail(StateNoBuffer);
}

StorageBinIStreamLite::~StorageBinIStreamLite()
{
    embeddedBuffer.Close();
}

StorageBinOStreamLite::StorageBinOStreamLite(IStream* stream, bool forceWrite) : BinOStream(&embeddedBuffer)
{
    if (embeddedBuffer.Open(stream, forceWrite))
        WriteU32(BinaryHeaderWord);
    else
        Fail(StateNoBuffer);
}

StorageBinOStreamLite::~StorageBinOStreamLite()
{
    embeddedBuffer.Close();
}

HRESULT STDMETHODCALLTYPE StorageBinOStreamLite::Close()
{
    if (!embeddedBuffer.Close())
        Fail(StateNoBuffer);
    ReleaseAttached();
    return Result();
}

} // namespace Orv
