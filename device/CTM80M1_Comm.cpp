#include "device/CTM80M1_Comm.h"

#include "platform/Clock.h"

namespace {

void PutLittleEndian(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value & 0xFF);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

} // namespace

CTM80M1_Comm::CTM80M1_Comm(TCPCom* connection) : connection_(connection) {}

int CTM80M1_Comm::ReceiveReply(std::uint8_t* reply, int count, std::int64_t start, int budgetMs) {
    int index = 0;
    while (index < count) {
        if (connection_->ReceiveByte(&reply[index]) != 0) {
            ++index;
        }
        // The budget is checked after every attempt, even one that completed the reply.
        if (win::ProcessClock() - start >= budgetMs) {
            return 0;
        }
    }
    return 1;
}

int CTM80M1_Comm::Transact(std::uint16_t command, std::uint8_t* request,
                           std::uint16_t requestPayloadLength, std::uint8_t* reply,
                           std::uint16_t replyPayloadLength) {
    PutLittleEndian(request, kUnitType);
    PutLittleEndian(request + 2, command);
    PutLittleEndian(request + 4, requestPayloadLength);
    int sendLength = (kHeaderSize + requestPayloadLength) % 65536;
    if (connection_->Send(request, sendLength) == 0) {
        return 0;
    }
    std::int64_t start = win::ProcessClock();
    return ReceiveReply(reply, kHeaderSize + replyPayloadLength, start, budget_);
}

int CTM80M1_Comm::ControlExchange(std::uint8_t* request, std::uint8_t* reply) {
    connection_->FlushInput();
    PutLittleEndian(request, kUnitType);
    PutLittleEndian(request + 2, kControl);
    PutLittleEndian(request + 4, kControlFrameSize - kHeaderSize);
    if (connection_->Send(request, kControlFrameSize) == 0) {
        return 0;
    }
    std::int64_t start = win::ProcessClock();
    return ReceiveReply(reply, kControlFrameSize, start, kControlBudgetMs);
}
