// HardCopy: the system page's "Hard Copy", a record of a unit's state for a
// site report. The operator picks a file; the dialog starts in the unit's
// folder below the setup files folder (the folder the setup commands use,
// UnitFolderForSave: left behind only once a file was written there); the
// default name is the serial text with the date and time
// ("00AB-1001_2026-12-06_1405.pdf"). A ".png" name saves the page as it is on
// screen; any other name saves a one-page A4 landscape PDF with a heading
// line (note, address, serial, date line) over the page.
#pragma once

#include "platform/Time.h"

#include <string>

namespace win {
class CWnd;
}
class UnitSlot;

class HardCopy {
public:
    static constexpr const char* kTitle = "Hard Copy";
    static constexpr const char* kFilter = "PDF (*.pdf)|*.pdf|PNG (*.png)|*.png||";
    static constexpr const char* kFailedText = "The hard copy could not be written to %s.";
    // Begins the default name of a unit whose serial is not known.
    static constexpr const char* kNoSerialName = "TM80";

    // Asks for the file and writes it; a file that cannot be written is told
    // in a message box naming the path. Cancel writes nothing. An empty
    // `serial` (not known) starts the dialog in the setup files folder.
    static void Save(const win::CWnd& page, const UnitSlot& slot, const std::string& serial,
                     const std::string& dateLine);

    // Tells, in a message box owned by `owner`, that `path` could not be
    // written: `format` holds one %s for the path.
    static void TellNotWritten(win::CWnd* owner, const std::string& path, const char* format,
                               const char* caption);

    // The last four characters of `path` in lower case (".pdf", ".png").
    static std::string LowerExtension(const std::string& path);

    // "00AB-1001_2026-12-06_1405.pdf", or with another extension.
    static std::string DefaultName(const std::string& serial, const win::SYSTEMTIME& time,
                                   const char* extension = "pdf");
};
