#include "monitor/FleetPages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "monitor/FeedReader.h"

namespace {

const QString kStamp = QStringLiteral("yyyy-MM-dd hh:mm:ss");

QString Stamp(const QDateTime& t) {
    return t.isValid() ? t.toString(kStamp) : QString();
}

QString Escape(const QString& text) {
    return text.toHtmlEscaped();
}

}  // namespace

QStringList FleetPages::Trouble(const TerminalFigures& t) {
    QStringList why;
    if (!t.inTable || t.status != QLatin1String("1")) why << QStringLiteral("offline");
    if (t.queued >= kQueueAlarm) why << QStringLiteral("queue growing");
    if (t.waiting > 0 && t.oldestWaitingSeconds > kWaitingAlarmSeconds)
        why << QStringLiteral("waiting too long");
    if (t.succeeded + t.failed >= kRateMinimumSettled && t.SuccessRate() < 0.5)
        why << QStringLiteral("success rate low");
    return why;
}

QByteArray FleetPages::Json(const FleetSnapshot& s, const FeedReader& feed, const QDateTime& now) {
    QJsonArray terminals;
    for (auto it = s.terminals.cbegin(); it != s.terminals.cend(); ++it) {
        const TerminalFigures& t = it.value();
        terminals.append(QJsonObject{
            {"terminal", it.key()},
            {"inTable", t.inTable},
            {"status", t.status},
            {"queued", t.queued},
            {"waiting", t.waiting},
            {"oldestWaitingSeconds", t.oldestWaitingSeconds},
            {"succeeded", t.succeeded},
            {"failed", t.failed},
            {"successRate", t.SuccessRate() < 0 ? QJsonValue() : QJsonValue(t.SuccessRate())},
            {"lastSent", Stamp(t.lastSent)},
            {"lastReply", Stamp(t.lastReply)},
            {"lastSentSeen", Stamp(feed.LastSent(it.key()))},
            {"lastReceivedSeen", Stamp(feed.LastReceived(it.key()))},
            {"productsOff", QJsonArray::fromStringList(t.productsOff)},
            {"trouble", QJsonArray::fromStringList(Trouble(t))},
        });
    }
    QJsonArray perMinute;
    for (auto it = s.perMinute.cbegin(); it != s.perMinute.cend(); ++it)
        perMinute.append(QJsonObject{
            {"minute", Stamp(QDateTime::fromSecsSinceEpoch(it.key() * 60))},
            {"succeeded", it->succeeded},
            {"failed", it->failed},
        });
    QJsonObject nodes;
    for (auto it = feed.Nodes().cbegin(); it != feed.Nodes().cend(); ++it)
        nodes.insert(QString::number(it.key()), QJsonObject{{"up", it->up}, {"at", Stamp(it->at)}});
    QJsonArray recent;
    for (const FeedRecord& r : feed.Recent())
        recent.append(QJsonObject{{"received", Stamp(r.received)},
                                  {"terminal", r.terminal},
                                  {"direction", r.direction},
                                  {"service", r.service},
                                  {"party", r.party},
                                  {"message", r.message},
                                  {"time", r.time}});
    const QJsonObject root{
        {"now", Stamp(now)},
        {"readAt", Stamp(s.readAt)},
        {"stale", s.stale},
        {"error", s.error},
        {"statements", s.statements},
        {"terminals", terminals},
        {"perMinute", perMinute},
        {"nodes", nodes},
        {"feed", QJsonObject{{"accepted", static_cast<qint64>(feed.Accepted())},
                             {"dropped", static_cast<qint64>(feed.Dropped())},
                             {"recent", recent}}},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

QByteArray FleetPages::Metrics(const FleetSnapshot& s, const FeedReader& feed) {
    QString out;
    const auto family = [&out](const char* name, const char* type, const char* help) {
        out += QStringLiteral("# HELP %1 %2\n# TYPE %1 %3\n")
                   .arg(QLatin1String(name), QLatin1String(help), QLatin1String(type));
    };
    const auto sample = [&out](const char* name, const QString& labels, double value) {
        out += QLatin1String(name) + QLatin1Char('{') + labels + QStringLiteral("} ") +
               QString::number(value, 'g', 15) + QLatin1Char('\n');
    };
    const auto perTerminal = [&](const char* name, const char* type, const char* help, auto value) {
        family(name, type, help);
        for (auto it = s.terminals.cbegin(); it != s.terminals.cend(); ++it)
            sample(name, QStringLiteral("terminal=\"%1\"").arg(it.key()), value(it.value()));
    };
    perTerminal("relvane_terminal_up", "gauge", "1 when the terminal row says on.",
                [](const TerminalFigures& t) { return t.status == QLatin1String("1") ? 1 : 0; });
    perTerminal("relvane_jobs_queued", "gauge", "Jobs waiting in the queue.",
                [](const TerminalFigures& t) { return t.queued; });
    perTerminal("relvane_orders_waiting", "gauge", "Orders of today waiting for the supplier.",
                [](const TerminalFigures& t) { return t.waiting; });
    perTerminal("relvane_oldest_waiting_seconds", "gauge",
                "Age of the oldest order of today still waiting.",
                [](const TerminalFigures& t) { return t.oldestWaitingSeconds; });
    perTerminal("relvane_products_off", "gauge", "Products switched off on the terminal.",
                [](const TerminalFigures& t) { return t.productsOff.size(); });
    perTerminal("relvane_terminal_trouble", "gauge", "1 when the terminal is marked in trouble.",
                [](const TerminalFigures& t) { return Trouble(t).isEmpty() ? 0 : 1; });
    family("relvane_orders_settled_total", "counter", "Orders of today settled, by result.");
    for (auto it = s.terminals.cbegin(); it != s.terminals.cend(); ++it) {
        sample("relvane_orders_settled_total",
               QStringLiteral("terminal=\"%1\",result=\"success\"").arg(it.key()), it->succeeded);
        sample("relvane_orders_settled_total",
               QStringLiteral("terminal=\"%1\",result=\"failure\"").arg(it.key()), it->failed);
    }
    family("relvane_node_up", "gauge", "1 when the node's last announcement said it started.");
    for (auto it = feed.Nodes().cbegin(); it != feed.Nodes().cend(); ++it)
        sample("relvane_node_up", QStringLiteral("node=\"%1\"").arg(it.key()), it->up ? 1 : 0);
    family("relvane_feed_datagrams_total", "counter", "Datagrams of the feed, by outcome.");
    sample("relvane_feed_datagrams_total", QStringLiteral("outcome=\"accepted\""),
           static_cast<double>(feed.Accepted()));
    sample("relvane_feed_datagrams_total", QStringLiteral("outcome=\"dropped\""),
           static_cast<double>(feed.Dropped()));
    family("relvane_snapshot_stale", "gauge", "1 when the last database read failed.");
    sample("relvane_snapshot_stale", QString(), s.stale ? 1 : 0);
    family("relvane_snapshot_statements", "gauge", "Statements of the last database read.");
    sample("relvane_snapshot_statements", QString(), s.statements);
    return out.toUtf8();
}

QByteArray FleetPages::Html(const FleetSnapshot& s, const FeedReader& feed, const QDateTime& now) {
    QString h;
    h += QStringLiteral(
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><meta http-equiv=\"refresh\" "
        "content=\"5\"><title>Relvane fleet</title><style>"
        "body{font-family:sans-serif;margin:1em}table{border-collapse:collapse}"
        "th,td{border:1px solid #ccc;padding:2px 6px;text-align:right}th{cursor:pointer;"
        "background:#eee}tr.trouble td{background:#fdd}.stale{color:#b00;font-weight:bold}"
        "td.l{text-align:left}</style></head><body><h1>Relvane fleet</h1>");
    h += QStringLiteral("<p>Now %1. Database read %2").arg(Stamp(now), Stamp(s.readAt));
    if (s.stale)
        h += QStringLiteral(" <span class=\"stale\">STALE: %1</span>").arg(Escape(s.error));
    h += QStringLiteral(". Feed: %1 records, %2 dropped.</p>")
             .arg(feed.Accepted())
             .arg(feed.Dropped());
    h += QStringLiteral(
        "<table id=\"fleet\"><thead><tr><th>Terminal</th><th>State</th><th>Queued</th>"
        "<th>Waiting</th><th>Oldest waiting (s)</th><th>Succeeded</th><th>Failed</th>"
        "<th>Rate</th><th>Last sent</th><th>Last reply</th><th>Products off</th>"
        "<th>Trouble</th></tr></thead><tbody>");
    for (auto it = s.terminals.cbegin(); it != s.terminals.cend(); ++it) {
        const TerminalFigures& t = it.value();
        const QStringList trouble = Trouble(t);
        const double rate = t.SuccessRate();
        h += QStringLiteral(
                 "<tr%1><td>%2</td><td class=\"l\">%3</td><td>%4</td><td>%5</td>"
                 "<td>%6</td><td>%7</td><td>%8</td><td>%9</td>")
                 .arg(trouble.isEmpty() ? QString() : QStringLiteral(" class=\"trouble\""))
                 .arg(it.key())
                 .arg(!t.inTable                       ? QStringLiteral("no row")
                      : t.status == QLatin1String("1") ? QStringLiteral("on")
                                                       : QStringLiteral("off"))
                 .arg(t.queued)
                 .arg(t.waiting)
                 .arg(t.oldestWaitingSeconds)
                 .arg(t.succeeded)
                 .arg(t.failed)
                 .arg(rate < 0 ? QStringLiteral("-") : QString::number(rate * 100, 'f', 1) + '%');
        h += QStringLiteral(
                 "<td>%1</td><td>%2</td><td class=\"l\">%3</td><td class=\"l\">%4"
                 "</td></tr>")
                 .arg(Stamp(t.lastSent), Stamp(t.lastReply),
                      Escape(t.productsOff.join(QStringLiteral(", "))),
                      Escape(trouble.join(QStringLiteral(", "))));
    }
    h += QStringLiteral("</tbody></table>");

    // Orders per minute over the last hour: sent, from the feed; settled and failed, from the
    // database by the minute the order was placed.
    const qint64 lastMinute = FleetSnapshot::MinuteOf(now);
    const auto count = [&](qint64 minute, int line) {
        if (line == 0) return feed.PerMinute(minute, 1);
        const MinuteFigures m = s.perMinute.value(minute);
        return line == 1 ? m.succeeded : m.failed;
    };
    int top = 1;
    for (qint64 m = lastMinute - 59; m <= lastMinute; ++m)
        for (int line = 0; line < 3; ++line) top = qMax(top, count(m, line));
    h += QStringLiteral(
             "<h2>Orders per minute, last hour (max %1)</h2><svg id=\"perminute\" width=\"600\" "
             "height=\"120\" viewBox=\"0 0 600 120\" style=\"border:1px solid #ccc\">")
             .arg(top);
    const char* colours[] = {"blue", "green", "red"};
    for (int line = 0; line < 3; ++line) {
        QStringList points;
        for (int i = 0; i < 60; ++i)
            points << QStringLiteral("%1,%2")
                          .arg(i * 10 + 5)
                          .arg(115 - count(lastMinute - 59 + i, line) * 110 / top);
        h += QStringLiteral("<polyline fill=\"none\" stroke=\"%1\" points=\"%2\"/>")
                 .arg(QLatin1String(colours[line]), points.join(QLatin1Char(' ')));
    }
    h += QStringLiteral(
        "</svg><p><span style=\"color:blue\">sent</span>, <span style=\"color:green\">"
        "settled</span>, <span style=\"color:red\">failed</span></p>");

    h += QStringLiteral("<h2>Nodes</h2><p>");
    for (auto it = feed.Nodes().cbegin(); it != feed.Nodes().cend(); ++it)
        h += QStringLiteral("node %1: %2 since %3; ")
                 .arg(it.key())
                 .arg(it->up ? QStringLiteral("started") : QStringLiteral("closed"), Stamp(it->at));
    h += QStringLiteral(
        "</p><h2>Last records</h2><table><thead><tr><th>Received</th>"
        "<th>Terminal</th><th>Way</th><th>Party</th><th>Message</th></tr>"
        "</thead><tbody>");
    const QList<FeedRecord>& recent = feed.Recent();
    for (int i = recent.size() - 1; i >= 0 && i >= recent.size() - 20; --i) {
        const FeedRecord& r = recent[i];
        h += QStringLiteral(
                 "<tr><td>%1</td><td>%2</td><td class=\"l\">%3</td>"
                 "<td class=\"l\">%4</td><td class=\"l\">%5</td></tr>")
                 .arg(Stamp(r.received))
                 .arg(r.terminal)
                 .arg(r.direction == 1 ? QStringLiteral("sent") : QStringLiteral("received"),
                      Escape(r.party), Escape(r.message));
    }
    h += QStringLiteral(
        "</tbody></table><script>"
        "document.querySelectorAll('#fleet th').forEach(function(th,col){th.onclick=function(){"
        "var b=th.closest('table').tBodies[0],rows=Array.from(b.rows),up=th.dataset.up!=='1';"
        "th.dataset.up=up?'1':'0';rows.sort(function(x,y){var a=x.cells[col].textContent,"
        "c=y.cells[col].textContent,na=parseFloat(a),nc=parseFloat(c);var r=(!isNaN(na)&&"
        "!isNaN(nc))?na-nc:a.localeCompare(c);return up?r:-r;});rows.forEach(function(r){"
        "b.appendChild(r);});};});</script></body></html>\n");
    return h.toUtf8();
}
