#include "catalog/CatalogSchema.h"

#include "catalog/CatalogFile.h"
#include "catalog/FindIndex.h"
#include "catalog/Movie.h"

namespace reelkeep {

namespace {

const char* ColumnType(FieldKind kind) {
    switch (kind) {
        case FieldKind::Int32:
        case FieldKind::Int64:
        case FieldKind::Bool:
        case FieldKind::DateTime:
            return "INTEGER NOT NULL DEFAULT 0";
        case FieldKind::Float:
            return "REAL NOT NULL DEFAULT 0";
        case FieldKind::String:
        case FieldKind::Array:
            // Bytes, compared bytewise; arrays in the encoding of ArrayCodec.
            return "BLOB NOT NULL DEFAULT x''";
    }
    return "";
}

}  // namespace

std::string CounterName(std::string_view field) { return "Movie." + std::string(field); }

std::string MovieColumnList() {
    std::string list;
    for (const MovieField& field : MovieFields()) {
        if (!list.empty()) list += ", ";
        list += field.name;
    }
    return list;
}

std::string HistoryCreationSql() {
    // One row per step, with the digests of every record it touched as the step left them
    // (HistoryStates), and one row for each of those records that was there before the step,
    // as it was. After an undo they hold what a redo puts back instead.
    std::string sql =
        "CREATE TABLE HistoryStep(step INTEGER PRIMARY KEY AUTOINCREMENT, label TEXT NOT NULL,"
        " time INTEGER NOT NULL, movies INTEGER NOT NULL, bytes INTEGER NOT NULL,"
        " undone INTEGER NOT NULL, states BLOB NOT NULL DEFAULT x'');\n"
        "CREATE TABLE HistoryMovie(step INTEGER NOT NULL, oid INTEGER NOT NULL,"
        " bytes INTEGER NOT NULL";
    for (const MovieField& field : MovieFields()) {
        sql += ", " + std::string(field.name) + " " + ColumnType(field.kind);
    }
    sql += ", PRIMARY KEY(step, oid));\n";
    return sql;
}

std::string CatalogMigrationSql(std::int64_t fromVersion) {
    std::string sql;
    if (fromVersion < 2) sql += HistoryCreationSql();
    // The word index's table and triggers; CatalogDatabase fills it from the records.
    if (fromVersion < kFirstVersionWithWordIndex) sql += FindIndexCreationSql();
    sql += "PRAGMA user_version = " + std::to_string(kCatalogSchemaVersion) + ";\n";
    return sql;
}

std::string CatalogCreationSql() {
    // The object identifier is the row id; AUTOINCREMENT keeps it from ever being handed out
    // twice, so a stale identifier can never reach another movie.
    std::string sql = "CREATE TABLE Movie(oid INTEGER PRIMARY KEY AUTOINCREMENT";
    for (const MovieField& field : MovieFields()) {
        sql += ", " + std::string(field.name) + " " + ColumnType(field.kind);
    }
    sql += ");\n";
    for (const MovieField& field : MovieFields()) {
        if (field.flags & kIndexed) {
            const std::string name(field.name);
            sql += "CREATE INDEX Movie_" + name + " ON Movie(" + name + ");\n";
        }
    }
    // What the list shows and sorts by, so that loading and sorting read a small index
    // instead of every whole record.
    sql += "CREATE INDEX Movie_list ON Movie(szTitle, bWatched, nIndex, nYear, fRating);\n";
    // Which records list a bare file name: one row per (name, record).
    sql +=
        "CREATE TABLE MovieFile(name BLOB NOT NULL, movie INTEGER NOT NULL,"
        " PRIMARY KEY(name, movie)) WITHOUT ROWID;\n"
        "CREATE INDEX MovieFile_movie ON MovieFile(movie);\n"
        "CREATE TABLE Counter(name TEXT PRIMARY KEY, value INTEGER NOT NULL);\n";
    for (const MovieField& field : MovieFields()) {
        if (field.flags & kAutoIncrement) {
            sql += "INSERT INTO Counter VALUES('" + CounterName(field.name) + "', 0);\n";
        }
    }
    sql += HistoryCreationSql();
    sql += FindIndexCreationSql();
    sql += "PRAGMA application_id = " + std::to_string(kCatalogApplicationId) + ";\n";
    sql += "PRAGMA user_version = " + std::to_string(kCatalogSchemaVersion) + ";\n";
    return sql;
}

}  // namespace reelkeep
