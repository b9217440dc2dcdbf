// The host's actions on a document's records, told to the document's observers as the host tells them:
// a record deleted, those after it moving up a place.
#pragma once

#include "host/app/document/HostDocument.h"
#include "host/app/recording/Recording.h"

namespace Host
{

// The record holding the document's selection, the one Edit > Delete Record... deletes. Throws
// std::runtime_error when the record cannot be deleted: nothing is selected within one record, recording
// is not what the document shows (a sampled document shows its own copy) or it is the recording's only one.
int32_t RecordToDelete(HostDocument& document, const Recording& recording);

// Deletes the record from recording, the document's data: the records after it move up a place, and the
// document lets go of what it held of the record and worked out from the records. The document's
// observers are told the record went, then to refresh. Throws as RecordToDelete, and
// std::invalid_argument for a record the recording does not have.
void DeleteRecord(HostDocument& document, Recording& recording, int32_t record);

} // namespace Host
