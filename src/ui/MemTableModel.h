#pragma once

// A read-only Qt model over a memory table, so a grid shows the table's rows (those that pass
// its filter, in its order) with the columns the window chooses. The table does not signal its
// changes: the owner calls refresh() after changing it.

#include "data/MemTable.h"

#include <QAbstractTableModel>
#include <QLocale>
#include <vector>

namespace vorn::ui {

struct GridColumn {
    std::string field;
    QString title;
    int width = 0; // 0: the grid's default
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
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

    // How a value is shown: dates in the short date format, times in the long time format.
    static QString displayText(const data::Value& value, const QLocale& locale);

private:
    data::MemTable& table_;
    std::vector<GridColumn> columns_;
    QLocale locale_;
    int rows_ = 0;
};

} // namespace vorn::ui
