#pragma once
// Table model over an engine data set for the grids. Rows come from the data
// set's own cache and are fetched as the view scrolls; the model follows the
// data set's notifications (open, close, fetch, edits) and never moves the
// data set's current row itself.
#include <QAbstractTableModel>
#include <vector>

#include "engine/DataSet.h"

namespace quorvel::app {

class DataSetModel : public QAbstractTableModel, private engine::DataSetListener {
    Q_OBJECT
public:
    explicit DataSetModel(engine::DataSet& dataSet, QObject* parent = nullptr);
    ~DataSetModel() override;

    engine::DataSet& dataSet() const { return ds_; }
    // Rows beyond the fetched ones are asked for in chunks of this size.
    static constexpr int kFetchChunk = 64;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // Editing through the grid is allowed only when asked for and when the
    // data set can modify rows.
    void setEditable(bool on) { editable_ = on; }
    // Index of the engine field shown in column `column`.
    int fieldIndex(int column) const { return columns_.at(column); }
    // Display width of a column in characters: the field's own, else one
    // that suits its type.
    int displayWidth(int column) const;
    // Row of the record being inserted (shown after the fetched rows), -1 if none.
    int insertRow() const;

signals:
    // The data set's current row moved (grids follow it unless held back).
    void currentRowMoved(int row);
    // A failure while fetching or writing through the model, for the window to show.
    void failure(const QString& message);

private:
    void dataSetOpened(engine::DataSet&) override;
    void dataSetClosed(engine::DataSet&) override;
    void rowsFetched(engine::DataSet&, int firstNewRow, int count) override;
    void currentRowChanged(engine::DataSet&) override;
    void rowChanged(engine::DataSet&, int row) override;
    void rowInserted(engine::DataSet&, int row) override;
    void rowRemoved(engine::DataSet&, int row) override;
    void stateChanged(engine::DataSet&) override;

    void rebuild();
    // Tells the view about rows the data set fetched since it last looked.
    void syncFetched();
    QString cellText(int row, int column) const;

    engine::DataSet& ds_;
    std::vector<int> columns_;  // visible fields
    int rows_ = 0;              // fetched rows known to the view
    bool inserting_ = false;    // an extra row for the record in insert state
    bool editable_ = false;
    bool fetchFailed_ = false;  // stop asking after a failed fetch until reopened
};

}  // namespace quorvel::app
