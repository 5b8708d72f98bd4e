#include "tool/sqlite.h"

#include <sqlite3.h>

#include <stdexcept>

namespace sqlite {

void execute(sqlite3* db, const std::string& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error("SQLite: " + message);
    }
}

Statement::Statement(sqlite3* db, std::string_view sql)
    : m_db(db)
{
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &m_statement, nullptr) != SQLITE_OK)
        fail();
}

Statement::~Statement()
{
    sqlite3_finalize(m_statement);
}

Statement& Statement::bind(const std::string& text)
{
    if (sqlite3_bind_text(m_statement, ++m_bound, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT)
        != SQLITE_OK)
        fail();
    return *this;
}

Statement& Statement::bind(std::int64_t number)
{
    if (sqlite3_bind_int64(m_statement, ++m_bound, number) != SQLITE_OK)
        fail();
    return *this;
}

bool Statement::step()
{
    const int result = sqlite3_step(m_statement);
    if (result != SQLITE_ROW && result != SQLITE_DONE)
        fail();
    return result == SQLITE_ROW;
}

std::string Statement::text(int column) const
{
    const unsigned char* value = sqlite3_column_text(m_statement, column);
    return value ? reinterpret_cast<const char*>(value) : "";
}

std::int64_t Statement::number(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

void Statement::fail() const
{
    throw std::runtime_error(std::string("SQLite: ") + sqlite3_errmsg(m_db));
}

Transaction::Transaction(sqlite3* db)
    : m_db(db)
{
    execute(db, "BEGIN IMMEDIATE");
}

Transaction::~Transaction()
{
    if (!m_done)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit()
{
    execute(m_db, "COMMIT");
    m_done = true;
}

} // namespace sqlite
