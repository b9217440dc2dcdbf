#include "document/models/ModelRecords.h"

#include "foundation/com/XOrv.h"
#include "foundation/numbers/Units.h"
#include "foundation/text/StringStream.h"

#include <locale>

namespace Sistra::Records
{

void WriteBool(Orv::BinOStream& out, bool value)
{
    out.WriteByte(value ? 1 : 0);
}

void WriteInt(Orv::BinOStream& out, int32_t value)
{
    out.WriteInt32(value);
}

void WriteDouble(Orv::BinOStream& out, double value)
{
    out.WriteDouble(value);
}

void WriteUnit(Orv::BinOStream& out, const UnitInfo& unit)
{
    Orv::PrefixedUnit prefixed(unit.text);
    prefixed.SetPrefix(unit.prefix);
    out.WriteInt32(unit.prefix ? prefixed.GetPrefixCode() : Orv::PrefixedUnit::NoPrefixCode);
    out.WriteString(Orv::String(unit.text));
}

void WritePosition(Orv::BinOStream& out, const RecordingPosition& position)
{
    out.WriteInt32(position.block);
    out.WriteInt32(position.tick);
}

void WriteIntSet(Orv::BinOStream& out, const IntSet& set)
{
    out.WriteInt32(static_cast<int32_t>(set.size()));
    for (int32_t member : set)
        out.WriteInt32(member);
}

void ReadBool(Orv::BinIStream& in, bool& value)
{
    BYTE byte = 0;
    in.ReadByte(&byte);
    value = in.IsGood() && byte != 0;
}

void ReadInt(Orv::BinIStream& in, int32_t& value)
{
    in.ReadLong(&value);
}

void ReadDouble(Orv::BinIStream& in, double& value)
{
    in.ReadDouble(&value);
}

void ReadUnit(Orv::BinIStream& in, UnitInfo& unit)
{
    int32_t code = Orv::PrefixedUnit::NoPrefixCode;
    ReadInt(in, code);
    Orv::String text;
    in.ReadString(text);
    if (!in.IsGood())
        return;
    Orv::PrefixedUnit prefixed(text.c_str());
    prefixed.SetPrefixCode(code);
    unit.text = text.c_str();
    unit.prefix = prefixed.Prefix();
}

void ReadPosition(Orv::BinIStream& in, RecordingPosition& position)
{
    ReadInt(in, position.block);
    ReadInt(in, position.tick);
}

void ReadIntSet(Orv::BinIStream& in, IntSet& set)
{
    set.clear();
    const uint32_t count = ReadCount(in, sizeof(int32_t), L"set members");
    for (uint32_t i = 0; i < count && in.IsGood(); ++i)
        set.insert(in.ReadInt32());
}

uint32_t ReadCount(Orv::BinIStream& in, uint32_t elementBytes, const wchar_t* what)
{
    const int32_t count = in.ReadInt32();
    if (!in.IsGood())
        return 0;
    CheckCount(in, count, elementBytes, what);
    return static_cast<uint32_t>(count);
}

void CheckCount(Orv::BinIStream& in, int64_t count, uint64_t elementBytes, const wchar_t* what)
{
    const std::optional<std::uint64_t> remaining = in.RemainingBytes();
    if (count >= 0 && remaining && uint64_t(count) * elementBytes <= *remaining)
        return;
    Orv::OStringStream message;
    message.imbue(std::locale::classic());
    message << L"The settings record is damaged: it claims " << count << L" " << what
            << L", more than the record holds.";
    throw XOrv(message.Str(), Orv::E_ORV_READ_FAILED);
}

} // namespace Sistra::Records
