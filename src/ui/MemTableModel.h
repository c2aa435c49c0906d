#pragma once

// A read-only Qt model over a memory table, so a grid shows the table's rows (those that pass
// its filter, in its order) with the columns the window chooses. The table does not signal its
// changes: the owner calls refresh() after changing it.

#include "data/MemTable.h"

#include <QAbstractTableModel>
#include <QLocale>
#include <optional>
#include <vector>

namespace vorn::ui {

struct GridColumn {
    std::string field;
    QString title;
    int width = 0; // 0: the grid's default (from `characters`)
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    // The field's display width in characters, for the default width.
    int characters = 0;
    // A value the column must show whole (its widest): the column is widened to it when the
    // font in use needs more than `width`.
    std::optional<data::Value> widest;
};

class MemTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    MemTableModel(data::MemTable& table, std::vector<GridColumn> columns,
                  QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const std::vector<GridColumn>& columns() const { return columns_; }
    data::MemTable& table() const { return table_; }
    // Re-reads the whole table (after rows, order, filter or structure changed).
    void refresh();
    // The locale for dates, times and numbers (the system's unless set).
    void setLocale(const QLocale& locale) { locale_ = locale; }
    const QLocale& locale() const { return locale_; }

    // What the grid's painting needs: whether the table is open, the record number of a row
    // (from 1, in the table's order among the rows shown) and a field of a row by name
    // (std::nullopt for a name the table does not have).
    bool tabelaAberta() const { return table_.active(); }
    int numeroRegistro(int row) const { return row + 1; }
    std::optional<data::Value> valorCampo(int row, const std::string& field) const;

    // How a value is shown: dates in the short date format, times in the long time format, a date
    // and time as both (the date alone at midnight).
    static QString displayText(const data::Value& value, const QLocale& locale);
    // The locale's long time format without the time zone (hours, minutes, seconds and the
    // day-period marker where the locale has one).
    static QString longTimeFormat(const QLocale& locale);

private:
    data::MemTable& table_;
    std::vector<GridColumn> columns_;
    QLocale locale_;
    int rows_ = 0;
};

} // namespace vorn::ui
