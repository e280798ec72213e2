#include "app/qt/record_list_widget.h"

#include <QHeaderView>
#include <QStringList>
#include <QTableWidgetItem>
#include <algorithm>
#include <array>

#include "app/qt/control_colours.h"
#include "app/qt/qt_text.h"

namespace velmora {

namespace {

// Where the check state last reported lives, so that itemChanged (sent for any change of
// an item, texts included) can be narrowed down to real check changes.
constexpr int kReportedCheckRole = Qt::UserRole + 1;

Qt::Alignment column_alignment(const layout::Column& column) {
    return (column.left_aligned ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter;
}

QTableWidgetItem* new_cell(const layout::Column& layout, int column, const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(column_alignment(layout));
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (column == 0) {
        flags |= Qt::ItemIsUserCheckable;
        item->setCheckState(Qt::Unchecked);
        item->setData(kReportedCheckRole, false);
    }
    item->setFlags(flags);
    return item;
}

}  // namespace

RecordListWidget::RecordListWidget(const std::array<layout::Column, kColumnCount>& columns,
                                   QWidget* parent)
    : QTableWidget(0, kColumnCount, parent), columns_(columns) {
    QStringList labels;
    for (const layout::Column& column : columns_) {
        labels << to_qstring(column.caption);
    }
    setHorizontalHeaderLabels(labels);
    for (int column = 0; column < kColumnCount; ++column) {
        setColumnWidth(column, columns_[column].width);
        horizontalHeaderItem(column)->setTextAlignment(column_alignment(columns_[column]));
    }
    horizontalHeader()->setSectionsClickable(true);
    verticalHeader()->hide();
    // One line of text per row, as in a report list.
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    setWordWrap(false);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);

    use_black_on_white(*this);

    connect(this, &QTableWidget::itemChanged, this, &RecordListWidget::on_item_changed);
}

int RecordListWidget::insert_row(int position, const QString& caption) {
    int index = position >= 0 ? std::min(position, rowCount()) : rowCount();
    insertRow(index);
    for (int column = 0; column < kColumnCount; ++column) {
        setItem(index, column,
                new_cell(columns_[column], column, column == 0 ? caption : QString()));
    }
    return index;
}

bool RecordListWidget::delete_row(int row) {
    if (row < 0 || row >= rowCount()) {
        return false;
    }
    removeRow(row);
    return true;
}

QString RecordListWidget::cell_text(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell != nullptr ? cell->text() : QString();
}

void RecordListWidget::set_cell_text(int row, int column, const QString& text) {
    if (QTableWidgetItem* cell = item(row, column)) {
        cell->setText(text);
    }
}

bool RecordListWidget::row_checked(int row) const {
    const QTableWidgetItem* cell = item(row, 0);
    return cell != nullptr && cell->checkState() == Qt::Checked;
}

void RecordListWidget::set_row_checked(int row, bool checked) {
    if (QTableWidgetItem* cell = item(row, 0)) {
        cell->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
}

void RecordListWidget::on_item_changed(QTableWidgetItem* changed) {
    if (changed->column() != 0) {
        return;
    }
    bool checked = changed->checkState() == Qt::Checked;
    if (checked == changed->data(kReportedCheckRole).toBool()) {
        return;
    }
    // Recorded before the signal goes out, so a handler that changes the tick again is
    // reported in turn. (This write comes back here once and stops at the test above.)
    changed->setData(kReportedCheckRole, checked);
    emit row_check_changed(changed->row(), checked ? 1 : 0);
}

}  // namespace velmora
