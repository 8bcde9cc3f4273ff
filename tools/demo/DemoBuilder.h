#pragma once

#include "tools/demo/DemoOptions.h"

#include <QString>
#include <QStringList>

namespace tools {

/// Creates the demo: a branch server BR with the sub company SUB01 and a head-office server HO
/// with the main company MAIN01, both embedded servers under PROGRAM_FOLDER/servers, each with
/// its start-up catalog QRNStartup; the head office gets realistic masters and vouchers and
/// the change-capture triggers, the branch an older, smaller copy of the masters; and the
/// Resources settings files that point the program at them.
class DemoBuilder {
public:
    /// A builder for the demo under `programFolder`; nothing is made until build().
    DemoBuilder(QString programFolder, DemoOptions options);

    /// Builds everything and returns one line per thing made, for the operator.
    /// Throws std::runtime_error when a server exists and replacing was not asked for, and
    /// db::DbError when a statement fails.
    QStringList build();

    /// "Provider=SQLOLEDB.1;Password=KESTREL264$;...;Initial Catalog=CATALOG;Data Source=SOURCE",
    /// the text the program opens company connections with.
    static QString connectionText(const QString& dataSource, const QString& catalog);

    /// The branch's data source: the server of the sub company.
    static QString branchDataSource() { return QStringLiteral("embedded:BR"); }
    /// The head office's data source: the sync server of the main company.
    static QString headOfficeDataSource() { return QStringLiteral("embedded:HO"); }
    /// The sub company's catalog on the branch server.
    static QString branchCompany() { return QStringLiteral("SUB01"); }
    /// The main company's catalog on the head-office server.
    static QString mainCompany() { return QStringLiteral("MAIN01"); }
    /// The catalog listing each server's companies.
    static QString startupCatalog() { return QStringLiteral("QRNStartup"); }

private:
    void createServer(const QString& dataSource, const QString& company);
    void writeResources();

    QString m_programFolder;
    DemoOptions m_options;
    QStringList m_report;
};

} // namespace tools
