// Shared set-up of the unit model tests: a scripted peer on a loopback
// address of its own and a unit model connected to it.
#pragma once

#include "device/CTM80M1_Comm.h"
#include "device/TCPCom.h"
#include "tests/device/ScriptedPeer.h"
#include "tests/sim/SimTestUnit.h"

#include <gtest/gtest.h>

#include <memory>

namespace testpeer {

class PeerTest : public ::testing::Test {
protected:
    // The second octet of this file's addresses.
    virtual int AddressSeries() const { return 41; }

    void SetUp() override {
        for (int attempt = 0; attempt < 50 && peer == nullptr; ++attempt) {
            auto candidate = std::make_unique<ScriptedPeer>(
                simtest::TestAddress(AddressSeries(), simtest::CurrentTestName(), attempt));
            if (candidate->Start()) {
                peer = std::move(candidate);
            }
        }
        ASSERT_NE(peer, nullptr) << "no free loopback address for the scripted peer";
        connection = std::make_unique<TCPCom>(peer->Address().c_str());
        ASSERT_TRUE(connection->IsConnected());
        unit = std::make_unique<CTM80M1_Comm>(connection.get());
    }

    void TearDown() override {
        unit.reset();
        connection.reset();
    }

    std::unique_ptr<ScriptedPeer> peer;
    std::unique_ptr<TCPCom> connection;
    std::unique_ptr<CTM80M1_Comm> unit;
};

} // namespace testpeer
