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

std::optional<data::Value> MemTableModel::valorCampo(int row, const std::string& field) const {
    const int index = table_.fieldIndex(field);
    if (index < 0)
        return std::nullopt;
    return table_.valueAt(numeroRegistro(row), index);
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
                return locale.toString(v, longTimeFormat(locale));
            else if (v.time() == QTime(0, 0))
                return locale.toString(v.date(), QLocale::ShortFormat);
            else
                return locale.toString(v.date(), QLocale::ShortFormat) + u' ' +
                       locale.toString(v.time(), longTimeFormat(locale));
        },
        value);
}

QString MemTableModel::longTimeFormat(const QLocale& locale) {
    // Drops every time-zone letter outside quotes with the blanks before it.
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't') {
            while (result.endsWith(u' '))
                result.chop(1);
            continue;
        }
        result += c;
    }
    return result.trimmed();
}

} // namespace vorn::ui
