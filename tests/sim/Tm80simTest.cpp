// The tm80sim executable: options, the line per unit, stop on SIGTERM.
#include "tests/sim/RawClient.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// tm80sim with `args`, its standard output and error read by Line(); killed
// when a test stops early, so no simulator outlives it.
class Tm80sim {
public:
    explicit Tm80sim(std::vector<std::string> args) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
        args.insert(args.begin(), TM80SIM_PATH);
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, TM80SIM_PATH, &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        out_ = ::fdopen(fds[0], "r");
    }
    ~Tm80sim() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ExitCode();
        }
        std::fclose(out_);
    }
    bool Started() const { return pid_ > 0; }
    std::string Line() {
        char line[256] = {};
        return std::fgets(line, sizeof line, out_) != nullptr ? line : "";
    }
    int Terminate() {
        ::kill(pid_, SIGTERM);
        return ExitCode();
    }
    int ExitCode() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    FILE* out_ = nullptr;
};

} // namespace

TEST(Tm80sim, RunsUnitsUntilTerminated) {
    Tm80sim sim({"--no-module", "--unit", "127.34.0.1", "--model", "80C2", "--note", "RACK B",
                 "--fault", "DelayedReply=50", "--temperature", "-56", "--unit", "127.34.0.2"});
    ASSERT_TRUE(sim.Started());
    EXPECT_EQ(sim.Line(), "127.34.0.1:5000  80M1  00AB-1001  \"UNIT 1\"  (no module)\n");
    EXPECT_EQ(sim.Line(), "127.34.0.2:5000  80C2  00AB-1002  \"RACK B\"  (no module)\n");

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
    EXPECT_EQ(sim.Terminate(), 0);
}

TEST(Tm80sim, RejectsBadOptions) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
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
            args.insert(args.end(), {"--unit", "127.34.0.3"});
        }
        Tm80sim sim(args);
        ASSERT_TRUE(sim.Started());
        const std::string line = sim.Line();
        EXPECT_EQ(line.rfind(std::string("tm80sim: ") + says, 0), 0u) << line;
        EXPECT_EQ(sim.ExitCode(), 2) << says;
    }
}
