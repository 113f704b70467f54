#include "net/xSockQ.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PumpFixture.h"
#include "TestHttpServer.h"
#include "divir/xError.h"
#include "divir/xTryFrame.h"
#include "net/xSock.h"

namespace {

struct Event {
    std::uint32_t id;
    std::int16_t event;
    xSockQStatus status;
    std::string data;
};

std::vector<Event>* gEvents = nullptr;

std::int16_t Collect(std::uint32_t id, std::int16_t event, std::intptr_t, xSockQStatus* status,
                     const char* data, std::int32_t count) {
    gEvents->push_back(
        {id, event, *status, data != nullptr ? std::string(data, static_cast<std::size_t>(count)) : ""});
    return 0;
}

class xSockQTest : public PumpFixture {
  public:
    void SetUp() override {
        PumpFixture::SetUp();
        gEvents = &events_;
        server_ = std::make_unique<TestHttpServer>();
        if (!server_->Running()) GTEST_SKIP() << "python3 is missing: no test HTTP server";
        xSockStartup(nullptr, 0x0101, nullptr, 12);
    }
    void TearDown() override {
        SetStep({});
        if (queue_ != 0) xSockQDestroy(queue_);
        if (started_) xSockQCleanup();
        if (server_ && server_->Running()) xSockCleanup();
        server_.reset();
        gEvents = nullptr;
        PumpFixture::TearDown();
    }

    void Start(const char* proxy, std::int16_t records = 200) {
        xSockQStartup(16, proxy, 60000, -1);
        started_ = true;
        queue_ = xSockQCreate(records, 16);
        ASSERT_NE(queue_, 0);
        SetStep([] { xSockQIdle(); });
    }

    bool Finished(std::uint32_t id) const {
        for (const Event& e : events_)
            if (e.id == id && (e.event == kSockQEventComplete ||
                               (e.event == kSockQEventFailure && e.status.state == kSockQFailed)))
                return true;
        return false;
    }

    std::unique_ptr<TestHttpServer> server_;
    std::int16_t queue_ = 0;
    bool started_ = false;
    std::vector<Event> events_;
};

}  // namespace

TEST_F(xSockQTest, RequestLinesDirectWithAServicePathAndThroughAProxy) {
    struct Case {
        const char* proxy;
        std::string server;  // %s: the test server's address
        const char* expected;
    };
    const std::string address = server_->Address();
    const Case cases[] = {
        {nullptr, address + "/plain",
         "GET /plain/10 HTTP/1.0\r\nConnection: Keep-Alive\r\nUser-Agent: Agent\r\nHost: 127.0.0.1\r\n"
         "Accept: */*\r\n\r\n"},
        {address.c_str(), "example.invalid:8000/plain",
         "GET http://example.invalid:80/plain/10 HTTP/1.0\r\nConnection: Keep-Alive\r\nUser-Agent: Agent\r\n"
         "Host: example.invalid\r\nAccept: text/plain\r\nCacheControl: max-age=0\r\n\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.server);
        Start(c.proxy);
        const std::uint32_t service = xSockQServiceAdd(queue_, c.server.c_str(), "Agent");
        ASSERT_NE(service, 0u);
        EXPECT_EQ(static_cast<std::int16_t>(service >> 16), queue_);
        const std::size_t before = server_->Requests().size();
        const std::uint32_t id = xSockQHTTPGet(queue_, "10", nullptr, nullptr, &Collect, 0);
        ASSERT_TRUE(PumpUntil([&] { return Finished(id); }));
        xSockQRelease(id);
        const auto requests = server_->Requests();
        ASSERT_EQ(requests.size(), before + 1);
        EXPECT_EQ(requests.back().bytes, c.expected);
        // Started, the body (one piece or more), complete.
        ASSERT_GE(events_.size(), 3u);
        EXPECT_EQ(events_.front().event, kSockQEventStarted);
        EXPECT_EQ(events_.back().event, kSockQEventComplete);
        std::string body;
        for (const Event& e : events_)
            if (e.event == kSockQEventData) body += e.data;
        EXPECT_EQ(body, PatternBytes(10));
        EXPECT_EQ(events_.back().status.expected, 10);
        EXPECT_EQ(events_.back().status.received, 10);
        events_.clear();
        xSockQDestroy(queue_);
        queue_ = 0;
        xSockQCleanup();
        started_ = false;
    }
}

TEST_F(xSockQTest, ANotFoundStatusIsRetriedToTheLimit) {
    Start(nullptr);
    ASSERT_NE(xSockQServiceAdd(queue_, server_->Address().c_str(), "Agent"), 0u);
    const std::uint32_t id = xSockQHTTPGet(queue_, "status/404", nullptr, nullptr, &Collect, 0);
    ASSERT_TRUE(PumpUntil([&] { return Finished(id); }));
    int retries = 0;
    for (const Event& e : events_)
        if (e.event == kSockQEventFailure && e.status.state == kSockQRetrying) {
            ++retries;
            EXPECT_EQ(e.status.error, kSockQErrResponse);
        }
    EXPECT_EQ(retries, 4);
    EXPECT_EQ(events_.back().status.error, kSockQErrRetryLimit);
    EXPECT_EQ(server_->Requests().size(), 5u);
}

TEST_F(xSockQTest, AFullRequestListRaisesOne) {
    Start(nullptr, 200);
    for (int i = 0; i < 200; ++i) ASSERT_NE(xSockQHTTPGet(queue_, "x", nullptr, nullptr, &Collect, 0), 0u);
    std::uint32_t id = 1;
    EXPECT_EQ(xTry([&] { id = xSockQHTTPGet(queue_, "x", nullptr, nullptr, &Collect, 0); }), kErrMemory);
    EXPECT_EQ(xSockQRequestsInUse(queue_), 200);
}

TEST_F(xSockQTest, OverlongHostsAndServicePathsAreRefused) {
    Start(nullptr);
    EXPECT_EQ(xSockQServiceAdd(queue_, (std::string(100, 'h') + ":80").c_str(), "A"), 0u);
    EXPECT_EQ(xSockQServiceAdd(queue_, ("h:80/" + std::string(256, 'p')).c_str(), "A"), 0u);
    EXPECT_NE(xSockQServiceAdd(queue_, (std::string(99, 'h') + ":80/" + std::string(255, 'p')).c_str(), "A"),
              0u);
}

TEST_F(xSockQTest, ReleasingAServedRequestFreesItsService) {
    Start(nullptr);
    ASSERT_NE(xSockQServiceAdd(queue_, server_->Address().c_str(), "Agent"), 0u);
    const std::uint32_t stalled = xSockQHTTPGet(queue_, "stall/100000", nullptr, nullptr, &Collect, 0);
    ASSERT_TRUE(PumpUntil([&] {
        for (const Event& e : events_)
            if (e.id == stalled && e.event == kSockQEventData && !e.data.empty()) return true;
        return false;
    }));
    xSockQRelease(stalled);
    EXPECT_EQ(events_.back().event, kSockQEventReleased);
    const std::uint32_t next = xSockQHTTPGet(queue_, "plain/5", nullptr, nullptr, &Collect, 0);
    ASSERT_TRUE(PumpUntil([&] { return Finished(next); }));
    EXPECT_EQ(events_.back().event, kSockQEventComplete);
    xSockQRelease(12345678);  // unknown ids are ignored
}
