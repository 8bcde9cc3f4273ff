#include "DemoServers.h"

#include "tools/demo/DemoBuilder.h"

#include "db/Recordset.h"

namespace tools::test {

DemoServers::DemoServers(std::uint32_t seed, const QDate& today)
{
    DemoOptions options;
    options.seed = seed;
    options.size = DemoSize::small();
    options.today = today;
    m_report = DemoBuilder(m_dir.path(), options).build();
    m_headOffice = open(DemoBuilder::headOfficeDataSource(), DemoBuilder::mainCompany());
    m_branch = open(DemoBuilder::branchDataSource(), DemoBuilder::branchCompany());
}

std::unique_ptr<db::Connection> DemoServers::open(const QString& dataSource, const QString& catalog) const
{
    auto connection = std::make_unique<db::Connection>(db::ConnectionContext{m_dir.path()});
    connection->open(DemoBuilder::connectionText(dataSource, catalog));
    return connection;
}

QVariant DemoServers::scalar(db::Connection& connection, const QString& sql)
{
    db::Recordset rows = connection.openRecordset(sql);
    return rows.eof() ? QVariant() : rows.field(0).value();
}

QString DemoServers::rows(db::Connection& connection, const QString& sql)
{
    db::Recordset rows = connection.openRecordset(sql);
    QString text = rows.getString(QStringLiteral("|"), QStringLiteral("\n"), QStringLiteral("NULL"));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

} // namespace tools::test
