// The tm80sim executable: options, the line per unit, stop on SIGTERM.
#include "tests/sim/RawClient.h"

#include <QProcess>
#include <gtest/gtest.h>

TEST(Tm80sim, RunsUnitsUntilTerminated) {
    QProcess sim; // killed when the test stops early
    sim.setProcessChannelMode(QProcess::MergedChannels);
    sim.start(TM80SIM_PATH,
              {"--no-module", "--unit", "127.34.0.1", "--model", "80C2", "--note", "RACK B",
               "--fault", "DelayedReply=50", "--temperature", "-56", "--unit", "127.34.0.2"});
    for (const char* line : {"127.34.0.1:5000  80M1  00AB-1001  \"UNIT 1\"  (no module)\n",
                             "127.34.0.2:5000  80C2  00AB-1002  \"RACK B\"  (no module)\n"}) {
        while (!sim.canReadLine() && sim.waitForReadyRead(5000)) {
        }
        EXPECT_EQ(sim.readLine().toStdString(), line);
    }
    simtest::RawClient client;
    ASSERT_TRUE(client.Connect("127.34.0.2"));
    const simtest::Bytes id = client.Exchange(0x2001, {}, 20);
    ASSERT_EQ(id.size(), 26u);
    EXPECT_EQ(std::string(id.begin() + 6, id.begin() + 10), "80C2");
    // The fixed temperature does not drift: byte 8 of the status, signed.
    for (int read = 0; read < 3; ++read) {
        const simtest::Bytes status = client.Exchange(0x2002, {}, 12);
        ASSERT_EQ(status.size(), 18u);
        EXPECT_EQ(static_cast<std::int8_t>(status[6 + 8]), -56);
    }
    sim.terminate();
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.exitCode(), 0);
}

TEST(Tm80sim, RejectsBadOptions) {
    const std::pair<QStringList, const char*> cases[] = {
        {{}, "no --unit given"},
        {{"--unit", "10.1.2.3"}, "--unit needs a loopback address"},
        {{"--fault", "Sideways"}, "unknown fault: Sideways"},
        {{"--fault", "SlowBytes"}, "fault SlowBytes needs a parameter: SlowBytes=MS"},
        {{"--fault", "CloseAfterFrames="}, "bad parameter of fault CloseAfterFrames"},
        {{"--fault", "Silent=3"}, "fault Silent takes no parameter"},
        {{"--module-fault", "UnitType=XYZ"}, "bad parameter of module fault UnitType: \"XYZ\""},
        {{"--module-fault", "DelayedAnswer"}, "module fault DelayedAnswer needs a parameter"},
        {{"--model", "80X9"}, "--model takes 80M1 or 80C2"},
        {{"--discovery-port", "70000"}, "--discovery-port takes a port number"},
        {{"--temperature", "128"}, "--temperature takes degrees C, -128..127"},
    };
    for (auto [args, says] : cases) {
        if (!args.empty() && args[0] != "--unit") {
            args << "--unit"
                 << "127.34.0.3";
        }
        QProcess sim;
        sim.setProcessChannelMode(QProcess::MergedChannels);
        sim.start(TM80SIM_PATH, args);
        ASSERT_TRUE(sim.waitForFinished(5000));
        const std::string out = sim.readAll().toStdString();
        EXPECT_EQ(out.rfind(std::string("tm80sim: ") + says, 0), 0u) << out;
        EXPECT_EQ(sim.exitCode(), 2) << says;
    }
}
