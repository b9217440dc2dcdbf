// Reads the event records of one block of a document's data item, continuing where the previous read
// stopped when asked for the same record or the next one.
#pragma once

#include "hostapi/CalcInterfaces.h"
#include "hostapi/HostDocument.h"

#include "foundation/com/ComPtr.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Sistra
{

class EventBuffer
{
public:
    // Copies the record at offset in the block into record (size bytes, which must be the item's record
    // size); false when the item yields no such record.
    bool Read(IHostCalcItems& host, HostItemId item, int32_t block, int32_t offset, void* record, std::size_t size);
    // The first record of the block at or after the tick; the enumerator stays open for the next such read.
    bool ReadFrom(IHostCalcItems& host, HostItemId item, int32_t block, int32_t tick, void* record, std::size_t size);
    // Forgets the host's enumerator and the position.
    void Reset();

private:
    static constexpr int32_t None = -2;

    bool Attach(IHostCalcItems& host, HostItemId item, int32_t block, int32_t tick, std::size_t size);
    bool Advance();

    Orv::ComPtr<IEnumEventEx> events_;
    int32_t block_ = None;
    int32_t served_ = None; // offset of the record in current_
    std::vector<std::byte> current_;
};

} // namespace Sistra
