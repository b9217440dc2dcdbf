// The range of records the host keeps for a document's analysis, told to the document's observers as the
// host's range events: a module's document then shows that only part of what it analysed is in range.
#pragma once

#include "host/app/document/HostDocument.h"
#include "hostapi/HostDocumentEvents.h"

#include <optional>

namespace Host
{

class AnalysisRange
{
public:
    // The document must outlive the range.
    explicit AnalysisRange(HostDocument& document) : document_(document) {}

    // Whether the document has a selection to take a range from.
    bool CanSet() const;
    // Whether the host holds a range it told, not cleared since.
    bool IsSet() const { return range_.has_value(); }
    // The first and last record the selection covers become the range, which the observers are told. A
    // selection that ends at the start of a record does not cover that record. Throws std::runtime_error
    // when nothing is selected.
    HostRangeRecord Set();
    // The observers are told the range was cleared.
    void Clear();

private:
    HostDocument& document_;
    std::optional<HostRangeRecord> range_;
};

} // namespace Host
