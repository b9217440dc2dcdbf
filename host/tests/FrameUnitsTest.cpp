// Channel > Units... as a person uses it on the pressure: shown in kPa, every number the frame gives (the
// summaries and relations, the hemodynamics table, the loop view's equations) is what the same data
// recorded in kPa give, in analyze and in a frame opened on them, and Channel > Recorded Units brings
// back every number the recorded units gave.
#include "host/app/AnalyzeCommand.h"
#include "host/app/ExitCodes.h"
#include "host/app/TextConversion.h"
#include "host/tests/FrameCalibrationFixture.h"
#include "host/tests/FrameChannelMenu.h"
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/ResultsSheetText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
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

// The pressure at dP/dt max is the one number left out: this beat's dP/dt peaks flat, and which of two
// samples it picks turns on the last bit of a sample, which the two routes round apart (the kPa recording
// holds each sample rounded to a float in kPa, the frame converts the float in mmHg). Its row and, in the
// table, its column are left out.
constexpr const char* FlatPeaked = "P@dP/dt max";

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
        if (!x.empty() && x.front().starts_with(FlatPeaked))
            continue;
        if (std::any_of(x.begin(), x.end(), [](const std::string& cell) { return cell.starts_with(FlatPeaked); }))
            leftOut.clear();
        for (size_t cell = 0; cell < x.size(); ++cell)
        {
            if (cell < leftOut.size() && leftOut[cell])
                continue;
            if (x[cell].starts_with(FlatPeaked))
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

TEST_F(FrameUnits, APressureShownInKpaGivesWhatTheDataRecordedInKpaGiveAndRecordedUnitsBringBackEveryNumber)
{
    const Shown recorded = Read();
    ASSERT_FALSE(recorded.regression.empty());
    HostTests::ChangeUnitsThroughTheMenu(Frame(), L"0.133322387415", L"kPa");
    const Shown inKpa = Read();
    EXPECT_NE(recorded.table, inKpa.table);

    ASSERT_EQ(L"&Recorded Units", HostTests::ChooseMenuItem(Frame(), L"Channel", [](const std::wstring& text) {
                  return text == L"&Recorded Units";
              }));
    HostTests::Settle(Frame());
    const Shown restored = Read();
    EXPECT_EQ(recorded.printed, restored.printed);
    EXPECT_EQ(recorded.table, restored.table);
    EXPECT_EQ(recorded.regression, restored.regression);

    const HostTests::TemporaryFile kpa(
        "frame-units-kpa.csv", HostTests::OcclusionText(16, "LV Pressure (kPa),LV Volume (uL),ECG (mV)",
                                                        HostTests::Recorded{.pressureGain = 1.0 / KilopascalsPerMmHg}));
    std::ostringstream analyzed, errors;
    ASSERT_EQ(Host::ExitOk, Host::RunAnalyze({"analyze", kpa.Path()}, analyzed, errors)) << errors.str();
    ExpectSameNumbers(analyzed.str(), inKpa.printed, "analyze on the kPa recording");

    OpenInAFreshFrame(Host::FromUtf8(kpa.Path()), OutsideTheWorkflow);
    const Shown recordedInKpa = Read();
    ExpectSameNumbers(recordedInKpa.printed, inKpa.printed, "summaries and relations");
    ExpectSameNumbers(recordedInKpa.table, inKpa.table, "table");
    ExpectSameNumbers(Host::ToUtf8(recordedInKpa.regression), Host::ToUtf8(inKpa.regression), "loop view's equations");
}

} // namespace
