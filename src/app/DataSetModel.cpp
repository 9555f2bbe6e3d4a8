#include "app/DataSetModel.h"

#include <algorithm>
#include <exception>

#include "app/Worker.h"
#include "engine/Field.h"

namespace quorvel::app {

using engine::DataSetState;
using engine::FieldType;

namespace {

bool isNumeric(FieldType t) {
    switch (t) {
        case FieldType::SmallInt:
        case FieldType::Integer:
        case FieldType::BigInt:
        case FieldType::Numeric:
        case FieldType::Float:
        case FieldType::Double:
            return true;
        default:
            return false;
    }
}

}  // namespace

DataSetModel::DataSetModel(engine::DataSet& dataSet, QObject* parent)
    : QAbstractTableModel(parent), ds_(dataSet) {
    ds_.addListener(this);
    rebuild();
}

DataSetModel::~DataSetModel() { ds_.removeListener(this); }

int DataSetModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return rows_ + (inserting_ ? 1 : 0);
}

int DataSetModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return static_cast<int>(columns_.size());
}

int DataSetModel::insertRow() const { return inserting_ ? rows_ : -1; }

QString DataSetModel::cellText(int row, int column) const {
    const int field = columns_.at(column);
    // A BLOB is read from the database, which is the running operation's.
    if (workerRunning() && ds_.field(field).isBlob()) return QStringLiteral("...");
    try {
        // The record being inserted or edited shows its edit buffer, which
        // the data set exposes through its fields.
        const bool buffered = row == insertRow() ||
                              (ds_.state() == DataSetState::Edit && row == ds_.currentRow());
        if (buffered) return QString::fromStdString(ds_.field(field).asString());
        return QString::fromStdString(ds_.displayText(row, field));
    } catch (const std::exception&) {
        // A cell that cannot be read shows empty; the failure itself is
        // reported by the operation or fetch that ran into it.
        return {};
    }
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= columnCount() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole) return cellText(index.row(), index.column());
    if (role == Qt::TextAlignmentRole) {
        const auto& f = ds_.field(columns_.at(index.column()));
        return isNumeric(f.type()) ? int(Qt::AlignRight | Qt::AlignVCenter)
                                   : int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section == insertRow() ? QVariant("*") : QVariant();
    if (section < 0 || section >= columnCount()) return {};
    const auto& f = ds_.field(columns_.at(section));
    return QString::fromStdString(f.displayLabel.empty() ? f.name() : f.displayLabel);
}

int DataSetModel::displayWidth(int column) const {
    const auto& f = ds_.field(columns_.at(column));
    if (f.displayWidth > 0) return f.displayWidth;
    // No width of its own: as wide as the values the column's type holds,
    // within reason, and never narrower than its title.
    int chars = 12;
    switch (f.type()) {
        case FieldType::Char:
        case FieldType::VarChar: chars = std::clamp(f.length(), 4, 30); break;
        case FieldType::SmallInt: chars = 6; break;
        case FieldType::Integer: chars = 11; break;
        case FieldType::Date:
        case FieldType::Timestamp: chars = 19; break;
        case FieldType::Time: chars = 8; break;
        case FieldType::Blob: chars = 24; break;
        default: break;
    }
    const int title = static_cast<int>((f.displayLabel.empty() ? f.name() : f.displayLabel).size());
    return std::max(chars, title);
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (editable_ && ds_.canModify()) {
        const auto& field = ds_.field(columns_.at(index.column()));
        if (field.type() != FieldType::Calculated && !field.isComputed() &&
            field.type() != FieldType::Array)
            f |= Qt::ItemIsEditable;
    }
    return f;
}

bool DataSetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole) return false;
    try {
        const int row = index.row();
        if (row != insertRow()) {
            // Leaving a record being edited posts it, as moving in a grid does.
            const bool pending = ds_.state() == DataSetState::Edit ||
                                 ds_.state() == DataSetState::Insert;
            if (pending && ds_.currentRow() != row) ds_.post();
            if (ds_.currentRow() != row && !ds_.moveTo(row)) return false;
            if (ds_.state() == DataSetState::Browse) ds_.edit();
        }
        auto& field = ds_.field(columns_.at(index.column()));
        const QString text = value.toString();
        if (text.isEmpty())
            field.setNull();
        else
            field.setString(text.toStdString());
        emit dataChanged(this->index(row, 0), this->index(row, columnCount() - 1));
        return true;
    } catch (const std::exception& e) {
        emit failure(QString::fromStdString(e.what()));
        return false;
    }
}

bool DataSetModel::canFetchMore(const QModelIndex& parent) const {
    if (parent.isValid() || fetchFailed_ || workerRunning()) return false;
    return ds_.active() && !ds_.allFetched();
}

void DataSetModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    try {
        ds_.fetchMore(kFetchChunk);
    } catch (const std::exception& e) {
        fetchFailed_ = true;
        emit failure(QString::fromStdString(e.what()));
    }
    syncFetched();
}

void DataSetModel::rebuild() {
    columns_.clear();
    rows_ = 0;
    inserting_ = false;
    fetchFailed_ = false;
    if (!ds_.active()) return;
    for (int i = 0; i < ds_.fieldCount(); ++i)
        if (ds_.field(i).visible) columns_.push_back(i);
    rows_ = ds_.fetchedCount();
    inserting_ = ds_.state() == DataSetState::Insert;
}

void DataSetModel::syncFetched() {
    if (!ds_.active()) return;
    const int fetched = ds_.fetchedCount();
    if (fetched == rows_) return;
    if (fetched < rows_) {
        beginResetModel();
        rebuild();
        endResetModel();
        return;
    }
    beginInsertRows({}, rows_, fetched - 1);
    rows_ = fetched;
    endInsertRows();
}

void DataSetModel::dataSetOpened(engine::DataSet&) {
    beginResetModel();
    rebuild();
    endResetModel();
}

void DataSetModel::dataSetClosed(engine::DataSet&) {
    beginResetModel();
    columns_.clear();
    rows_ = 0;
    inserting_ = false;
    endResetModel();
}

void DataSetModel::rowsFetched(engine::DataSet&, int, int) {
    // Columns are only known once the data set is open; before that a
    // fetch notice has nothing to add to.
    if (columns_.empty() && ds_.active() && ds_.fieldCount() > 0) {
        dataSetOpened(ds_);
        return;
    }
    syncFetched();
}

void DataSetModel::currentRowChanged(engine::DataSet&) {
    syncFetched();
    if (!ds_.controlsDisabled()) emit currentRowMoved(ds_.currentRow());
}

void DataSetModel::rowChanged(engine::DataSet&, int row) {
    if (row >= 0 && row < rowCount() && columnCount() > 0)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void DataSetModel::rowInserted(engine::DataSet&, int) {
    beginResetModel();
    rebuild();
    endResetModel();
}

void DataSetModel::rowRemoved(engine::DataSet&, int) {
    beginResetModel();
    rebuild();
    endResetModel();
}

void DataSetModel::stateChanged(engine::DataSet&) {
    const bool inserting = ds_.active() && ds_.state() == DataSetState::Insert;
    if (inserting && !inserting_) {
        beginInsertRows({}, rows_, rows_);
        inserting_ = true;
        endInsertRows();
    } else if (!inserting && inserting_) {
        beginRemoveRows({}, rows_, rows_);
        inserting_ = false;
        endRemoveRows();
    }
    // Edit and cancel change what the current row shows.
    const int row = inserting_ ? rows_ : ds_.currentRow();
    if (row >= 0 && row < rowCount() && columnCount() > 0)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

}  // namespace quorvel::app
