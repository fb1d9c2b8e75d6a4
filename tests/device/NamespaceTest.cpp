// The discovery as the application and tm80ctl run it: the search goes to
// 255.255.255.255, UDP port 50001, so the tests run themselves again in a
// private network namespace (see PrivateNamespace.h) where the limited
// broadcast reaches loopback and nothing else. Without the route's "src" the
// search would leave from 0.0.0.0, which the simulated modules ignore.
#include "device/DiscoverWizNET_Devices.h"
#include "device/DiscoveryList.h"
#include "platform/WinSock.h"
#include "sim/SimUnit.h"
#include "tests/device/OutputCapture.h"
#include "tests/device/PrivateNamespace.h"
#include "tools/DiscoverCommand.h"

#include <gtest/gtest.h>

#include <memory>
#include <net/if.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// The network interfaces of this process's namespace.
std::vector<std::string> Interfaces() {
    std::vector<std::string> names;
    if (struct if_nameindex* list = ::if_nameindex()) {
        for (struct if_nameindex* i = list; i->if_index != 0; ++i) {
            names.emplace_back(i->if_name);
        }
        ::if_freenameindex(list);
    }
    return names;
}

// The search cannot go out: without a UDP socket (no descriptor left), or
// with no route for the broadcast (a namespace whose loopback is down).
TEST(DiscoverCommand, ASearchThatCannotBeSentIsAFailure) {
    if (!nstest::Inside()) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            OutputCapture out;
            const int lowestFree = ::dup(0);
            ::close(lowestFree);
            const rlimit limit{static_cast<rlim_t>(lowestFree), static_cast<rlim_t>(lowestFree)};
            ::setrlimit(RLIMIT_NOFILE, &limit);
            // Loopback only, should the socket come after all.
            const int result = RunDiscoverCommand({"--broadcast", "127.255.255.255"}, false);
            _exit(result == 1 && out.Stdout().empty() ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "without a socket";
        nstest::RunInPrivateNamespace(simtest::CurrentTestName(), "");
        return;
    }
    ASSERT_EQ(Interfaces(), std::vector<std::string>{"lo"});
    OutputCapture out;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(RunDiscoverCommand({}, false), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "tm80ctl discover: the search could not be sent: WSAENETUNREACH: The network "
              "cannot be reached from this host at this time.\n");
    EXPECT_EQ(out.Stdout(), "");
}

TEST(DiscoverCommand, RejectsBadArgumentsBeforeSearching) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--bogus"},
                                                 {"--broadcast"},
                                                 {"--broadcast", "300.1.1.1"},
                                                 {"--broadcast", "0.0.0.0"},
                                                 {"127.0.0.1"}}) {
        SCOPED_TRACE(args.back());
        OutputCapture trace;
        EXPECT_EQ(RunDiscoverCommand(args, false), 2);
        EXPECT_EQ(trace.Debug(), ""); // no discovery started
    }
}

TEST(EndToEnd, DefaultBroadcastInPrivateNamespace) {
    if (nstest::RanInPrivateNamespace(nstest::kSearchOnLoopback)) {
        return;
    }
    // Never broadcast where a real network could hear it.
    ASSERT_EQ(Interfaces(), std::vector<std::string>{"lo"});
    std::vector<std::unique_ptr<sim::SimUnit>> units;
    for (const sim::UnitConfig& config :
         {sim::UnitConfig{.address = "127.59.0.1", .note = "FIRST", .module = true},
          sim::UnitConfig{.address = "127.59.0.2",
          .model = "80C2",
          .serialHigh = 0x1234,
          .serialLow = 9999,
          .note = "SECOND",
          .module = true}}) {
        units.push_back(std::make_unique<sim::SimUnit>(config)); // module on UDP port 50001
        ASSERT_TRUE(units.back()->Start()) << units.back()->Error();
    }
    // A later answer keeps the order of the list fixed.
    units.back()->SetModuleFault(sim::ModuleFault::DelayedAnswer, 200);

    win::WSADATA data;
    ASSERT_EQ(win::WSAStartup(win::MAKEWORD(2, 2), &data), 0);
    {
        OutputCapture trace;
        DiscoverWizNET_Devices();
        ASSERT_EQ(DiscoveryList::Instance().Count(), 2);
        EXPECT_EQ(DiscoveryList::Instance().At(0).addressText, "127.59.0.1");
        EXPECT_EQ(DiscoveryList::Instance().At(1).addressText, "127.59.0.2");
        EXPECT_TRUE(trace.InDebug("Attempting to TCP connect to: 127.59.0.2.\r"));
    }
    win::WSACleanup();

    OutputCapture json;
    EXPECT_EQ(RunDiscoverCommand({}, true), 0);
    EXPECT_EQ(json.Stdout(),
              "[{\"name\":\"TM80M Multicoupler\",\"address\":\"127.59.0.1\",\"serial\":\"00AB "
              "0017\",\"note\":\"FIRST\",\"mac\":\"00:08:DC:3B:00:01\",\"model\":\"80M1\"},"
              "{\"name\":\"TM80C2 Multicoupler\",\"address\":\"127.59.0.2\",\"serial\":"
              "\"1234 9999\",\"note\":\"SECOND\",\"mac\":\"00:08:DC:3B:00:02\",\"model\":"
              "\"80C2\"}]\n");
    OutputCapture table;
    EXPECT_EQ(RunDiscoverCommand({"--broadcast", "127.255.255.255"}, false), 0);
    EXPECT_EQ(table.Stdout(),
              "NAME                 ADDRESS     SERIAL     NOTE    MAC\n"
              "TM80M Multicoupler   127.59.0.1  00AB 0017  FIRST   00:08:DC:3B:00:01\n"
              "TM80C2 Multicoupler  127.59.0.2  1234 9999  SECOND  00:08:DC:3B:00:02\n");
    EXPECT_EQ(win::WSAStartupCount(), 0);
}

} // namespace
