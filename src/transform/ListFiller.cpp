#include "transform/ListFiller.h"

#include "connect/CompanyConnections.h"
#include "db/DbError.h"
#include "text/NumberText.h"
#include "report/ListControl.h"
#include "report/Prompter.h"
#include "report/ProgressSteps.h"
#include "report/Reporter.h"
#include "transform/FillProgress.h"

#include <limits>

namespace transform {

namespace {

bool isLostConnection(const QString& description)
{
    return description.contains(QLatin1String("Connection failure"));
}

} // namespace

ListFiller::ListFiller(connection::CompanyConnections& connections, report::Reporter& reporter, report::Prompter& prompter,
                       FillProgress& progress)
    : m_connections(connections)
    , m_reporter(reporter)
    , m_prompter(prompter)
    , m_progress(progress)
{
}

int ListFiller::fail(report::ListControl& control, const QString& description)
{
    m_progress.setBusy(false);
    m_reporter.processEvents();
    control.setVisible(true);
    m_prompter.tell(report::PromptIcon::Critical, description);
    return 0;
}

bool ListFiller::isOpen(Company company) const
{
    return (company == Company::Source ? m_connections.source() : m_connections.destination()).isOpen();
}

int ListFiller::fill(report::ListControl& control, const QString& query, FillOptions options)
{
    db::Connection& connection = options.company == Company::Source ? m_connections.source() : m_connections.destination();

    db::Recordset rows;
    for (int attempt = 0;; ++attempt) {
        try {
            rows = connection.openRecordset(query);
            break;
        } catch (const std::exception& e) {
            const QString description = QString::fromStdString(e.what());
            m_progress.setBusy(false);
            m_reporter.processEvents();
            // A server that keeps dropping the connection must not keep the operator in a loop of boxes.
            if (!isLostConnection(description) || attempt >= connectionRetries)
                return fail(control, description);
            m_prompter.tell(report::PromptIcon::Information, QStringLiteral("Connection Restablished"));
        }
    }

    bool progressShown = false;
    try {
        if (!options.keepEntries)
            control.clear();
        const qsizetype count = rows.recordCount();
        if (count == 0)
            return 0;

        m_progress.setBusy(true);
        m_reporter.processEvents();
        if (options.showProgress) {
            m_progress.open(QStringLiteral("Loading ") + QString::number(count) + QStringLiteral(" Items. Please wait...."), int(count));
            progressShown = true;
        }
        control.setCurrentIndex(-1);
        report::ProgressSteps bar(m_reporter, QStringLiteral("Loading ") + QString::number(count) + QStringLiteral(" entries"), count);
        qint64 added = 0;
        for (; !rows.eof(); rows.moveNext()) {
            bar.moveTo(++added);
            const long long itemData = text::NumberText::leadingWhole(rows.field(0).text(), std::numeric_limits<qlonglong>::min(),
                                                                    std::numeric_limits<qlonglong>::max());
            control.addItem(rows.field(1).text(), itemData);
            if (progressShown)
                m_progress.step();
        }
        if (control.count() > 0)
            control.setCurrentIndex(0);
        rows.close();
        if (progressShown)
            m_progress.close();
        m_reporter.processEvents();
        m_progress.setBusy(false);
        m_reporter.processEvents();
        return int(count);
    } catch (const std::exception& e) {
        if (progressShown)
            m_progress.close();
        return fail(control, QString::fromStdString(e.what()));
    }
}

} // namespace transform
