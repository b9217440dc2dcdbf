// Reading and writing the fields of model records: ints and channels as 4 bytes, doubles as 8, bools
// as one byte, units as a prefix code and a text. Counts read from a record are checked against the
// bytes that remain before anything is allocated for them.
#pragma once

#include "document/models/ModelValues.h"
#include "foundation/streams/BinaryStream.h"

#include <cstdint>

namespace Sistra::Records
{

void WriteBool(Orv::BinOStream& out, bool value);
void WriteInt(Orv::BinOStream& out, int32_t value);
void WriteDouble(Orv::BinOStream& out, double value);
void WriteUnit(Orv::BinOStream& out, const UnitInfo& unit);
void WritePosition(Orv::BinOStream& out, const RecordingPosition& position);   // block word first
void WriteIntSet(Orv::BinOStream& out, const IntSet& set);                      // count, then members

// Each reader stores the value only when it arrived. A bool reads as false once the stream failed.
void ReadBool(Orv::BinIStream& in, bool& value);
void ReadInt(Orv::BinIStream& in, int32_t& value);
void ReadDouble(Orv::BinIStream& in, double& value);
void ReadUnit(Orv::BinIStream& in, UnitInfo& unit);
void ReadPosition(Orv::BinIStream& in, RecordingPosition& position);
// Empties the set, then reads the count and the members.
void ReadIntSet(Orv::BinIStream& in, IntSet& set);

// A count of elements of elementBytes each that follow in the record: 0 once the stream has failed;
// a negative count, or one that needs more bytes than remain, throws XOrv 0xA004820A.
uint32_t ReadCount(Orv::BinIStream& in, uint32_t elementBytes, const wchar_t* what);
// The same check for a count already read: throws XOrv 0xA004820A unless it is not negative and its
// elements fit in the bytes that remain.
void CheckCount(Orv::BinIStream& in, int64_t count, uint64_t elementBytes, const wchar_t* what);

} // namespace Sistra::Records
