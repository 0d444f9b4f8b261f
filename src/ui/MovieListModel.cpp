#include "ui/MovieListModel.h"

#include <QIcon>
#include <algorithm>
#include <numeric>
#include <unordered_map>
#include <unordered_set>

#include "ui/ScreenText.h"

namespace reelkeep {

namespace {

// Beyond this many separate stretches one reset is cheaper than many removals.
constexpr std::size_t kMaxRangedRemovals = 64;

const QIcon& WatchedIcon(bool watched) {
    static const QIcon unwatched(QStringLiteral(":/images/unwatched.png"));
    static const QIcon seen(QStringLiteral(":/images/watched.png"));
    return watched ? seen : unwatched;
}

}  // namespace

MovieListModel::MovieListModel(QObject* parent) : QAbstractListModel(parent) {}

int MovieListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(filtered_ ? shown_.size() : rows_.size());
}

QVariant MovieListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row& row = rows_[Index(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return row.title;
        case Qt::ToolTipRole:
            return PlainTip(row.title);
        case Qt::DecorationRole:
            return WatchedIcon(row.watched);
        case kObjectIdRole:
            return row.oid;
        default:
            return {};
    }
}

void MovieListModel::SetRows(std::span<const MovieListRow> rows) {
    beginResetModel();
    filtered_ = false;
    shown_.clear();
    rows_.clear();
    rows_.reserve(rows.size());
    for (const MovieListRow& row : rows)
        rows_.push_back({row.oid, ScreenText(row.title), row.watched});
    endResetModel();
}

void MovieListModel::Clear() {
    beginResetModel();
    filtered_ = false;
    shown_.clear();
    rows_.clear();
    endResetModel();
}

void MovieListModel::ShowOnly(std::span<const ObjectId> ascending) {
    beginResetModel();
    filtered_ = true;
    shown_.clear();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (std::binary_search(ascending.begin(), ascending.end(), rows_[i].oid)) shown_.push_back(i);
    }
    endResetModel();
}

void MovieListModel::ShowAll() {
    if (!filtered_)
        return;
    beginResetModel();
    filtered_ = false;
    shown_.clear();
    endResetModel();
}

int MovieListModel::PutRow(const MovieListRow& values) {
    const auto found = std::find_if(rows_.begin(), rows_.end(),
                                    [&values](const Row& row) { return row.oid == values.oid; });
    if (found == rows_.end())
        return AppendRow(values);
    found->title = ScreenText(values.title);
    found->watched = values.watched;
    const int row = RowOf(values.oid);
    if (row >= 0) {
        const QModelIndex changed = index(row);
        emit dataChanged(changed, changed);
    }
    return row;
}

void MovieListModel::Compact(const std::vector<bool>& doomed) {
    std::vector<std::size_t> newIndex(rows_.size());
    std::size_t kept = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        newIndex[i] = kept;
        if (!doomed[i])
            rows_[kept++] = std::move(rows_[i]);
    }
    rows_.resize(kept);
    std::erase_if(shown_, [&doomed](std::size_t i) { return doomed[i]; });
    for (std::size_t& i : shown_) i = newIndex[i];
}

int MovieListModel::AppendRow(const MovieListRow& row) {
    const int position = rowCount();
    beginInsertRows({}, position, position);
    rows_.push_back({row.oid, ScreenText(row.title), row.watched});
    if (filtered_)
        shown_.push_back(rows_.size() - 1);
    endInsertRows();
    return position;
}

void MovieListModel::UpdateRow(int row, const MovieListRow& values) {
    if (row < 0 || row >= rowCount())
        return;
    Row& target = rows_[Index(row)];
    target.title = ScreenText(values.title);
    target.watched = values.watched;
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed);
}

void MovieListModel::RemoveRows(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::erase_if(rows, [this](int row) { return row < 0 || row >= rowCount(); });
    if (rows.empty())
        return;

    std::vector<std::pair<int, int>> stretches;  // first, last
    for (const int row : rows) {
        if (!stretches.empty() && stretches.back().second + 1 == row) {
            stretches.back().second = row;
        } else {
            stretches.emplace_back(row, row);
        }
    }
    std::vector<bool> doomed(rows_.size(), false);
    for (const int row : rows) doomed[Index(row)] = true;
    if (stretches.size() > kMaxRangedRemovals) {
        beginResetModel();
        Compact(doomed);
        endResetModel();
        return;
    }
    if (!filtered_) {
        for (auto it = stretches.rbegin(); it != stretches.rend(); ++it) {
            beginRemoveRows({}, it->first, it->second);
            rows_.erase(rows_.begin() + it->first, rows_.begin() + it->second + 1);
            endRemoveRows();
        }
        return;
    }
    // The rows go from what is shown first; rows_ keeps them until the last is gone.
    for (auto it = stretches.rbegin(); it != stretches.rend(); ++it) {
        beginRemoveRows({}, it->first, it->second);
        shown_.erase(shown_.begin() + it->first, shown_.begin() + it->second + 1);
        endRemoveRows();
    }
    Compact(doomed);
}

void MovieListModel::RemoveMovies(std::span<const ObjectId> oids) {
    if (oids.empty())
        return;
    const std::unordered_set<ObjectId> gone(oids.begin(), oids.end());
    std::vector<int> rows;
    rows.reserve(oids.size());
    for (int row = 0; row < rowCount(); ++row) {
        if (gone.contains(rows_[Index(row)].oid))
            rows.push_back(row);
    }
    RemoveRows(std::move(rows));
    // Rows the Filter hides go without a word to the view.
    if (filtered_) {
        std::vector<bool> doomed(rows_.size(), false);
        bool any = false;
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            if (gone.contains(rows_[i].oid))
                doomed[i] = any = true;
        }
        if (any)
            Compact(doomed);
    }
}

void MovieListModel::ApplyOrder(std::span<const ObjectId> order) {
    std::unordered_map<ObjectId, std::size_t> rank;
    rank.reserve(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) rank.emplace(order[i], i);

    std::vector<std::size_t> rankOf(rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const auto found = rank.find(rows_[i].oid);
        rankOf[i] = found == rank.end() ? order.size() : found->second;
    }
    std::vector<std::size_t> newToOld(rows_.size());
    std::iota(newToOld.begin(), newToOld.end(), 0);
    std::stable_sort(newToOld.begin(), newToOld.end(),
                     [&](std::size_t a, std::size_t b) { return rankOf[a] < rankOf[b]; });

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<std::size_t> oldToNew(rows_.size());
    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    for (std::size_t i = 0; i < newToOld.size(); ++i) {
        oldToNew[newToOld[i]] = i;
        sorted.push_back(std::move(rows_[newToOld[i]]));
    }
    rows_ = std::move(sorted);
    // Shown rows: old row number -> new row number.
    std::vector<int> oldRowToNewRow(static_cast<std::size_t>(rowCount()));
    if (filtered_) {
        std::vector<std::pair<std::size_t, int>> moved;  // new position in rows_, old row
        moved.reserve(shown_.size());
        for (std::size_t row = 0; row < shown_.size(); ++row) {
            moved.emplace_back(oldToNew[shown_[row]], static_cast<int>(row));
        }
        std::sort(moved.begin(), moved.end());
        for (std::size_t row = 0; row < moved.size(); ++row) {
            shown_[row] = moved[row].first;
            oldRowToNewRow[static_cast<std::size_t>(moved[row].second)] = static_cast<int>(row);
        }
    } else {
        for (std::size_t row = 0; row < oldToNew.size(); ++row) {
            oldRowToNewRow[row] = static_cast<int>(oldToNew[row]);
        }
    }
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        after.push_back(index.isValid()
                            ? createIndex(oldRowToNewRow[static_cast<std::size_t>(index.row())], 0)
                            : QModelIndex());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int MovieListModel::FindPrefix(const QString& text) const {
    for (int row = 0; row < rowCount(); ++row) {
        if (rows_[Index(row)].title.startsWith(text, Qt::CaseInsensitive))
            return row;
    }
    return -1;
}

void MovieListModel::SetTitleAndWatched(int row, const QString& title, bool watched) {
    if (row < 0 || row >= rowCount())
        return;
    Row& target = rows_[Index(row)];
    target.title = title;
    target.watched = watched;
    const QModelIndex at = index(row, 0);
    emit dataChanged(at, at, {Qt::DisplayRole, Qt::ToolTipRole, Qt::DecorationRole});
}

int MovieListModel::RowOf(ObjectId oid) const {
    for (int row = 0; row < rowCount(); ++row) {
        if (rows_[Index(row)].oid == oid)
            return row;
    }
    return -1;
}

}  // namespace reelkeep
