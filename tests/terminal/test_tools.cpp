// The terminal simulator and the load generator, run as programs against the real library, which
// a stand-in for the server polls and answers from a price list.

#include "TerminalTestSupport.h"
#include "support/FreePort.h"

#include <QProcess>
#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>
#include <thread>

namespace vorn::test {
namespace {

// Polls the library as the server does: every millisecond a barcode, answered from the price
// list at once (barcodes in `unanswered` are taken and never answered), every 100 ms the table
// and keep-alives. All library calls happen on its one thread.
class ServerStandIn {
public:
    using Prices = std::map<std::string, std::pair<std::string, std::string>>;

    ServerStandIn(const std::string& settingsExtra, Prices prices, std::set<std::string> unanswered)
        : settings_(freeTcpPort(), settingsExtra), prices_(std::move(prices)),
          unanswered_(std::move(unanswered)) {
        vInitialize();
        started_ = tc_startserver() == 1;
        thread_ = std::thread([this] { run(); });
    }
    ~ServerStandIn() {
        stop_ = true;
        thread_.join();
        vInitialize();
    }

    bool started() const { return started_; }
    std::uint16_t port() const { return settings_.port(); }
    int connected() const { return connected_; }

private:
    void run() {
        auto nextRefresh = std::chrono::steady_clock::now();
        while (!stop_) {
            if (const auto got = receive()) {
                if (const auto it = prices_.find(got->barcode); it != prices_.end())
                    bSendProdPrice(got->id, it->second.first.c_str(), it->second.second.c_str());
                else if (!unanswered_.contains(got->barcode))
                    bSendProdNotFound(got->id);
                continue;
            }
            if (std::chrono::steady_clock::now() >= nextRefresh) {
                refreshAndKeepAlive();
                connected_ = table().NumSockConec;
                nextRefresh += 100ms;
            }
            std::this_thread::sleep_for(1ms);
        }
    }

    LibrarySettings settings_;
    Prices prices_;
    std::set<std::string> unanswered_;
    bool started_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<int> connected_{0};
    std::thread thread_;
};

QString tool(const char* name) {
    const auto build = std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path();
    return QString::fromStdString((build / "bin" / name).string());
}

struct Run {
    int exitCode = -1;
    std::string out;
    std::string err;
};

Run run(const char* name, const QStringList& args, const std::string& input = {}) {
    QProcess p;
    p.start(tool(name), args);
    if (!p.waitForStarted(10000))
        return {};
    p.write(input.data(), static_cast<qint64>(input.size()));
    p.closeWriteChannel();
    if (!p.waitForFinished(60000))
        p.kill();
    p.waitForFinished();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

// Windows-1252 on the library's side; UTF-8 in the tools' arguments and output.
const ServerStandIn::Prices kPrices = {
    {"789",
     {"A\xC7\xDA"
      "CAR 1KG",
      "R$ 5,90"}},
    {"\xC7"
     "B1",
     {"CAF\xC9\tFORTE", "R$ 1.234,50"}},
};

TEST(VornTerminal, ScansEachArgumentAndPrintsOneUtf8LinePerBarcode) {
    ServerStandIn server("", kPrices, {});
    ASSERT_TRUE(server.started());
    const auto r =
        run("vorn-terminal", {"--port", QString::number(server.port()), "789", "ÇB1", "000"});
    EXPECT_EQ(r.out, "789\tFOUND\tAÇÚCAR 1KG\tR$ 5,90\n"
                     "ÇB1\tFOUND\tCAFÉ FORTE\tR$ 1.234,50\n" // the tab became a blank
                     "000\tNOTFOUND\n");
    EXPECT_EQ(r.exitCode, 0) << r.err;
}

TEST(VornTerminal, ScansEachLineOfStandardInput) {
    ServerStandIn server("", kPrices, {});
    ASSERT_TRUE(server.started());
    const auto r =
        run("vorn-terminal", {"--port=" + QString::number(server.port())}, "789\r\n\n000\nÇB1");
    EXPECT_EQ(r.out, "789\tFOUND\tAÇÚCAR 1KG\tR$ 5,90\n"
                     "000\tNOTFOUND\n"
                     "ÇB1\tFOUND\tCAFÉ FORTE\tR$ 1.234,50\n");
    EXPECT_EQ(r.exitCode, 0) << r.err;
}

TEST(VornTerminal, ABarcodeWithoutAnAnswerIsNoAnswerAndTheOthersStillCount) {
    ServerStandIn server("", kPrices, {"silent"});
    ASSERT_TRUE(server.started());
    const std::string tooLong(1024, '1');
    const auto r =
        run("vorn-terminal", {"--port", QString::number(server.port()), "--timeout", "0.3", "789",
                              "silent", QString::fromStdString(tooLong), "000"});
    EXPECT_EQ(r.out, "789\tFOUND\tAÇÚCAR 1KG\tR$ 5,90\n"
                     "silent\tNOANSWER\n" +
                         tooLong + "\tNOANSWER\n" + "000\tNOTFOUND\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("barcode-too-long"), std::string::npos) << r.err;
}

TEST(VornTerminal, ExitStatus2WhenItCannotConnect) {
    const auto r = run("vorn-terminal", {"--port", QString::number(freeTcpPort()), "789"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("cannot connect"), std::string::npos) << r.err;
}

TEST(VornTerminal, StaysListedWhileItWaitsForInput) {
    ServerStandIn server("TempoVivo=0.5\r\n", kPrices, {});
    ASSERT_TRUE(server.started());
    QProcess p;
    p.start(tool("vorn-terminal"), {"--port", QString::number(server.port())});
    ASSERT_TRUE(p.waitForStarted(10000));
    ASSERT_TRUE(waitUntil([&] { return server.connected() == 1; }));
    // Four keep-alive timeouts without a scan: the simulator answers the keep-alives.
    bool alwaysListed = true;
    waitUntil(
        [&] {
            alwaysListed = alwaysListed && server.connected() == 1;
            return false;
        },
        2s);
    EXPECT_TRUE(alwaysListed);
    p.write("789\n");
    p.closeWriteChannel();
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.readAllStandardOutput().toStdString(), "789\tFOUND\tAÇÚCAR 1KG\tR$ 5,90\n");
    EXPECT_EQ(p.exitCode(), 0);
}

std::map<std::string, std::string> keyValues(const std::string& text) {
    std::map<std::string, std::string> values;
    std::istringstream in(text);
    for (std::string key, value; in >> key && std::getline(in >> std::ws, value);)
        values[key] = value;
    return values;
}

TEST(VornTerminalLoad, CountsSentAnsweredAndUnansweredScans) {
    ServerStandIn server("", kPrices, {"silent"});
    ASSERT_TRUE(server.started());
    const struct {
        QStringList barcodes;
        int exitCode;
        bool halfUnanswered;
    } cases[] = {{{"789", "000"}, 0, false}, {{"789", "silent"}, 1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.barcodes.join(' ').toStdString());
        const auto r = run("vorn-terminal-load",
                           QStringList{"--port", QString::number(server.port()), "--terminals", "5",
                                       "--rate", "200", "--duration", "1", "--timeout", "0.5"} +
                               c.barcodes);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.out << r.err;
        auto v = keyValues(r.out);
        EXPECT_EQ(v["terminals"], "5");
        EXPECT_EQ(v["connected"], "5");
        const long sent = std::stol(v["sent"]);
        EXPECT_GT(sent, 100);
        const long answered = std::stol(v["answered"]);
        EXPECT_EQ(std::stol(v["found"]) + std::stol(v["notfound"]), answered);
        EXPECT_EQ(std::stol(v["found"]), (sent + 1) / 2) << "every other scan is 789";
        EXPECT_EQ(std::stol(v["unanswered"]), c.halfUnanswered ? sent / 2 : 0);
        EXPECT_EQ(std::stol(v["refused"]), 0);
        double p50 = 0, p90 = 0, p99 = 0, max = 0;
        ASSERT_EQ(std::sscanf(v["latency_ms"].c_str(), "p50=%lf p90=%lf p99=%lf max=%lf", &p50,
                              &p90, &p99, &max),
                  4)
            << v["latency_ms"];
        EXPECT_TRUE(0 < p50 && p50 <= p90 && p90 <= p99 && p99 <= max);
    }
}

TEST(VornTerminalLoad, IntervalLinesAddUpToTheTotals) {
    ServerStandIn server("", kPrices, {"silent"});
    ASSERT_TRUE(server.started());
    const auto r =
        run("vorn-terminal-load",
            {"--port", QString::number(server.port()), "--terminals", "3", "--rate", "100",
             "--duration", "1.2", "--timeout", "0.3", "--interval", "0.25", "789", "silent"});
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    long sent = 0, answered = 0, found = 0, unanswered = 0;
    int lines = 0;
    for (const auto& line : QString::fromStdString(r.out).split('\n')) {
        if (!line.startsWith("interval "))
            continue;
        ++lines;
        long s = 0, a = 0, f = 0, n = 0, x = 0, u = 0, w = 0;
        int connected = 0;
        double t = 0, p50 = 0, p99 = 0, max = 0;
        ASSERT_EQ(std::sscanf(line.toUtf8().constData(),
                              "interval t=%lf connected=%d sent=%ld answered=%ld found=%ld "
                              "notfound=%ld refused=%ld unanswered=%ld waiting=%ld latency_ms "
                              "p50=%lf p99=%lf max=%lf",
                              &t, &connected, &s, &a, &f, &n, &x, &u, &w, &p50, &p99, &max),
                  12)
            << line.toStdString();
        EXPECT_EQ(connected, 3);
        EXPECT_EQ(a, f + n);
        EXPECT_TRUE(a == 0 || (0 < p50 && p50 <= p99 && p99 <= max)) << line.toStdString();
        sent += s;
        answered += a;
        found += f;
        unanswered += u;
    }
    EXPECT_GE(lines, 4) << r.out;
    auto v = keyValues(r.out);
    EXPECT_EQ(sent, std::stol(v["sent"]));
    EXPECT_EQ(answered, std::stol(v["answered"]));
    EXPECT_EQ(found, std::stol(v["found"]));
    EXPECT_EQ(unanswered, std::stol(v["unanswered"])) << "every silent scan counted once";
    EXPECT_EQ(unanswered, sent / 2);
}

} // namespace
} // namespace vorn::test
