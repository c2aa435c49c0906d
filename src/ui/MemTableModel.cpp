#include "ui/MemTableModel.h"

#include "common/NumberPattern.h"
#include "platform/Codepage.h"

namespace vorn::ui {

MemTableModel::MemTableModel(data::MemTable& table, std::vector<GridColumn> columns,
                             QObject* parent)
    : QAbstractTableModel(parent), table_(table), columns_(std::move(columns)) {
    refresh();
}

int MemTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int MemTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant MemTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ || !table_.active())
        return {};
    const GridColumn& column = columns_[static_cast<size_t>(index.column())];
    switch (role) {
    case Qt::DisplayRole: {
        const int field = table_.fieldIndex(column.field);
        if (field < 0)
            return {};
        return displayText(table_.valueAt(index.row() + 1, field), locale_);
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(column.alignment);
    default:
        return {};
    }
}

QVariant MemTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= static_cast<int>(columns_.size()))
        return QAbstractTableModel::headerData(section, orientation, role);
    return columns_[static_cast<size_t>(section)].title;
}

void MemTableModel::refresh() {
    beginResetModel();
    rows_ = table_.active() ? table_.recordCount() : 0;
    endResetModel();
}

QString MemTableModel::displayText(const data::Value& value, const QLocale& locale) {
    return std::visit(
        [&locale](const auto& v) -> QString {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                return {};
            else if constexpr (std::is_same_v<T, std::string>)
                return platform::fromAnsi(v);
            else if constexpr (std::is_same_v<T, std::int64_t>)
                return QString::number(v);
            else if constexpr (std::is_same_v<T, data::Currency>)
                return common::formatNumberPattern(
                    QStringLiteral("#,##0.00"), common::Decimal::fromScaled(v.scaled, 4), locale);
            else if constexpr (std::is_same_v<T, double>)
                return locale.toString(v);
            else if constexpr (std::is_same_v<T, QDate>)
                return locale.toString(v, QLocale::ShortFormat);
            else if constexpr (std::is_same_v<T, QTime>)
                return locale.toString(v, QLocale::LongFormat);
            else
                return locale.toString(v.date(), QLocale::ShortFormat) + u' ' +
                       locale.toString(v.time(), QLocale::LongFormat);
        },
        value);
}

} // namespace vorn::ui
