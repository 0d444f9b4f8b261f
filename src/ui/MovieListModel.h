// The rows of the movie list: title, watched state and the record's identifier, nothing more.
// Records are always read afresh from the catalog by identifier. While the Filter holds a
// query the model shows only the rows it found: row numbers, the selection and everything
// done to "the rows" are those shown; the others wait, in order, for the Filter to clear.
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

    // Every row shown again.
    void SetRows(std::span<const MovieListRow> rows);
    void Clear();

    // Shows only the rows of these records (identifiers in ascending order), in the list's
    // order; ShowAll shows every row again. Both reset the model: the caller restores the
    // selection it wants.
    void ShowOnly(std::span<const ObjectId> ascending);
    void ShowAll();
    bool Filtered() const { return filtered_; }
    // Every row, shown or not.
    int TotalCount() const { return static_cast<int>(rows_.size()); }
    // Every row, shown or not, in the list's order.
    template <class Visit>
    void ForEachRow(Visit&& visit) const {
        for (const Row& row : rows_) visit(row.oid, row.title);
    }
    // A record's new title and watched state, wherever its row is, shown or not; a record
    // without a row gets one at the end, shown. Returns its row, or -1 when it is not shown.
    int PutRow(const MovieListRow& values);
    // Appends at the end and returns the new row's number.
    int AppendRow(const MovieListRow& row);
    // Shows a record's new title and watched state in its row, where it stands.
    void UpdateRow(int row, const MovieListRow& values);
    // Removes the given rows (any order, duplicates allowed) in one pass.
    void RemoveRows(std::vector<int> rows);
    // Removes the rows of these records, wherever they stand now, shown or not, in one pass.
    void RemoveMovies(std::span<const ObjectId> oids);
    // Puts the rows in the order of the identifiers; rows whose record is not in the list
    // keep their relative order at the end. Selections and the current row follow their rows.
    void ApplyOrder(std::span<const ObjectId> order);

    ObjectId Oid(int row) const { return rows_[Index(row)].oid; }
    const QString& Title(int row) const { return rows_[Index(row)].title; }
    bool Watched(int row) const { return rows_[Index(row)].watched; }
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

    std::size_t Index(int row) const {
        return filtered_ ? shown_[static_cast<std::size_t>(row)] : static_cast<std::size_t>(row);
    }
    // Takes the rows at these positions of rows_ out of it; shown_ follows.
    void Compact(const std::vector<bool>& doomed);

    std::vector<Row> rows_;       // every row, in the list's order
    std::vector<std::size_t> shown_;  // while filtered: the positions in rows_ of the rows shown
    bool filtered_ = false;
};

}  // namespace reelkeep
