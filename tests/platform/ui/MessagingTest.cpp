// Window timers by id, posted (queued) and sent messages.

#include "platform/ui/CWnd.h"
#include "testsupport/UiTestSupport.h"

#include <QElapsedTimer>

#include <map>

#include <gtest/gtest.h>

using namespace win;

namespace {

class Recorder : public CWnd {
public:
    struct Message {
        UINT message;
        WPARAM w;
        LPARAM l;
        bool operator==(const Message&) const = default;
    };
    explicit Recorder(std::vector<Message>* log) : log_(log) {}
    LRESULT WindowProc(UINT message, WPARAM w, LPARAM l) override {
        log_->push_back({message, w, l});
        if (message == WM_TIMER) {
            ++ticks[w];
        }
        return message == WM_USER + 9 ? 42 : CWnd::WindowProc(message, w, l);
    }
    std::map<WPARAM, int> ticks;

private:
    std::vector<Message>* log_;
};

class MessagingTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::EnsureApplication();
        ASSERT_TRUE(wnd.Create("", WS_POPUP, CRect(0, 0, 50, 50), nullptr, 0));
    }
    std::vector<Recorder::Message> log;
    Recorder wnd{&log};
};

TEST_F(MessagingTest, TimersTickByIdUntilKilled) {
    EXPECT_EQ(wnd.SetTimer(250, 10), 250u);
    EXPECT_EQ(wnd.SetTimer(1001, 30), 1001u);
    ASSERT_TRUE(uitest::WaitUntil([&] { return wnd.ticks[250] >= 3 && wnd.ticks[1001] >= 1; }));
    EXPECT_TRUE(wnd.KillTimer(250));
    EXPECT_FALSE(wnd.KillTimer(250));
    EXPECT_FALSE(wnd.KillTimer(77));
    const int ticks = wnd.ticks[250];
    ASSERT_TRUE(uitest::WaitUntil([&] { return wnd.ticks[1001] >= 3; }));
    EXPECT_EQ(wnd.ticks[250], ticks);

    CWnd unmade;
    EXPECT_EQ(unmade.SetTimer(5, 10), 0u);
}

TEST_F(MessagingTest, PostedMessagesArriveLaterInOrderSentOnesAtOnce) {
    EXPECT_TRUE(wnd.PostMessage(WM_USER + 1, 1, 10));
    EXPECT_TRUE(wnd.PostMessage(0x662, 1011, -5));
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(wnd.SendMessage(WM_USER + 9, 2, 3), 42);
    ASSERT_EQ(log.size(), 1u);
    uitest::Settle();
    const std::vector<Recorder::Message> expected = {
        {WM_USER + 9, 2, 3}, {WM_USER + 1, 1, 10}, {0x662, 1011, -5}};
    EXPECT_EQ(log, expected);
}

TEST_F(MessagingTest, MessagesPostedToAWindowThatIsGoneAreDropped) {
    std::vector<Recorder::Message> gone;
    {
        Recorder shortLived(&gone);
        ASSERT_TRUE(shortLived.Create("", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
        EXPECT_TRUE(shortLived.PostMessage(WM_USER, 0, 0));
    }
    uitest::Settle();
    EXPECT_TRUE(gone.empty());
    CWnd unmade;
    EXPECT_FALSE(unmade.PostMessage(WM_USER, 0, 0));
}

TEST_F(MessagingTest, CommandsAndScrollsReachTheirHandlers) {
    struct Handlers : CWnd {
        int command = 0, code = -1, notify = 0, scrollCode = -1, scrollPos = -1;
        CWnd* from = nullptr;
        bool OnCommand(int id, int c) override {
            command = id;
            code = c;
            return true;
        }
        bool OnNotify(int id, int c) override {
            notify = id;
            code = c;
            return true;
        }
        void OnHScroll(UINT c, UINT pos, CWnd* bar) override {
            scrollCode = static_cast<int>(c);
            scrollPos = static_cast<int>(pos);
            from = bar;
        }
    } h;
    EXPECT_EQ(h.SendMessage(WM_COMMAND, MAKEWPARAM(1069, EN_CHANGE), 0), 1);
    EXPECT_EQ(h.command, 1069);
    EXPECT_EQ(h.code, EN_CHANGE);
    h.SendMessage(WM_NOTIFY, 1011, TCN_SELCHANGE);
    EXPECT_EQ(h.notify, 1011);
    EXPECT_EQ(h.code, TCN_SELCHANGE);
    h.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 37), wnd.ToLParam());
    EXPECT_EQ(h.scrollCode, SB_THUMBTRACK);
    EXPECT_EQ(h.scrollPos, 37);
    EXPECT_EQ(h.from, &wnd);
}

} // namespace
