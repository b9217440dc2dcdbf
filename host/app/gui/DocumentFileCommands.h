// File > Open..., Save and Save As... of the frame: the host document (its recording and the module's
// settings) kept in a document file. Opening another document closes the frame, whose owner then opens
// the document in a new one, as the host replaces the document it shows.
#pragma once

#include "host/app/gui/FrameWindow.h"
#include "host/app/gui/OpenedRecording.h"

#include <optional>
#include <string>

namespace Host
{

class DocumentFileCommands
{
public:
    // Sets the frame's file actions; the frame and the opened recording must outlive this.
    DocumentFileCommands(FrameWindow& frame, OpenedRecording& opened);

    // Saves to the file the document came from or was last saved to, else asks where as Save As... does.
    // Throws std::runtime_error when the file cannot be written (an earlier file is then as it was).
    void Save();
    void SaveAs();
    // Asks for a document file and closes the frame to open it.
    void Open();
    // The document file the user chose to open; none while none was chosen.
    const std::optional<std::wstring>& NextDocument() const { return next_; }

private:
    void SaveTo(const std::wstring& path);

    FrameWindow& frame_;
    OpenedRecording& opened_;
    std::optional<std::wstring> path_;
    std::optional<std::wstring> next_;
};

} // namespace Host
