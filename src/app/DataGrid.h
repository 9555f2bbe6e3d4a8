#pragma once
// A data grid bound to an engine data set: whole-row selection that moves the
// data set's current row (so operations act on the selected row), and a
// selection that follows the data set when it moves on its own.
#include <QTableView>

#include "app/DataSetModel.h"

namespace quorvel::app {

class DataGrid : public QTableView {
    Q_OBJECT
public:
    struct Options {
        bool titles = true;     // column titles shown
        bool editable = false;  // cells editable (live queries and tables)
    };
    DataGrid(engine::DataSet& dataSet, Options options, QWidget* parent = nullptr);

    DataSetModel& dataModel() const { return *model_; }

signals:
    void failure(const QString& message);

private:
    void rowSelected(int row);
    void followDataSet(int row);
    void syncToCurrentRow();
    void applyColumnWidths();

    DataSetModel* model_;
    bool following_ = false;  // selection change made by us, not the operator
};

}  // namespace quorvel::app
