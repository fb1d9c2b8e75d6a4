// The tm80sim executable: options, the line per unit, stop on SIGTERM.
#include "tests/sim/RawClient.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

using simtest::Bytes;

namespace {

// Runs tm80sim with `args`; its standard output (and with `errorsToo` its
// standard error) comes through `out`.
pid_t Spawn(std::vector<std::string> args, int& out, bool errorsToo = false) {
    int fds[2];
    if (::pipe(fds) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    if (errorsToo) {
        posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    } else {
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    args.insert(args.begin(), TM80SIM_PATH);
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, TM80SIM_PATH, &actions, nullptr, argv.data(), environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    out = fds[0];
    return pid;
}

std::string ReadLine(FILE* f) {
    char line[256] = {};
    return std::fgets(line, sizeof line, f) != nullptr ? line : "";
}

int ExitCode(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Ends the child when a test stops early, so no simulator outlives it.
struct Child {
    pid_t pid;
    ~Child() {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
};

} // namespace

TEST(Tm80sim, RunsUnitsUntilTerminated) {
    int out = -1;
    pid_t pid =
        Spawn({"--no-module", "--unit", "127.34.0.1", "--model", "80C2", "--note", "RACK B",
               "--fault", "DelayedReply=50", "--temperature", "-56", "--unit", "127.34.0.2"},
              out);
    ASSERT_GT(pid, 0);
    Child child{pid};
    FILE* f = ::fdopen(out, "r");
    EXPECT_EQ(ReadLine(f), "127.34.0.1:5000  80M1  00AB-1001  \"UNIT 1\"  (no module)\n");
    EXPECT_EQ(ReadLine(f), "127.34.0.2:5000  80C2  00AB-1002  \"RACK B\"  (no module)\n");

    simtest::RawClient client;
    ASSERT_TRUE(client.Connect("127.34.0.2"));
    Bytes id = client.Exchange(0x2001, {}, 20);
    ASSERT_EQ(id.size(), 26u);
    EXPECT_EQ(std::string(id.begin() + 6, id.begin() + 10), "80C2");
    // The fixed temperature does not drift: byte 8 of the status, signed.
    for (int read = 0; read < 3; ++read) {
        Bytes status = client.Exchange(0x2002, {}, 12);
        ASSERT_EQ(status.size(), 18u);
        EXPECT_EQ(static_cast<std::int8_t>(status[6 + 8]), -56);
    }

    std::fclose(f);
    ::kill(pid, SIGTERM);
    EXPECT_EQ(ExitCode(pid), 0);
    child.pid = -1;
}

TEST(Tm80sim, RejectsBadOptions) {
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        if (!args.empty() && args[0] != "--unit") {
            args.insert(args.end(), {"--unit", "127.34.0.3"});
        }
        int out = -1;
        pid_t pid = Spawn(args, out, true);
        ASSERT_GT(pid, 0);
        FILE* f = ::fdopen(out, "r");
        const std::string line = ReadLine(f);
        EXPECT_EQ(line.rfind(std::string("tm80sim: ") + c.says, 0), 0u) << line;
        std::fclose(f);
        EXPECT_EQ(ExitCode(pid), 2) << c.says;
    }
}
