// Channel > Units... as a person uses it: a channel shown in another unit (the pressure in kPa, the volume
// in mL) gives every number (the summaries and relations, the hemodynamics table, the loop view's
// equations) the same data recorded in that unit give, in analyze and in a frame opened on them, and
// Channel > Recorded Units brings back every number the recorded units gave.
#include "host/app/commands/AnalyzeCommand.h"
#include "host/app/commands/ExitCodes.h"
#include "host/app/files/TextConversion.h"
#include "host/tests/FrameCalibrationFixture.h"
#include "host/tests/FrameChannelMenu.h"
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/ResultsSheetText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <array>
#include <optional>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace
{

constexpr double KilopascalsPerMmHg = 0.133322387415;
const Host::OpenOptions OutsideTheWorkflow{.leaveWorkflow = true};

// What the frame gives of its analysis.
struct Shown
{
    std::string printed; // analyze's summaries and relations, as the module's document gives them
    std::string table;   // the hemodynamics table as Add to Tallion puts it on the results sheet
    std::wstring regression; // the loop view's equations, as Copy Regression copies them

};

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);)
        parts.push_back(part);
    return parts;
}

// Equal within 2e-3 of the larger (a digit in the fourth place) or 1e-6 (a quadratic term of a line, zero
// but for rounding); NaN only to NaN. A number shown with a comma or a colon after it is read without.
void ExpectSameWord(const std::string& a, const std::string& b, const std::string& where)
{
    const auto number = [](const std::string& word) -> std::optional<double> {
        const std::string bare = word.substr(0, word.find_last_not_of(",;:") + 1);
        char* end = nullptr;
        const double value = std::strtod(bare.c_str(), &end);
        return !bare.empty() && *end == '\0' ? std::optional<double>(value) : std::nullopt;
    };
    const std::optional<double> x = number(a), y = number(b);
    if (!x || !y)
        EXPECT_EQ(a, b) << where;
    else if (std::isnan(*x) || std::isnan(*y))
        EXPECT_EQ(std::isnan(*x), std::isnan(*y)) << where << ": " << a << " against " << b;
    else
        EXPECT_NEAR(*x, *y, 2e-3 * std::max(std::abs(*x), std::abs(*y)) + 1e-6) << where << ": " << a << " against " << b;
}

// Left out, as they turn on the last bit of a sample, which the two routes round apart (a recording in
// kPa holds each sample rounded to a float in kPa, the frame converts the float in mmHg): the pressures at
// dP/dt max and dV/dt max (this beat's derivatives peak flat, over samples whose order a last bit decides)
// and the quadratic ESPVR (its end-systolic points lie on a line, so its curvature is zero but for
// rounding, and its slope and intercept move with that). Their rows and, in the table, their columns.
constexpr std::array<const char*, 3> LeftOut = {"P@dP/dt max", "P@dV/dt max", "ESPVR quadratic"};

bool IsLeftOut(const std::string& cell)
{
    return std::any_of(LeftOut.begin(), LeftOut.end(), [&](const char* name) { return cell.starts_with(name); });
}

// The same texts, line by line and cell by cell, their numbers equal as ExpectSameWord takes them.
void ExpectSameNumbers(const std::string& expected, const std::string& actual, const char* what)
{
    const std::vector<std::string> a = Split(expected, '\n'), b = Split(actual, '\n');
    ASSERT_EQ(a.size(), b.size()) << what << ":\n" << expected << "\n---\n" << actual;
    std::vector<bool> leftOut;
    for (size_t line = 0; line < a.size(); ++line)
    {
        const std::vector<std::string> x = Split(a[line], '\t'), y = Split(b[line], '\t');
        ASSERT_EQ(x.size(), y.size()) << what << " line " << line << ": " << a[line] << " against " << b[line];
        if (!x.empty() && IsLeftOut(x.front()))
            continue;
        if (std::any_of(x.begin(), x.end(), IsLeftOut))
            leftOut.clear();
        for (size_t cell = 0; cell < x.size(); ++cell)
        {
            if (cell < leftOut.size() && leftOut[cell])
                continue;
            if (IsLeftOut(x[cell]))
            {
                leftOut.resize(x.size());
                leftOut[cell] = true;
                continue;
            }
            const std::vector<std::string> words = Split(x[cell], ' '), others = Split(y[cell], ' ');
            ASSERT_EQ(words.size(), others.size()) << what << ": " << x[cell] << " against " << y[cell];
            for (size_t word = 0; word < words.size(); ++word)
                ExpectSameWord(words[word], others[word], std::string(what) + " line " + std::to_string(line));
        }
    }
}

class FrameUnits : public HostTests::FrameSessionFixture
{
protected:
    FrameUnits() : FrameSessionFixture("frame-units.csv", HostTests::OcclusionText(16), OutsideTheWorkflow) {}

    Shown Read()
    {
        Shown shown;
        shown.printed = Host::SummaryTable(opened->Analysis()->Summaries()) + "\n" +
                        Host::RegressionTable(opened->Analysis()->Relations());
        std::ostringstream before;
        opened->Session().Sheet().SaveTsv(before);
        // The table just added, without the empty row the sheet puts between it and an earlier one.
        shown.table = HostTests::WholeTableOnSheet(*opened->Analysis(), opened->Session().Sheet()).substr(before.str().size());
        const size_t firstWord = shown.table.find_first_not_of("\t\n");
        const size_t lineEnd = firstWord == std::string::npos ? std::string::npos : shown.table.rfind('\n', firstWord);
        shown.table.erase(0, lineEnd == std::string::npos ? 0 : lineEnd + 1);
        Host::ViewFrame* loops = Frame().FindView(HostTests::LoopViewName);
        EXPECT_NE(nullptr, loops);
        if (!loops)
            return shown;
        // Clicked where the view's plot starts, clear of its list and buttons, as a person makes it the active one.
        RECT place{};
        GetWindowRect(loops->ViewWindow(), &place);
        EXPECT_TRUE(HostTests::ClickUntil(Frame(), POINT{place.left + 4, place.top + 4},
                                          [&] { return Frame().ActiveView() == loops; }));
        HostTests::EmptyTheClipboard();
        EXPECT_TRUE(Frame().ChooseCommand(L"Edit|Copy PV Regression^DATA_21"));
        shown.regression = HostTests::ClipboardText();
        return shown;
    }
};

// The pressure shown in kPa and the volume in mL, each against the same data recorded in that unit.
TEST_F(FrameUnits, AChannelShownInAnotherUnitGivesWhatTheDataRecordedInItGiveAndRecordedUnitsBringBackEveryNumber)
{
    const struct
    {
        wchar_t channel;
        const wchar_t* shown2;
        const wchar_t* unit;
        const char* header;
        HostTests::Recorded recorded;
    } rows[] = {
        {L'1', L"0.133322387415", L"kPa", "LV Pressure (kPa),LV Volume (uL),ECG (mV)", {.pressureGain = 1.0 / KilopascalsPerMmHg}},
        {L'2', L"0.001", L"mL", "LV Pressure (mmHg),LV Volume (mL),ECG (mV)", {.volumeGain = 1000.0}},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(Host::ToUtf8(row.unit));
        OpenInAFreshFrame(Host::FromUtf8(file.Path()), OutsideTheWorkflow);
        const Shown recorded = Read();
        ASSERT_FALSE(recorded.regression.empty());
        HostTests::ChangeUnitsThroughTheMenu(Frame(), row.shown2, row.unit, row.channel);
        const Shown changed = Read();
        EXPECT_NE(recorded.table, changed.table);

        ASSERT_EQ(L"&Recorded Units", HostTests::ChooseMenuItem(Frame(), L"Channel", [](const std::wstring& text) {
                      return text == L"&Recorded Units";
                  }));
        HostTests::Settle(Frame());
        const Shown restored = Read();
        EXPECT_EQ(recorded.printed, restored.printed);
        EXPECT_EQ(recorded.table, restored.table);
        EXPECT_EQ(recorded.regression, restored.regression);

        const HostTests::TemporaryFile other("frame-units-other.csv", HostTests::OcclusionText(16, row.header, row.recorded));
        std::ostringstream analyzed, errors;
        ASSERT_EQ(Host::ExitOk, Host::RunAnalyze({"analyze", other.Path()}, analyzed, errors)) << errors.str();
        ExpectSameNumbers(analyzed.str(), changed.printed, "analyze on the data recorded in that unit");

        OpenInAFreshFrame(Host::FromUtf8(other.Path()), OutsideTheWorkflow);
        const Shown recordedInUnit = Read();
        ExpectSameNumbers(recordedInUnit.printed, changed.printed, "summaries and relations");
        ExpectSameNumbers(recordedInUnit.table, changed.table, "table");
        ExpectSameNumbers(Host::ToUtf8(recordedInUnit.regression), Host::ToUtf8(changed.regression), "loop view's equations");
    }
}

} // namespace
