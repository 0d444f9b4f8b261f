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
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant MovieListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
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
    rows_.clear();
    rows_.reserve(rows.size());
    for (const MovieListRow& row : rows)
        rows_.push_back({row.oid, ScreenText(row.title), row.watched});
    endResetModel();
}

void MovieListModel::Clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

int MovieListModel::AppendRow(const MovieListRow& row) {
    const int position = rowCount();
    beginInsertRows({}, position, position);
    rows_.push_back({row.oid, ScreenText(row.title), row.watched});
    endInsertRows();
    return position;
}

void MovieListModel::UpdateRow(int row, const MovieListRow& values) {
    if (row < 0 || row >= rowCount())
        return;
    Row& target = rows_[static_cast<std::size_t>(row)];
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
    if (stretches.size() > kMaxRangedRemovals) {
        beginResetModel();
        std::vector<bool> doomed(rows_.size(), false);
        for (const int row : rows) doomed[static_cast<std::size_t>(row)] = true;
        std::size_t kept = 0;
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            if (!doomed[i])
                rows_[kept++] = std::move(rows_[i]);
        }
        rows_.resize(kept);
        endResetModel();
        return;
    }
    for (auto it = stretches.rbegin(); it != stretches.rend(); ++it) {
        beginRemoveRows({}, it->first, it->second);
        rows_.erase(rows_.begin() + it->first, rows_.begin() + it->second + 1);
        endRemoveRows();
    }
}

void MovieListModel::RemoveMovies(std::span<const ObjectId> oids) {
    if (oids.empty())
        return;
    const std::unordered_set<ObjectId> gone(oids.begin(), oids.end());
    std::vector<int> rows;
    rows.reserve(oids.size());
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (gone.contains(rows_[row].oid))
            rows.push_back(static_cast<int>(row));
    }
    RemoveRows(std::move(rows));
}

void MovieListModel::ApplyOrder(std::span<const ObjectId> order) {
    std::unordered_map<ObjectId, std::size_t> rank;
    rank.reserve(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) rank.emplace(order[i], i);

    std::vector<std::size_t> rankOfRow(rows_.size());
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        const auto found = rank.find(rows_[row].oid);
        rankOfRow[row] = found == rank.end() ? order.size() : found->second;
    }
    std::vector<int> newToOld(rows_.size());
    std::iota(newToOld.begin(), newToOld.end(), 0);
    std::stable_sort(newToOld.begin(), newToOld.end(), [&](int a, int b) {
        return rankOfRow[static_cast<std::size_t>(a)] < rankOfRow[static_cast<std::size_t>(b)];
    });

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> oldToNew(rows_.size());
    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    for (std::size_t i = 0; i < newToOld.size(); ++i) {
        oldToNew[static_cast<std::size_t>(newToOld[i])] = static_cast<int>(i);
        sorted.push_back(std::move(rows_[static_cast<std::size_t>(newToOld[i])]));
    }
    rows_ = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        after.push_back(index.isValid()
                            ? createIndex(oldToNew[static_cast<std::size_t>(index.row())], 0)
                            : QModelIndex());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int MovieListModel::FindPrefix(const QString& text) const {
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (rows_[row].title.startsWith(text, Qt::CaseInsensitive))
            return static_cast<int>(row);
    }
    return -1;
}

void MovieListModel::SetTitleAndWatched(int row, const QString& title, bool watched) {
    if (row < 0 || row >= rowCount())
        return;
    Row& target = rows_[static_cast<std::size_t>(row)];
    target.title = title;
    target.watched = watched;
    const QModelIndex at = index(row, 0);
    emit dataChanged(at, at, {Qt::DisplayRole, Qt::ToolTipRole, Qt::DecorationRole});
}

int MovieListModel::RowOf(ObjectId oid) const {
    const auto found =
        std::find_if(rows_.begin(), rows_.end(), [oid](const Row& row) { return row.oid == oid; });
    return found == rows_.end() ? -1 : static_cast<int>(found - rows_.begin());
}

}  // namespace reelkeep
