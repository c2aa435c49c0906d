// The rows a memory table shows: its order (index field names) and its filter.

#include "data/MemTable.h"

#include "data/FieldName.h"
#include "data/MemTableColumn.h"
#include "platform/Codepage.h"
#include "platform/CodepageCollation.h"

#include <algorithm>
#include <numeric>

namespace vorn::data {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

} // namespace

// Row access for the filter.
class MemTable::Reader final : public RecordReader {
public:
    explicit Reader(const std::vector<Column>& columns) : columns_(columns) {}
    bool isNull(int f, std::size_t row) const override { return columns_[f].nulls[row] != 0; }
    std::string_view text(int f, std::size_t row) const override {
        return columns_[f].text(static_cast<std::uint32_t>(row));
    }
    std::int64_t integer(int f, std::size_t row) const override {
        return columns_[f].integer(static_cast<std::uint32_t>(row));
    }
    double floating(int f, std::size_t row) const override { return columns_[f].floats[row]; }

private:
    const std::vector<Column>& columns_;
};

// Binds the filter and index field names to the current fields; those that do not fit go.
void MemTable::rebind() {
    filterExpr_ = FilterExpression();
    if (!trimmed(filterText_).empty()) {
        try {
            filterExpr_ = FilterExpression::compile(filterText_, defs_);
        } catch (const FilterError&) {
            filterText_.clear();
            filtered_ = false;
        }
    }
    filterApplies_ = filtered_ && !filterExpr_.passesAll();
    try {
        sortKeys_ = parseIndexNames(indexText_, defs_);
    } catch (const MemTableError&) {
        indexText_.clear();
        sortKeys_.clear();
    }
}

std::size_t MemTable::viewSize() const {
    if (filterApplies_)
        return visible_.size();
    return sortKeys_.empty() ? rows_ : order_.size();
}

std::uint32_t MemTable::rowAt(std::size_t pos) const {
    if (filterApplies_)
        return visible_[pos];
    return sortKeys_.empty() ? static_cast<std::uint32_t>(pos) : order_[pos];
}

int MemTable::compareRows(std::uint32_t a, std::uint32_t b) const {
    for (const SortKey& key : sortKeys_) {
        const Column& c = columns_[static_cast<std::size_t>(key.field)];
        const bool nullA = c.nulls[a] != 0, nullB = c.nulls[b] != 0;
        int r = 0;
        if (nullA || nullB)
            r = nullA == nullB ? 0 : nullA ? -1 : 1;
        else
            r = c.compare(a, b);
        if (r != 0)
            return key.descending ? -r : r;
    }
    return 0;
}

bool MemTable::rowLess(std::uint32_t a, std::uint32_t b) const {
    if (!sortKeys_.empty()) {
        const int r = compareRows(a, b);
        if (r != 0)
            return r < 0;
    }
    return a < b; // ties: the order rows were added in
}

bool MemTable::passes(std::uint32_t row) const {
    return filterExpr_.matches(Reader(columns_), row);
}

void MemTable::sortRows() {
    order_.resize(rows_);
    std::iota(order_.begin(), order_.end(), 0u);
    const SortKey& first = sortKeys_.front();
    const Column& c = columns_[static_cast<std::size_t>(first.field)];
    if (c.def.type != FieldType::Text) {
        std::sort(order_.begin(), order_.end(),
                  [this](std::uint32_t a, std::uint32_t b) { return rowLess(a, b); });
        return;
    }
    // Texts: sort on the collation weights of their first 15 bytes, kept beside the row number,
    // and compare the rows themselves only where those tie. Null gives 0, below any text.
    struct Entry {
        std::uint64_t high, low;
        std::uint32_t row;
    };
    const auto& w = platform::collationWeights();
    std::vector<Entry> entries(rows_);
    for (std::uint32_t row = 0; row < rows_; ++row) {
        std::uint64_t high = 0, low = 0;
        if (!c.nulls[row]) {
            const std::string_view t = c.text(row);
            high = std::uint64_t{1} << 56;
            for (std::size_t k = 0; k < 15 && k < t.size(); ++k) {
                const std::uint64_t weight = w[static_cast<unsigned char>(t[k])];
                if (k < 7)
                    high |= weight << (8 * (6 - k));
                else
                    low |= weight << (8 * (14 - k));
            }
        }
        if (first.descending) {
            high = ~high;
            low = ~low;
        }
        entries[row] = Entry{high, low, row};
    }
    std::sort(entries.begin(), entries.end(), [this](const Entry& a, const Entry& b) {
        if (a.high != b.high)
            return a.high < b.high;
        if (a.low != b.low)
            return a.low < b.low;
        return rowLess(a.row, b.row);
    });
    for (std::uint32_t k = 0; k < rows_; ++k)
        order_[k] = entries[k].row;
}

void MemTable::rebuildView() {
    order_.clear();
    if (!sortKeys_.empty())
        sortRows();
    visible_.clear();
    if (filterApplies_) {
        const Reader reader(columns_);
        const bool sorted = !sortKeys_.empty();
        for (std::uint32_t k = 0; k < rows_; ++k) {
            const std::uint32_t row = sorted ? order_[k] : k;
            if (filterExpr_.matches(reader, row))
                visible_.push_back(row);
        }
    }
    invalidateIndexes();
}

// Puts a stored row into the order and, when it passes the filter, among the rows shown.
void MemTable::placeRow(std::uint32_t row) {
    const auto less = [this](std::uint32_t a, std::uint32_t b) { return rowLess(a, b); };
    if (!sortKeys_.empty())
        order_.insert(std::lower_bound(order_.begin(), order_.end(), row, less), row);
    if (filterApplies_ && passes(row))
        visible_.insert(std::lower_bound(visible_.begin(), visible_.end(), row, less), row);
}

void MemTable::unplaceRow(std::uint32_t row) {
    if (auto it = std::find(order_.begin(), order_.end(), row); it != order_.end())
        order_.erase(it);
    if (auto it = std::find(visible_.begin(), visible_.end(), row); it != visible_.end())
        visible_.erase(it);
}

std::optional<std::size_t> MemTable::positionOf(std::uint32_t row) const {
    if (!filterApplies_ && sortKeys_.empty())
        return row < rows_ ? std::optional<std::size_t>(row) : std::nullopt;
    const auto& view = filterApplies_ ? visible_ : order_;
    const auto less = [this](std::uint32_t a, std::uint32_t b) { return rowLess(a, b); };
    const auto it = std::lower_bound(view.begin(), view.end(), row, less);
    if (it == view.end() || *it != row)
        return std::nullopt;
    return static_cast<std::size_t>(it - view.begin());
}

void MemTable::setFilter(std::string_view text) {
    FilterExpression compiled;
    if (!defs_.empty())
        compiled = FilterExpression::compile(text, defs_); // throws before anything changes
    checkBrowse();
    filterText_ = std::string(text);
    filterExpr_ = std::move(compiled);
    filterApplies_ = filtered_ && !filterExpr_.passesAll();
    if (active()) {
        rebuildView();
        first();
    }
}

void MemTable::setFilter(const QString& text) {
    const QByteArray ansi = platform::toAnsi(text);
    setFilter(std::string_view(ansi.constData(), static_cast<std::size_t>(ansi.size())));
}

void MemTable::setFiltered(bool on) {
    checkBrowse();
    filtered_ = on;
    filterApplies_ = filtered_ && !filterExpr_.passesAll();
    if (active()) {
        rebuildView();
        first();
    }
}

std::vector<MemTable::SortKey> MemTable::parseIndexNames(std::string_view names,
                                                         const std::vector<FieldDef>& defs) const {
    std::vector<SortKey> keys;
    while (!names.empty()) {
        const std::size_t cut = names.find(';');
        const std::string_view item = trimmed(names.substr(0, cut));
        names = cut == std::string_view::npos ? std::string_view() : names.substr(cut + 1);
        if (item.empty())
            continue;
        std::string_view name = item;
        bool descending = false;
        if (const std::size_t colon = item.find(':'); colon != std::string_view::npos) {
            name = trimmed(item.substr(0, colon));
            const std::string_view option = trimmed(item.substr(colon + 1));
            if (sameFieldName(option, "D"))
                descending = true;
            else if (!sameFieldName(option, "A"))
                throw MemTableError("Index field " + std::string(item) +
                                    ": the suffix must be :A or :D");
        }
        const int field = findField(defs, name);
        if (field < 0)
            throw MemTableError("Index field " + std::string(name) + " not found");
        keys.push_back(SortKey{field, descending});
    }
    return keys;
}

void MemTable::setIndexFieldNames(std::string_view names) {
    std::vector<SortKey> keys;
    if (!defs_.empty())
        keys = parseIndexNames(names, defs_); // throws before anything changes
    checkBrowse();
    const std::optional<std::uint32_t> current = currentRow();
    indexText_ = std::string(names);
    sortKeys_ = std::move(keys);
    if (!active())
        return;
    rebuildView();
    if (const auto pos = current ? positionOf(*current) : std::nullopt)
        moveTo(*pos);
    else
        first();
}

void OrdenaPorTitulo(int& tag, MemTable& table, const std::string& fieldName) {
    if (tag == 0) {
        table.setIndexFieldNames(fieldName);
        tag = 1;
    } else {
        table.setIndexFieldNames(fieldName + ":D");
        tag = 0;
    }
    table.first();
}

} // namespace vorn::data
