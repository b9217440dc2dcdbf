// The hemodynamics table as a text file that other programs read: the table transposed, one line per
// table row of the framework (the parameter titles first, then one line per loop, then optionally an
// empty line and the summary rows), fields separated by TAB, every line ended by CR LF, one byte per
// character, no quoting and no byte-order mark.
#pragma once

#include "hostapi/VyrAnalysis.h"
#include "tableview/data/TableInterfaces.h"

#include <string>

namespace Sistra
{

enum class TableExportResult
{
    Written,
    // The user cancelled through the progress indicator: the file is gone.
    Cancelled,
    // The file could not be made or written: nothing of it is left.
    Failed,
};

// The text after the last full stop of a path, the whole path when it has none.
std::wstring ExportExtension(const std::wstring& path);
// The framework's CSV export takes a path whose extension is exactly "csv"; every other name gets the
// text format.
bool IsCsvExportPath(const std::wstring& path);

// Writes the table to path, replacing the file. includeSummary adds the summary pane's rows. Each line
// reports its percentage to progress, which may be null (the export then runs to its end).
TableExportResult WriteTableText(ITableDataManager& data, ITableStoredRowInfo& rows, const std::wstring& path,
                                 bool includeSummary, IHostProgress* progress);

} // namespace Sistra
