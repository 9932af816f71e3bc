#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "monitor/FeedReader.h"
#include "monitor/FleetPages.h"
#include "monitor/MonitorServer.h"

namespace {

FleetSnapshot TwoTerminals() {
    FleetSnapshot s;
    s.stale = false;
    s.statements = 6;
    TerminalFigures& on = s.terminals[5];
    on.inTable = true;
    on.status = "1";
    on.queued = 4;
    on.waiting = 2;
    on.oldestWaitingSeconds = 90;
    on.succeeded = 9;
    on.failed = 1;
    on.productsOff = QStringList{QStringLiteral("S5")};
    TerminalFigures& off = s.terminals[12];
    off.inTable = true;
    off.status = "0";
    return s;
}

}  // namespace

TEST(FleetPagesTest, TroubleMarks) {
    const auto with = [](auto change) {
        TerminalFigures t;
        t.inTable = true;
        t.status = "1";
        change(t);
        return FleetPages::Trouble(t).join(",");
    };
    EXPECT_EQ(with([](TerminalFigures&) {}), "");
    EXPECT_EQ(with([](TerminalFigures& t) { t.status = "0"; }), "offline");
    EXPECT_EQ(with([](TerminalFigures& t) { t.inTable = false; }), "offline");
    EXPECT_EQ(with([](TerminalFigures& t) { t.queued = FleetPages::kQueueAlarm; }),
              "queue growing");
    EXPECT_EQ(with([](TerminalFigures& t) { t.queued = FleetPages::kQueueAlarm - 1; }), "");
    EXPECT_EQ(with([](TerminalFigures& t) {
                  t.waiting = 1;
                  t.oldestWaitingSeconds = FleetPages::kWaitingAlarmSeconds + 1;
              }),
              "waiting too long");
    EXPECT_EQ(with([](TerminalFigures& t) { t.oldestWaitingSeconds = 100000; }), "");
    EXPECT_EQ(with([](TerminalFigures& t) {
                  t.succeeded = 2;
                  t.failed = 3;
              }),
              "success rate low");
    EXPECT_EQ(with([](TerminalFigures& t) { t.failed = FleetPages::kRateMinimumSettled - 1; }), "");
}

// The metrics text as a scraper reads it: parsed by the Python client library's own parser.
// The Grafana board shipped beside the program asks only for series the monitor serves.
TEST(FleetPagesTest, MetricsParseAsTheScrapersReadAndServeTheBoard) {
    FeedReader feed;
    ASSERT_TRUE(feed.Take("NODE@=2@=True"));
    feed.Take("junk");
    MonitorServer server;
    ASSERT_TRUE(server.Start("127.0.0.1", 0));
    const FleetSnapshot s = TwoTerminals();
    server.Publish({}, {}, FleetPages::Metrics(s, feed));
    const QString script =
        QStringLiteral(
            "import sys, urllib.request\n"
            "from prometheus_client.parser import text_string_to_metric_families\n"
            "text = urllib.request.urlopen('http://127.0.0.1:%1/metrics', timeout=10).read()\n"
            "for f in text_string_to_metric_families(text.decode()):\n"
            "    for s in f.samples:\n"
            "        labels = ','.join('%s=%s' % kv for kv in sorted(s.labels.items()))\n"
            "        print('%s %s{%s} %g' % (f.type, s.name, labels, s.value))\n"
            "import json, re\n"
            "board = json.load(open('%2/packaging/grafana-fleet.json'))\n"
            "for p in board['panels']:\n"
            "    for t in p['targets']:\n"
            "        for name in re.findall(r'relvane_[a-z_]+', t['expr']):\n"
            "            print('board ' + name)\n")
            .arg(server.Port())
            .arg(RELVANE_SOURCE_DIR);
    QProcess python;
    python.start("/usr/bin/python3", {"-c", script});  // Debian's, which has the parser
    ASSERT_TRUE(python.waitForFinished(20000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QStringList lines = QString::fromUtf8(python.readAllStandardOutput()).split('\n');
    for (const char* expected : {
             "gauge relvane_terminal_up{terminal=5} 1",
             "gauge relvane_terminal_up{terminal=12} 0",
             "gauge relvane_jobs_queued{terminal=5} 4",
             "gauge relvane_orders_waiting{terminal=5} 2",
             "gauge relvane_oldest_waiting_seconds{terminal=5} 90",
             "gauge relvane_products_off{terminal=5} 1",
             "gauge relvane_terminal_trouble{terminal=12} 1",
             "counter relvane_orders_settled_total{result=success,terminal=5} 9",
             "counter relvane_orders_settled_total{result=failure,terminal=5} 1",
             "gauge relvane_node_up{node=2} 1",
             "counter relvane_feed_datagrams_total{outcome=dropped} 1",
             "gauge relvane_snapshot_stale{} 0",
         })
        EXPECT_TRUE(lines.contains(expected)) << expected << "\n" << lines.join('\n').toStdString();
    QStringList served, asked;
    for (const QString& line : lines)
        (line.startsWith("board ") ? asked : served) << line.section(' ', 1, 1).section('{', 0, 0);
    for (const QString& name : asked)
        EXPECT_TRUE(served.contains(name)) << "the board asks for " << name.toStdString();
    EXPECT_GT(asked.size(), 10);
}

TEST(FleetPagesTest, JsonAndPageCarryTheFleet) {
    FeedReader feed;
    ASSERT_TRUE(feed.Take("RLV Terminal #5@=sup@=sup@=<b>OK</b>@=2025-01-01 10:00:00@=2"));
    FleetSnapshot s = TwoTerminals();
    s.stale = true;
    s.error = "server gone";
    const QDateTime now = QDateTime::currentDateTime();
    const QJsonObject json = QJsonDocument::fromJson(FleetPages::Json(s, feed, now)).object();
    EXPECT_TRUE(json["stale"].toBool());
    EXPECT_EQ(json["terminals"].toArray().size(), 2);
    EXPECT_EQ(json["terminals"][0]["terminal"].toInt(), 5);
    EXPECT_DOUBLE_EQ(json["terminals"][0]["successRate"].toDouble(), 0.9);
    EXPECT_TRUE(json["terminals"][1]["successRate"].isNull());
    EXPECT_EQ(json["terminals"][1]["trouble"][0].toString(), "offline");
    EXPECT_EQ(json["feed"]["recent"][0]["message"].toString(), "<b>OK</b>");
    const QString html = QString::fromUtf8(FleetPages::Html(s, feed, now));
    EXPECT_TRUE(html.contains("STALE: server gone"));
    EXPECT_TRUE(html.contains("&lt;b&gt;OK&lt;/b&gt;"));  // feed text never becomes markup
    EXPECT_FALSE(html.contains("<b>OK"));
    EXPECT_EQ(html.count("class=\"trouble\""), 1);
    EXPECT_FALSE(html.contains("://"));  // nothing fetched from elsewhere
}
