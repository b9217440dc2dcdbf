// Reading back what the hemodynamics table's Add to Tallion put on the host's results sheet.
#pragma once

#include "host/app/document/DocumentAnalysis.h"
#include "host/app/commands/ResultsSheet.h"
#include "host/app/macro/MacroText.h"
#include "host/tests/FrameInput.h"

#include <sstream>
#include <string>

namespace HostTests
{

// The whole hemodynamics table, with no loop selected, as the document copies it to the results sheet:
// the sheet's text after it.
inline std::string WholeTableOnSheet(Host::DocumentAnalysis& analysis, const Host::ResultsSheet& sheet)
{
    Host::Macro::Statement deselect(L"Doc.SelectASistra LoopIdx:=-1");
    analysis.RunStatement(deselect);
    analysis.CopyTableToResultsSheet();
    std::ostringstream text;
    sheet.SaveTsv(text);
    return text.str();
}

// The first loop's value in the column whose title starts with title, in the last table the sheet was
// given: the row numbered 1 under a row of titles. Empty when there is none.
inline std::string FirstLoopValue(const Host::ResultsSheet& sheet, const std::string& title)
{
    std::ostringstream text;
    sheet.SaveTsv(text);
    std::istringstream lines(text.str());
    std::string line, previous, titles, values;
    while (std::getline(lines, line))
    {
        if (line.starts_with("1\t") && previous.find("\t" + title) != std::string::npos)
            titles = previous, values = line;
        previous = line;
    }
    std::istringstream titleCells(titles), valueCells(values);
    std::string name, value;
    while (std::getline(titleCells, name, '\t') && std::getline(valueCells, value, '\t'))
        if (name.starts_with(title))
            return value;
    return {};
}

// The first loop's value in the column whose title starts with title, as a click on the table's Add to
// Tallion button puts it on the sheet: clicked until the sheet has grown (bounded: a lost click left the
// value added before to be read). Empty when it did not grow.
inline std::string ValueAddedToTallion(Host::FrameWindow& frame, const Host::ResultsSheet& sheet, HWND button,
                                       const std::string& title)
{
    const LONG rows = sheet.RowCount();
    if (!button || !ClickUntil(frame, ScreenCentreOf(button), [&] { return sheet.RowCount() > rows; }))
        return {};
    return FirstLoopValue(sheet, title);
}

} // namespace HostTests
