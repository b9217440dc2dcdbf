// The check a document file carries of every stream it holds, as a settings file carries one of its
// record: the compound file keeps the streams' chains sound, not their content, so a changed sample reads
// as another sample and a module's record as other settings. A save lists every stream with its length
// and CRC-32 last, before it commits; an open compares each stream with its entry before anything of the
// file is used, and refuses the file naming the stream that does not match.
//
// Layout: stream "Checks" at the root: format version (1), the count of entries, then per stream its
// path from the root (storage names and its own name joined by '/', UTF-16, after its length in
// characters), its length in bytes (64-bit) and the CRC-32 of its content; last the CRC-32 of all that
// precedes it. Numbers are little-endian.
#pragma once

#include <objidl.h>

#include <stdexcept>
#include <string>

namespace Host
{

// A document whose content does not hold: the text says what is damaged, in the words a person knows
// the document's parts by, and how.
class DocumentDamaged : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Lists every stream under root (but the list itself) with its check, in place of an earlier list;
// nothing is committed here.
HRESULT WriteDocumentChecks(IStorage* root);

// Compares every stream under root with the list: true when they all match it, false when the file has no
// list (a document saved before documents carried one, whose damage cannot be told). Throws
// DocumentDamaged for a stream that differs from its entry, is missing, was not listed or cannot be read,
// and for a list that is damaged itself.
bool CheckDocumentStreams(IStorage* root);

// What a person calls the part of a document a stream holds ("the samples of record 2"), by its path.
std::string DocumentPartName(const std::wstring& streamPath);

} // namespace Host
