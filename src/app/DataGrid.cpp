#include "app/DataGrid.h"

#include <algorithm>

#include <QHeaderView>
#include <QTimer>
#include <exception>

namespace quorvel::app {

using engine::DataSetState;

DataGrid::DataGrid(engine::DataSet& dataSet, Options options, QWidget* parent)
    : QTableView(parent), model_(new DataSetModel(dataSet, this)) {
    model_->setEditable(options.editable);
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(options.editable ? QAbstractItemView::DoubleClicked |
                                           QAbstractItemView::EditKeyPressed |
                                           QAbstractItemView::AnyKeyPressed
                                     : QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(false);
    setWordWrap(false);
    horizontalHeader()->setVisible(options.titles);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);

    connect(model_, &DataSetModel::failure, this, &DataGrid::failure);
    connect(model_, &DataSetModel::currentRowMoved, this, &DataGrid::followDataSet);
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        applyColumnWidths();
        // A reopen happens while the grid is held back; the data set reaches
        // its final row before the hold is released, so look once things
        // have settled.
        QTimer::singleShot(0, this, &DataGrid::syncToCurrentRow);
    });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!following_ && current.isValid()) rowSelected(current.row());
            });
    applyColumnWidths();
}

void DataGrid::rowSelected(int row) {
    auto& ds = model_->dataSet();
    if (!ds.active() || row == ds.currentRow() || row == model_->insertRow()) return;
    try {
        // Moving off a record being edited posts it first.
        if (ds.state() == DataSetState::Edit || ds.state() == DataSetState::Insert) ds.post();
        ds.moveTo(row);
    } catch (const std::exception& e) {
        emit failure(QString::fromStdString(e.what()));
        syncToCurrentRow();
    }
}

void DataGrid::followDataSet(int row) {
    if (row < 0 || row >= model_->rowCount()) return;
    following_ = true;
    const QModelIndex current = currentIndex();
    const int column = current.isValid() ? current.column() : 0;
    setCurrentIndex(model_->index(row, column));
    following_ = false;
}

void DataGrid::syncToCurrentRow() {
    auto& ds = model_->dataSet();
    if (!ds.active() || ds.controlsDisabled()) return;
    const int row = ds.state() == DataSetState::Insert ? model_->insertRow() : ds.currentRow();
    followDataSet(row);
}

void DataGrid::applyColumnWidths() {
    // Digits are wider than the average letter; a column of ten-digit
    // numbers must still show them whole.
    const int charWidth = std::max(fontMetrics().averageCharWidth(), fontMetrics().horizontalAdvance(QLatin1Char('0')));
    for (int c = 0; c < model_->columnCount(); ++c)
        setColumnWidth(c, model_->displayWidth(c) * charWidth + 10);
}

}  // namespace quorvel::app
