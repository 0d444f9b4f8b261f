// The rows of the movie list: title, watched state and the record's identifier, nothing more.
// Records are always read afresh from the catalog by identifier.
#pragma once

#include <QAbstractListModel>
#include <QString>
#include <span>
#include <vector>

#include "catalog/CatalogDatabase.h"

namespace reelkeep {

class MovieListModel : public QAbstractListModel {
    Q_OBJECT

public:
    static constexpr int kObjectIdRole = Qt::UserRole;

    explicit MovieListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void SetRows(std::span<const MovieListRow> rows);
    void Clear();
    // Appends at the end and returns the new row's number.
    int AppendRow(const MovieListRow& row);
    // Shows a record's new title and watched state in its row, where it stands.
    void UpdateRow(int row, const MovieListRow& values);
    // Removes the given rows (any order, duplicates allowed) in one pass.
    void RemoveRows(std::vector<int> rows);
    // Removes the rows of these records, wherever they stand now, in one pass.
    void RemoveMovies(std::span<const ObjectId> oids);
    // Puts the rows in the order of the identifiers; rows whose record is not in the list
    // keep their relative order at the end. Selections and the current row follow their rows.
    void ApplyOrder(std::span<const ObjectId> order);

    ObjectId Oid(int row) const { return rows_[static_cast<std::size_t>(row)].oid; }
    const QString& Title(int row) const { return rows_[static_cast<std::size_t>(row)].title; }
    bool Watched(int row) const { return rows_[static_cast<std::size_t>(row)].watched; }
    // A row's title and watched image as a script left them.
    void SetTitleAndWatched(int row, const QString& title, bool watched);
    // The row of a record; -1 when it is not listed.
    int RowOf(ObjectId oid) const;
    // The first row from the top whose title begins with the text, ignoring case; -1 if none.
    int FindPrefix(const QString& text) const;

private:
    struct Row {
        ObjectId oid;
        QString title;
        bool watched;
    };

    std::vector<Row> rows_;
};

}  // namespace reelkeep
