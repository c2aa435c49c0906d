// The current record of a memory table and the record being appended or edited.

#include "data/MemTable.h"

#include "data/MemTableColumn.h"
#include "platform/Codepage.h"

#include <algorithm>

namespace vorn::data {

void MemTable::resetCursor() {
    pos_ = 0;
    eof_ = bof_ = true;
}

void MemTable::moveTo(std::size_t pos) {
    pos_ = pos;
    eof_ = bof_ = false;
}

std::optional<std::uint32_t> MemTable::currentRow() const {
    if (!active() || viewSize() == 0)
        return std::nullopt;
    return rowAt(pos_);
}

void MemTable::first() {
    if (!active())
        return;
    checkBrowse();
    pos_ = 0;
    bof_ = true;
    eof_ = viewSize() == 0;
}

void MemTable::last() {
    if (!active())
        return;
    checkBrowse();
    const std::size_t n = viewSize();
    pos_ = n == 0 ? 0 : n - 1;
    eof_ = true;
    bof_ = n == 0;
}

void MemTable::next() {
    if (!active())
        return;
    checkBrowse();
    if (pos_ + 1 < viewSize()) {
        ++pos_;
        eof_ = bof_ = false;
    } else {
        eof_ = true;
    }
}

void MemTable::prior() {
    if (!active())
        return;
    checkBrowse();
    if (pos_ > 0 && viewSize() > 0) {
        --pos_;
        eof_ = bof_ = false;
    } else {
        bof_ = true;
    }
}

int MemTable::recNo() const {
    return currentRow() ? static_cast<int>(pos_) + 1 : 0;
}

void MemTable::setRecNo(int recNo) {
    requireActive("move to a record");
    checkBrowse();
    if (recNo < 1 || static_cast<std::size_t>(recNo) > viewSize())
        throw MemTableError("Record " + std::to_string(recNo) + " does not exist");
    moveTo(static_cast<std::size_t>(recNo - 1));
}

// ---------------------------------------------------------------------------------------------
// Editing.

void MemTable::checkBrowse() {
    if (editing())
        post();
}

void MemTable::append() {
    requireActive("append");
    checkBrowse();
    pending_.assign(defs_.size(), Value{});
    state_ = State::Insert;
}

void MemTable::edit() {
    requireActive("edit");
    checkBrowse();
    const auto row = currentRow();
    if (!row)
        throw MemTableError("Cannot edit: the table has no current record");
    pending_.clear();
    for (const Column& c : columns_)
        pending_.push_back(c.get(*row));
    editedRow_ = *row;
    state_ = State::Edit;
}

void MemTable::post() {
    if (state_ != State::Insert && state_ != State::Edit)
        throw MemTableError("Cannot post: the table is not appending or editing a record");
    std::uint32_t row = 0;
    const std::size_t oldPos = pos_;
    if (state_ == State::Insert) {
        if (rows_ == UINT32_MAX)
            throw MemTableError("Too many rows for a memory table");
        row = rows_;
        for (std::size_t f = 0; f < columns_.size(); ++f)
            columns_[f].push(pending_[f]);
        ++rows_;
    } else {
        row = editedRow_;
        unplaceRow(row);
        for (std::size_t f = 0; f < columns_.size(); ++f)
            columns_[f].set(row, pending_[f]);
    }
    placeRow(row);
    invalidateIndexes();
    pending_.clear();
    state_ = State::Browse;
    if (const auto pos = positionOf(row))
        moveTo(*pos);
    else if (viewSize() == 0)
        resetCursor();
    else
        moveTo(std::min(oldPos, viewSize() - 1)); // the row left the filter
}

void MemTable::cancel() {
    if (state_ == State::Insert || state_ == State::Edit) {
        pending_.clear();
        state_ = State::Browse;
    }
}

void MemTable::setValue(int field, const Value& value) {
    requireField(field);
    if (state_ != State::Insert && state_ != State::Edit)
        throw MemTableError("Cannot set field " + defs_[field].name +
                            ": the table is not appending or editing a record");
    const FieldDef& d = defs_[static_cast<std::size_t>(field)];
    pending_[static_cast<std::size_t>(field)] =
        fromStored(d, *toStored(d, value, Conversion::Store));
}

void MemTable::setValue(std::string_view name, const Value& value) {
    setValue(indexOf(name), value);
}

void MemTable::setText(int field, const QString& text) {
    const QByteArray ansi = platform::toAnsi(text);
    setValue(field, std::string(ansi.constData(), static_cast<std::size_t>(ansi.size())));
}

void MemTable::setText(std::string_view name, const QString& text) {
    setText(indexOf(name), text);
}

bool MemTable::editing() const {
    return state_ == State::Insert || state_ == State::Edit;
}

} // namespace vorn::data
