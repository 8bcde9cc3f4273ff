#include "tools/demo/DemoBuilder.h"

#include "tools/demo/ActivityTriggers.h"
#include "tools/demo/CompanyGenerator.h"
#include "tools/demo/SchemaScript.h"
#include "tools/demo/TableRows.h"

#include "db/Connection.h"
#include "text/DateText.h"
#include "db/DbError.h"
#include "db/embedded/EmbeddedServer.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

namespace tools {

namespace {

struct CompanyEntry {
    int id;
    QString code;
    QString name;
    int applicationId;
    bool active;
};

void writeFile(const QString& path, const QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()).toStdString());
    file.write(text.toUtf8());
}

} // namespace

DemoBuilder::DemoBuilder(QString programFolder, DemoOptions options)
    : m_programFolder(std::move(programFolder))
    , m_options(std::move(options))
{
    if (!m_options.today.isValid())
        m_options.today = QDate::currentDate();
}

QString DemoBuilder::connectionText(const QString& dataSource, const QString& catalog)
{
    return QStringLiteral("Provider=SQLOLEDB.1;Password=KESTREL264$;Persist Security Info=True;User ID=sa;Initial Catalog=%1;Data Source=%2")
        .arg(catalog, dataSource);
}

QStringList DemoBuilder::build()
{
    m_report.clear();
    // Refuse before touching anything, so a refused run leaves both servers as they were.
    for (const QString& source : {branchDataSource(), headOfficeDataSource()}) {
        const QString folder = db::embedded::EmbeddedServer::folderFor(source, m_programFolder);
        if (QDir(folder).exists() && !m_options.replaceExisting)
            throw std::runtime_error(
                QStringLiteral("The server folder %1 already exists; use --force to replace it.").arg(QDir::toNativeSeparators(folder)).toStdString());
    }

    const CompanyGenerator data(m_options.size, m_options.today, m_options.seed);
    createServer(branchDataSource(), branchCompany());
    createServer(headOfficeDataSource(), mainCompany());

    db::ConnectionContext context{m_programFolder};
    {
        db::Connection head(context);
        head.open(connectionText(headOfficeDataSource(), mainCompany()));
        // What the program's "Update Database" adds; the head office's triggers need ServInvID.
        for (const char* statement : {"Alter table TblSales Add SyncStat Numeric", "Alter table TblPurchase Add SyncStat Numeric",
                                      "Alter table TblSales Add ServInvID Numeric", "Alter table TblPurchase Add ServInvID Numeric"})
            head.execute(QLatin1String(statement));
        qsizetype rows = 0;
        for (const TableRows& table : data.headOffice())
            rows += table.insertInto(head);
        m_report << QStringLiteral("%1 %2: %3 rows in %4 tables").arg(headOfficeDataSource(), mainCompany()).arg(rows).arg(data.headOffice().size());
    }
    {
        db::Connection branch(context);
        branch.open(connectionText(branchDataSource(), branchCompany()));
        qsizetype rows = 0;
        for (const TableRows& table : data.branch())
            rows += table.insertInto(branch);
        m_report << QStringLiteral("%1 %2: %3 rows in %4 tables").arg(branchDataSource(), branchCompany()).arg(rows).arg(data.branch().size());
    }

    // The triggers come after the load, so the activity log holds only the few changes below.
    db::embedded::EmbeddedServer headServer(db::embedded::EmbeddedServer::folderFor(headOfficeDataSource(), m_programFolder));
    // One native batch in one transaction: all triggers or none.
    headServer.executeNative(mainCompany(), QStringLiteral("BEGIN;\n%1;\nCOMMIT;").arg(ActivityTriggers::allStatements().join(QLatin1String(";\n"))));
    m_report << QStringLiteral("%1 %2: change-capture triggers on %3 tables")
                    .arg(headOfficeDataSource(), mainCompany())
                    .arg(ActivityTriggers::capturedTables().size());
    {
        db::Connection head(context);
        head.open(connectionText(headOfficeDataSource(), mainCompany()));
        for (const QString& statement : data.recentChanges())
            head.execute(statement);
        m_report << QStringLiteral("%1 %2: %3 recent master changes in tblActivity")
                        .arg(headOfficeDataSource(), mainCompany())
                        .arg(data.recentChanges().size());
    }

    writeResources();
    return m_report;
}

void DemoBuilder::createServer(const QString& dataSource, const QString& company)
{
    const QString folder = db::embedded::EmbeddedServer::folderFor(dataSource, m_programFolder);
    if (QDir(folder).exists() && !QDir(folder).removeRecursively())
        throw std::runtime_error(QStringLiteral("Cannot remove the old server folder %1.").arg(QDir::toNativeSeparators(folder)).toStdString());
    db::embedded::EmbeddedServer server(folder);
    server.createServer();

    db::ConnectionContext context{m_programFolder};
    {
        db::Connection master(context);
        master.open(connectionText(dataSource, QStringLiteral("master")));
        master.execute(QStringLiteral("CREATE DATABASE %1").arg(startupCatalog()));
        master.execute(QStringLiteral("CREATE DATABASE %1").arg(company));
    }

    const bool head = dataSource == headOfficeDataSource();
    const QList<CompanyEntry> companies = head
        ? QList<CompanyEntry>{{1, company, QStringLiteral("Head Office"), 33, true},
                              {2, QStringLiteral("ACC01"), QStringLiteral("Head Office Accounts"), 12, true}}
        : QList<CompanyEntry>{{1, company, QStringLiteral("Branch Store"), 33, true},
                              {2, QStringLiteral("SUB00"), QStringLiteral("Branch Store (closed year)"), 33, false}};
    {
        db::Connection startup(context);
        startup.open(connectionText(dataSource, startupCatalog()));
        SchemaScript::run(startup, SchemaScript::startup());
        const QDate yearStart(m_options.today.month() >= 4 ? m_options.today.year() : m_options.today.year() - 1, 4, 1);
        for (const CompanyEntry& entry : companies)
            startup.execute(QStringLiteral("INSERT INTO tblcompany (CompanyID, CompanyCode, CompanyName, ApplicationID, active, "
                                           "FinancialYearFrom, FinancialYearTo) VALUES (%1, '%2', '%3', %4, %5, '%6', '%7')")
                                .arg(entry.id)
                                .arg(entry.code, entry.name)
                                .arg(entry.applicationId)
                                .arg(entry.active ? 1 : 0)
                                .arg(text::DateText::sqlDate(yearStart), text::DateText::sqlDate(yearStart.addYears(1).addDays(-1))));
    }
    {
        db::Connection companyConnection(context);
        companyConnection.open(connectionText(dataSource, company));
        SchemaScript::run(companyConnection, SchemaScript::company());
    }
    m_report << QStringLiteral("%1: server in %2 with catalogs %3 and %4")
                    .arg(dataSource, QDir::toNativeSeparators(folder), startupCatalog(), company);
}

void DemoBuilder::writeResources()
{
    const QString folder = m_programFolder + QStringLiteral("/Resources");
    if (!QDir().mkpath(folder))
        throw std::runtime_error(QStringLiteral("Cannot create %1.").arg(QDir::toNativeSeparators(folder)).toStdString());
    // The program reads these files as CR LF lines without a final line break.
    writeFile(folder + QStringLiteral("/ServerName.ini"), branchDataSource());
    writeFile(folder + QStringLiteral("/Appsettings.ini"),
              QStringLiteral("LOCALDBCODE=%1\r\nWEBDBCODE=%2\r\nSYNCSERVER=%3").arg(branchCompany(), mainCompany(), headOfficeDataSource()));
    writeFile(folder + QStringLiteral("/AppsettingsLoop.ini"), QStringLiteral("MaxActivityID=0\r\nMaxActivityIDTrans=0"));
    writeFile(folder + QStringLiteral("/TIMEZONE.ini"), QStringLiteral("0"));
    m_report << QStringLiteral("Resources: ServerName.ini, Appsettings.ini, AppsettingsLoop.ini, TIMEZONE.ini in %1")
                    .arg(QDir::toNativeSeparators(folder));
}

} // namespace tools
