// The value of one cell while the pane edits it or a printout lays it out: a text, or an unsigned
// number with its text.
#pragma once

#include "foundation/text/String.h"

#include <cstdint>

namespace TVF_Grid
{

class CellData
{
public:
    virtual ~CellData() = default;
    virtual void OnEditStarted() {}
    virtual void OnEditEnded() {}
    // A shared copy of the held text.
    virtual Orv::String GetString() const = 0;
};

class CellStringData : public CellData
{
public:
    CellStringData() = default;
    explicit CellStringData(Orv::String text) : m_text(std::move(text)) {}
    void SetString(const Orv::String& text) { m_text = text; }
    Orv::String GetString() const override { return m_text; }

private:
    Orv::String m_text;
};

class CellUint32Data : public CellData
{
public:
    // What a cell holds when its text spells no number.
    static constexpr std::uint32_t NoNumber = 0x80000001u;

    CellUint32Data() = default;
    // Stores the value and its decimal text.
    void SetValue(std::uint32_t value);
    std::uint32_t GetValue() const { return m_value; }
    Orv::String GetString() const override { return m_text; }

protected:
    std::uint32_t m_value = 0;
    Orv::String m_text;
};

class TVF_CellStringData final : public CellStringData
{
public:
    using CellStringData::CellStringData;
};

// The client's text, and the number it spells in the classic locale (NoNumber when it spells none).
class TVF_CellUint32Data final : public CellUint32Data
{
public:
    explicit TVF_CellUint32Data(const Orv::String& text);
};

} // namespace TVF_Grid
