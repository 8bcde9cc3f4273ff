#include "db/odbc/OdbcHandle.h"

#include <utility>

namespace db::odbc {

SQLRETURN OdbcHandle::allocate(SQLSMALLINT type, SQLHANDLE parent)
{
    reset();
    SQLHANDLE handle = SQL_NULL_HANDLE;
    const SQLRETURN rc = SQLAllocHandle(type, parent, &handle);
    if (SQL_SUCCEEDED(rc)) {
        m_type = type;
        m_handle = handle;
    }
    return rc;
}

OdbcHandle::OdbcHandle(OdbcHandle&& other) noexcept
    : m_type(other.m_type)
    , m_handle(std::exchange(other.m_handle, nullptr))
{
}

OdbcHandle& OdbcHandle::operator=(OdbcHandle&& other) noexcept
{
    if (this != &other) {
        reset();
        m_type = other.m_type;
        m_handle = std::exchange(other.m_handle, nullptr);
    }
    return *this;
}

void OdbcHandle::reset()
{
    if (m_handle != SQL_NULL_HANDLE)
        SQLFreeHandle(m_type, m_handle);
    m_handle = SQL_NULL_HANDLE;
}

} // namespace db::odbc
