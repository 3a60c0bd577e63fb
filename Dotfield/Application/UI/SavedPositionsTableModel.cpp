#include "Dotfield/Application/UI/SavedPositionsTableModel.hpp"

namespace Dotfield {

SavedPositionsTableModel::SavedPositionsTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void SavedPositionsTableModel::setSavedPositions(std::vector<SavedPosition> positions) {
    beginResetModel();
    savedPositions_ = std::move(positions);
    endResetModel();
}

void SavedPositionsTableModel::append(SavedPosition position) {
    const int row = rowCount();
    beginInsertRows({}, row, row);
    savedPositions_.push_back(std::move(position));
    endInsertRows();
}

void SavedPositionsTableModel::remove(int row) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    beginRemoveRows({}, row, row);
    savedPositions_.erase(savedPositions_.begin() + row);
    endRemoveRows();
}

void SavedPositionsTableModel::setRenameObserver(std::function<void(const std::vector<SavedPosition>&)> observer) {
    renameObserver_ = std::move(observer);
}

int SavedPositionsTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(savedPositions_.size());
}

int SavedPositionsTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant SavedPositionsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || (role != Qt::DisplayRole && role != Qt::EditRole)) {
        return {};
    }
    const SavedPosition& position = savedPositions_[static_cast<std::size_t>(index.row())];
    if (index.column() == nameColumn) {
        return QString::fromStdString(position.name);
    }
    return QString::fromStdString(position.coordinate.description());
}

bool SavedPositionsTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != nameColumn || index.row() >= rowCount() || role != Qt::EditRole ||
        !value.canConvert<QString>()) {
        return false;
    }
    savedPositions_[static_cast<std::size_t>(index.row())].name = value.toString().toStdString();
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    if (renameObserver_) {
        renameObserver_(savedPositions_);
    }
    return true;
}

Qt::ItemFlags SavedPositionsTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == nameColumn) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

QVariant SavedPositionsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return section == nameColumn ? QStringLiteral("Name") : QStringLiteral("Coordinate");
}

} // namespace Dotfield
