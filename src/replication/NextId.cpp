#include "replication/NextId.h"

#include "db/Connection.h"
#include "db/DbError.h"
#include "text/NumberText.h"
#include "report/Prompter.h"

namespace replication {

NextId::NextId(db::Connection& destination, report::Prompter& prompter)
    : m_destination(destination)
    , m_prompter(prompter)
{
}

QString NextId::query(const QString& table, const QString& column, const QString& condition)
{
    QString sql = QStringLiteral("Select max(") + column + QStringLiteral(") + 1 as MAxid from ") + table;
    if (!condition.isEmpty())
        sql += QStringLiteral(" where ") + condition;
    return sql;
}

std::optional<long long> NextId::next(const QString& table, const QString& column, const QString& condition)
{
    m_lastError.clear();
    try {
        db::Recordset rows = m_destination.openRecordset(query(table, column, condition));
        if (rows.eof())
            return 1;
        const db::Field field = rows.field(QStringLiteral("MaxID"));
        if (field.isNull())
            return 1;
        const QVariant& value = field.value();
        if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int)
            return value.toLongLong();
        // numeric keys come back as decimal text, float keys as doubles
        return static_cast<long long>(text::NumberText::leading(field.text()));
    } catch (const std::exception& e) {
        m_lastError = QString::fromStdString(e.what());
        m_prompter.tell(report::PromptIcon::Warning, m_lastError);
        return std::nullopt;
    }
}

} // namespace replication
