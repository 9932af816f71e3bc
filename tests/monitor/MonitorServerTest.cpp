#include <gtest/gtest.h>
#include <httplib.h>

#include "monitor/MonitorServer.h"
#include "support/TestTools.h"

TEST(MonitorServerTest, TokenIsCheckedOnEveryPath) {
    struct Case {
        const char* token;
        const char* authorization;  // nullptr: no header
        int status;
    };
    const Case cases[] = {
        {"", nullptr, 200},
        {"s3cret", nullptr, 401},
        {"s3cret", "Bearer wrong!", 401},
        {"s3cret", "Bearer s3cre", 401},
        {"s3cret", "Bearer s3cret2", 401},
        {"s3cret", "s3cret", 401},
        {"s3cret", "Basic s3cret", 401},
        {"s3cret", "Bearer s3cret", 200},
    };
    for (const Case& c : cases) {
        MonitorServer server(QString::fromUtf8(c.token));
        ASSERT_TRUE(server.Start("127.0.0.1", 0));
        server.Publish("<html>page</html>", "{\"terminals\":[]}", "relvane_jobs_queued 0\n");
        httplib::Client client("127.0.0.1", server.Port());
        httplib::Headers headers;
        if (c.authorization) headers.emplace("Authorization", c.authorization);
        for (const char* path : {"/", "/api/fleet", "/metrics"}) {
            SCOPED_TRACE(std::string(c.token) + " " + (c.authorization ? c.authorization : "-") +
                         " " + path);
            const auto res = client.Get(path, headers);
            ASSERT_TRUE(res);
            EXPECT_EQ(res->status, c.status);
            const std::string served = std::string(path) == "/"          ? "<html>page</html>"
                                       : std::string(path) == "/metrics" ? "relvane_jobs_queued 0\n"
                                                                         : "{\"terminals\":[]}";
            EXPECT_EQ(res->body == served, c.status == 200) << res->body;
        }
    }
}

TEST(MonitorServerTest, OversizedRequestIsRefused) {
    MonitorServer server;
    ASSERT_TRUE(server.Start("127.0.0.1", 0));
    httplib::Client client("127.0.0.1", server.Port());
    const auto res = client.Post("/metrics", std::string(100000, 'x'), "text/plain");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 413);
}

TEST(MonitorServerTest, LoopbackAddresses) {
    const struct {
        const char* host;
        bool loopback;
    } hosts[] = {{"127.0.0.1", true}, {"127.8.9.1", true}, {"::1", true}, {"localhost", true},
                 {"0.0.0.0", false},  {"10.0.0.1", false}, {"::", false}, {"example", false}};
    for (const auto& h : hosts) EXPECT_EQ(MonitorServer::IsLoopback(h.host), h.loopback) << h.host;
}

// The command itself: away from loopback it does not start without a token.
TEST(MonitorServerTest, CommandRefusesAnOpenAddressWithoutAToken) {
    const Ran ran = RunRelvane({"monitor", "--listen", "0.0.0.0:1"},
                               {"RELVANE_MONITOR_TOKEN", "RELVANE_MONITOR_TOKEN_FILE"});
    EXPECT_EQ(ran.status, 1);
    EXPECT_TRUE(ran.err.contains("without a token"));
}
