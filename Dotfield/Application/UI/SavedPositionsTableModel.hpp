#pragma once
// The rows of the saved-positions table: a name column the operator edits in
// place and a read-only coordinate column (the coordinate's description,
// whole microns). A rename changes the row's name and hands the whole list to
// the rename observer, which writes it to the settings store.

#include <functional>
#include <vector>

#include <QAbstractTableModel>

#include "Dotfield/Application/SavedPosition.hpp"

namespace Dotfield {

class SavedPositionsTableModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    static constexpr int nameColumn = 0;
    static constexpr int coordinateColumn = 1;

    explicit SavedPositionsTableModel(QObject* parent = nullptr);

    const std::vector<SavedPosition>& savedPositions() const { return savedPositions_; }
    // Replaces every row (the view reloads).
    void setSavedPositions(std::vector<SavedPosition> positions);
    void append(SavedPosition position);
    void remove(int row);

    // Called after a rename with the whole list.
    void setRenameObserver(std::function<void(const std::vector<SavedPosition>&)> observer);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::vector<SavedPosition> savedPositions_;
    std::function<void(const std::vector<SavedPosition>&)> renameObserver_;
};

} // namespace Dotfield
