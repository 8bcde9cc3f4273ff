#include "connect/ServerClock.h"

#include "db/Connection.h"
#include "text/DateText.h"
#include "db/DbError.h"
#include "text/NumberText.h"
#include "report/Prompter.h"

namespace connection {

ServerClock::ServerClock(QString timezoneText, report::Prompter& prompter, Clock localClock)
    : m_prompter(prompter)
    , m_clock(std::move(localClock))
{
    bool fits = true;
    m_offset = int(text::NumberText::leadingWhole(timezoneText, -32768, 32767, &fits));
    if (!fits)
        m_prompter.tell(report::PromptIcon::Warning,
                        QStringLiteral("TIMEZONE.ini holds a number of minutes that is out of range; the server's own time is used."));
}

QString ServerClock::query(int offsetMinutes)
{
    if (offsetMinutes != 0)
        return QStringLiteral("Select top 1 dateadd(Minute,") + QString::number(offsetMinutes)
            + QStringLiteral(",getutcdate()) as ServDate from tblSettings");
    return QStringLiteral("Select top 1 Getdate() as ServDate from tblSettings");
}

ServerTime ServerClock::serverDateTime(db::Connection& source, db::Connection& destination)
{
    QDateTime when;
    db::Connection* clock = source.isOpen() ? &source : destination.isOpen() ? &destination : nullptr;
    if (clock) {
        try {
            db::Recordset rs = clock->openRecordset(query(m_offset));
            if (!rs.eof()) {
                const db::Field f = rs.field(QStringLiteral("ServDate"));
                when = f.value().typeId() == QMetaType::QDateTime ? f.value().toDateTime() : text::DateText::parse(f.text());
            }
        } catch (const db::DbError& e) {
            m_prompter.tell(report::PromptIcon::Warning, e.message());
        }
    }
    if (!when.isValid())
        when = m_clock();
    return ServerTime{when.date(), text::DateText::dayMonthYear(when.date()), text::DateText::timeAmPm(when.time())};
}

} // namespace connection
