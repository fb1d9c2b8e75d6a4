// tm80ctl's command line, checked completely before anything is sent.
#pragma once

#include <string>
#include <vector>

struct CtlArguments {
    enum class Command {
        Help,
        Version,
        Discover,
        Info,
        Status,
        Note,
        Flash,
        Split,
        Band,
        Adjust,
        Calibrate,
        CalibrationBand,
        FactoryReset,
        Watch,
        SaveSetup,
        RecallSetup,
    };

    Command command = Command::Help;
    bool json = false;
    bool csv = false;   // watch: CSV lines after a header
    bool trace = false; // trace lines of the connection to stderr
    std::string address;
    std::vector<std::string> discoverArgs; // the words after "discover"
    std::string file;                      // save-setup, recall-setup

    bool writeNote = false;
    std::string noteText;  // at most 16 characters
    int split = 0;         // 0 is "1:8", 1 is "2:4"
    int output = 0;        // 0-7 (given as 1-8)
    int band = 0;          // band position 0-7
    int channel = 0;       // 0-9
    int steps = 0;         // saturated to the signed byte range; the unit model clamps further
    int value = 0;         // saturated to 0-255; the unit model clamps further
    int intervalMs = 1000; // watch: 200 ms or more
    long count = 0;        // watch: readings to make, 0 until stopped

    // Fills `parsed` from the words after the program name. Returns an empty
    // text when they make sense, else what is wrong with them.
    static std::string Parse(const std::vector<std::string>& args, CtlArguments& parsed);
};
