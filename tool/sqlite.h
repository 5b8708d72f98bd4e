#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

// SQLite's C calls in the shape the store uses them: every failure an
// exception, every handle released when it goes.
namespace sqlite {

void execute(sqlite3* db, const std::string& sql);

// One prepared statement, its values bound in order, finalized when it goes.
class Statement {
public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(const std::string& text);
    Statement& bind(std::int64_t number);
    // True while a row is there to read.
    bool step();
    std::string text(int column) const;
    std::int64_t number(int column) const;
    bool isNull(int column) const;

private:
    [[noreturn]] void fail() const;

    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
    int m_bound = 0;
};

// Commits when commit() is called, else rolls back: nothing half-written.
class Transaction {
public:
    explicit Transaction(sqlite3* db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    sqlite3* m_db;
    bool m_done = false;
};

} // namespace sqlite
