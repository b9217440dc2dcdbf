// Compiling and reading calculations in the host tests.
#pragma once

#include "host/app/calc/CalcCompiler.h"
#include "host/app/calc/CalcCursors.h"

#include <gtest/gtest.h>

#include <cstring>

namespace HostTests
{

inline Host::Calc::CompiledExpression Compile(const Host::Recording& recording, std::string_view text,
                                              Host::Calc::FunctionLookup lookup = nullptr)
{
    return Host::Calc::CompileExpression(text, {recording, std::move(lookup), {}});
}

// Every sample of one complete record of a channel text.
inline std::vector<float> ChannelSamples(const Host::Recording& recording, std::string_view text, size_t record = 0)
{
    const auto compiled = Compile(recording, text);
    EXPECT_EQ(Host::Calc::ValueKind::Channel, compiled.kind) << text;
    Host::Calc::ChannelCursor cursor(recording, compiled.channel);
    cursor.Bind(record);
    std::vector<float> samples(static_cast<size_t>(recording.RecordAt(record).Length()) + 1);
    const auto result = cursor.Read(samples);
    EXPECT_EQ(Host::Calc::ReadStatus::End, result.status) << text;
    samples.resize(result.count);
    return samples;
}

inline std::vector<Host::Calc::EventHeader> Headers(const std::vector<std::byte>& records, size_t recordSize)
{
    std::vector<Host::Calc::EventHeader> headers(records.size() / recordSize);
    for (size_t index = 0; index < headers.size(); ++index)
        std::memcpy(&headers[index], records.data() + index * recordSize, sizeof(Host::Calc::EventHeader));
    return headers;
}

// Every event of one complete record of an event source text.
inline std::vector<Host::Calc::EventHeader> RecordEvents(const Host::Recording& recording, std::string_view text,
                                                         size_t record = 0)
{
    const auto compiled = Compile(recording, text);
    EXPECT_EQ(Host::Calc::ValueKind::Events, compiled.kind) << text;
    Host::Calc::EventCursor cursor(recording, compiled.events);
    cursor.Bind(record);
    std::vector<std::byte> records;
    while (cursor.Next(8, Host::Calc::RecordEndTick, records).status != Host::Calc::ReadStatus::End)
    {
    }
    return Headers(records, cursor.RecordSize());
}

} // namespace HostTests
