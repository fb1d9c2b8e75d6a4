#include "device/ByteExchange.h"

#include "device/TCPCom.h"
#include "device/UnitProtocol.h"
#include "platform/Clock.h"

#include <algorithm>

using unitprotocol::kHeaderSize;

ByteExchange::ByteExchange(std::uint16_t command, const std::uint8_t* requestPayload,
                           std::uint16_t requestPayloadLength, std::uint16_t replyPayload,
                           int budget)
    : request(kHeaderSize + requestPayloadLength, 0), reply(kHeaderSize + replyPayload, 0),
      budgetMs(budget) {
    unitprotocol::WriteHeader(request.data(), command, requestPayloadLength);
    if (requestPayload != nullptr) {
        std::copy(requestPayload, requestPayload + requestPayloadLength,
                  request.begin() + kHeaderSize);
    }
}

int ByteExchange::Run(TCPCom& connection) {
    const std::int64_t begin = win::ProcessClock();
    result = Exchange(connection);
    tookMs = win::ProcessClock() - begin;
    connectionGone = result == 0 && !connection.IsConnected();
    return result;
}

int ByteExchange::Exchange(TCPCom& connection) {
    if (connection.IsBrokenOff()) {
        return 0; // the connection is being closed: nothing more goes out
    }
    connection.FlushInput();
    if (connection.Send(request.data(), static_cast<int>(request.size() % 65536)) == 0) {
        return 0;
    }
    if (ReceiveReply(connection, win::ProcessClock()) == 0) {
        return 0;
    }
    return AnswersRequest() ? 1 : 0;
}

int ByteExchange::ReceiveReply(TCPCom& connection, std::int64_t start) {
    std::size_t index = 0;
    while (index < reply.size()) {
        if (connection.ReceiveByte(&reply[index]) != 0) {
            ++index;
        } else if (!connection.IsConnected()) {
            return 0; // the connection is gone: waiting out the budget brings nothing
        }
        // The budget is checked after every attempt, even one that completed the reply.
        if (win::ProcessClock() - start >= budgetMs) {
            return 0;
        }
    }
    return 1;
}

bool ByteExchange::AnswersRequest() const {
    if (request.size() < kHeaderSize || reply.size() < kHeaderSize) {
        return false;
    }
    const auto payload = reply.size() - kHeaderSize;
    return reply[2] == request[2] && reply[3] == request[3] && reply[4] == (payload & 0xFF) &&
           reply[5] == ((payload >> 8) & 0xFF);
}
