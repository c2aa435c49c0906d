#pragma once

// Rows from a vector, read through the same interface a database query offers.

#include "data/Field.h"

#include <cstddef>
#include <stdexcept>
#include <utility>
#include <vector>

namespace vorn::data::testing {

class VectorSource : public RowSource {
public:
    VectorSource(std::vector<FieldDef> defs, std::vector<std::vector<Value>> rows)
        : defs_(std::move(defs)), rows_(std::move(rows)) {}

    // The fetch after `rows` rows throws, as a query does when its link breaks mid-way.
    void failAfter(std::size_t rows) { failAfter_ = rows; }

    const std::vector<FieldDef>& fieldDefs() const override { return defs_; }
    bool fetchRow(std::vector<Value>& row) override {
        if (next_ == failAfter_)
            throw std::runtime_error("connection lost");
        if (next_ >= rows_.size())
            return false;
        row = rows_[next_++];
        return true;
    }

private:
    std::vector<FieldDef> defs_;
    std::vector<std::vector<Value>> rows_;
    std::size_t next_ = 0;
    std::size_t failAfter_ = static_cast<std::size_t>(-1);
};

} // namespace vorn::data::testing
