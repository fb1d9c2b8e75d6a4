#include "tools/Tm80Ctl.h"

#include "device/CTM80M1_Comm.h"
#include "device/TCPCom.h"
#include "device/UnitSlot.h"
#include "platform/DebugOutput.h"
#include "platform/WinSock.h"
#include "tools/CtlArguments.h"
#include "tools/CtlReport.h"
#include "tools/DiscoverCommand.h"
#include "tools/JsonWriter.h"
#include "tools/SetupCommand.h"
#include "tools/TerminalText.h"
#include "tools/WatchCommand.h"

#include "Version.h"

#include <cstdio>
#include <memory>
#include <ostream>
#include <string>

const char* const kTm80CtlUsage =
    "usage: tm80ctl [--json] ADDRESS COMMAND [ARGUMENTS]\n"
    "       tm80ctl [--json] ADDRESS watch [--interval MS] [--count N] [--csv]\n"
    "       tm80ctl [--json] discover [--broadcast ADDRESS] [--trace]\n"
    "       tm80ctl --help | --version\n"
    "\n"
    "Connects to the TM80 unit at ADDRESS (dotted IPv4, TCP port 5000), does one\n"
    "thing, prints the result and exits.\n"
    "\n"
    "Commands:\n"
    "  info                      identity, bands with names, monitoring, split, band per\n"
    "                            output, adjustments and overall gains; reads only\n"
    "  status                    temperature, source voltage, source current, power\n"
    "  note [TEXT]               read the user note, or write TEXT (at most 16 characters)\n"
    "                            and print what the unit now holds\n"
    "  flash                     flash the unit's LEDs\n"
    "  split 1:8|2:4             set the input split; keeps the band selections the unit\n"
    "                            reports\n"
    "  band OUTPUT POSITION      route band POSITION (0..7, below the unit's band count)\n"
    "                            to OUTPUT (1..8); keeps the split and the other outputs\n"
    "  adjust CHANNEL STEPS      set the adjustment of CHANNEL (0..7 the outputs, 8 and 9\n"
    "                            the two further channels) in steps of 0.25 dB, clamped to\n"
    "                            -12..12 (channels 0-7) or -8..8 (channels 8-9)\n"
    "  cal BAND SPLIT CHANNEL VALUE\n"
    "                            set one calibration value: BAND 0..7, SPLIT 1:8|2:4 (or\n"
    "                            0|1), CHANNEL 0..9, VALUE in 0.25 dB steps, clamped to\n"
    "                            12..115 (channels 0-7) or 8..119 (channels 8-9)\n"
    "  cal-band SPLIT BAND       select the calibration band; prints the band and split\n"
    "                            the unit reports\n"
    "  factory-reset BAND        restore the factory calibration of BAND (0..7)\n"
    "  save-setup FILE           save the unit's setup to FILE, as File > Save Setup of\n"
    "                            the application does (calibration band 0, split 1:8);\n"
    "                            other sections and comments of an existing FILE stay\n"
    "  recall-setup FILE         send the setup in FILE to the unit, as File > Recall\n"
    "                            Setup does: split and bands, adjustments, then the\n"
    "                            calibration values of the file's calibration band; a\n"
    "                            FILE without a DEVICE or CALIBRATION section is refused\n"
    "                            and nothing is sent. Values outside their ranges are\n"
    "                            clamped, band positions the unit lacks are not taken;\n"
    "                            a SPLIT_MODE other than 0 or 1 sends no calibration\n"
    "                            values (and says so)\n"
    "  watch [--interval MS] [--count N] [--csv]\n"
    "                            read the status every MS milliseconds (1000; 200 or\n"
    "                            more), one line per reading, \"ALARM\" above 80 C or when\n"
    "                            a reading fails; N readings, or until Ctrl-C. --csv:\n"
    "                            a header line, then one CSV line per reading with the\n"
    "                            columns of the JSON keys below (empty cells when the\n"
    "                            reading failed), as the application's history export\n"
    "  discover [--broadcast ADDRESS]\n"
    "                            runs one discovery and prints name, address, serial,\n"
    "                            note, MAC: a search to 255.255.255.255 (or ADDRESS), UDP\n"
    "                            port 50001, answers taken for 3 s; no unit found is not\n"
    "                            an error\n"
    "\n"
    "Options:\n"
    "  --json                    print one JSON object instead of text\n"
    "  --trace                   show the connection's trace lines on stderr; with\n"
    "                            discover, the discovery's trace\n"
    "  --help, -h                print this text\n"
    "  --version                 print the version\n"
    "  --                        ends the options (for a note that starts with '-')\n"
    "\n"
    "JSON keys:\n"
    "  info           model, serial, firmware, product, note, monitoring,\n"
    "                 bands [{position, name, lower_hz, upper_hz}] (present bands),\n"
    "                 split (\"1:8\" or \"2:4\"), band_selection (8 positions),\n"
    "                 adjustments (10 steps), gains_db (8 bands x 10 channels)\n"
    "  status         temperature_c, voltage_v, current_a, power_w\n"
    "  watch          one object per line: time, ok, temperature_c, voltage_v,\n"
    "                 current_a, power_w (null when the reading failed), alarm\n"
    "  note           note\n"
    "  cal-band       band, split\n"
    "  flash          flashed\n"
    "  split, band    split, band_selection\n"
    "  adjust         channel, steps\n"
    "  cal            band, split, channel, value\n"
    "  factory-reset  band\n"
    "  save-setup, recall-setup\n"
    "                 file, split, band_selection, adjustments,\n"
    "                 calibration {band, split, values (10 channels); recall-setup:\n"
    "                 sent, whether the values went to the unit}\n"
    "  discover       an array, one object per unit: name (\"TM80M Multicoupler\"),\n"
    "                 address, serial (\"00AB 1001\"), note, mac (\"00:08:DC:00:00:02\"),\n"
    "                 model (\"80M1\"); [] when no unit answered\n"
    "\n"
    "Texts from the unit (note, product, names) are printed with control\n"
    "characters and bytes outside printable ASCII written as \\xHH; JSON output\n"
    "escapes them as JSON does.\n"
    "\n"
    "Exit status: 0 when every exchange succeeded; 1 when the unit could not be\n"
    "reached or an exchange failed (with a message on stderr), when a setup file\n"
    "could not be written or holds no setup, and when discover could not send its\n"
    "search; 2 for a usage error (nothing is written to the unit; band reads the\n"
    "unit's band list first).\n";

const char* const kTm80CtlHelpHint = "Run 'tm80ctl --help' for the commands and options.";

namespace {

using Command = CtlArguments::Command;

// Socket calls are refused until the socket library has been started.
class SocketLibrary {
public:
    SocketLibrary() : started_(win::WSAStartup(win::MAKEWORD(2, 2), &data_) == 0) {}
    ~SocketLibrary() {
        if (started_) {
            win::WSACleanup();
        }
    }
    SocketLibrary(const SocketLibrary&) = delete;
    SocketLibrary& operator=(const SocketLibrary&) = delete;

private:
    win::WSADATA data_{};
    bool started_;
};

// The transport's and the discovery's trace lines would mix with what
// tm80ctl prints: they go to `err` with --trace, else nowhere.
class TraceSinks {
public:
    TraceSinks(bool trace, std::ostream& err) {
        win::OutputSink sink = [](std::string_view) {};
        if (trace) {
            sink = [&err](std::string_view text) { err << text; };
        }
        win::SetDebugOutputSink(sink);
        win::SetStandardOutputSink(sink);
    }
    ~TraceSinks() {
        win::SetDebugOutputSink({});
        win::SetStandardOutputSink({});
    }
    TraceSinks(const TraceSinks&) = delete;
    TraceSinks& operator=(const TraceSinks&) = delete;
};

int UsageError(std::ostream& err, const std::string& problem) {
    err << "tm80ctl: " << problem << "\n" << kTm80CtlHelpHint << "\n";
    return kCtlUsage;
}

class Session {
public:
    Session(const CtlArguments& args, std::ostream& out, std::ostream& err)
        : args_(args), out_(out), err_(err) {}

    int Run();

private:
    int Failed(const char* what) {
        err_ << "Exchange with " << args_.address << " failed: " << what << "\n";
        return kCtlFailed;
    }
    CTM80M1_Comm& Unit() { return *slot_->Unit(); }

    int Info();
    int Status();
    int Note();
    int Flash();
    int SplitAndBands();
    int Adjust();
    int Calibrate();
    int CalibrationBand();
    int FactoryReset();

    const CtlArguments& args_;
    std::ostream& out_;
    std::ostream& err_;
    std::unique_ptr<UnitSlot> slot_;
};

int Session::Run() {
    // A file that is no setup is refused before anything goes to the unit.
    if (args_.command == Command::RecallSetup && CheckRecallFile(args_.file, err_) != kCtlOk) {
        return kCtlFailed;
    }
    auto connection = std::make_unique<TCPCom>(args_.address.c_str());
    if (!connection->IsConnected()) {
        err_ << "Connection could not be made with " << args_.address << "\n";
        return kCtlFailed;
    }
    auto unit = std::make_unique<CTM80M1_Comm>(connection.get());
    // The slot is not opened: opening flashes the LEDs and sends the open command.
    slot_ = std::make_unique<UnitSlot>(0, std::move(connection), std::move(unit));

    switch (args_.command) {
    case Command::Info:
        return Info();
    case Command::Status:
        return Status();
    case Command::Note:
        return Note();
    case Command::Flash:
        return Flash();
    case Command::Split:
    case Command::Band:
        return SplitAndBands();
    case Command::Adjust:
        return Adjust();
    case Command::Calibrate:
        return Calibrate();
    case Command::CalibrationBand:
        return CalibrationBand();
    case Command::FactoryReset:
        return FactoryReset();
    case Command::SaveSetup:
    case Command::RecallSetup:
        return RunSetupCommand(*slot_,
                               {.address = args_.address,
                                .file = args_.file,
                                .recall = args_.command == Command::RecallSetup,
                                .json = args_.json},
                               out_, err_);
    default:
        return kCtlUsage;
    }
}

int Session::Info() {
    if (slot_->ReadUnit() == 0) {
        return Failed("reading the unit");
    }
    if (Unit().ReadIdentity() == 0) {
        return Failed("reading the identity");
    }
    out_ << (args_.json ? ctlreport::InfoJson(*slot_) : ctlreport::InfoText(*slot_));
    return kCtlOk;
}

int Session::Status() {
    if (Unit().ReadStatus() == 0) {
        return Failed("reading the status");
    }
    out_ << (args_.json ? ctlreport::StatusJson(Unit().status)
                        : ctlreport::StatusText(Unit().status));
    return kCtlOk;
}

int Session::Note() {
    int ok = args_.writeNote ? Unit().WriteUserNote(args_.noteText) : Unit().ReadUserNote();
    if (ok == 0) {
        return Failed(args_.writeNote ? "writing the note" : "reading the note");
    }
    std::string note = Unit().identity.userNote.data();
    if (args_.json) {
        out_ << JsonWriter().BeginObject().Key("note").String(note).EndObject().Text() << "\n";
    } else {
        out_ << TerminalText(note) << "\n";
    }
    return kCtlOk;
}

int Session::Flash() {
    if (Unit().FlashLeds() == 0) {
        return Failed("flashing the LEDs");
    }
    if (args_.json) {
        out_ << JsonWriter().BeginObject().Key("flashed").Bool(true).EndObject().Text() << "\n";
    } else {
        out_ << "LEDs of " << args_.address << " flashed\n";
    }
    return kCtlOk;
}

int Session::SplitAndBands() {
    if (args_.command == Command::Band) {
        // A position the unit does not offer is refused before anything is written.
        if (Unit().ReadUnitData() == 0) {
            return Failed("reading the bands");
        }
        slot_->BuildBandTexts();
        if (args_.band >= slot_->bandCount) {
            return UsageError(
                err_, "POSITION " + std::to_string(args_.band) + " is not offered: " +
                          args_.address + " has " + std::to_string(slot_->bandCount) + " bands" +
                          (slot_->bandCount > 0
                               ? " (positions 0.." + std::to_string(slot_->bandCount - 1) + ")"
                               : std::string()));
        }
    }
    // Split and bands travel together: what is not being changed is read first and kept.
    if (Unit().ReadSplitAndBands() == 0) {
        return Failed("reading the split and bands");
    }
    UnitSettings wanted = Unit().settings;
    if (args_.command == Command::Split) {
        wanted.split = args_.split;
    } else {
        wanted.bandSelection[args_.output] = args_.band;
    }
    if (Unit().SetSplitAndBands(wanted.split, wanted.bandSelection) == 0) {
        return Failed("setting the split and bands");
    }
    Unit().settings = wanted;
    if (args_.json) {
        JsonWriter json;
        json.BeginObject().Key("split").String(ctlreport::SplitText(wanted.split));
        json.Key("band_selection").BeginArray();
        for (int band : wanted.bandSelection) {
            json.Integer(band);
        }
        json.EndArray().EndObject();
        out_ << json.Text() << "\n";
    } else {
        out_ << "Split " << ctlreport::SplitText(wanted.split) << ", bands of outputs 1-8:";
        for (int band : wanted.bandSelection) {
            out_ << " " << band;
        }
        out_ << "\n";
    }
    return kCtlOk;
}

int Session::Adjust() {
    if (Unit().SetOutputAdjustment(args_.channel, static_cast<std::int8_t>(args_.steps)) == 0) {
        return Failed("setting the adjustment");
    }
    int steps = Unit().settings.adjustments[args_.channel];
    if (args_.json) {
        JsonWriter json;
        json.BeginObject().Key("channel").Integer(args_.channel).Key("steps").Integer(steps);
        out_ << json.EndObject().Text() << "\n";
    } else {
        char dB[32];
        std::snprintf(dB, sizeof dB, "%.2f", steps * 0.25);
        out_ << "Channel " << args_.channel << " adjustment " << steps << " steps (" << dB
             << " dB)\n";
    }
    return kCtlOk;
}

int Session::Calibrate() {
    if (Unit().SetCalibrationValue(args_.band, args_.split, args_.channel,
                                   static_cast<std::uint8_t>(args_.value)) == 0) {
        return Failed("setting the calibration value");
    }
    int value = Unit().calibration.calibration[args_.band][args_.channel];
    if (args_.json) {
        JsonWriter json;
        json.BeginObject().Key("band").Integer(args_.band);
        json.Key("split").String(ctlreport::SplitText(args_.split));
        json.Key("channel").Integer(args_.channel).Key("value").Integer(value);
        out_ << json.EndObject().Text() << "\n";
    } else {
        out_ << "Calibration of band " << args_.band << ", split "
             << ctlreport::SplitText(args_.split) << ", channel " << args_.channel << " set to "
             << value << "\n";
    }
    return kCtlOk;
}

int Session::CalibrationBand() {
    if (Unit().SelectCalibrationBand(args_.split, args_.band) == 0) {
        return Failed("selecting the calibration band");
    }
    int band = Unit().calibration.calibrationBand;
    const char* split = ctlreport::SplitText(Unit().calibration.calibrationSplit);
    if (args_.json) {
        JsonWriter json;
        json.BeginObject().Key("band").Integer(band).Key("split").String(split);
        out_ << json.EndObject().Text() << "\n";
    } else {
        out_ << "Calibration band " << band << ", split " << split << "\n";
    }
    return kCtlOk;
}

int Session::FactoryReset() {
    if (Unit().FactoryReset(args_.band) == 0) {
        return Failed("resetting the calibration");
    }
    if (args_.json) {
        out_ << JsonWriter().BeginObject().Key("band").Integer(args_.band).EndObject().Text()
             << "\n";
    } else {
        out_ << "Calibration of band " << args_.band << " reset to the factory values\n";
    }
    return kCtlOk;
}

} // namespace

int RunTm80Ctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CtlArguments parsed;
    std::string problem = CtlArguments::Parse(args, parsed);
    if (!problem.empty()) {
        return UsageError(err, problem);
    }
    if (parsed.command == Command::Help) {
        out << kTm80CtlUsage;
        return kCtlOk;
    }
    if (parsed.command == Command::Version) {
        out << "tm80ctl " << kVersion << "\n";
        return kCtlOk;
    }
    SocketLibrary sockets;
    if (parsed.command == Command::Discover) {
        // The discover command prints through the standard-output channel and
        // handles its own trace.
        std::vector<std::string> discoverArgs = parsed.discoverArgs;
        if (parsed.trace) {
            discoverArgs.push_back("--trace");
        }
        out.flush();
        return RunDiscoverCommand(discoverArgs, parsed.json);
    }
    TraceSinks traces(parsed.trace, err);
    if (parsed.command == Command::Watch) {
        WatchOptions watch;
        watch.address = parsed.address;
        watch.intervalMs = parsed.intervalMs;
        watch.count = parsed.count;
        watch.json = parsed.json;
        watch.csv = parsed.csv;
        return RunWatchCommand(watch, out, err);
    }
    Session session(parsed, out, err);
    return session.Run();
}
