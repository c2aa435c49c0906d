// Loading the price cache from the real server: the price-cache query over catalogues of
// 100 000 and 1 000 000 generated products, read
//   bare    through the Firebird client API alone (prepare, open, fetch every row, nothing kept);
//   cache   through Query and AbreConsulta into a memory table (what the server does).
// Both run on an attached connection; each figure is the median of several alternating runs.
// The ratio cache/bare is the cost of the data layer and the table over the fetch itself; the
// CPU columns are this process's share (the server's work is not in them).
// Memory: the peak resident memory a load adds, per cached product, measured in a fresh process.
//
//   bench_price_load [--dir DIR] [--runs N] [--sizes 100000,1000000]
//
// DIR (default /tmp/vorn-bench-firebird) holds a private Firebird instance started and stopped
// with scripts/firebird; its generated databases are kept for the next run (creating the
// million-product one takes a while).

#include "catalogue/PriceCache.h"
#include "catalogue/ProductListing.h"
#include "data/AbreConsulta.h"
#include "data/Connection.h"
#include "data/FbClient.h"
#include "data/FbStatus.h"
#include "data/MemTable.h"
#include "data/Query.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace vorn::data;
using Clock = std::chrono::steady_clock;

namespace {

const std::string kScript = std::string(VORN_SOURCE_DIR) + "/scripts/firebird";

// Branch 1, table 2 (VAREJO) of the generated catalogue: the server's own query.
const std::string kPriceCacheSql = vorn::catalogue::SqlCarregaPrecos(1, 2);

void run(const std::string& command) {
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("failed: " + command);
}

std::string shellQuoted(const std::string& s) {
    return "'" + s + "'";
}

void configure(Connection& c, int port, const std::string& database) {
    c.setParam(QStringLiteral("CharacterSet"), QStringLiteral("WIN1252"));
    c.setParam(QStringLiteral("USER_NAME"), QStringLiteral("VORNMASTER"));
    c.setParam(QStringLiteral("PASSWORD"), QStringLiteral("x47#q802"));
    c.setParam(QStringLiteral("ROLE"), QStringLiteral("RDB$ADMIN"));
    c.setParam(QStringLiteral("SERVER"), QStringLiteral("127.0.0.1"));
    c.setParam(QStringLiteral("PORT"), QString::number(port));
    c.setParam(QStringLiteral("PROTOCOL"), QStringLiteral("ipTCPIP"));
    c.setParam(QStringLiteral("DATABASE"), QString::fromStdString(database));
    c.setAutoCommit(false);
    c.setAutoReconnect(true);
}

// The bare loop: the client API with nothing on top, on an attachment of its own.
class BareFetch {
public:
    BareFetch(int port, const std::string& database) : client_(FbClient::load(QString())) {
        fb::Status st(client_);
        auto* dpb = client_.util()->getXpbBuilder(&st, Firebird::IXpbBuilder::DPB, nullptr, 0);
        st.check();
        dpb->insertString(&st, isc_dpb_user_name, "VORNMASTER");
        dpb->insertString(&st, isc_dpb_password, "x47#q802");
        dpb->insertString(&st, isc_dpb_lc_ctype, "WIN1252");
        const std::string address = "inet://127.0.0.1:" + std::to_string(port) + "/" + database;
        attachment_ = client_.provider()->attachDatabase(
            &st, address.c_str(), dpb->getBufferLength(&st), dpb->getBuffer(&st));
        dpb->dispose();
        st.check();
    }
    ~BareFetch() {
        fb::Status st(client_);
        attachment_->detach(&st);
        if (st.failed())
            attachment_->release();
    }

    // Prepares, opens and fetches every row; answers the row count.
    std::size_t load() {
        fb::Status st(client_);
        const unsigned char tpb[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_read_committed,
                                     isc_tpb_rec_version, isc_tpb_nowait};
        auto* tra = attachment_->startTransaction(&st, sizeof tpb, tpb);
        st.check();
        auto* stmt = attachment_->prepare(&st, tra, 0, kPriceCacheSql.c_str(), SQL_DIALECT_V6,
                                          Firebird::IStatement::PREPARE_PREFETCH_METADATA);
        st.check();
        auto* meta = stmt->getOutputMetadata(&st);
        st.check();
        std::vector<unsigned char> buffer(meta->getMessageLength(&st));
        auto* cursor = stmt->openCursor(&st, tra, nullptr, nullptr, meta, 0);
        st.check();
        std::size_t rows = 0;
        while (cursor->fetchNext(&st, buffer.data()) == Firebird::IStatus::RESULT_OK)
            ++rows;
        st.check();
        cursor->close(&st);
        stmt->free(&st);
        meta->release();
        tra->commit(&st);
        st.check();
        return rows;
    }

private:
    FbClient& client_;
    Firebird::IAttachment* attachment_ = nullptr;
};

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// CPU time of this process so far (the client's share of a load; the server's is not in it).
double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto s = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return s(usage.ru_utime) + s(usage.ru_stime);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

long statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(key.size()));
    }
    return -1;
}

// In a fresh process: attach, then load the cache once; prints "rows baselineKb peakKb".
int memoryChild(int port, const std::string& database) {
    Connection connection;
    configure(connection, port, database);
    connection.open();
    Query query(connection);
    MemTable table;
    const long baseline = statusKb("VmRSS");
    AbreConsulta(query, kPriceCacheSql);
    table.copyFrom(query);
    connection.close();
    const long peak = statusKb("VmHWM");
    const long after = statusKb("VmRSS");
    std::printf("%d %ld %ld %ld\n", table.recordCount(), baseline, peak, after);
    return 0;
}

struct Memory {
    long rows = 0, baselineKb = 0, peakKb = 0, afterKb = 0;
};

Memory measureMemory(int port, const std::string& database) {
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    const std::string command =
        shellQuoted(self) + " --memory-child " + std::to_string(port) + " " + shellQuoted(database);
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        throw std::runtime_error("cannot run " + command);
    Memory m;
    const int n =
        std::fscanf(pipe, "%ld %ld %ld %ld", &m.rows, &m.baselineKb, &m.peakKb, &m.afterKb);
    if (pclose(pipe) != 0 || n != 4)
        throw std::runtime_error("the memory measurement failed");
    return m;
}

} // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 4 && std::string(argv[1]) == "--memory-child")
            return memoryChild(std::stoi(argv[2]), argv[3]);

        std::string dir = "/tmp/vorn-bench-firebird";
        int runs = 5;
        std::vector<long> sizes = {100000, 1000000};
        for (int i = 1; i + 1 < argc; i += 2) {
            const std::string arg = argv[i];
            if (arg == "--dir")
                dir = argv[i + 1];
            else if (arg == "--runs")
                runs = std::max(1, std::atoi(argv[i + 1]));
            else if (arg == "--sizes") {
                sizes.clear();
                std::string list = argv[i + 1];
                for (std::size_t p = 0; p < list.size();) {
                    const std::size_t q = std::min(list.find(',', p), list.size());
                    sizes.push_back(std::stol(list.substr(p, q - p)));
                    p = q + 1;
                }
            } else {
                std::fprintf(stderr, "usage: %s [--dir DIR] [--runs N] [--sizes A,B]\n", argv[0]);
                return 2;
            }
        }

        run(shellQuoted(kScript) + " start " + shellQuoted(dir));
        struct Stop {
            std::string command;
            ~Stop() { [[maybe_unused]] int rc = std::system(command.c_str()); }
        } stop{shellQuoted(kScript) + " stop " + shellQuoted(dir)};
        int port = 0;
        std::ifstream(dir + "/port") >> port;

        std::printf("%-10s %8s %9s %9s %6s %11s %11s %11s %11s\n", "products", "rows", "bare s",
                    "cache s", "ratio", "bare cpu s", "cache cpu s", "peak B/row", "kept B/row");
        for (long size : sizes) {
            const std::string database = dir + "/catalogue-" + std::to_string(size) + ".fdb";
            if (!std::filesystem::exists(database)) {
                std::fprintf(stderr, "creating %s ...\n", database.c_str());
                run(shellQuoted(kScript) + " create-db " + shellQuoted(dir) + " " +
                    shellQuoted(database) + " generate:" + std::to_string(size));
            }

            const Memory memory = measureMemory(port, database);

            BareFetch bare(port, database);
            Connection connection;
            configure(connection, port, database);
            connection.open();
            Query query(connection);

            std::vector<double> bareTimes, cacheTimes, bareCpu, cacheCpu;
            std::size_t bareRows = 0, cacheRows = 0;
            for (int r = 0; r <= runs; ++r) { // run 0 warms the server's cache and is dropped
                const double c0 = cpuSeconds();
                auto t0 = Clock::now();
                bareRows = bare.load();
                auto t1 = Clock::now();
                const double c1 = cpuSeconds();
                MemTable table;
                AbreConsulta(query, kPriceCacheSql);
                table.copyFrom(query);
                connection.commit();
                auto t2 = Clock::now();
                const double c2 = cpuSeconds();
                cacheRows = static_cast<std::size_t>(table.recordCount());
                if (r > 0) {
                    bareTimes.push_back(seconds(t1 - t0));
                    cacheTimes.push_back(seconds(t2 - t1));
                    bareCpu.push_back(c1 - c0);
                    cacheCpu.push_back(c2 - c1);
                }
            }
            if (bareRows != cacheRows || static_cast<long>(cacheRows) != memory.rows)
                throw std::runtime_error("the loads disagree on the row count");
            const double b = median(bareTimes), c = median(cacheTimes);
            std::printf("%-10ld %8zu %9.3f %9.3f %6.2f %11.3f %11.3f %11.0f %11.0f\n", size,
                        cacheRows, b, c, c / b, median(bareCpu), median(cacheCpu),
                        1024.0 * double(memory.peakKb - memory.baselineKb) / double(memory.rows),
                        1024.0 * double(memory.afterKb - memory.baselineKb) / double(memory.rows));
            std::fflush(stdout);

            // The operator's listing of the same table: its load, then the in-memory filter of
            // each keystroke typing ARROZ and deleting it again.
            std::vector<double> listingTimes;
            MemTable listing;
            for (int r = 0; r <= runs; ++r) {
                auto t0 = Clock::now();
                AbreConsulta(query, vorn::catalogue::SqlListagemProdutos(1, 2));
                listing.copyFrom(query);
                connection.commit();
                if (r > 0)
                    listingTimes.push_back(seconds(Clock::now() - t0));
            }
            std::vector<double> keystrokes;
            const QString word = QStringLiteral("ARROZ");
            for (int r = 0; r < runs; ++r) {
                for (int n = 1; n <= 2 * word.size(); ++n) {
                    const QString typed = word.left(n <= word.size() ? n : 2 * word.size() - n);
                    auto t0 = Clock::now();
                    if (typed.isEmpty()) {
                        listing.setFiltered(false);
                        listing.setFilter(QString());
                    } else {
                        listing.setFilter(vorn::catalogue::FiltroListagemProdutos(typed));
                        listing.setFiltered(true);
                    }
                    (void)listing.recordCount();
                    keystrokes.push_back(1000 * seconds(Clock::now() - t0));
                }
            }
            std::printf("  listing of %d products: load %.3f s (median); filter per keystroke "
                        "median %.1f ms, max %.1f ms\n",
                        listing.recordCount(), median(listingTimes), median(keystrokes),
                        *std::max_element(keystrokes.begin(), keystrokes.end()));
            std::fflush(stdout);
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_price_load: %s\n", e.what());
        return 1;
    }
}
