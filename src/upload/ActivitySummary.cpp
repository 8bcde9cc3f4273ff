#include "upload/ActivitySummary.h"

#include "db/Connection.h"
#include "report/GridControl.h"
#include "report/Reporter.h"

namespace upload {

ActivitySummary::ActivitySummary(db::Connection& source, report::Reporter& reporter)
    : m_source(source)
    , m_reporter(reporter)
{
}

QString ActivitySummary::query(qint32 mark)
{
    return QStringLiteral(" SELECT  COUNT(tblUniqueID) AS Updations, TableName, DAY(DateofAction) AS day, MONTH(DateofAction) AS Month, "
                          "YEAR(DateofAction) AS year From tblActivity where ID>")
        + QString::number(mark)
        + QStringLiteral(" GROUP BY TableName, DAY(DateofAction), MONTH(DateofAction), YEAR(DateofAction) ");
}

QString ActivitySummary::gridFormat()
{
    return QStringLiteral("Updations | TableName | Date ");
}

void ActivitySummary::fill(report::GridControl& grid, qint32 mark)
{
    db::Recordset rows = m_source.openRecordset(query(mark));
    grid.reset(gridFormat());
    m_reporter.log(QStringLiteral("Query Opened"), rows.source());
    const QString tab = QStringLiteral("\t");
    for (; !rows.eof(); rows.moveNext()) {
        const QString day = rows.field(QStringLiteral("day")).text() + QLatin1Char('/') + rows.field(QStringLiteral("Month")).text()
            + QLatin1Char('/') + rows.field(QStringLiteral("year")).text();
        const QString cells = rows.field(QStringLiteral("Updations")).text() + tab + rows.field(QStringLiteral("TableName")).text() + tab + day;
        grid.addRow(cells);
        m_reporter.log(QStringLiteral("Looping query "), cells);
    }
}

} // namespace upload
