#pragma once

#include "db/odbc/OdbcApi.h"

namespace db::odbc {

/// Owns one ODBC handle (environment, connection or statement) and frees it when destroyed.
class OdbcHandle {
public:
    OdbcHandle() = default;
    /// Allocates a handle of `type` under `parent` (SQL_NULL_HANDLE for an environment); returns
    /// the SQLAllocHandle result, the handle stays empty when it failed.
    SQLRETURN allocate(SQLSMALLINT type, SQLHANDLE parent);
    ~OdbcHandle() { reset(); }
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;
    OdbcHandle(OdbcHandle&& other) noexcept;
    OdbcHandle& operator=(OdbcHandle&& other) noexcept;

    /// Frees the handle; does nothing when empty.
    void reset();
    /// The raw handle for ODBC calls (SQL_NULL_HANDLE when empty).
    SQLHANDLE get() const { return m_handle; }
    /// SQL_HANDLE_ENV, SQL_HANDLE_DBC or SQL_HANDLE_STMT.
    SQLSMALLINT type() const { return m_type; }
    /// True while a handle is held.
    explicit operator bool() const { return m_handle != SQL_NULL_HANDLE; }

private:
    SQLSMALLINT m_type = 0;
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
};

} // namespace db::odbc
