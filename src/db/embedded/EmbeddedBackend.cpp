#include "db/embedded/EmbeddedBackend.h"

#include "text/Decimal.h"
#include "db/ConnectionText.h"
#include "db/TypeCode.h"
#include "db/embedded/ColumnStore.h"
#include "db/DbError.h"
#include "db/embedded/SystemProcedures.h"
#include "db/embedded/Tokenizer.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace db::embedded {

namespace {

// A query's expression columns of a numeric, decimal or money type read back as such: with every
// decimal of the scale that SQL Server's rules give them ("3.500000" for 7.0/2).
void applyResultTypes(ResultData& result, const std::vector<QString>& types)
{
    const size_t columns = result.columns.size();
    for (size_t c = 0; c < columns; ++c) {
        if (types[c].isEmpty())
            continue;
        const DeclaredType type = DeclaredType::parse(types[c]);
        const bool money = type.base == QLatin1String("money");
        const int scale = money ? 4 : std::max(type.scale, 0);
        result.columns[c].typeCode = money ? TypeCode::Currency : TypeCode::Numeric;
        for (size_t i = c; i < result.values.size(); i += columns) {
            QVariant& value = result.values[i];
            std::optional<text::Decimal> exact;
            if (value.typeId() == QMetaType::Double)
                exact = text::Decimal::fromDouble(value.toDouble());
            else if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int)
                exact = text::Decimal::fromInteger(value.toLongLong());
            else if (value.typeId() == QMetaType::QString)
                exact = text::Decimal::parse(value.toString());
            else if (value.typeId() == QMetaType::QByteArray)
                exact = text::Decimal::parse(QString::fromUtf8(value.toByteArray()));
            if (exact)
                value = exact->rounded(scale).text();
        }
    }
}


bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// SQLite's schema table is writable while this lives.
class WritableSchema {
public:
    explicit WritableSchema(SqliteSession& session)
        : m_session(session)
    {
        m_session.run(QStringLiteral("PRAGMA writable_schema = ON"));
    }
    ~WritableSchema()
    {
        try {
            m_session.run(QStringLiteral("PRAGMA writable_schema = OFF"));
        } catch (const DbError&) {
            // the session has failed; nothing more can be undone here
        }
    }
    WritableSchema(const WritableSchema&) = delete;
    WritableSchema& operator=(const WritableSchema&) = delete;

private:
    SqliteSession& m_session;
};

DbError cannotOpenDatabase(const QString& catalog)
{
    return DbError(QStringLiteral("Cannot open database \"%1\" requested by the login. The login failed.").arg(catalog),
                   QStringLiteral("42000"), 4060);
}

DbError missingObject(const QString& table)
{
    return DbError(QStringLiteral("Cannot find the object \"%1\" because it does not exist or you do not have permissions.").arg(table),
                   QStringLiteral("42S02"), 4902);
}

} // namespace

EmbeddedBackend::EmbeddedBackend(EmbeddedServer server, const QString& catalog, const QString& programFolder)
    : m_server(std::move(server))
    , m_catalog(catalog.trimmed().isEmpty() ? QStringLiteral("master") : catalog.trimmed())
    , m_programFolder(programFolder)
    , m_translator(*this)
{
    EmbeddedServer::checkCatalogName(m_catalog);
    m_server.ensureMaster();
    const QString path = m_server.databasePath(m_catalog);
    if (!QFileInfo::exists(path))
        throw cannotOpenDatabase(m_catalog);
    m_session = std::make_unique<SqliteSession>(path, m_catalog, SqliteSession::OpenMode::ExistingOnly);
}

void EmbeddedBackend::setCommandTimeout(int seconds)
{
    m_session->setTimeoutSeconds(seconds);
}

long long EmbeddedBackend::execute(const QString& sql)
{
    return std::max(0LL, runBatch(sql, nullptr));
}

ResultData EmbeddedBackend::query(const QString& sql)
{
    ResultData result;
    runBatch(sql, &result);
    return result;
}

void EmbeddedBackend::beginTransaction()
{
    m_session->checkFile();
    m_session->startStatement();
    m_session->run(QStringLiteral("BEGIN IMMEDIATE"));
}

void EmbeddedBackend::commitTransaction()
{
    if (m_session->autocommit())
        throw DbError(QStringLiteral("The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION."),
                      QStringLiteral("25000"), 3902);
    m_session->checkFile();
    m_session->startStatement();
    m_session->run(QStringLiteral("COMMIT"));
}

void EmbeddedBackend::rollbackTransaction()
{
    // SQLite may already have rolled back after a failed statement (disk full, I/O error).
    if (m_session->autocommit())
        return;
    m_session->startStatement();
    m_session->run(QStringLiteral("ROLLBACK"));
}

long long EmbeddedBackend::runBatch(const QString& sql, ResultData* result)
{
    long long changes = -1;
    for (const TokenList& statement : Tokenizer::splitBatch(Tokenizer::tokenize(sql))) {
        long long count = -1;
        try {
            count = runStatement(statement, result);
        } catch (...) {
            detachMaster();
            m_appLock.endBatch();
            throw;
        }
        detachMaster();
        if (count >= 0)
            changes = count;
    }
    m_appLock.endBatch();
    return changes;
}

long long EmbeddedBackend::runStatement(const TokenList& tokens, ResultData* result)
{
    // Inside a transaction the check at its begin and at its commit is enough: nothing of it lasts
    // unless the commit finds the file still in place, and a check costs a system call per row.
    if (m_session->autocommit())
        m_session->checkFile();
    m_session->startStatement();
    // Tables are looked up once per statement; the one before may have changed them.
    m_columns.clear();
    if (m_appLock.runStatusStatement(tokens, m_translator, !m_session->autocommit(), result))
        return -1;
    const Statement statement = m_translator.translate(tokens);
    switch (statement.kind) {
    case Statement::Kind::NoOp:
        return -1;
    case Statement::Kind::Sql: {
        const bool capture = result && result->columns.empty();
        const long long changes = m_session->run(statement.sql, capture ? result : nullptr);
        if (capture && statement.resultTypes.size() == result->columns.size())
            applyResultTypes(*result, statement.resultTypes);
        return statement.changesRows ? changes : -1;
    }
    case Statement::Kind::Begin:
        m_session->run(QStringLiteral("BEGIN IMMEDIATE"));
        return -1;
    case Statement::Kind::Commit:
        commitTransaction();
        return -1;
    case Statement::Kind::Rollback:
        if (m_session->autocommit())
            throw DbError(QStringLiteral("The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION."),
                          QStringLiteral("25000"), 3903);
        m_session->run(QStringLiteral("ROLLBACK"));
        return -1;
    case Statement::Kind::IfExists: {
        ResultData condition;
        m_session->run(statement.sql, &condition);
        const bool holds = (condition.rowCount() > 0) != statement.negated;
        if (holds && !statement.then.empty())
            return runStatement(statement.then, result);
        return -1;
    }
    case Statement::Kind::Exec: {
        if (statement.name == QLatin1String("sp_getapplock")) {
            AppLock::get(statement.arguments, !m_session->autocommit());
            return -1;
        }
        // The procedures write master.sqlite on a session of their own, as SQL Server's run in master.
        SqliteSession master(m_server.databasePath(QStringLiteral("master")), QStringLiteral("master"),
                             SqliteSession::OpenMode::ExistingOnly);
        SystemProcedures(master).run(statement.name, statement.arguments, result);
        return -1;
    }
    case Statement::Kind::CreateDatabase:
        createDatabase(statement.name);
        return -1;
    case Statement::Kind::DropDatabase:
        dropDatabase(statement.name);
        return -1;
    case Statement::Kind::AddColumns:
        addColumns(statement);
        return -1;
    case Statement::Kind::AlterColumn:
        alterColumn(statement);
        return -1;
    case Statement::Kind::CopyTable:
        return copyTable(statement);
    }
    return -1;
}

void EmbeddedBackend::createDatabase(const QString& name)
{
    EmbeddedServer::checkCatalogName(name);
    const QString path = m_server.databasePath(name);
    if (QFileInfo::exists(path) || sameName(name, QStringLiteral("master")))
        throw DbError(QStringLiteral("Database '%1' already exists. Choose a different database name.").arg(name),
                      QStringLiteral("42000"), 1801);
    SqliteSession created(path, name, SqliteSession::OpenMode::CreateIfMissing);
    created.run(QStringLiteral("PRAGMA user_version = 1"));
}

void EmbeddedBackend::dropDatabase(const QString& name)
{
    EmbeddedServer::checkCatalogName(name);
    if (sameName(name, QStringLiteral("master")))
        throw DbError(QStringLiteral("Cannot drop the database 'master', because it is a system database."), QStringLiteral("42000"), 3708);
    if (sameName(name, m_catalog))
        throw DbError(QStringLiteral("Cannot drop database \"%1\" because it is currently in use.").arg(name), QStringLiteral("42000"), 3702);
    const QString path = m_server.databasePath(name);
    if (!QFileInfo::exists(path))
        throw DbError(QStringLiteral("Cannot drop the database '%1', because it does not exist or you do not have permission.").arg(name),
                      QStringLiteral("42000"), 3701);
    const QString key = QFileInfo(path).absoluteFilePath();
    if (m_attached.contains(key)) {
        if (!m_session->autocommit())
            throw DbError(QStringLiteral("Cannot drop database \"%1\" because it is currently in use.").arg(name), QStringLiteral("42000"), 3702);
        m_session->run(QStringLiteral("DETACH DATABASE %1").arg(TsqlTranslator::quoteName(m_attached.take(key))));
    }
    if (!QFile::remove(path))
        throw DbError(QStringLiteral("[embedded] Cannot delete the database file %1.").arg(path));
    QFile::remove(path + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
}

void EmbeddedBackend::addColumns(const Statement& statement)
{
    ResultData info;
    m_session->run(QStringLiteral("PRAGMA %1.table_info(%2)").arg(TsqlTranslator::quoteName(statement.schema), TsqlTranslator::quoteName(statement.name)), &info);
    if (info.rowCount() == 0)
        throw missingObject(statement.name);
    for (const ColumnDefinition& column : statement.columns) {
        for (qsizetype row = 0; row < info.rowCount(); ++row)
            if (sameName(info.values[size_t(row) * info.columns.size() + 1].toString(), column.name))
                throw DbError(QStringLiteral("Column names in each table must be unique. Column name '%1' in table '%2' is specified more than once.")
                                  .arg(column.name, statement.name),
                              QStringLiteral("42S21"), 2705);
    }
    const QString table = TsqlTranslator::quoteName(statement.schema) + QLatin1Char('.') + TsqlTranslator::quoteName(statement.name);
    for (const ColumnDefinition& column : statement.columns) {
        try {
            m_session->run(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(table, column.definition));
        } catch (const DbError& e) {
            if (!e.message().contains(QLatin1String("Cannot add a NOT NULL column")))
                throw;
            ResultData rows;
            m_session->run(QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1)").arg(table), &rows);
            if (rows.rowCount() == 0 || rows.values[0].toLongLong() == 0)
                throw;
            throw DbError(QStringLiteral("ALTER TABLE only allows columns to be added that can contain nulls, or have a DEFAULT definition "
                                         "specified, or the column being added is an identity or timestamp column, or alternatively if "
                                         "none of the previous conditions are satisfied the table must be empty to allow addition of "
                                         "this column. Column '%1' cannot be added to non-empty table '%2' because it does not satisfy "
                                         "these conditions.")
                              .arg(column.name, statement.name),
                          QStringLiteral("42000"), 4901);
        }
    }
}

void EmbeddedBackend::alterColumn(const Statement& statement)
{
    const ColumnDefinition& column = statement.columns.front();
    ResultData found;
    m_session->run(QStringLiteral("SELECT name, sql FROM %1.sqlite_schema WHERE type = 'table' AND name = ? COLLATE NOCASE")
                       .arg(TsqlTranslator::quoteName(statement.schema)),
                   &found, {statement.name});
    if (found.rowCount() == 0)
        throw missingObject(statement.name);
    const QString storedName = found.values[0].toString();
    const TokenList tokens = Tokenizer::tokenize(found.values[1].toString());

    // The column list: the tokens between the first "(" and its ")", split at commas of that level.
    size_t open = 0;
    while (open < tokens.size() && !tokens[open].isOperator("("))
        ++open;
    std::vector<TokenList> elements(1);
    size_t close = open + 1;
    for (int depth = 0; close < tokens.size(); ++close) {
        const Token& token = tokens[close];
        if (token.isOperator("("))
            ++depth;
        else if (token.isOperator(")") && depth-- == 0)
            break;
        if (depth == 0 && token.isOperator(","))
            elements.emplace_back();
        else
            elements.back().push_back(token);
    }
    if (close >= tokens.size())
        throw DbError(QStringLiteral("[embedded] The definition of table '%1' cannot be read.").arg(statement.name));

    bool replaced = false;
    QStringList definitions;
    for (const TokenList& element : elements) {
        if (element.empty() || !element.front().isName() || !sameName(element.front().text, column.name)) {
            definitions << TsqlTranslator::render(element);
            continue;
        }
        definitions << TsqlTranslator::changedColumn(element, column);
        replaced = true;
    }
    if (!replaced)
        throw DbError(QStringLiteral("ALTER TABLE ALTER COLUMN %1 failed because column '%1' does not exist in table '%2'.")
                          .arg(column.name, statement.name),
                      QStringLiteral("42000"), 4924);
    const QString newSql = TsqlTranslator::render(TokenList(tokens.begin(), tokens.begin() + open)) + QStringLiteral(" (")
        + definitions.join(QStringLiteral(", ")) + QLatin1Char(')')
        + (close + 1 < tokens.size() ? QLatin1Char(' ') + TsqlTranslator::render(TokenList(tokens.begin() + close + 1, tokens.end()))
                                     : QString());

    // SQLite keeps a table's declared types only in its CREATE text, so that text is what changes.
    const QString schema = TsqlTranslator::quoteName(statement.schema);
    // A text SQLite cannot read back is undone with the rest.
    SqliteUnit unit(*m_session, SqliteUnit::Lock::Immediate);
    const qlonglong version = m_session->scalar(QStringLiteral("PRAGMA %1.schema_version").arg(schema)).toLongLong();
    {
        const WritableSchema writable(*m_session);
        m_session->run(QStringLiteral("UPDATE %1.sqlite_schema SET sql = ? WHERE type = 'table' AND name = ?").arg(schema), nullptr,
                       {newSql, storedName});
        m_session->run(QStringLiteral("PRAGMA %1.schema_version = %2").arg(schema).arg(version + 1));
    }
    m_session->run(QStringLiteral("SELECT * FROM %1.%2 LIMIT 0").arg(schema, TsqlTranslator::quoteName(storedName)));
    unit.commit();
}

QString EmbeddedBackend::attach(const QString& path, const QString& description)
{
    const QString key = QFileInfo(path).absoluteFilePath();
    if (const auto found = m_attached.constFind(key); found != m_attached.constEnd())
        return found.value();
    if (!m_session->autocommit())
        throw DbError(QStringLiteral("[embedded] %1 cannot be opened inside a transaction: the embedded engine opens other "
                                     "databases only between transactions. Read it once before BEGIN TRANSACTION.")
                          .arg(description),
                      QStringLiteral("25000"), 0);
    const QString alias = QStringLiteral("linked%1").arg(m_attached.size() + 1);
    m_session->run(QStringLiteral("ATTACH DATABASE ? AS %1").arg(TsqlTranslator::quoteName(alias)), nullptr, {path});
    m_attached.insert(key, alias);
    return alias;
}

QString EmbeddedBackend::masterSchema()
{
    if (sameName(m_catalog, QStringLiteral("master")))
        return QStringLiteral("main");
    if (!m_masterAttached) {
        if (!m_session->autocommit())
            throw DbError(QStringLiteral("[embedded] sys.servers cannot be read inside a transaction on the embedded engine."),
                          QStringLiteral("25000"), 0);
        m_session->run(QStringLiteral("ATTACH DATABASE ? AS mssql_master"), nullptr, {m_server.databasePath(QStringLiteral("master"))});
        m_masterAttached = true;
    }
    return QStringLiteral("mssql_master");
}

// master.sqlite stays attached only for the statement that reads sys.servers, so that the
// session's transactions do not hold a lock on it.
void EmbeddedBackend::detachMaster()
{
    if (!m_masterAttached || !m_session->autocommit())
        return;
    try {
        m_session->run(QStringLiteral("DETACH DATABASE mssql_master"));
        m_masterAttached = false;
    } catch (const DbError&) {
    }
}

QString EmbeddedBackend::linkedServerFolder(const QString& server)
{
    SqliteSession master(m_server.databasePath(QStringLiteral("master")), QStringLiteral("master"),
                         SqliteSession::OpenMode::ExistingOnly);
    ResultData row;
    master.run(QStringLiteral("SELECT server_id, data_source FROM servers WHERE name = ?"), &row, {server.trimmed()});
    if (row.rowCount() == 0)
        throw DbError(QStringLiteral("Could not find server '%1' in sys.servers. Verify that the correct server name was specified. "
                                     "If necessary, execute the stored procedure sp_addlinkedserver to add the server to sys.servers.")
                          .arg(server),
                      QStringLiteral("42000"), 7202);
    // The server's own entry reads only once its data access is switched on, a linked server until
    // it is switched off, as on SQL Server.
    const qlonglong id = row.values[0].toLongLong();
    const QVariant access = master.scalar(QStringLiteral("SELECT value FROM server_options WHERE server_id = ? AND name = 'data access'"), {id});
    const QString value = access.toString().trimmed().toLower();
    if (access.isValid() ? value != QLatin1String("true") && value != QLatin1String("on") : id == 0)
        throw DbError(QStringLiteral("Server '%1' is not configured for DATA ACCESS.").arg(server.trimmed()), QStringLiteral("42000"), 7411);
    if (id == 0)
        return m_server.folder();
    QString dataSource = row.values[1].toString().trimmed();
    if (dataSource.isEmpty())
        dataSource = server.trimmed();
    QString folder;
    if (ConnectionText::isEmbeddedSource(dataSource))
        folder = EmbeddedServer::folderFor(dataSource, m_programFolder);
    else if (EmbeddedServer::isFolderName(dataSource))
        folder = QFileInfo(m_server.folder()).dir().absoluteFilePath(dataSource);
    if (!EmbeddedServer(folder).exists())
        throw DbError(QStringLiteral("Cannot initialize the data source object of OLE DB provider \"SQLNCLI\" for linked server \"%1\". "
                                     "The embedded server '%2' does not exist.")
                          .arg(server, dataSource),
                      QStringLiteral("42000"), 7303);
    return folder;
}

QString EmbeddedBackend::schemaFor(const QString& server, const QString& catalog)
{
    EmbeddedServer::checkCatalogName(catalog);
    const QString folder = server.isEmpty() ? m_server.folder() : linkedServerFolder(server);
    const bool sameServer = QFileInfo(folder).canonicalFilePath() == QFileInfo(m_server.folder()).canonicalFilePath();
    if (sameServer && sameName(catalog, m_catalog))
        return QStringLiteral("main");
    if (sameServer && sameName(catalog, QStringLiteral("master")))
        return masterSchema();
    const QString path = EmbeddedServer(folder).databasePath(catalog);
    if (!QFileInfo::exists(path)) {
        if (server.isEmpty())
            throw DbError(QStringLiteral("Database '%1' does not exist. Make sure that the name is entered correctly.").arg(catalog),
                          QStringLiteral("42000"), 911);
        throw DbError(QStringLiteral("OLE DB provider \"SQLNCLI\" for linked server \"%1\" returned message \"Cannot open database "
                                     "\"%2\" requested by the login. The login failed.\".")
                          .arg(server, catalog),
                      QStringLiteral("42000"), 4060);
    }
    return attach(path, server.isEmpty() ? QStringLiteral("Database '%1'").arg(catalog)
                                         : QStringLiteral("Linked server '%1'").arg(server));
}

long long EmbeddedBackend::copyTable(const Statement& statement)
{
    ResultData info;
    m_session->run(QStringLiteral("PRAGMA %1.table_info(%2)").arg(TsqlTranslator::quoteName(statement.schema), TsqlTranslator::quoteName(statement.table)), &info);
    if (info.rowCount() == 0)
        throw DbError(QStringLiteral("Invalid object name '%1'.").arg(statement.table), QStringLiteral("42S02"), 208);
    // Each column as the source declares it: type, collation, NOT NULL and default, without keys.
    // A table declared alike takes the rows as they are stored, without decoding them.
    const QByteArray schema = statement.schema.toUtf8();
    const QByteArray table = statement.table.toUtf8();
    QStringList columns;
    for (qsizetype row = 0; row < info.rowCount(); ++row) {
        const size_t base = size_t(row) * info.columns.size();
        const QString name = info.values[base + 1].toString();
        QString type = info.values[base + 2].toString();
        // The copy's column takes the values as they are; the source's counter stays with the source.
        if (const qsizetype identity = type.indexOf(QLatin1String(" identity("), 0, Qt::CaseInsensitive); identity > 0)
            type.truncate(identity);
        QString column = TsqlTranslator::quoteName(name) + QLatin1Char(' ') + type;
        const char* collation = nullptr;
        if (sqlite3_table_column_metadata(m_session->handle(), schema.constData(), table.constData(), name.toUtf8().constData(),
                                          nullptr, &collation, nullptr, nullptr, nullptr)
                == SQLITE_OK
            && collation && qstricmp(collation, "BINARY") != 0)
            column += QStringLiteral(" COLLATE ") + QString::fromUtf8(collation);
        if (info.values[base + 3].toInt() != 0)
            column += QStringLiteral(" NOT NULL");
        if (!info.values[base + 4].isNull())
            column += QStringLiteral(" DEFAULT ") + info.values[base + 4].toString();
        columns << column;
    }
    // Made whole or not at all, as SQL Server's SELECT ... INTO.
    SqliteUnit unit(*m_session, SqliteUnit::Lock::Deferred);
    m_session->run((statement.temporary ? QStringLiteral("CREATE TEMP TABLE ") : QStringLiteral("CREATE TABLE ")) + statement.name
                   + QLatin1Char('(') + columns.join(QStringLiteral(", ")) + QLatin1Char(')'));
    const long long copied = m_session->run(QStringLiteral("INSERT INTO ") + (statement.temporary ? QStringLiteral("temp.") : QString())
                                            + statement.name + QStringLiteral(" SELECT * FROM ") + TsqlTranslator::quoteName(statement.schema)
                                            + QLatin1Char('.') + TsqlTranslator::quoteName(statement.table) + statement.sql);
    unit.commit();
    return copied;
}

QString EmbeddedBackend::declaredType(const QString& schema, const QString& table, const QString& column)
{
    for (const TableColumn& known : columns(schema, table))
        if (sameName(known.name, column))
            return known.type;
    return QString();
}

std::vector<TableColumn> EmbeddedBackend::columns(const QString& schema, const QString& table)
{
    const QString key = schema + QLatin1Char('.') + table.toLower();
    if (const auto cached = m_columns.constFind(key); cached != m_columns.constEnd())
        return cached.value();
    ResultData info;
    if (schema.isEmpty())
        m_session->run(QStringLiteral("PRAGMA table_info(%1)").arg(TsqlTranslator::quoteName(table)), &info);
    else
        m_session->run(QStringLiteral("PRAGMA %1.table_info(%2)").arg(TsqlTranslator::quoteName(schema), TsqlTranslator::quoteName(table)), &info);
    std::vector<TableColumn> result;
    for (qsizetype row = 0; row < info.rowCount(); ++row) {
        const size_t base = size_t(row) * info.columns.size();
        TableColumn column;
        column.name = info.values[base + 1].toString();
        column.type = info.values[base + 2].toString();
        column.notNull = info.values[base + 3].toInt() != 0;
        // The engine declares INTEGER PRIMARY KEY (SQLite's row number) only for an IDENTITY key;
        // any other IDENTITY column keeps "identity(seed,step)" in its type.
        column.identity = (info.values[base + 5].toInt() > 0 && column.type == QLatin1String("INTEGER"))
            || column.type.contains(QLatin1String(" identity("), Qt::CaseInsensitive);
        result.push_back(column);
    }
    m_columns.insert(key, result);
    return result;
}

QString EmbeddedBackend::objectName(const QString& schema, const QString& table)
{
    QString catalog = m_catalog;
    if (schema == QLatin1String("temp") || table.startsWith(QLatin1Char('#')))
        catalog = QStringLiteral("tempdb");
    else if (schema == QLatin1String("mssql_master"))
        catalog = QStringLiteral("master");
    else if (!schema.isEmpty() && schema != QLatin1String("main"))
        for (auto it = m_attached.constBegin(); it != m_attached.constEnd(); ++it)
            if (it.value() == schema)
                catalog = QFileInfo(it.key()).completeBaseName();
    return catalog + QStringLiteral(".dbo.") + table;
}

int EmbeddedBackend::resultColumnCount(const QString& sql)
{
    return m_session->columnCount(sql);
}

} // namespace db::embedded

namespace db {

std::unique_ptr<Backend> openEmbeddedBackend(const ConnectionInfo& info, const ConnectionContext& context)
{
    const QString name = ConnectionText::embeddedServer(info.dataSource);
    const QString catalog = info.catalog.trimmed().isEmpty() ? QStringLiteral("master") : info.catalog.trimmed();
    // A catalog name never reaches the file system unchecked.
    embedded::EmbeddedServer::checkCatalogName(catalog);
    embedded::EmbeddedServer server(embedded::EmbeddedServer::folderFor(info.dataSource, context.programFolder));
    if (!server.exists())
        throw DbError(QStringLiteral("[DBNETLIB][ConnectionOpen (Connect()).]SQL Server does not exist or access denied. "
                                     "Connection failure: the embedded server '%1' was not found.")
                          .arg(name),
                      QStringLiteral("08001"), 53);
    return std::make_unique<embedded::EmbeddedBackend>(std::move(server), catalog, context.programFolder);
}

} // namespace db
