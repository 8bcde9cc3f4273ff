#include "db/embedded/SqliteSession.h"

#include "text/DateText.h"
#include "text/Decimal.h"
#include "db/TypeCode.h"
#include "db/embedded/ColumnStore.h"
#include "db/embedded/SqlFunctions.h"
#include "db/embedded/Utf8Text.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <sqlite3.h>

namespace db::embedded {

namespace {

constexpr int longWaitMs = 3600 * 1000;

QString lastWord(const QString& sql)
{
    const QStringList words = sql.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    return words.isEmpty() ? QString() : words.last();
}

// "main.tblSales" and "linked1.tblSales" name the same table for the operator.
QString withoutSchema(const QString& name)
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.mid(dot + 1);
}

QVariant rawValue(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_TEXT:
        return QVariant(utf8Text(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                                 sqlite3_column_bytes(statement, column)));
    case SQLITE_BLOB: {
        const char* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(statement, column)));
    }
    default:
        return QVariant();
    }
}

int codeFromValue(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::LongLong: {
        const qlonglong n = value.toLongLong();
        return n > std::numeric_limits<qint32>::max() || n < std::numeric_limits<qint32>::min() ? TypeCode::BigInt
                                                                                                : TypeCode::Integer;
    }
    case QMetaType::Double:
        return TypeCode::Double;
    case QMetaType::QByteArray:
        return TypeCode::VarBinary;
    case QMetaType::QString:
        return ColumnStore::isStoredDateTime(value.toString()) ? TypeCode::DBTimeStamp : TypeCode::VarChar;
    default:
        return 0;
    }
}

QString numberText(const QVariant& value)
{
    if (value.typeId() == QMetaType::Double)
        return SqlFunctions::shortestDecimal(value.toDouble());
    return value.toString();
}

// The value as Field.h documents it for the column's type code.
QVariant typedValue(const QVariant& raw, int code)
{
    if (!raw.isValid())
        return raw;
    const int kind = raw.typeId();
    const bool number = kind == QMetaType::LongLong || kind == QMetaType::Double;
    switch (code) {
    case TypeCode::DBTimeStamp:
        if (kind == QMetaType::QString) {
            const QDateTime parsed = text::DateText::parse(raw.toString());
            if (parsed.isValid())
                return parsed;
        }
        return raw;
    case TypeCode::Boolean:
        if (number)
            return raw.toDouble() != 0;
        if (raw.toString().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (raw.toString().compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return false;
        return raw;
    case TypeCode::SmallInt:
    case TypeCode::Integer:
    case TypeCode::TinyInt:
    case TypeCode::BigInt: {
        if (kind == QMetaType::LongLong)
            return raw;
        if (kind == QMetaType::Double)
            return QVariant(qlonglong(raw.toDouble()));
        bool ok = false;
        const qlonglong n = raw.toString().trimmed().toLongLong(&ok);
        return ok ? QVariant(n) : raw;
    }
    case TypeCode::Numeric:
    case TypeCode::Currency:
        return number ? QVariant(numberText(raw)) : QVariant(raw.toString());
    case TypeCode::Single:
    case TypeCode::Double: {
        if (number)
            return QVariant(raw.toDouble());
        bool ok = false;
        const double d = raw.toString().trimmed().toDouble(&ok);
        return ok ? QVariant(d) : raw;
    }
    case TypeCode::Binary:
    case TypeCode::VarBinary:
        return kind == QMetaType::QByteArray ? raw : QVariant(raw.toString().toUtf8());
    default:
        if (isTextType(code) || code == TypeCode::Guid)
            return number ? QVariant(numberText(raw)) : QVariant(raw.toString());
        return raw;
    }
}

void bindParameters(sqlite3_stmt* statement, const std::vector<QVariant>& parameters)
{
    for (size_t i = 0; i < parameters.size(); ++i) {
        const QVariant& value = parameters[i];
        const int index = int(i) + 1;
        if (!value.isValid() || value.isNull()) {
            sqlite3_bind_null(statement, index);
        } else if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) {
            sqlite3_bind_int64(statement, index, value.toLongLong());
        } else if (value.typeId() == QMetaType::Double) {
            sqlite3_bind_double(statement, index, value.toDouble());
        } else {
            const QByteArray utf8 = value.toString().toUtf8();
            sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        }
    }
}

} // namespace

namespace {
// What tells `path`'s file from any other (the device and inode; on Windows the volume and the
// file index); false when it does not exist.
bool fileIdentity(const QString& path, unsigned long long& device, unsigned long long& inode)
{
#ifdef Q_OS_WIN
    // Asked by the name as UTF-16, so that a folder outside the ANSI code page works too.
    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    const HANDLE file = CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info {};
    const bool found = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    if (!found)
        return false;
    device = info.dwVolumeSerialNumber;
    inode = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
#else
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    device = static_cast<unsigned long long>(info.st_dev);
    inode = static_cast<unsigned long long>(info.st_ino);
    return true;
#endif
}
} // namespace

SqliteSession::SqliteSession(const QString& path, const QString& catalog, OpenMode mode)
    : m_path(path)
    , m_catalog(catalog)
{
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX
        | (mode == OpenMode::CreateIfMissing ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
        sqlite3_close(m_db);
        m_db = nullptr;
        throw DbError(QStringLiteral("[embedded] Cannot open the database file %1: %2").arg(path, message),
                      QStringLiteral("08001"), rc);
    }
    sqlite3_extended_result_codes(m_db, 1);
    fileIdentity(m_path, m_device, m_inode);
    sqlite3_busy_timeout(m_db, longWaitMs);
    SqlFunctions::install(m_db, &m_counter);
    sqlite3_progress_handler(m_db, 1000, &SqliteSession::progress, this);
    try {
        run(QStringLiteral("PRAGMA journal_mode=WAL"));
        run(QStringLiteral("PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=OFF; PRAGMA trusted_schema=ON"));
        // Temporary tables (a bulk transfer's staging copy) stay in memory up to 32 MB before they
        // spill to a file; the memory is taken only as they grow.
        run(QStringLiteral("PRAGMA temp.cache_size=-32768"));
    } catch (...) {
        sqlite3_close(m_db);
        m_db = nullptr;
        throw;
    }
}

SqliteSession::~SqliteSession()
{
    sqlite3_close_v2(m_db);
}

void SqliteSession::setTimeoutSeconds(int seconds)
{
    m_limitMs = seconds > 0 ? qint64(seconds) * 1000 : 0;
    sqlite3_busy_timeout(m_db, seconds > 0 ? seconds * 1000 : longWaitMs);
}

void SqliteSession::startStatement()
{
    m_counter.next();
    m_clock.start();
}

void SqliteSession::checkFile() const
{
    unsigned long long device = 0;
    unsigned long long inode = 0;
    const bool exists = fileIdentity(m_path, device, inode);
    if (exists && device == m_device && inode == m_inode)
        return;
    throw DbError(QStringLiteral("Connection failure: the file %1 of database '%2' was %3 since it was opened; nothing more is written to it.")
                      .arg(m_path, m_catalog, exists ? QStringLiteral("replaced") : QStringLiteral("removed")),
                  QStringLiteral("08S01"), 0);
}

int SqliteSession::progress(void* self)
{
    auto* session = static_cast<SqliteSession*>(self);
    return session->m_limitMs > 0 && session->m_clock.isValid() && session->m_clock.elapsed() > session->m_limitMs ? 1 : 0;
}

SqliteUnit::SqliteUnit(SqliteSession& session, Lock lock)
    : m_session(session)
    , m_transaction(lock == Lock::Immediate && session.autocommit())
{
    m_session.run(m_transaction ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("SAVEPOINT mirtane_unit"));
    m_open = true;
}

SqliteUnit::~SqliteUnit()
{
    if (!m_open)
        return;
    try {
        if (m_transaction) {
            if (!m_session.autocommit())
                m_session.run(QStringLiteral("ROLLBACK"));
        } else {
            m_session.run(QStringLiteral("ROLLBACK TO mirtane_unit; RELEASE mirtane_unit"));
        }
    } catch (const DbError&) {
        // the failure has ended it already
    }
}

void SqliteUnit::commit()
{
    m_session.run(m_transaction ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE mirtane_unit"));
    m_open = false;
}

bool SqliteSession::autocommit() const
{
    return sqlite3_get_autocommit(m_db) != 0;
}

long long SqliteSession::run(const QString& sql, ResultData* result, const std::vector<QVariant>& parameters)
{
    const QByteArray utf8 = sql.toUtf8();
    const char* tail = utf8.constData();
    const char* const end = tail + utf8.size();
    long long changes = 0;
    bool captured = false;
    if (!m_clock.isValid())
        m_clock.start();
    while (tail < end) {
        sqlite3_stmt* statement = nullptr;
        int rc = sqlite3_prepare_v2(m_db, tail, int(end - tail), &statement, &tail);
        if (rc != SQLITE_OK)
            throw errorFor(rc, sql);
        if (!statement)
            continue; // blanks or a comment
        bindParameters(statement, parameters);
        const int columns = sqlite3_column_count(statement);
        const bool capture = result && !captured && columns > 0;
        std::vector<QVariant> raw;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            if (capture)
                for (int c = 0; c < columns; ++c)
                    raw.push_back(rawValue(statement, c));
        }
        if (rc != SQLITE_DONE) {
            const DbError error = errorFor(rc, sql);
            sqlite3_finalize(statement);
            throw error;
        }
        if (capture) {
            captured = true;
            result->columns.clear();
            const size_t rows = raw.size() / size_t(columns);
            for (int c = 0; c < columns; ++c) {
                Column column;
                column.name = QString::fromUtf8(sqlite3_column_name(statement, c));
                const char* declared = sqlite3_column_decltype(statement, c);
                column.typeCode = declared ? typeCodeForTypeName(QString::fromUtf8(declared)) : 0;
                if (column.typeCode == 0) {
                    // An expression reports by its first non-NULL value.
                    column.typeCode = TypeCode::VarChar;
                    for (size_t r = 0; r < rows; ++r) {
                        const QVariant& value = raw[r * size_t(columns) + size_t(c)];
                        if (value.isValid()) {
                            column.typeCode = codeFromValue(value);
                            break;
                        }
                    }
                }
                result->columns.push_back(column);
            }
            // numeric, decimal and money columns read back with every decimal of their scale
            // ("1250.50"), as SQL Server's driver gives them.
            std::vector<int> scales(size_t(columns), -1);
            for (int c = 0; c < columns; ++c) {
                const char* declared = sqlite3_column_decltype(statement, c);
                const int code = result->columns[size_t(c)].typeCode;
                if (declared && code == TypeCode::Numeric)
                    scales[size_t(c)] = std::max(DeclaredType::parse(QString::fromUtf8(declared)).scale, 0);
                else if (declared && code == TypeCode::Currency)
                    scales[size_t(c)] = 4;
            }
            for (size_t i = 0; i < raw.size(); ++i) {
                const int scale = scales[i % size_t(columns)];
                if (scale >= 0 && raw[i].typeId() == QMetaType::QByteArray) {
                    // A decimal of more than 15 digits, kept as its text.
                    if (const std::optional<text::Decimal> exact = text::Decimal::parse(QString::fromUtf8(raw[i].toByteArray())))
                        raw[i] = QVariant(exact->rounded(scale).text());
                } else if (scale >= 0 && (raw[i].typeId() == QMetaType::Double || raw[i].typeId() == QMetaType::LongLong))
                    raw[i] = QVariant((raw[i].typeId() == QMetaType::Double ? text::Decimal::fromDouble(raw[i].toDouble())
                                                                             : text::Decimal::fromInteger(raw[i].toLongLong()))
                                          .rounded(scale)
                                          .text());
                else
                    raw[i] = typedValue(raw[i], result->columns[i % size_t(columns)].typeCode);
            }
            result->values = std::move(raw);
        }
        changes = sqlite3_changes64(m_db);
        sqlite3_finalize(statement);
    }
    return changes;
}

int SqliteSession::columnCount(const QString& sql)
{
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* statement = nullptr;
    const int rc = sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &statement, nullptr);
    if (rc != SQLITE_OK)
        throw errorFor(rc, sql);
    const int count = statement ? sqlite3_column_count(statement) : 0;
    sqlite3_finalize(statement);
    return count;
}

QVariant SqliteSession::scalar(const QString& sql, const std::vector<QVariant>& parameters)
{
    ResultData result;
    run(sql, &result, parameters);
    return result.rowCount() > 0 ? result.values.front() : QVariant();
}

DbError SqliteSession::errorFor(int code, const QString& sql) const
{
    const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
    const int primary = code & 0xff;
    static const QRegularExpression constraintTarget(QStringLiteral(R"(constraint failed: ([^.,\s]+)\.([^,\s]+))"));
    if (primary == SQLITE_CONSTRAINT) {
        const QRegularExpressionMatch match = constraintTarget.match(message);
        const QString table = match.hasMatch() ? match.captured(1) : QStringLiteral("?");
        if (code == SQLITE_CONSTRAINT_PRIMARYKEY)
            return DbError(QStringLiteral("Violation of PRIMARY KEY constraint 'PK_%1'. Cannot insert duplicate key in object 'dbo.%1'.")
                               .arg(table),
                           QStringLiteral("23000"), 2627);
        if (code == SQLITE_CONSTRAINT_UNIQUE)
            return DbError(QStringLiteral("Cannot insert duplicate key row in object 'dbo.%1' with unique index 'IX_%1_%2'.")
                               .arg(table, match.captured(2)),
                           QStringLiteral("23000"), 2601);
        if (code == SQLITE_CONSTRAINT_NOTNULL)
            return DbError(QStringLiteral("Cannot insert the value NULL into column '%1', table '%2.dbo.%3'; column does not allow nulls. %4 fails.")
                               .arg(match.captured(2), m_catalog, table,
                                    sql.trimmed().startsWith(QLatin1String("UPDATE"), Qt::CaseInsensitive) ? QStringLiteral("UPDATE")
                                                                                                              : QStringLiteral("INSERT")),
                           QStringLiteral("23000"), 515);
        // An IDENTITY counter past its type's range (the engine's own trigger refuses the row).
        if (code == SQLITE_CONSTRAINT_TRIGGER && message.startsWith(QLatin1String("Arithmetic overflow error")))
            return DbError(message, QStringLiteral("22003"), 8115);
        return DbError(QStringLiteral("[embedded] ") + message, QStringLiteral("23000"), 547);
    }
    if (primary == SQLITE_INTERRUPT)
        return DbError(QStringLiteral("Query timeout expired"), QStringLiteral("HYT00"), 0);
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        return DbError(QStringLiteral("Lock request time out period exceeded."), QStringLiteral("HY000"), 1222);
    if (primary == SQLITE_FULL)
        return DbError(QStringLiteral("Could not allocate space for object in database '%1' because the 'PRIMARY' filegroup is full.")
                           .arg(m_catalog),
                       QStringLiteral("42000"), 1105);
    // A failing disk is told by SQL Server's numbers, so that every caller knows it from any other
    // failure of a statement the same way on both backends.
    if (primary == SQLITE_IOERR)
        return DbError(QStringLiteral("The operating system returned an error (%1) during a read or write in file '%2'.").arg(message, m_path),
                       QStringLiteral("HY000"), 823);
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB)
        return DbError(QStringLiteral("A logical consistency-based I/O error was detected in file '%1' (%2).").arg(m_path, message),
                       QStringLiteral("HY000"), 824);
    if (primary == SQLITE_READONLY)
        return DbError(QStringLiteral("Failed to update database \"%1\" because the database is read-only (%2).").arg(m_catalog, m_path),
                       QStringLiteral("HY000"), 3906);
    if (primary == SQLITE_CANTOPEN)
        return DbError(QStringLiteral("Unable to open the physical file \"%1\". Operating system error: %2").arg(m_path, message),
                       QStringLiteral("HY000"), 5120);
    if (message.startsWith(QLatin1String("no such table: ")))
        return DbError(QStringLiteral("Invalid object name '%1'.").arg(withoutSchema(message.mid(15))), QStringLiteral("42S02"), 208);
    if (message.startsWith(QLatin1String("no such column: "))) {
        QString column = message.mid(16);
        column = column.mid(column.lastIndexOf(QLatin1Char('.')) + 1);
        return DbError(QStringLiteral("Invalid column name '%1'.").arg(column), QStringLiteral("42S22"), 207);
    }
    static const QRegularExpression noColumnNamed(QStringLiteral(R"(has no column named (\S+))"));
    if (const QRegularExpressionMatch match = noColumnNamed.match(message); match.hasMatch())
        return DbError(QStringLiteral("Invalid column name '%1'.").arg(match.captured(1)), QStringLiteral("42S22"), 207);
    static const QRegularExpression nearToken(QStringLiteral(R"re(^near "(.*)": syntax error$)re"));
    if (const QRegularExpressionMatch match = nearToken.match(message); match.hasMatch())
        return DbError(QStringLiteral("Incorrect syntax near '%1'.").arg(match.captured(1)), QStringLiteral("42000"), 102);
    if (message == QLatin1String("incomplete input"))
        return DbError(QStringLiteral("Incorrect syntax near '%1'.").arg(lastWord(sql)), QStringLiteral("42000"), 102);
    if (message.startsWith(QLatin1String("no such function: ")))
        return DbError(QStringLiteral("'%1' is not a recognized built-in function name.").arg(message.mid(18)),
                       QStringLiteral("42000"), 195);
    if (message.startsWith(QLatin1String("ambiguous column name: "))) {
        QString column = message.mid(23);
        column = column.mid(column.lastIndexOf(QLatin1Char('.')) + 1);
        return DbError(QStringLiteral("Ambiguous column name '%1'.").arg(column), QStringLiteral("42000"), 209);
    }
    static const QRegularExpression alreadyExists(QStringLiteral(R"re(^table "?([^"\s]+)"? already exists$)re"));
    if (const QRegularExpressionMatch match = alreadyExists.match(message); match.hasMatch())
        return DbError(QStringLiteral("There is already an object named '%1' in the database.").arg(match.captured(1)),
                       QStringLiteral("42S01"), 2714);
    // The engine's own functions fail with SQL Server's wording; the number follows from it.
    static const struct {
        const char* start;
        const char* state;
        int number;
    } ownErrors[] = {
        {"String or binary data would be truncated", "22001", 2628},
        {"Arithmetic overflow error", "22003", 8115},
        {"Error converting data type", "22018", 8114},
        {"Cannot convert a char value to money", "22018", 235},
        {"Conversion failed when converting date", "22007", 241},
        {"The conversion of a varchar data type to a", "22007", 242},
        {"Adding a value to a", "22008", 517},
        {"Divide by zero error", "22012", 8134},
        {"Conversion failed", "22018", 245},
        {"Operand data type", "42000", 8117},
        {"Invalid length parameter", "42000", 537},
        {"Subquery returned more than 1 value", "21000", 512},
    };
    for (const auto& own : ownErrors)
        if (message.startsWith(QLatin1String(own.start)))
            return DbError(message, QLatin1String(own.state), own.number);
    if (message.contains(QLatin1String("is not a recognized")))
        return DbError(message, QStringLiteral("42000"), 155);
    static const QRegularExpression valueCount(QStringLiteral(R"(^(table \S+ has \d+ values for \d+ columns|\d+ values for \d+ columns)$)"));
    if (valueCount.match(message).hasMatch())
        return DbError(QStringLiteral("Column name or number of supplied values does not match table definition."), QStringLiteral("21S01"), 213);
    return DbError(QStringLiteral("[embedded] ") + message, QStringLiteral("HY000"), code);
}

} // namespace db::embedded
