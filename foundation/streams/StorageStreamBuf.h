// Byte stream buffers over a COM IStream, and the record streams built on them.
//
// The buffer keeps one block of 1,024 bytes inside the object and moves it to and from the IStream in
// one call. Writes and in-block seeks collect in the block until it is synchronised (full block, seek
// outside it, flush, close or destruction), and then reach the IStream in one Write up to the furthest
// byte ever written in the block.
#pragma once

#include "foundation/streams/BinaryStream.h"
#include "foundation/com/ComPtr.h"

#include <objidl.h>

#include <algorithm>
#include <cstdint>
#include <streambuf>

namespace Orv
{

class StorageStreamBuf : public std::streambuf
{
public:
    static constexpr std::size_t BlockSize = 1024;
    static constexpr std::size_t PutBackRoom = 4;

    StorageStreamBuf();
    ~StorageStreamBuf() override;
    StorageStreamBuf(const StorageStreamBuf&) = delete;
    StorageStreamBuf& operator=(const StorageStreamBuf&) = delete;

    // Null when already open or when the stream cannot be asked for its mode. The stream's access mode
    // decides what the buffer allows; forceWrite allows writing on a stream opened read-only.
    StorageStreamBuf* Open(IStream* stream, bool forceWrite);
    // Writes pending output, gives back bytes read ahead, and lets the stream go; false when the
    // stream could not be brought there.
    bool Close();
    bool IsOpen() const { return static_cast<bool>(stream_); }

protected:
    int_type overflow(int_type c) override;
    int_type underflow() override;
    pos_type seekoff(off_type off, std::ios_base::seekdir way, std::ios_base::openmode which) override;
    pos_type seekpos(pos_type pos, std::ios_base::openmode which) override;
    int sync() override;

    char* BlockStart() { return block_ + PutBackRoom; }
    const char* BlockStart() const { return block_ + PutBackRoom; }
    // The IStream position of the block's start (for reading: just after the bytes read into it).
    std::uint64_t StreamPosition() const { return streamPosition_; }
    bool HasPutArea() const { return epptr() > pbase(); }
    bool HasGetArea() const { return egptr() > BlockStart(); }
    std::ptrdiff_t PutOffset() const { return pptr() - pbase(); }
    std::ptrdiff_t UnreadCount() const { return egptr() - gptr(); }
    // Remembers how far the block has been written, before the put position moves back.
    void RaiseHighWater() { highWater_ = std::max(highWater_, PutOffset()); }
    std::ptrdiff_t HighWater() const { return highWater_; }

private:
    static constexpr unsigned ModeRead = 1;
    static constexpr unsigned ModeWrite = 2;

    void EmptyAreas();
    void ResetForWriting();
    pos_type SeekStream(off_type off, DWORD origin);

    ComPtr<IStream> stream_;
    unsigned mode_ = 0;
    std::uint64_t streamPosition_ = 0;
    std::ptrdiff_t highWater_ = 0;
    char block_[PutBackRoom + BlockSize];
};

// Repositions inside the written part of the block without touching the IStream.
class StorageOutStreamBuf : public StorageStreamBuf
{
protected:
    pos_type seekoff(off_type off, std::ios_base::seekdir way, std::ios_base::openmode which) override;
    pos_type seekpos(pos_type pos, std::ios_base::openmode which) override;

private:
    bool MoveInsideBlock(off_type target);
};

// Repositions inside the bytes already read into the block without touching the IStream.
class StorageInStreamBuf : public StorageStreamBuf
{
protected:
    pos_type seekoff(off_type off, std::ios_base::seekdir way, std::ios_base::openmode which) override;
    pos_type seekpos(pos_type pos, std::ios_base::openmode which) override;

private:
    off_type LogicalPosition() const;
    bool MoveInsideBlock(off_type relative);
};

namespace Detail
{
// Constructed before the stream that reads or writes through it.
template <class Buffer>
struct EmbeddedStreamBuf
{
    Buffer embeddedBuffer;
};
} // namespace Detail

// A record reader over an IStream, from the stream's current position; reads the header word at once.
class StorageBinIStreamLite : private Detail::EmbeddedStreamBuf<StorageInStreamBuf>, public BinIStream
{
public:
    explicit StorageBinIStreamLite(IStream* stream);
    ~StorageBinIStreamLite() override;
};

// A record writer over an IStream, from the stream's current position; writes the header word at once.
// What was written reaches the stream at the latest on Close or destruction; only Flush and Close
// report a failure to get it there.
class StorageBinOStreamLite : private Detail::EmbeddedStreamBuf<StorageOutStreamBuf>, public BinOStream
{
public:
    StorageBinOStreamLite(IStream* stream, bool forceWrite);
    ~StorageBinOStreamLite() override;

    // Ends the write keeping the record: the pending bytes reach the stream, which stays positioned
    // after them; then the stream and the attached object are released.
    HRESULT STDMETHODCALLTYPE Close() override;
};

} // namespace Orv
