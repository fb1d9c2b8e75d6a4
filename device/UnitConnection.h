// A unit's connection for a reader that comes back to the unit again and
// again (tm80ctl watch, the exporter): made when first needed and dropped
// after a failed exchange, so that the next use connects afresh. A unit that
// closed or reset the connection is reached again once it answers, and a
// late reply of the failed exchange is never read as the next one's answer.
#pragma once

#include "device/CTM80M1_Comm.h"
#include "device/TCPCom.h"

#include <memory>
#include <string>

// Why a unit could not be read.
enum class UnitFailure {
    Refused,     // the connect was refused: the module's one socket is held by
                 // another client (or nothing listens on the port)
    Unreachable, // the connect failed otherwise: no answer within its time, no route
    Timeout,     // a reply did not come within its budget
    Closed,      // the unit closed or reset the connection during an exchange
};

class UnitConnection {
public:
    explicit UnitConnection(std::string address, int connectTimeoutMs = TCPCom::kConnectTimeoutMs);

    // The unit on an open connection, connecting first when there is none;
    // nullptr when the connect failed (LastFailure says why).
    CTM80M1_Comm* Unit();
    // Whether a connection is open now.
    bool Connected() const { return unit_ != nullptr; }
    // Closes the connection (gracefully, as TCPCom does).
    void Drop();
    // Drops the connection after one of its exchanges failed and says why.
    UnitFailure DropAfterFailure();
    UnitFailure LastFailure() const { return lastFailure_; }
    const std::string& Address() const { return address_; }

    // Why the last exchange of `unit` failed: the unit closed the
    // connection, or the reply ran out of its budget.
    static UnitFailure ExchangeFailure(const CTM80M1_Comm& unit);

private:
    std::string address_;
    int connectTimeoutMs_;
    std::unique_ptr<TCPCom> transport_;
    std::unique_ptr<CTM80M1_Comm> unit_;
    UnitFailure lastFailure_ = UnitFailure::Unreachable;
};
