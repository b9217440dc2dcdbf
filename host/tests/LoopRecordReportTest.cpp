#include "host/app/commands/LoopRecordReport.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <sstream>
#include <vector>

using namespace Host;

namespace
{

Sistra::SistraEvent Loop(int32_t tick, double sw, int32_t state = Sistra::LoopStateValid)
{
    Sistra::SistraEvent loop{};
    loop.base.tick = tick;
    loop.sw = sw;
    loop.tau = std::nan("");
    loop.state = state;
    return loop;
}

std::vector<std::byte> Bytes(const std::vector<Sistra::SistraEvent>& loops)
{
    std::vector<std::byte> bytes(loops.size() * sizeof(Sistra::SistraEvent));
    std::memcpy(bytes.data(), loops.data(), bytes.size());
    return bytes;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> Cells(const std::string& line)
{
    std::vector<std::string> cells;
    std::istringstream in(line);
    for (std::string cell; std::getline(in, cell, '\t');)
        cells.push_back(cell);
    return cells;
}

} // namespace

TEST(LoopRecordReport, NumbersHaveNineSignificantDigitsAndNaNIsSpelledOut)
{
    EXPECT_EQ("3.14159265", LoopRecordReport::NumberText(3.14159265358979));
    EXPECT_EQ("1234567.89", LoopRecordReport::NumberText(1234567.891));
    EXPECT_EQ("NaN", LoopRecordReport::NumberText(std::nan("")));
}

// Calculations read a volume recorded in mL in litres; the report shows it in mL, with its unit.
TEST(LoopRecordReport, EveryRecordGetsALineWithAllParametersInTheRecordedUnitsClosingRecordIncluded)
{
    std::ostringstream out;
    LoopRecordReport report(out, false);
    report.SetUnits({"mmHg", "mL", 1.0, 1000.0});
    report.Header();
    Sistra::SistraEvent first = Loop(100, 0.0025);
    first.sv = 0.04;
    first.hr = 70.0;
    report.Records(0, Bytes({first, Loop(200, 7.0, Sistra::LoopStateClosing)}));
    report.Finish();
    const auto lines = Lines(out.str());
    ASSERT_EQ(3u, lines.size());
    const auto header = Cells(lines[0]);
    ASSERT_EQ(5u + 31u, header.size());
    EXPECT_EQ((std::vector<std::string>{"SW (mmHg*mL)", "CO (mL/min)", "SV (mL)"}),
              std::vector<std::string>(header.begin() + 5, header.begin() + 8));
    EXPECT_EQ("HR (bpm)", header[5 + 13]);
    EXPECT_EQ("Piso (mmHg)", header.back());
    const auto loop = Cells(lines[1]);
    EXPECT_EQ((std::vector<std::string>{"0", "100", "0", "0", "0", "2.5", "2800", "40"}),
              std::vector<std::string>(loop.begin(), loop.begin() + 8));
    EXPECT_EQ("NaN", loop[5 + 28]); // Tau
    EXPECT_EQ((std::vector<std::string>{"NaN", "NaN", "NaN"}), // PVA, PE, CE: not in a loop record
              std::vector<std::string>(loop.begin() + 5 + 25, loop.begin() + 5 + 28));
    const auto closing = Cells(lines[2]);
    EXPECT_EQ("2", closing[3]);
    EXPECT_EQ("NaN", closing[5]); // a closing record has no parameters
}

TEST(LoopRecordReport, SummaryCountsOnlyValidLoopsAndSkipsMissingValues)
{
    std::ostringstream out;
    LoopRecordReport report(out, true);
    report.Header();
    report.Records(0, Bytes({Loop(100, 2.0), Loop(150, 4.0), Loop(170, 100.0, Sistra::LoopStateExcluded)}));
    report.Records(1, Bytes({Loop(50, 9.0), Loop(90, 1.0, Sistra::LoopStateClosing)}));
    report.Finish();
    const auto lines = Lines(out.str());
    ASSERT_EQ(1u + 31u, lines.size());
    EXPECT_EQ((std::vector<std::string>{"SW", "", "3", "5", "2", "9"}), Cells(lines[1])) << "no unit read";
    EXPECT_EQ((std::vector<std::string>{"Tau", "ms", "0", "NaN", "NaN", "NaN"}), Cells(lines[29]));
    // A loop record holds no area: without the area calculation's relations there is none to count.
    for (std::size_t index : {26u, 27u, 28u})
    {
        const auto cells = Cells(lines[index]);
        EXPECT_EQ((std::vector<std::string>{"0", "NaN", "NaN", "NaN"}),
                  std::vector<std::string>(cells.begin() + 2, cells.end()))
            << index;
    }
}

TEST(PvaRecordReport, LinePerRecordWithNaNForARecordWithoutResult)
{
    Sistra::PVAEvent records[2]{};
    records[0].base = OrvEventBase{47, 0.25f, 10.0};
    records[0].pva = 7750.0;
    records[0].pe = 2400.0;
    records[0].strokeWork = 5350.0;
    records[1].base.tick = 87;
    records[1].pva = std::bit_cast<double>(0x7FF8600000000000ull);
    records[1].strokeWork = 5350.0;
    std::ostringstream out;
    PvaRecordReport report(out);
    report.Header();
    std::vector<std::byte> bytes(sizeof records);
    std::memcpy(bytes.data(), records, sizeof records);
    report.Records(3, bytes);
    EXPECT_EQ((std::vector<std::string>{"record\ttick\tfraction\tvalue\tPVA\tPE\tSW\tCE",
                                        "3\t47\t0.25\t10\t7750\t2400\t5350\t0.690322581",
                                        "3\t87\t0\t0\tNaN\tNaN\t5350\tNaN"}),
              Lines(out.str()));
}
