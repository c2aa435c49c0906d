// Memory-table figures at the sizes the price cache and the product listing meet:
//   MemoryPerRow  bytes a loaded 1 000 000-row cache holds per row, and its search index
//   Search        one exact barcode search in a 1 000 000-row cache (ns per search; the first
//                 search after a load builds the hash index: IndexBuild)
//   Filter        the listing's filter expression over 100 000 rows (compile + evaluate)
//   Sort          a title click on the description of 100 000 rows
//   CopyFrom      loading 1 000 000 rows, against BareFetch, the same rows fetched and dropped
//
// Run: memtable_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "data/MemTable.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace vorn::data;

namespace {

constexpr std::size_t kCacheRows = 1'000'000;
constexpr std::size_t kListingRows = 100'000;

std::string barcodeOf(std::size_t n) {
    std::string s = std::to_string(7'890'000'000'000ULL + n * 7919 % 10'000'000'000ULL);
    return s;
}

const char* const kWords[] = {"ARROZ",    "FEIJAO",   "ACUCAR", "OLEO",       "CAFE",    "LEITE",
                              "BISCOITO", "MACARRAO", "SABAO",  "DETERGENTE", "FARINHA", "SAL"};

// Rows generated on the fly into the caller's buffers, as a database cursor delivers them.
class SyntheticSource : public RowSource {
public:
    SyntheticSource(std::size_t rows, bool listing) : rows_(rows), listing_(listing) {
        if (listing)
            defs_ = {{"PRECO", FieldType::Currency, 0},
                     {"COD_ALFA", FieldType::Text, 20},
                     {"DESCRICAO", FieldType::Text, 60},
                     {"CODIGOBARRAS", FieldType::Text, 20}};
        else
            defs_ = {{"PRECO", FieldType::Currency, 0},
                     {"DESCR_PRODUTO", FieldType::Text, 60},
                     {"CODIGOBARRAS", FieldType::Text, 20},
                     {"UN_VENDAS", FieldType::Text, 6}};
    }
    const std::vector<FieldDef>& fieldDefs() const override { return defs_; }
    bool fetchRow(std::vector<Value>& row) override {
        if (next_ >= rows_)
            return false;
        const std::size_t n = next_++;
        row.resize(4);
        row[0] = Currency{static_cast<std::int64_t>(n % 100000) * 100 + 99};
        std::string descr = kWords[n % 12];
        descr += " TIPO ";
        descr += std::to_string(n % 97);
        descr += " PACOTE ";
        descr += std::to_string(n);
        descr += " UNIDADES";
        if (listing_) {
            row[1] = "C" + std::to_string(n);
            row[2] = std::move(descr);
            row[3] = barcodeOf(n);
        } else {
            row[1] = std::move(descr);
            row[2] = barcodeOf(n);
            row[3] = std::string("UN");
        }
        return true;
    }

private:
    std::vector<FieldDef> defs_;
    std::size_t rows_;
    std::size_t next_ = 0;
    bool listing_;
};

MemTable& priceCache() {
    static std::unique_ptr<MemTable> table = [] {
        auto t = std::make_unique<MemTable>();
        SyntheticSource source(kCacheRows, false);
        t->copyFrom(source);
        return t;
    }();
    return *table;
}

std::string productFilter(const std::string& t) {
    return "(UPPER(COD_ALFA) LIKE '%" + t + "%') OR (UPPER(DESCRICAO) LIKE '%" + t + "%') OR " +
           "(CODIGOBARRAS " + "LIKE '%" + t + "%')";
}

MemTable listing() {
    MemTable t;
    SyntheticSource source(kListingRows, true);
    t.copyFrom(source);
    return t;
}

// Random barcodes of the cache, one in ten absent.
std::vector<Value> searchKeys() {
    std::vector<Value> keys;
    keys.reserve(kCacheRows);
    std::mt19937_64 random(42);
    std::uniform_int_distribution<std::size_t> pick(0, kCacheRows - 1);
    for (std::size_t k = 0; k < kCacheRows; ++k)
        keys.emplace_back(k % 10 == 9 ? std::string("0000") + std::to_string(k)
                                      : barcodeOf(pick(random)));
    return keys;
}

long maxRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long rssBytes() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

// Memory a loaded cache holds per row, its search index, and the peak of a reload (the old rows
// and their index stay until the new rows are all in). Runs first, while the process has no
// freed memory to reuse.
void MemoryPerRow(benchmark::State& state) {
    const auto rows = static_cast<std::size_t>(state.range(0));
    const auto perRow = [rows](long bytes) {
        return static_cast<double>(bytes) / static_cast<double>(rows);
    };
    for (auto _ : state) {
        const long before = rssBytes();
        MemTable t;
        SyntheticSource first(rows, false);
        t.copyFrom(first);
        const long loaded = rssBytes();
        const int barcode = t.indexOf("CODIGOBARRAS");
        benchmark::DoNotOptimize(t.find(barcode, Value{barcodeOf(1)}));
        const long indexed = rssBytes();
        SyntheticSource second(rows, false);
        t.copyFrom(second);
        benchmark::DoNotOptimize(t.find(barcode, Value{barcodeOf(1)}));
        state.counters["tableBytesPerRow"] = perRow(loaded - before);
        state.counters["indexBytesPerRow"] = perRow(indexed - loaded);
        state.counters["reloadPeakBytesPerRow"] = perRow(maxRssKiB() * 1024 - before);
    }
}
BENCHMARK(MemoryPerRow)->Arg(1'000'000)->Iterations(1)->Unit(benchmark::kMillisecond);

void Search(benchmark::State& state) {
    MemTable& t = priceCache();
    const int field = t.indexOf("CODIGOBARRAS");
    const std::vector<Value> keys = searchKeys();
    (void)t.locate(field, keys[0]); // index built outside the timing
    std::size_t k = 0, found = 0;
    for (auto _ : state) {
        found += t.locate(field, keys[k]) ? 1 : 0;
        if (++k == keys.size())
            k = 0;
    }
    benchmark::DoNotOptimize(found);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Search);

// The barcode road: search, then read description, unit and price.
void SearchAndRead(benchmark::State& state) {
    MemTable& t = priceCache();
    const int barcode = t.indexOf("CODIGOBARRAS"), descr = t.indexOf("DESCR_PRODUTO"),
              unit = t.indexOf("UN_VENDAS"), price = t.indexOf("PRECO");
    const std::vector<Value> keys = searchKeys();
    (void)t.locate(barcode, keys[0]);
    std::size_t k = 0;
    std::int64_t sum = 0;
    for (auto _ : state) {
        if (t.locate(barcode, keys[k]))
            sum += static_cast<std::int64_t>(t.textView(descr).size() + t.textView(unit).size()) +
                   t.asCurrency(price).scaled;
        if (++k == keys.size())
            k = 0;
    }
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(SearchAndRead);

void IndexBuild(benchmark::State& state) {
    MemTable& t = priceCache();
    const int field = t.indexOf("CODIGOBARRAS");
    const Value key = barcodeOf(12345);
    for (auto _ : state) {
        t.setFiltered(false); // discards the index
        benchmark::DoNotOptimize(t.find(field, key));
    }
}
BENCHMARK(IndexBuild)->Unit(benchmark::kMillisecond);

void Filter(benchmark::State& state) {
    MemTable t = listing();
    t.setFiltered(true);
    const std::string filters[] = {productFilter("ARROZ"), productFilter("FEIJAO 1")};
    std::size_t k = 0, shown = 0;
    for (auto _ : state) {
        t.setFilter(filters[k++ % 2]);
        shown += static_cast<std::size_t>(t.recordCount());
    }
    benchmark::DoNotOptimize(shown);
}
BENCHMARK(Filter)->Unit(benchmark::kMillisecond);

void Sort(benchmark::State& state) {
    MemTable t = listing();
    int tag = 0;
    for (auto _ : state)
        OrdenaPorTitulo(tag, t, "DESCRICAO");
}
BENCHMARK(Sort)->Unit(benchmark::kMillisecond);

void CopyFrom(benchmark::State& state) {
    const auto rows = static_cast<std::size_t>(state.range(0));
    MemTable t;
    for (auto _ : state) {
        SyntheticSource source(rows, false);
        t.copyFrom(source);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(rows));
}
BENCHMARK(CopyFrom)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BareFetch(benchmark::State& state) {
    const auto rows = static_cast<std::size_t>(state.range(0));
    std::vector<Value> row;
    std::size_t bytes = 0;
    for (auto _ : state) {
        SyntheticSource source(rows, false);
        while (source.fetchRow(row))
            bytes += std::get<std::string>(row[1]).size();
    }
    benchmark::DoNotOptimize(bytes);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(rows));
}
BENCHMARK(BareFetch)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
