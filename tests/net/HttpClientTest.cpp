#include "net/HttpClient.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "PumpFixture.h"
#include "TestHttpServer.h"
#include "divir/xFile.h"
#include "framework/Msg.h"
#include "framework/MsgReceiver.h"
#include "net/HttpResponseMsg.h"
#include "net/xSockQ.h"

namespace {

struct Outcome {
    std::int32_t result;
    std::int32_t kind;
    std::uint32_t id;
    std::intptr_t a;
    std::intptr_t b;
};

class HttpClientTest : public PumpFixture {
  public:
    void SetUp() override {
        PumpFixture::SetUp();
        xFileStartup(8);
        server_ = std::make_unique<TestHttpServer>();
        if (!server_->Running()) GTEST_SKIP() << "python3 is missing: no test HTTP server";
        MakeClient();
        SetStep([this] {
            if (client_) client_->Execute();
        });
        char dir[] = "/tmp/vizuzor-get-XXXXXX";
        ASSERT_NE(::mkdtemp(dir), nullptr);
        folder_ = dir;
    }
    // A new client has no connection kept from an earlier request, so a row's
    // attempts are all its own.
    void MakeClient() {
        client_ = std::make_unique<HttpClient>();
        client_->SetUserAgent("VizuzorTest");
        client_->SetResponseCallback(&Collect, reinterpret_cast<std::intptr_t>(this));
    }

    void TearDown() override {
        SetStep({});
        client_.reset();
        server_.reset();
        if (!folder_.empty()) {
            for (const std::string& f : files_) ::unlink(f.c_str());
            ::rmdir(folder_.c_str());
        }
        xFileCleanup();
        PumpFixture::TearDown();
    }

    static void Collect(std::int32_t result, std::int32_t kind, std::uint32_t id, std::intptr_t user,
                        std::intptr_t a, std::intptr_t b) {
        auto* self = reinterpret_cast<HttpClientTest*>(user);
        self->outcomes_.push_back({result, kind, id, a, b});
        if (result == HttpClient::kDone && kind == 0) self->donePath_ = reinterpret_cast<const char*>(a);
        if (self->onOutcome_) self->onOutcome_(self->outcomes_.back());
    }

    // The client, for starting a request: ids are reused once a request is
    // over, so only what is reported from now on counts.
    HttpClient& Client() {
        since_ = outcomes_.size();
        return *client_;
    }

    // The final result of request id: done, canceled, failed or timed out.
    const Outcome* Final(std::uint32_t id) const {
        for (std::size_t i = since_; i < outcomes_.size(); ++i)
            if (outcomes_[i].id == id && outcomes_[i].result >= HttpClient::kDone) return &outcomes_[i];
        return nullptr;
    }
    int Count(std::uint32_t id, std::int32_t result) const {
        int n = 0;
        for (std::size_t i = since_; i < outcomes_.size(); ++i)
            n += outcomes_[i].id == id && outcomes_[i].result == result;
        return n;
    }

    // Pumps until the request has its final result; the application clock moves
    // stepMs a pass while the request waits.
    const Outcome* Await(std::uint32_t id, std::uint32_t stepMs = 0, int passes = 3000) {
        PumpUntil(
            [&] {
                if (stepMs != 0) AdvanceAppTime(stepMs);
                return Final(id) != nullptr;
            },
            passes);
        return Final(id);
    }

    std::string LocalPath(const std::string& name) {
        const std::string path = folder_ + "/" + name;
        files_.push_back(path);
        return path;
    }

    void UseServer() { client_->AddServer("127.0.0.1", server_->port()); }

    std::unique_ptr<TestHttpServer> server_;
    std::unique_ptr<HttpClient> client_;
    std::vector<Outcome> outcomes_;
    std::size_t since_ = 0;
    std::function<void(const Outcome&)> onOutcome_;
    std::string donePath_;
    std::string folder_;
    std::vector<std::string> files_;
};

std::string Content(const std::string& kind) {
    char name[] = "/tmp/vizuzor-content-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd >= 0) ::close(fd);
    const bool ok = TestHttpServer::RunScript({"--write-content", kind, name});
    std::string bytes = ok ? TestHttpServer::ReadFile(name) : std::string();
    ::unlink(name);
    return bytes;
}

// One server script, the request made of it, and what the client reports.
struct ScriptCase {
    const char* path;
    std::int32_t result;
    std::string body;          // expected body on done
    int attempts;              // requests the server saw; 0 = not checked
    std::uint32_t stepMs = 0;  // application time per pass while waiting
};

}  // namespace

TEST_F(HttpClientTest, ServerScriptsToOutcomes) {
    const std::string text = Content("text");
    ASSERT_FALSE(text.empty());
    const ScriptCase cases[] = {
        {"plain/1000", HttpClient::kDone, PatternBytes(1000), 1},
        {"nolength/5000", HttpClient::kDone, PatternBytes(5000), 1},
        {"pieces/300", HttpClient::kDone, PatternBytes(300), 1},
        {"bighead/700", HttpClient::kDone, PatternBytes(700), 1},
        {"plain/0", HttpClient::kDone, "", 1},
        {"status/404", HttpClient::kFailed, "", 5},
        {"status/500", HttpClient::kFailed, "", 5},
        {"closefirst", HttpClient::kFailed, "", 5},
        {"nohead", HttpClient::kFailed, "", 5},
        {"closemid/4000", HttpClient::kFailed, "", 5, 1000},
        {"flaky/3000", HttpClient::kDone, PatternBytes(3000), 2, 1000},
        // A reset is retried on a new connection: the server is not given up.
        {"resetfirst/2000", HttpClient::kDone, PatternBytes(2000), 2},
        {"overlong/1000", HttpClient::kDone, PatternBytes(1000), 1},
        {"plain/10", HttpClient::kDone, PatternBytes(10), 1},
        {"zip/text", HttpClient::kDone, text, 1},
        {"zipsplit/1/text", HttpClient::kDone, text, 1},
        {"zipsplit/2/text", HttpClient::kDone, text, 1},
        {"zipsplit/3/text", HttpClient::kDone, text, 1},
        {"zip/empty", HttpClient::kDone, "", 1},
        {"zip/flipdata", HttpClient::kFailed, "", 1},
        {"zip/flipsum", HttpClient::kFailed, "", 1},
        {"zip/truncated", HttpClient::kFailed, "", 1},
    };
    std::vector<char> buffer(400000);
    for (const ScriptCase& c : cases) {
        SCOPED_TRACE(c.path);
        MakeClient();
        UseServer();
        const std::size_t before = server_->Requests().size();
        const std::uint32_t id =
            Client().BufferedGet(c.path, buffer.data(), static_cast<std::int32_t>(buffer.size()));
        const Outcome* o = Await(id, c.stepMs);
        ASSERT_NE(o, nullptr);
        EXPECT_EQ(o->result, c.result);
        if (c.result == HttpClient::kDone) {
            EXPECT_EQ(reinterpret_cast<const char*>(o->a), buffer.data());
            ASSERT_EQ(static_cast<std::size_t>(o->b), c.body.size());
            EXPECT_TRUE(std::string(buffer.data(), static_cast<std::size_t>(o->b)) == c.body);
            EXPECT_GE(Count(id, HttpClient::kStarted), 1);
        }
        if (c.attempts != 0) {
            EXPECT_EQ(server_->Requests().size() - before, static_cast<std::size_t>(c.attempts));
        }
        EXPECT_EQ(client_->GetOpenRequestCount(), 0u);
    }
}

TEST_F(HttpClientTest, ExactRequestBytesOfGetAndPost) {
    UseServer();
    char response[256];
    const std::uint32_t get = Client().BufferedGet("plain/10", response, sizeof response);
    ASSERT_NE(Await(get), nullptr);
    const std::string body = "abcdefghij0123456789";
    const std::uint32_t post = Client().Post("echo", "", body, response, sizeof response);
    const Outcome* o = Await(post);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->result, HttpClient::kDone);
    EXPECT_EQ(std::string(response, static_cast<std::size_t>(o->b)), body);
    const auto requests = server_->Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].bytes,
              "GET /plain/10 HTTP/1.0\r\nConnection: Keep-Alive\r\nUser-Agent: VizuzorTest\r\n"
              "Host: 127.0.0.1\r\nAccept: */*\r\n\r\n");
    EXPECT_EQ(requests[1].bytes,
              "POST /echo HTTP/1.0\r\nConnection: Keep-Alive\r\nUser-Agent: VizuzorTest\r\n"
              "Host: 127.0.0.1\r\nAccept: text/plain\r\nContent-length: 20\r\n\r\nabcdefghij0123456789");
}

TEST_F(HttpClientTest, ARequestTextOfAnyLengthGoesOutWhole) {
    UseServer();
    // Past the old 1036-byte buffer, and past what the socket takes in one send.
    for (const std::size_t size : {std::size_t{5000}, std::size_t{6} << 20}) {
        SCOPED_TRACE(size);
        std::string body(size, 'r');
        for (std::size_t i = 0; i < size; i += 997) body[i] = static_cast<char>('a' + i % 26);
        std::vector<char> response(size + 100);
        const std::uint32_t post =
            Client().Post("echo", "", body, response.data(), static_cast<std::int32_t>(response.size()));
        const Outcome* o = Await(post);
        ASSERT_NE(o, nullptr);
        ASSERT_EQ(o->result, HttpClient::kDone);
        ASSERT_EQ(static_cast<std::size_t>(o->b), size);
        EXPECT_TRUE(std::string(response.data(), size) == body);
    }
}

TEST_F(HttpClientTest, OneKeptConnectionCarriesSuccessiveRequests) {
    UseServer();
    char response[64];
    for (int i = 0; i < 3; ++i) {
        const std::uint32_t id = Client().BufferedGet("keepalive/20", response, sizeof response);
        const Outcome* o = Await(id);
        ASSERT_NE(o, nullptr);
        EXPECT_EQ(o->result, HttpClient::kDone);
    }
    const auto requests = server_->Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].connection, requests[0].connection);
    EXPECT_EQ(requests[2].connection, requests[0].connection);
}

TEST_F(HttpClientTest, MoreBodyThanAnnouncedIsCutAndTheConnectionIsNotReused) {
    UseServer();
    char response[2000];
    const std::uint32_t first = Client().BufferedGet("overlong/1000", response, sizeof response);
    const Outcome* o = Await(first);
    ASSERT_NE(o, nullptr);
    ASSERT_EQ(o->result, HttpClient::kDone);
    EXPECT_EQ(o->b, 1000);
    const std::uint32_t second = Client().BufferedGet("keepalive/30", response, sizeof response);
    o = Await(second);
    ASSERT_NE(o, nullptr);
    ASSERT_EQ(o->result, HttpClient::kDone);
    EXPECT_EQ(std::string(response, 30), PatternBytes(30));
    const auto requests = server_->Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[1].connection, requests[0].connection);
}

TEST_F(HttpClientTest, ACompressedDownloadIsWrittenInflatedEvenPastTheBuffer) {
    UseServer();
    struct Case {
        const char* path;
        std::string content;
    };
    const Case cases[] = {
        {"zip/zeros1m", std::string(1 << 20, '\0')},
        {"zip/text", Content("text")},
        {"plain/70000", PatternBytes(70000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const std::string local = LocalPath("download.bin");
        const std::uint32_t id = Client().Get(c.path, local);
        const Outcome* o = Await(id);
        ASSERT_NE(o, nullptr);
        ASSERT_EQ(o->result, HttpClient::kDone);
        EXPECT_EQ(donePath_, local);
        const std::string written = TestHttpServer::ReadFile(local);
        EXPECT_EQ(written.size(), c.content.size());
        EXPECT_TRUE(written == c.content);
    }
}

TEST_F(HttpClientTest, AStallTimesOutOnceAndFreesTheServer) {
    UseServer();
    client_->SetDefaultTimeout(5000);
    const std::string local = LocalPath("stalled.bin");
    const std::uint32_t id = Client().Get("stall/100000", local);
    // Once the body has begun, the application clock runs on.
    ASSERT_TRUE(PumpUntil([&] { return Count(id, HttpClient::kReceivedData) > 0; }));
    const Outcome* o = Await(id, 500);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->result, HttpClient::kTimedOut);
    EXPECT_EQ(o->a, 5000);
    PumpPasses(3);
    int finals = 0;
    for (std::size_t i = since_; i < outcomes_.size(); ++i)
        finals += outcomes_[i].id == id && outcomes_[i].result >= HttpClient::kDone;
    EXPECT_EQ(finals, 1);
    EXPECT_EQ(client_->GetOpenRequestCount(), 0u);
    EXPECT_NE(::access(local.c_str(), F_OK), 0);  // the partial file is gone
    // The service is free again: the next request is served.
    char response[64];
    const std::uint32_t next = Client().BufferedGet("plain/5", response, sizeof response);
    o = Await(next);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->result, HttpClient::kDone);
}

TEST_F(HttpClientTest, CancelEndsSilentlyDeletesThePartialFileAndFreesTheServer) {
    UseServer();
    const std::string local = LocalPath("cancelled.bin");
    const std::uint32_t id = Client().Get("stall/100000", local);
    ASSERT_TRUE(PumpUntil([&] { return Count(id, HttpClient::kReceivedData) > 0; }));
    EXPECT_EQ(::access(local.c_str(), F_OK), 0);
    client_->Cancel(id);
    client_->Cancel(id);  // no longer known: ignored
    client_->Cancel(12345);
    PumpPasses(3);
    EXPECT_EQ(Final(id), nullptr);
    EXPECT_NE(::access(local.c_str(), F_OK), 0);
    char response[64];
    const std::uint32_t next = Client().BufferedGet("plain/5", response, sizeof response);
    const Outcome* o = Await(next);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->result, HttpClient::kDone);
}

TEST_F(HttpClientTest, ABufferTooSmallFails) {
    UseServer();
    std::vector<char> buffer(4096);
    const std::uint32_t id = Client().BufferedGet("plain/5000", buffer.data(), 4096);
    const Outcome* o = Await(id);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->result, HttpClient::kFailed);
}

TEST_F(HttpClientTest, ARefusedPortFailsForGood) {
    client_->AddServer("127.0.0.1", 1);  // nothing listens on port 1
    char response[16];
    const std::uint32_t id = Client().BufferedGet("plain/5", response, sizeof response);
    const Outcome* o = Await(id);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->result, HttpClient::kFailed);
}

TEST_F(HttpClientTest, RequestsFailedInsideTheirCallbackAreFreedAndNeverSent) {
    UseServer();
    // A local file that cannot be created fails at the start, 250 times over:
    // more than the queue's 200 records.
    SetBackground(false);
    for (int i = 0; i < 250; ++i) {
        const std::uint32_t id = Client().Get("plain/5", "/nonexistent-folder/x.bin");
        const Outcome* o = Await(id);
        ASSERT_NE(o, nullptr);
        ASSERT_EQ(o->result, HttpClient::kFailed);
    }
    PumpPasses(2);
    EXPECT_LE(xSockQRequestsInUse(client_->GetQueue()), 1);
    EXPECT_TRUE(server_->Requests().empty());
    // The peer is met again: the pump waits on the sockets, however slow the peer.
    SetBackground(true);
    char response[16];
    const std::uint32_t ok = Client().BufferedGet("plain/5", response, sizeof response);
    const Outcome* o = Await(ok);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->result, HttpClient::kDone);
}

TEST_F(HttpClientTest, RequestsFailedForGoodAreFreed) {
    SetBackground(false);
    client_->AddServer("127.0.0.1", 1);
    char response[16];
    for (int i = 0; i < 210; ++i) {
        const std::uint32_t id = Client().BufferedGet("plain/5", response, sizeof response);
        const Outcome* o = Await(id);
        ASSERT_NE(o, nullptr);
        ASSERT_EQ(o->result, HttpClient::kFailed);
    }
    PumpPasses(2);
    EXPECT_EQ(xSockQRequestsInUse(client_->GetQueue()), 0);
}

TEST_F(HttpClientTest, ServersBeyondSixteenAndOverlongHostsAreIgnored) {
    client_->AddServer(std::string(100, 'h'), 80);
    EXPECT_EQ(client_->GetServerCount(), 0);
    for (int i = 0; i < 17; ++i) client_->AddServer("127.0.0.1", 1000 + i);
    EXPECT_EQ(client_->GetServerCount(), 16);
    client_->RemoveServers();
    EXPECT_EQ(client_->GetServerCount(), 0);
}

TEST_F(HttpClientTest, WithoutACallbackResultsAreMessages) {
    struct Receiver : MsgReceiver {
        std::int32_t Receive(const Msg& msg, MsgSender*) override {
            got.push_back(msg.Clone());
            return 0;
        }
        std::vector<std::unique_ptr<Msg>> got;
    } receiver;
    client_->ClearResponseCallback();
    client_->AddReceiver(&receiver);
    UseServer();
    const std::string local = LocalPath("message.bin");
    const std::uint32_t id = Client().Get("plain/100", local);
    ASSERT_TRUE(
        PumpUntil([&] { return !receiver.got.empty() && receiver.got.back()->Is<HttpResponseDoneMsg>(); }));
    ASSERT_TRUE(receiver.got.front()->Is<HttpResponseStartedMsg>());
    const auto& done = static_cast<const HttpResponseDoneMsg&>(*receiver.got.back());
    EXPECT_EQ(done.GetRequestId(), id);
    EXPECT_EQ(done.GetPath(), local);
    EXPECT_EQ(done.GetData(), nullptr);
    bool sawData = false;
    for (const auto& m : receiver.got)
        if (const auto* d = dynamic_cast<const HttpResponseReceivedDataMsg*>(m.get())) {
            sawData = true;
            EXPECT_EQ(d->GetData(), 100);
        }
    EXPECT_TRUE(sawData);
    client_->RemoveReceiver(&receiver);
}
