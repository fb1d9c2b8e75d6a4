// The application's picture of one unit and the only way to talk to it.
// Every exchange is one request frame and one reply of known length
// (device/UnitProtocol.h); replies are read byte by byte within a budget.
//
// The model's records are touched on one thread only: the thread that calls
// its operations (the GUI thread in the application). Each operation builds
// its request, has the exchange run (ByteExchange), and takes the reply
// apart. With an I/O worker attached (the application's units) the exchange
// runs on the worker while the caller waits, or, for the periodic reads,
// without waiting: the reply is taken apart when it comes back to the GUI
// thread. Without one (tm80ctl, the benchmark, device tests) it runs in the
// calling thread.
#pragma once

#include "device/ByteExchange.h"
#include "device/TCPCom.h"
#include "device/UnitBandTable.h"
#include "device/UnitCalibration.h"
#include "device/UnitIdentity.h"
#include "device/UnitProtocol.h"
#include "device/UnitSettings.h"
#include "device/UnitStatus.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class UnitWorker;

class CTM80M1_Comm {
public:
    static constexpr int kDefaultBudgetMs = 1000;
    static constexpr int kControlBudgetMs = 3000;

    // The connection is not owned; it must outlive this object.
    explicit CTM80M1_Comm(TCPCom* connection);
    virtual ~CTM80M1_Comm() = default;
    CTM80M1_Comm(const CTM80M1_Comm&) = delete;
    CTM80M1_Comm& operator=(const CTM80M1_Comm&) = delete;

    virtual TCPCom* GetConnection() { return connection_; }

    // Exchanges run on `worker` from now on (nullptr: in the calling thread
    // again). The worker must outlive its use here.
    void AttachWorker(UnitWorker* worker) { worker_ = worker; }
    UnitWorker* Worker() const { return worker_; }
    // An exchange of this unit is in flight or waited for on its worker.
    bool Busy() const;

    // Drains stale input, then sends `request` (6 + requestPayloadLength
    // bytes, payload at offset 6) after writing its header, then receives
    // exactly 6 + replyPayloadLength bytes into `reply`. 1 when the whole
    // reply arrived within the budget with a header answering the request
    // (its command code, the reply length asked for); 0 at once when the
    // connection is gone (closed or reset by the unit).
    int Transact(std::uint16_t command, std::uint8_t* request, std::uint16_t requestPayloadLength,
                 std::uint8_t* reply, std::uint16_t replyPayloadLength);

    // The fixed-size control command 0x1001: drains stale input, writes the
    // header into request bytes 0..5 (the caller fills 6..11), sends 12 bytes
    // and receives 12 within 3000 ms.
    int ControlExchange(std::uint8_t* request, std::uint8_t* reply);

    int Budget() const { return budget_; }
    // The last exchange taken back here failed because the connection is
    // gone. Kept with the model, so that this thread need not look at a
    // connection a worker may be using.
    bool ConnectionGone() const { return connectionGone_; }

    // The periodic reads, without waiting: `done` gets the result (1 or 0)
    // and how long the exchange took, once the model has taken the reply as
    // ReadStatus and ReadUserNote do. With a worker that is later, on the GUI
    // thread, and never once the worker is stopped; without one, before
    // these return.
    using ReadDone = std::function<void(int result, std::int64_t tookMs)>;
    void PostReadStatus(ReadDone done);
    void PostReadUserNote(ReadDone done);

    // Unit operations. Each returns 1 when its exchanges succeeded, else 0.
    // Values are clamped to their ranges; indices are the caller's concern
    // except where noted.

    // 0x2001, then the user note, then block 2 (product identifier); stops at
    // the first exchange that fails.
    int ReadIdentity();
    // "%4.4X-%u" of serial high and low; reads the identity first if needed.
    std::string SerialNumberText();
    // The same without asking the unit: empty while the identity is not read.
    std::string KnownSerialText() const;
    // The note becomes the reply payload even when the exchange fails, so a
    // silent unit reads as an empty note.
    int ReadUserNote();
    // Writes the first 16 characters of `text`, zero-padded; the note becomes
    // what the unit answers, as with ReadUserNote.
    int WriteUserNote(std::string_view text);
    // Blocks 0, 1 and 4 to 11: band edges, monitoring flag, user note; stops
    // at the first block that fails.
    int ReadUnitData();
    // Packs the present bands (both edges non-zero) into the band list.
    void BuildBandList();
    int ReadOutputAdjustments();
    // A channel outside 0-9 sends nothing and fails.
    int SetOutputAdjustment(int channel, std::int8_t value);
    int ReadSplitAndBands();
    // Does not change the model. Split 2 or more is sent as 0; a negative
    // split sends nothing and fails.
    int SetSplitAndBands(int split, const std::array<int, UnitSettings::kOutputs>& band);
    // Zeroes the status when the exchange fails.
    int ReadStatus();
    int SelectCalibrationBand(int split, int band);
    // A channel outside 0-9 or a split other than 0 or 1 sends nothing and
    // fails; a band outside 0-7 is sent, and kept, as band 0.
    int SetCalibrationValue(int band, int split, int channel, std::uint8_t value);
    // Does not change the model; the caller reads the tables again.
    int FactoryReset(int band);
    int ReadCalibrationTable(); // blocks 12 and 13
    int ReadReferenceTable();   // blocks 14 and 15
    int FlashLeds();

    // Reads one block with 0x2009 into the block buffer; after a failed read
    // the buffer keeps the block read last. The reads of blocks change the
    // model only with what was read.
    int ReadBlock(int block);
    const std::array<std::uint16_t, unitprotocol::kBlockWords>& BlockBuffer() const {
        return blockBuffer_;
    }

    // A value into its channel's range: adjustments -12..12 (channels 8 and
    // 9: -8..8), calibration values 12..115 (8..119).
    static std::int8_t ClampAdjustment(int channel, int value);
    static std::uint8_t ClampCalibration(int channel, int value);

    UnitIdentity identity;
    UnitBandTable bandTable;
    UnitSettings settings;
    UnitCalibration calibration;
    UnitStatus status;

private:
    // Runs the exchange here or on the worker, waiting for it.
    int Run(ByteExchange& exchange);
    // Runs it here or posts it to the worker; `take` runs (on this thread)
    // once it is through.
    void Post(std::shared_ptr<ByteExchange> exchange,
              std::function<void(const ByteExchange&)> take);
    // What ReadStatus and ReadUserNote do with their replies.
    void TakeStatus(int result, const std::uint8_t* reply);
    void TakeNote(const std::uint8_t* reply);
    // Fills rows first..first+3 of `table` from the block buffer.
    void TakeTableRows(UnitCalibration::Table& table, int first) const;
    int ReadTable(UnitCalibration::Table& table, int firstBlock);
    // Command 0x1003 in `mode`; the note becomes the reply payload.
    int ExchangeNote(std::uint8_t mode, std::string_view text);
    // Transact with the payload lengths of the command table.
    template <std::uint16_t Command>
    int Exchange(unitprotocol::RequestFrame<Command>& request,
                 unitprotocol::ReplyFrame<Command>& reply) {
        return Transact(Command, request.data(), unitprotocol::RequestLength(Command), reply.data(),
                        unitprotocol::ReplyLength(Command));
    }
    // A command without request payload.
    template <std::uint16_t Command> int Query(unitprotocol::ReplyFrame<Command>& reply) {
        auto request = unitprotocol::Request<Command>();
        return Exchange<Command>(request, reply);
    }

    TCPCom* connection_;
    UnitWorker* worker_ = nullptr;
    int budget_ = kDefaultBudgetMs;
    bool connectionGone_ = false;

protected:
    std::array<std::uint16_t, unitprotocol::kBlockWords> blockBuffer_{};
};
