// The bytes of one exchange with a unit, and how it runs: the request frame
// (header written) goes out, then exactly as many reply bytes as the command
// answers with come back one at a time within the budget.
//
// The unit model builds a ByteExchange and takes its reply apart; in between
// it runs either in the calling thread (tm80ctl, the benchmark, device tests)
// or on the unit's I/O worker (the application). Running it touches only the
// connection and these buffers, never the unit model.
#pragma once

#include <cstdint>
#include <vector>

class TCPCom;

struct ByteExchange {
    // `requestPayload` bytes after a header of `command`; a reply of `replyPayload` bytes.
    ByteExchange(std::uint16_t command, const std::uint8_t* requestPayload,
                 std::uint16_t requestPayloadLength, std::uint16_t replyPayload, int budget);
    ByteExchange() = default;

    std::vector<std::uint8_t> request; // the whole frame
    // The whole reply frame; bytes that did not arrive keep what they held.
    std::vector<std::uint8_t> reply;
    int budgetMs = 0;
    // 1 when the whole reply arrived within the budget and its header answers
    // the request (same command code, the reply length the command has).
    int result = 0;
    std::int64_t tookMs = 0; // from the start of Run to its end
    // It failed because the connection is gone (the unit closed or reset it,
    // or it was broken off), not for want of a fitting reply in the budget.
    bool connectionGone = false;

    // Drains what the unit sent unasked (a late reply of an earlier exchange
    // must not be read as this one's), sends the request, receives the reply.
    // Fails at once when the connection is gone or broken off.
    int Run(TCPCom& connection);

private:
    int Exchange(TCPCom& connection);
    // Receives the reply one byte at a time; fails once the budget has passed
    // since `start`, checked after every attempt.
    int ReceiveReply(TCPCom& connection, std::int64_t start);
    bool AnswersRequest() const;
};
