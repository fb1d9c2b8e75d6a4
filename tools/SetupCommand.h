// tm80ctl save-setup and recall-setup: a unit's setup file, read and written
// by the same code as the application's File menu, as a device window freshly
// opened on the unit would (calibration page at band 0, split 1:8).
#pragma once

#include <iosfwd>
#include <string>

class UnitSlot;

struct SetupCommandOptions {
    std::string address; // for the messages
    std::string file;
    bool recall = false; // else save
    bool json = false;
};

// recall-setup refuses a file that holds no setup before it connects:
// kCtlFailed with the message on `err`, else kCtlOk.
int CheckRecallFile(const std::string& file, std::ostream& err);

// Reads the unit into `slot` (not opened: no LED flash), then saves its setup
// to the file, or recalls the file and sends it as the application's recall
// does. Exit statuses of tm80ctl: a file that cannot be written, or holds no
// setup (then nothing is sent), is a failure.
int RunSetupCommand(UnitSlot& slot, const SetupCommandOptions& options, std::ostream& out,
                    std::ostream& err);
