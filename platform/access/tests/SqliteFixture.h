#pragma once
// SQLite databases for the tests, made with SQL.
#include <QString>
#include <sqlite3.h>
#include <stdexcept>

namespace fixtures {

inline void MakeSqlite(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK)
        throw std::runtime_error("cannot create database");
    char* err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        const std::string e = err ? err : "?";
        sqlite3_free(err);
        sqlite3_close(db);
        throw std::runtime_error(e);
    }
    sqlite3_close(db);
}

// Three tables (one with an AUTOINCREMENT key, so SQLite keeps its own sqlite_sequence)
// and two views.
inline const char* kShop =
    "CREATE TABLE Clients(Id INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT, Town VARCHAR(40), "
    "  Photo BLOB, Score REAL, Vip BOOLEAN, Since DATE);"
    "INSERT INTO Clients(Name, Town, Photo, Score, Vip, Since) VALUES"
    "  ('Ann', 'Reus', x'89504E47', 7.5, 1, '2023-03-15'),"
    "  ('Bob', NULL, NULL, 0.1, 0, NULL),"
    "  ('Cai', 'Vic', NULL, 1e20, NULL, '');"
    "CREATE TABLE \"Order \"\"lines\"\"\"(Ref TEXT, Qty INTEGER);"
    "INSERT INTO \"Order \"\"lines\"\"\" VALUES ('A-1', 3);"
    "CREATE TABLE Empty(X TEXT);"
    "CREATE VIEW Towns AS SELECT Town AS City, count(*) AS N FROM Clients GROUP BY Town;"
    "CREATE VIEW Empty2 AS SELECT * FROM Empty;";

} // namespace fixtures
