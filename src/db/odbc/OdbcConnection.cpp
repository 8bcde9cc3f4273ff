#include "db/odbc/OdbcConnection.h"

#include "db/DbError.h"
#include "db/TypeCode.h"
#include "db/odbc/OdbcDiagnostics.h"
#include "db/odbc/OdbcText.h"
#include "db/odbc/OdbcTypes.h"

#include <QDateTime>

#ifdef Q_OS_UNIX
#include <locale.h>
#endif

namespace db::odbc {

namespace {

constexpr int defaultLoginTimeout = 15;
// Values are read in pieces of this many characters (or bytes), so long text has no size limit.
constexpr size_t chunkUnits = 8192;

// unixODBC converts text between the wide calls and a driver's narrow ones through the calling
// thread's LC_CTYPE: under the C locale of a service, a container or a bare system, everything
// beyond ASCII was lost on the way. While an ODBC call runs, the thread's LC_CTYPE is UTF-8
// whatever the process's locale is; nothing else of the process changes.
class Utf8Conversions {
public:
#ifdef Q_OS_UNIX
    Utf8Conversions()
    {
        if (const locale_t utf8 = utf8Locale())
            m_previous = uselocale(utf8);
    }
    ~Utf8Conversions()
    {
        if (m_previous)
            uselocale(m_previous);
    }

private:
    static locale_t utf8Locale()
    {
        static const locale_t locale = [] {
            for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
                if (const locale_t found = newlocale(LC_CTYPE_MASK, name, locale_t(nullptr)))
                    return found;
            }
            return locale_t(nullptr);
        }();
        return locale;
    }

    locale_t m_previous = nullptr;
#else
    Utf8Conversions() {} // the wide calls carry UTF-16 on Windows, with no conversion
#endif
    Utf8Conversions(const Utf8Conversions&) = delete;
    Utf8Conversions& operator=(const Utf8Conversions&) = delete;
};

// Integer attributes, through the same calls as the text on each platform.
SQLRETURN setConnectAttribute(SQLHDBC dbc, SQLINTEGER attribute, SQLULEN value)
{
#ifdef Q_OS_WIN
    return SQLSetConnectAttrW(dbc, attribute, reinterpret_cast<SQLPOINTER>(value), SQL_IS_UINTEGER);
#else
    return SQLSetConnectAttr(dbc, attribute, reinterpret_cast<SQLPOINTER>(value), SQL_IS_UINTEGER);
#endif
}

SQLRETURN setStatementAttribute(SQLHSTMT stmt, SQLINTEGER attribute, SQLULEN value)
{
#ifdef Q_OS_WIN
    return SQLSetStmtAttrW(stmt, attribute, reinterpret_cast<SQLPOINTER>(value), SQL_IS_UINTEGER);
#else
    return SQLSetStmtAttr(stmt, attribute, reinterpret_cast<SQLPOINTER>(value), SQL_IS_UINTEGER);
#endif
}

enum class ValueKind { Text, Decimal, DateTime, Bit, Integer, Real, Binary };

ValueKind valueKindFor(int typeCode)
{
    switch (typeCode) {
    case TypeCode::Numeric:
    case TypeCode::Currency:
        return ValueKind::Decimal;
    case TypeCode::DBTimeStamp:
        return ValueKind::DateTime;
    case TypeCode::Boolean:
        return ValueKind::Bit;
    case TypeCode::SmallInt:
    case TypeCode::Integer:
    case TypeCode::TinyInt:
    case TypeCode::BigInt:
        return ValueKind::Integer;
    case TypeCode::Single:
    case TypeCode::Double:
        return ValueKind::Real;
    case TypeCode::Binary:
    case TypeCode::VarBinary:
        return ValueKind::Binary;
    default:
        return ValueKind::Text;
    }
}

bool firstStateIsOneOf(SQLSMALLINT handleType, SQLHANDLE handle, TextCalls calls, std::initializer_list<const char*> states)
{
    const std::vector<DiagnosticRecord> records = readDiagnostics(handleType, handle, calls);
    if (records.empty())
        return false;
    for (const char* state : states) {
        if (records.front().sqlState == QLatin1String(state))
            return true;
    }
    return false;
}

void setTimeoutAttribute(SQLHDBC dbc, SQLINTEGER attribute, int seconds, const char* what, TextCalls calls)
{
    const SQLRETURN rc = setConnectAttribute(dbc, attribute, SQLULEN(seconds));
    if (rc == SQL_ERROR && firstStateIsOneOf(SQL_HANDLE_DBC, dbc, calls, {"HYC00", "HY092"}))
        return; // a driver that has no such limit (a local file engine) cannot hang on a network either
    checkResult(rc, SQL_HANDLE_DBC, dbc, what, calls);
}

// Reads one value piece by piece. `Unit` is the C type of one character (or byte); text pieces end
// with a terminator that the driver counts out of the buffer.
template <typename Unit>
bool readChunks(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType, bool terminated, TextCalls calls, std::vector<Unit>& out)
{
    std::vector<Unit> buffer(chunkUnits);
    const qsizetype room = qsizetype(buffer.size()) - (terminated ? 1 : 0);
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(stmt, column, cType, buffer.data(), SQLLEN(buffer.size() * sizeof(Unit)), &indicator);
        if (rc == SQL_NO_DATA)
            break;
        checkResult(rc, SQL_HANDLE_STMT, stmt, "read a value", calls);
        if (indicator == SQL_NULL_DATA)
            return false;
        const bool truncated = indicator == SQL_NO_TOTAL || indicator / qsizetype(sizeof(Unit)) > room;
        const qsizetype got = truncated ? room : indicator / qsizetype(sizeof(Unit));
        out.insert(out.end(), buffer.begin(), buffer.begin() + got);
        if (!truncated || rc == SQL_SUCCESS)
            break;
    }
    return true;
}

template <typename T>
bool readFixed(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType, TextCalls calls, T& value)
{
    SQLLEN indicator = 0;
    const SQLRETURN rc = SQLGetData(stmt, column, cType, &value, sizeof(T), &indicator);
    checkResult(rc, SQL_HANDLE_STMT, stmt, "read a value", calls);
    return rc != SQL_NO_DATA && indicator != SQL_NULL_DATA;
}

QVariant readValue(SQLHSTMT stmt, SQLUSMALLINT column, ValueKind kind, TextCalls calls)
{
    switch (kind) {
    case ValueKind::Text: {
        if (calls == TextCalls::Wide) {
            std::vector<SQLWCHAR> text;
            if (!readChunks(stmt, column, SQL_C_WCHAR, true, calls, text))
                return QVariant();
            // A piece may end inside a surrogate pair; the units are decoded once they are all there.
            return QVariant(fromSqlWChars(text.data(), qsizetype(text.size())));
        }
#ifndef Q_OS_WIN
        std::vector<char> text;
        if (!readChunks(stmt, column, SQL_C_CHAR, true, calls, text))
            return QVariant();
        // Pieces may split a character; the bytes are decoded only once they are all there.
        return QVariant(QString::fromUtf8(text.data(), qsizetype(text.size())));
#else
        return QVariant();
#endif
    }
    case ValueKind::Decimal: {
        // Exact decimal text from the driver; a double would lose digits of large amounts.
        std::vector<char> text;
        if (!readChunks(stmt, column, SQL_C_CHAR, true, calls, text))
            return QVariant();
        return QVariant(normalisedDecimalText(QString::fromLatin1(text.data(), qsizetype(text.size()))));
    }
    case ValueKind::DateTime: {
        SQL_TIMESTAMP_STRUCT ts = {};
        if (!readFixed(stmt, column, SQL_C_TYPE_TIMESTAMP, calls, ts))
            return QVariant();
        return QVariant(QDateTime(QDate(ts.year, ts.month, ts.day),
                                  QTime(ts.hour, ts.minute, ts.second, int(ts.fraction / 1000000)), Qt::UTC));
    }
    case ValueKind::Bit: {
        unsigned char bit = 0;
        if (!readFixed(stmt, column, SQL_C_BIT, calls, bit))
            return QVariant();
        return QVariant(bit != 0);
    }
    case ValueKind::Integer: {
        SQLBIGINT number = 0;
        if (!readFixed(stmt, column, SQL_C_SBIGINT, calls, number))
            return QVariant();
        return QVariant(qlonglong(number));
    }
    case ValueKind::Real: {
        double number = 0;
        if (!readFixed(stmt, column, SQL_C_DOUBLE, calls, number))
            return QVariant();
        return QVariant(number);
    }
    case ValueKind::Binary: {
        std::vector<char> bytes;
        if (!readChunks(stmt, column, SQL_C_BINARY, false, calls, bytes))
            return QVariant();
        return QVariant(QByteArray(bytes.data(), qsizetype(bytes.size())));
    }
    }
    return QVariant();
}

Column describeColumn(SQLHSTMT stmt, SQLUSMALLINT column, TextCalls calls)
{
    SQLSMALLINT sqlType = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = 0;
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT typeNameBytes = 0;
    Column result;
    QString type;
    if (calls == TextCalls::Wide) {
        std::vector<SQLWCHAR> name(1024);
        checkResult(SQLDescribeColW(stmt, column, name.data(), SQLSMALLINT(name.size()), &nameLength, &sqlType, &size, &digits,
                                    &nullable),
                    SQL_HANDLE_STMT, stmt, "describe a column", calls);
        result.name = fromSqlWChars(name.data(), qMin<qsizetype>(nameLength, qsizetype(name.size()) - 1));
        // The attribute's length is in bytes, also for the wide call.
        std::vector<SQLWCHAR> typeName(256);
        if (SQL_SUCCEEDED(SQLColAttributeW(stmt, column, SQL_DESC_TYPE_NAME, typeName.data(),
                                           SQLSMALLINT(typeName.size() * sizeof(SQLWCHAR)), &typeNameBytes, nullptr)))
            type = fromSqlWChars(typeName.data(),
                                 qMin<qsizetype>(typeNameBytes / qsizetype(sizeof(SQLWCHAR)), qsizetype(typeName.size()) - 1));
    } else {
#ifndef Q_OS_WIN
        std::vector<SQLCHAR> name(1024);
        checkResult(SQLDescribeCol(stmt, column, name.data(), SQLSMALLINT(name.size()), &nameLength, &sqlType, &size, &digits,
                                   &nullable),
                    SQL_HANDLE_STMT, stmt, "describe a column", calls);
        result.name = fromSqlChars(name.data(), qMin<qsizetype>(nameLength, qsizetype(name.size()) - 1));
        std::vector<SQLCHAR> typeName(256);
        if (SQL_SUCCEEDED(SQLColAttribute(stmt, column, SQL_DESC_TYPE_NAME, typeName.data(), SQLSMALLINT(typeName.size()),
                                          &typeNameBytes, nullptr)))
            type = fromSqlChars(typeName.data(), qMin<qsizetype>(typeNameBytes, qsizetype(typeName.size()) - 1));
#endif
    }
    result.typeCode = typeCodeForSqlType(sqlType, type);
    return result;
}

ResultData fetchAll(SQLHSTMT stmt, SQLSMALLINT columnCount, TextCalls calls)
{
    ResultData data;
    std::vector<ValueKind> kinds;
    for (SQLUSMALLINT i = 1; i <= SQLUSMALLINT(columnCount); ++i) {
        data.columns.push_back(describeColumn(stmt, i, calls));
        kinds.push_back(valueKindFor(data.columns.back().typeCode));
    }
    for (;;) {
        const SQLRETURN rc = SQLFetch(stmt);
        if (rc == SQL_NO_DATA)
            break;
        checkResult(rc, SQL_HANDLE_STMT, stmt, "fetch a row", calls);
        for (SQLUSMALLINT i = 1; i <= SQLUSMALLINT(columnCount); ++i)
            data.values.push_back(readValue(stmt, i, kinds[i - 1], calls));
    }
    return data;
}

DbError closedError()
{
    return DbError(QStringLiteral("Operation is not allowed when the object is closed."), QStringLiteral("HY010"), 3704);
}

} // namespace

OdbcConnection::~OdbcConnection()
{
    close();
}

QStringList OdbcConnection::installedDrivers()
{
    const Utf8Conversions utf8;
    OdbcHandle env;
    if (!SQL_SUCCEEDED(env.allocate(SQL_HANDLE_ENV, SQL_NULL_HANDLE)))
        throw DbError(QStringLiteral("The ODBC driver manager could not create an environment."));
    checkResult(SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
                SQL_HANDLE_ENV, env.get(), "set the ODBC version");
    QStringList drivers;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT attributesLength = 0;
#ifdef Q_OS_WIN
        SQLWCHAR name[512] = {};
        SQLWCHAR attributes[2048] = {};
        const SQLRETURN rc = SQLDriversW(env.get(), direction, name, 512, &nameLength, attributes, 2048, &attributesLength);
        if (rc == SQL_NO_DATA)
            break;
        checkResult(rc, SQL_HANDLE_ENV, env.get(), "list the drivers", TextCalls::Wide);
        drivers << fromSqlWChars(name, qMin<qsizetype>(nameLength, 511));
#else
        SQLCHAR name[512] = {};
        SQLCHAR attributes[2048] = {};
        const SQLRETURN rc = SQLDrivers(env.get(), direction, name, 512, &nameLength, attributes, 2048, &attributesLength);
        if (rc == SQL_NO_DATA)
            break;
        checkResult(rc, SQL_HANDLE_ENV, env.get(), "list the drivers");
        drivers << fromSqlChars(name, qMin<qsizetype>(nameLength, 511));
#endif
        direction = SQL_FETCH_NEXT;
    }
    return drivers;
}

TextCalls OdbcConnection::textCallsFor(const QString& driver)
{
#ifdef Q_OS_WIN
    Q_UNUSED(driver);
    return TextCalls::Wide;
#else
    // Microsoft's drivers convert narrow text through the locale; FreeTDS is told to take UTF-8.
    const QString name = driver.trimmed();
    const bool microsoft = name.startsWith(QLatin1String("ODBC Driver "), Qt::CaseInsensitive)
        || name.startsWith(QLatin1String("SQL Server"), Qt::CaseInsensitive)
        || name.startsWith(QLatin1String("SQL Native Client"), Qt::CaseInsensitive);
    return microsoft ? TextCalls::Wide : TextCalls::Narrow;
#endif
}

void OdbcConnection::openDriverString(const QString& connectionString, int loginTimeoutSeconds, TextCalls asked)
{
    close();
    const Utf8Conversions utf8;
    const TextCalls calls = effectiveTextCalls(asked);
    OdbcHandle env;
    if (!SQL_SUCCEEDED(env.allocate(SQL_HANDLE_ENV, SQL_NULL_HANDLE)))
        throw DbError(QStringLiteral("The ODBC driver manager could not create an environment."));
    checkResult(SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
                SQL_HANDLE_ENV, env.get(), "set the ODBC version");
    OdbcHandle dbc;
    checkResult(dbc.allocate(SQL_HANDLE_DBC, env.get()), SQL_HANDLE_ENV, env.get(), "create a connection");

    // Both limits, so that a server that accepts the socket but never answers cannot hang the program.
    const int timeout = loginTimeoutSeconds > 0 ? loginTimeoutSeconds : defaultLoginTimeout;
    setTimeoutAttribute(dbc.get(), SQL_ATTR_LOGIN_TIMEOUT, timeout, "set the login timeout", calls);
    setTimeoutAttribute(dbc.get(), SQL_ATTR_CONNECTION_TIMEOUT, timeout, "set the connection timeout", calls);

    SQLRETURN rc = SQL_ERROR;
    if (calls == TextCalls::Wide) {
        QString text = connectionString;
        rc = SQLDriverConnectW(dbc.get(), nullptr, sqlWChars(text), SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    } else {
#ifndef Q_OS_WIN
        QByteArray text = connectionString.toUtf8();
        rc = SQLDriverConnect(dbc.get(), nullptr, sqlChars(text), SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
#endif
    }
    checkResult(rc, SQL_HANDLE_DBC, dbc.get(), "connect", calls);
    m_env = std::move(env);
    m_dbc = std::move(dbc);
    m_calls = calls;
    m_inTransaction = false;
}

void OdbcConnection::close()
{
    if (!m_dbc)
        return;
    const Utf8Conversions utf8;
    if (m_inTransaction) {
        SQLEndTran(SQL_HANDLE_DBC, m_dbc.get(), SQL_ROLLBACK);
        m_inTransaction = false;
    }
    if (!SQL_SUCCEEDED(SQLDisconnect(m_dbc.get()))) {
        // Some drivers refuse to disconnect with work pending; discard it and try once more.
        SQLEndTran(SQL_HANDLE_DBC, m_dbc.get(), SQL_ROLLBACK);
        SQLDisconnect(m_dbc.get());
    }
    m_dbc.reset();
    m_env.reset();
}

OdbcHandle OdbcConnection::newStatement()
{
    if (!m_dbc)
        throw closedError();
    OdbcHandle stmt;
    checkResult(stmt.allocate(SQL_HANDLE_STMT, m_dbc.get()), SQL_HANDLE_DBC, m_dbc.get(), "create a statement", m_calls);
    const SQLRETURN rc = setStatementAttribute(stmt.get(), SQL_ATTR_QUERY_TIMEOUT, SQLULEN(m_commandTimeout));
    if (!(rc == SQL_ERROR && firstStateIsOneOf(SQL_HANDLE_STMT, stmt.get(), m_calls, {"HYC00"})))
        checkResult(rc, SQL_HANDLE_STMT, stmt.get(), "set the command timeout", m_calls);
    return stmt;
}

SQLRETURN OdbcConnection::execDirect(SQLHSTMT stmt, const QString& sql)
{
    if (m_calls == TextCalls::Wide) {
        QString text = sql;
        return SQLExecDirectW(stmt, sqlWChars(text), SQLINTEGER(text.size()));
    }
#ifdef Q_OS_WIN
    return SQL_ERROR; // never asked for: text goes through the wide calls on Windows
#else
    QByteArray text = sql.toUtf8();
    return SQLExecDirect(stmt, sqlChars(text), SQLINTEGER(text.size()));
#endif
}

long long OdbcConnection::execute(const QString& sql)
{
    const Utf8Conversions utf8;
    OdbcHandle stmt = newStatement();
    SQLRETURN rc = execDirect(stmt.get(), sql);
    checkResult(rc, SQL_HANDLE_STMT, stmt.get(), "run the statement", m_calls);
    long long total = -1;
    // Every statement of a batch has its own result; an error in a later one shows only here.
    for (;;) {
        if (rc == SQL_NO_DATA) {
            // An UPDATE or DELETE that matched nothing.
            if (total < 0)
                total = 0;
        } else {
            SQLSMALLINT columns = 0;
            SQLLEN count = -1;
            if (SQL_SUCCEEDED(SQLNumResultCols(stmt.get(), &columns)) && columns == 0
                && SQL_SUCCEEDED(SQLRowCount(stmt.get(), &count)) && count >= 0)
                total = (total < 0 ? 0 : total) + count;
        }
        rc = SQLMoreResults(stmt.get());
        if (rc == SQL_NO_DATA)
            break;
        checkResult(rc, SQL_HANDLE_STMT, stmt.get(), "run the next statement of the batch", m_calls);
    }
    return total;
}

ResultData OdbcConnection::query(const QString& sql)
{
    const Utf8Conversions utf8;
    OdbcHandle stmt = newStatement();
    SQLRETURN rc = execDirect(stmt.get(), sql);
    checkResult(rc, SQL_HANDLE_STMT, stmt.get(), "run the query", m_calls);
    ResultData data;
    bool found = false;
    // The rows come from the first result with columns; the rest of the batch is still walked so
    // that an error in a later statement is not lost.
    for (;;) {
        if (!found && rc != SQL_NO_DATA) {
            SQLSMALLINT columns = 0;
            checkResult(SQLNumResultCols(stmt.get(), &columns), SQL_HANDLE_STMT, stmt.get(), "count the columns", m_calls);
            if (columns > 0) {
                data = fetchAll(stmt.get(), columns, m_calls);
                found = true;
            }
        }
        rc = SQLMoreResults(stmt.get());
        if (rc == SQL_NO_DATA)
            break;
        checkResult(rc, SQL_HANDLE_STMT, stmt.get(), "run the next statement of the batch", m_calls);
    }
    return data;
}

void OdbcConnection::setAutocommit(bool on)
{
    const SQLRETURN rc = setConnectAttribute(m_dbc.get(), SQL_ATTR_AUTOCOMMIT, SQLULEN(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF));
    checkResult(rc, SQL_HANDLE_DBC, m_dbc.get(), on ? "turn autocommit on" : "turn autocommit off", m_calls);
}

void OdbcConnection::beginTransaction()
{
    if (!m_dbc)
        throw closedError();
    const Utf8Conversions utf8;
    setAutocommit(false);
    m_inTransaction = true;
}

void OdbcConnection::commitTransaction()
{
    if (!m_dbc)
        throw closedError();
    const Utf8Conversions utf8;
    // A failed commit leaves the transaction open, so that the caller can still roll it back.
    checkResult(SQLEndTran(SQL_HANDLE_DBC, m_dbc.get(), SQL_COMMIT), SQL_HANDLE_DBC, m_dbc.get(), "commit", m_calls);
    m_inTransaction = false;
    setAutocommit(true);
}

void OdbcConnection::rollbackTransaction()
{
    if (!m_dbc)
        throw closedError();
    const Utf8Conversions utf8;
    const SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, m_dbc.get(), SQL_ROLLBACK);
    if (!SQL_SUCCEEDED(rc)) {
        // Turning autocommit back on would commit the very work that could not be undone;
        // dropping the session makes the server discard it instead.
        const DbError error = errorFromDiagnostics(readDiagnostics(SQL_HANDLE_DBC, m_dbc.get(), m_calls),
                                                   QStringLiteral("The ODBC driver failed to roll back."));
        close();
        throw error;
    }
    m_inTransaction = false;
    setAutocommit(true);
}

} // namespace db::odbc
