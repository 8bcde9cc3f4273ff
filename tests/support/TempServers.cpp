#include "TempServers.h"

#include "tools/demo/DemoBuilder.h"

#include "db/Recordset.h"

#include <stdexcept>

namespace support {

TempServers::TempServers(EmptyFolder)
{
    if (!m_dir.isValid())
        throw std::runtime_error("Cannot make a temporary program folder: " + m_dir.errorString().toStdString());
}

TempServers::TempServers(std::uint32_t seed, const QDate& today)
    : TempServers(EmptyFolder{})
{
    tools::DemoOptions options;
    options.seed = seed;
    options.size = tools::DemoSize::small();
    options.today = today;
    tools::DemoBuilder(m_dir.path(), options).build();
    m_headOffice = open(tools::DemoBuilder::headOfficeDataSource(), tools::DemoBuilder::mainCompany());
    m_branch = open(tools::DemoBuilder::branchDataSource(), tools::DemoBuilder::branchCompany());
}

db::embedded::EmbeddedServer TempServers::server(const QString& dataSource) const
{
    return db::embedded::EmbeddedServer(db::embedded::EmbeddedServer::folderFor(dataSource, m_dir.path()));
}

void TempServers::createServer(const QString& dataSource, const QStringList& catalogs)
{
    server(dataSource).createServer();
    if (catalogs.isEmpty())
        return;
    const std::unique_ptr<db::Connection> master = open(dataSource, QStringLiteral("master"));
    for (const QString& catalog : catalogs)
        master->execute(QStringLiteral("CREATE DATABASE ") + catalog);
}

std::unique_ptr<db::Connection> TempServers::open(const QString& dataSource, const QString& catalog) const
{
    auto connection = std::make_unique<db::Connection>(db::ConnectionContext{m_dir.path()});
    connection->open(connectionText(dataSource, catalog));
    return connection;
}

QString TempServers::connectionText(const QString& dataSource, const QString& catalog)
{
    return tools::DemoBuilder::connectionText(dataSource, catalog);
}

void TempServers::addVoucherMarks()
{
    for (const char* table : {"TblSales", "TblPurchase"})
        for (const char* column : {"SyncStat", "ServInvID"})
            m_branch->execute(QStringLiteral("Alter table %1 Add %2 Numeric").arg(QLatin1String(table), QLatin1String(column)));
}

connection::ProgramSettings TempServers::demoSettings()
{
    connection::ProgramSettings settings;
    settings.serverName = tools::DemoBuilder::branchDataSource();
    settings.syncServerName = tools::DemoBuilder::headOfficeDataSource();
    settings.destinationCompanyCode = tools::DemoBuilder::branchCompany();
    settings.sourceCompanyCode = tools::DemoBuilder::mainCompany();
    return settings;
}

QVariant TempServers::scalar(db::Connection& connection, const QString& sql)
{
    db::Recordset rows = connection.openRecordset(sql);
    return rows.eof() ? QVariant() : rows.field(0).value();
}

QString TempServers::rows(db::Connection& connection, const QString& sql)
{
    db::Recordset rows = connection.openRecordset(sql);
    QString text = rows.getString(QStringLiteral("|"), QStringLiteral("\n"), QStringLiteral("NULL"));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

std::vector<double> TempServers::numbers(db::Connection& connection, const QString& sql)
{
    std::vector<double> all;
    for (db::Recordset rows = connection.openRecordset(sql); !rows.eof(); rows.moveNext())
        for (int i = 0; i < rows.fieldCount(); ++i)
            all.push_back(rows.field(i).value().toDouble());
    return all;
}

} // namespace support
