#include "db/embedded/SystemProcedures.h"

#include "db/DbError.h"
#include "db/embedded/SqliteSession.h"

#include <QStringList>

namespace db::embedded {

namespace {

QString text(const QVariant& value)
{
    return value.isValid() && !value.isNull() ? value.toString() : QString();
}

// Named and positional arguments, put in the procedure's parameter order.
std::vector<QVariant> bind(const QString& procedure, const QStringList& parameters, const std::vector<ProcedureArgument>& arguments)
{
    std::vector<QVariant> values(size_t(parameters.size()));
    size_t position = 0;
    for (const ProcedureArgument& argument : arguments) {
        qsizetype index = qsizetype(position);
        if (!argument.name.isEmpty()) {
            index = parameters.indexOf(argument.name);
            if (index < 0)
                throw DbError(QStringLiteral("'@%1' is not a parameter for procedure '%2'.").arg(argument.name, procedure),
                              QStringLiteral("42000"), 8145);
        } else if (index >= parameters.size()) {
            throw DbError(QStringLiteral("Procedure or function %1 has too many arguments specified.").arg(procedure),
                          QStringLiteral("42000"), 8144);
        }
        values[size_t(index)] = argument.value;
        ++position;
    }
    return values;
}

DbError missingServer(const QString& server)
{
    return DbError(QStringLiteral("The server '%1' does not exist. Use sp_helpserver to show available servers.").arg(server),
                   QStringLiteral("42000"), 15015);
}

void requireServerArgument(const QString& procedure, const QString& parameter, const QVariant& value)
{
    if (text(value).isEmpty())
        throw DbError(QStringLiteral("Procedure or function '%1' expects parameter '@%2', which was not supplied.").arg(procedure, parameter),
                      QStringLiteral("42000"), 201);
}

} // namespace

SystemProcedures::SystemProcedures(SqliteSession& master)
    : m_master(master)
{
}

void SystemProcedures::run(const QString& name, const std::vector<ProcedureArgument>& arguments, ResultData* result)
{
    if (name == QLatin1String("xp_enum_oledb_providers")) {
        if (!arguments.empty())
            throw DbError(QStringLiteral("Procedure or function %1 has too many arguments specified.").arg(name),
                          QStringLiteral("42000"), 8144);
        listOleDbProviders(result);
        return;
    }
    if (name == QLatin1String("sp_addlinkedserver"))
        addLinkedServer(bind(name, {QStringLiteral("server"), QStringLiteral("srvproduct"), QStringLiteral("provider"),
                                    QStringLiteral("datasrc"), QStringLiteral("location"), QStringLiteral("provstr"),
                                    QStringLiteral("catalog")},
                             arguments));
    else if (name == QLatin1String("sp_dropserver"))
        dropServer(bind(name, {QStringLiteral("server"), QStringLiteral("droplogins")}, arguments));
    else if (name == QLatin1String("sp_addlinkedsrvlogin"))
        addLinkedLogin(bind(name, {QStringLiteral("rmtsrvname"), QStringLiteral("useself"), QStringLiteral("locallogin"),
                                   QStringLiteral("rmtuser"), QStringLiteral("rmtpassword")},
                            arguments));
    else if (name == QLatin1String("sp_serveroption"))
        setServerOption(bind(name, {QStringLiteral("server"), QStringLiteral("optname"), QStringLiteral("optvalue")}, arguments));
    else
        throw DbError(QStringLiteral("Could not find stored procedure '%1'.").arg(name), QStringLiteral("42000"), 2812);
}

qlonglong SystemProcedures::serverId(const QString& server)
{
    const QVariant id = m_master.scalar(QStringLiteral("SELECT server_id FROM servers WHERE name = ?"), {server});
    return id.isValid() ? id.toLongLong() : -1;
}

void SystemProcedures::addLinkedServer(const std::vector<QVariant>& values)
{
    requireServerArgument(QStringLiteral("sp_addlinkedserver"), QStringLiteral("server"), values[0]);
    const QString server = text(values[0]).trimmed();
    // The look and the change in one write transaction, so that another program adding the same
    // server at this moment gets SQL Server's answer rather than a broken constraint.
    SqliteUnit unit(m_master, SqliteUnit::Lock::Immediate);
    if (serverId(server) >= 0)
        throw DbError(QStringLiteral("The server '%1' already exists.").arg(server), QStringLiteral("42000"), 15028);
    const QString product = text(values[1]);
    const bool sqlServer = product.compare(QLatin1String("SQL Server"), Qt::CaseInsensitive) == 0;
    for (size_t k = 2; k < values.size(); ++k)
        if (sqlServer && values[k].isValid() && !values[k].isNull())
            throw DbError(QStringLiteral("You cannot specify a provider or any properties for product '%1'.").arg(product),
                          QStringLiteral("42000"), 15428);
    // For product "SQL Server" the linked server's own name is the server it reaches.
    QString dataSource = sqlServer ? server : text(values[3]);
    if (dataSource.isEmpty())
        dataSource = server;
    m_master.run(QStringLiteral("INSERT INTO servers (server_id, name, product, provider, data_source, location, provider_string, catalog, is_linked) "
                                "VALUES ((SELECT ifnull(max(server_id), 0) + 1 FROM servers), ?, ?, ?, ?, ?, ?, ?, 1)"),
                 nullptr,
                 {server, product, values[2].isValid() ? values[2] : QVariant(QStringLiteral("SQLNCLI")), dataSource, values[4],
                  values[5], values[6]});
    unit.commit();
}

void SystemProcedures::dropServer(const std::vector<QVariant>& values)
{
    requireServerArgument(QStringLiteral("sp_dropserver"), QStringLiteral("server"), values[0]);
    const QString server = text(values[0]).trimmed();
    SqliteUnit unit(m_master, SqliteUnit::Lock::Immediate);
    const qlonglong id = serverId(server);
    if (id < 0)
        throw missingServer(server);
    const bool dropLogins = text(values[1]).compare(QLatin1String("droplogins"), Qt::CaseInsensitive) == 0;
    if (!dropLogins && m_master.scalar(QStringLiteral("SELECT count(*) FROM linked_logins WHERE server_id = ?"), {id}).toLongLong() > 0)
        throw DbError(QStringLiteral("There are still remote logins or linked logins for the server '%1'.").arg(server),
                      QStringLiteral("42000"), 15190);
    m_master.run(QStringLiteral("DELETE FROM linked_logins WHERE server_id = ?1; DELETE FROM server_options WHERE server_id = ?1; "
                                "DELETE FROM servers WHERE server_id = ?1"),
                 nullptr, {id});
    unit.commit();
}

void SystemProcedures::addLinkedLogin(const std::vector<QVariant>& values)
{
    requireServerArgument(QStringLiteral("sp_addlinkedsrvlogin"), QStringLiteral("rmtsrvname"), values[0]);
    const QString server = text(values[0]).trimmed();
    SqliteUnit unit(m_master, SqliteUnit::Lock::Immediate);
    const qlonglong id = serverId(server);
    if (id < 0)
        throw missingServer(server);
    const QString useSelf = text(values[1]);
    const bool self = useSelf.isEmpty() || useSelf.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    // One mapping per local login (NULL: every login), as SQL Server keeps them.
    m_master.run(QStringLiteral("DELETE FROM linked_logins WHERE server_id = ?1 AND local_login IS ?2; "
                                "INSERT INTO linked_logins (server_id, local_login, uses_self_credential, remote_name, remote_password) "
                                "VALUES (?1, ?2, ?3, ?4, ?5)"),
                 nullptr, {id, values[2], qlonglong(self ? 1 : 0), values[3], values[4]});
    unit.commit();
}

void SystemProcedures::listOleDbProviders(ResultData* result)
{
    ResultData rows;
    m_master.run(QStringLiteral("SELECT provider_name AS [Provider Name], parse_name AS [Parse Name], description AS [Provider Description] "
                                "FROM oledb_providers ORDER BY provider_name"),
                 &rows);
    if (result)
        *result = std::move(rows);
}

void SystemProcedures::setServerOption(const std::vector<QVariant>& values)
{
    requireServerArgument(QStringLiteral("sp_serveroption"), QStringLiteral("server"), values[0]);
    requireServerArgument(QStringLiteral("sp_serveroption"), QStringLiteral("optname"), values[1]);
    const QString server = text(values[0]).trimmed();
    SqliteUnit unit(m_master, SqliteUnit::Lock::Immediate);
    const qlonglong id = serverId(server);
    if (id < 0)
        throw missingServer(server);
    const QVariant value = values[2].isValid() && !values[2].isNull() ? QVariant(values[2].toString()) : QVariant();
    m_master.run(QStringLiteral("INSERT OR REPLACE INTO server_options (server_id, name, value) VALUES (?, ?, ?)"), nullptr,
                 {id, text(values[1]), value});
    unit.commit();
}

} // namespace db::embedded

