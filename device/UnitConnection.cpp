#include "device/UnitConnection.h"

#include <utility>

UnitConnection::UnitConnection(std::string address, int connectTimeoutMs)
    : address_(std::move(address)), connectTimeoutMs_(connectTimeoutMs) {}

CTM80M1_Comm* UnitConnection::Unit() {
    if (unit_ == nullptr) {
        auto connection = std::make_unique<TCPCom>(address_.c_str(), connectTimeoutMs_);
        if (!connection->IsConnected()) {
            lastFailure_ = connection->ConnectError() == win::WSAECONNREFUSED
                               ? UnitFailure::Refused
                               : UnitFailure::Unreachable;
            return nullptr;
        }
        transport_ = std::move(connection);
        unit_ = std::make_unique<CTM80M1_Comm>(transport_.get());
    }
    return unit_.get();
}

void UnitConnection::Drop() {
    unit_.reset();
    transport_.reset();
}

UnitFailure UnitConnection::DropAfterFailure() {
    if (unit_ != nullptr) {
        lastFailure_ = ExchangeFailure(*unit_);
    }
    Drop();
    return lastFailure_;
}

UnitFailure UnitConnection::ExchangeFailure(const CTM80M1_Comm& unit) {
    return unit.ConnectionGone() ? UnitFailure::Closed : UnitFailure::Timeout;
}
