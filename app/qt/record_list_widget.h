// One record list (超级列表框1 … 6): a report list of six columns with a check box in
// front of every row, full-row single selection, grid lines, no editing, no sorting.
//
// The check box of a row reports through row_check_changed exactly once per real change
// of its state, whether the user or the program made it; changes of cell texts never do.
#pragma once

#include <QString>
#include <QTableWidget>
#include <array>

#include "app/window/window_layout.h"

class QTableWidgetItem;

namespace velmora {

class RecordListWidget : public QTableWidget {
    Q_OBJECT

  public:
    static constexpr int kColumnCount = control::column::kCount;

    explicit RecordListWidget(const std::array<layout::Column, kColumnCount>& columns,
                              QWidget* parent = nullptr);

    // Inserts a row with `caption` in column 0 at `position`; a negative position or one
    // past the end appends. Returns the new row's index.
    int insert_row(int position, const QString& caption);
    // False when there is no such row.
    bool delete_row(int row);
    // The empty text for a missing cell.
    QString cell_text(int row, int column) const;
    // No effect on a missing cell.
    void set_cell_text(int row, int column, const QString& text);
    bool row_checked(int row) const;
    void set_row_checked(int row, bool checked);

  signals:
    void row_check_changed(int row, int state);

  private:
    void on_item_changed(QTableWidgetItem* item);

    const std::array<layout::Column, kColumnCount> columns_;
};

}  // namespace velmora
