#include "replication/TransactionCopier.h"

#include "replication/FieldValueKind.h"
#include "replication/IdentityInsert.h"
#include "replication/NextId.h"
#include "replication/RowCopier.h"
#include "replication/ValueText.h"

#include "db/Connection.h"
#include "db/DbError.h"
#include "db/Transaction.h"
#include "report/Reporter.h"

#include <optional>
#include <vector>

namespace replication {

namespace {

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isKey(const db::Field& field, const QString& keyColumn)
{
    return !field.isNull() && isNumericKind(fieldValueKind(field.typeCode())) && sameName(field.name(), keyColumn);
}

} // namespace

TransactionCopier::TransactionCopier(db::Connection& from, db::Connection& to, report::Reporter& reporter)
    : m_from(from)
    , m_to(to)
    , m_reporter(reporter)
{
}

QString TransactionCopier::writeBack(const QString& masterTable, const QString& keyColumn, long long oldKey, long long newKey)
{
    return QStringLiteral("update ") + masterTable + QStringLiteral(" set SyncStat=1, ServInvID=") + QString::number(oldKey)
        + QStringLiteral(" where ") + keyColumn + QLatin1Char('=') + QString::number(newKey);
}

QString TransactionCopier::lockStatement(const QString& resource, int timeoutMs)
{
    QString name = resource;
    name.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QStringLiteral("declare @granted int; exec @granted = sp_getapplock @Resource = N'") + name
        + QStringLiteral("', @LockMode = 'Exclusive', @LockOwner = 'Transaction', @LockTimeout = ") + QString::number(timeoutMs)
        + QStringLiteral("; select @granted as Granted");
}

void TransactionCopier::takeLock(db::Connection& destination, const QString& resource, int timeoutMs)
{
    db::Recordset granted = destination.openRecordset(lockStatement(resource, timeoutMs));
    const int status = granted.eof() || granted.field(0).isNull() ? -999 : granted.field(0).value().toInt();
    // sp_getapplock reports a lock it could not take only by its status, never by an error.
    if (status < 0)
        throw db::DbError(QStringLiteral("Lock request time out period exceeded: another program has been copying vouchers into "
                                         "the same database for over ") + QString::number(timeoutMs / 1000)
                              + QStringLiteral(" seconds (sp_getapplock '") + resource + QStringLiteral("' returned ")
                              + QString::number(status) + QStringLiteral(")."),
                          QStringLiteral("HY000"), 1222);
}

VoucherOutcome TransactionCopier::copy(const VoucherCopy& copy)
{
    VoucherOutcome outcome;
    m_reporter.status(QStringLiteral("Migrating ") + copy.masterTable);
    try {
        QString masterQuery = copy.query;
        if (masterQuery.isEmpty()) {
            masterQuery = QStringLiteral("Select * from ") + copy.masterTable;
            if (!copy.masterCondition.isEmpty())
                masterQuery += QStringLiteral(" where ") + copy.masterCondition;
        }
        db::Recordset masters = m_from.openRecordset(masterQuery);
        if (masters.eof())
            return outcome;

        std::vector<int> used;
        QString columns;
        for (int i = 0; i < masters.fieldCount(); ++i) {
            const QString& name = masters.columns()[size_t(i)].name;
            if (!copy.skippedColumn.isEmpty() && sameName(name, copy.skippedColumn))
                continue;
            used.push_back(i);
            if (!columns.isEmpty())
                columns += QLatin1Char(',');
            columns += name;
        }

        // The drawn key is written into the key column; where that is an identity, the server takes
        // it only with IDENTITY_INSERT on. Detail rows keep their own keys the same way.
        const bool masterIdentity =
            !IdentityInsert::identityColumn(m_to, copy.masterTable, columns.split(QLatin1Char(','))).isEmpty();
        std::optional<bool> detailIdentity;

        NextId nextId(m_to);
        while (!masters.eof()) {
            m_reporter.processEvents();
            // Each voucher stands or falls with its details and its mark.
            db::Transaction transaction(m_to);
            // Under the lock every copier of this database takes, the look-up, the key and the copy
            // are one step: a voucher another program copied meanwhile is seen here and left alone.
            if (!copy.lockResource.isEmpty())
                takeLock(m_to, copy.lockResource);
            if (!copy.alreadyCopiedQuery.isEmpty()) {
                db::Recordset existing = m_to.openRecordset(copy.alreadyCopiedQuery);
                if (!existing.eof()) {
                    outcome.alreadyCopiedAs = existing.field(0).text();
                    transaction.rollback();
                    masters.moveNext();
                    continue;
                }
            }

            QStringList values;
            qsizetype keyPiece = -1;
            long long oldKey = 0;
            for (const int i : used) {
                const db::Field field = masters.field(i);
                if (isKey(field, copy.keyColumn)) {
                    keyPiece = values.size();
                    oldKey = field.value().toLongLong();
                    values << QStringLiteral("<proposedFKID>");
                } else {
                    values << ValueText::of(field);
                }
            }

            const long long newKey = nextId.next(copy.masterTable, copy.keyColumn);
            outcome.newKey = newKey;
            if (keyPiece >= 0)
                values[keyPiece] = QString::number(newKey);

            const QString insert = RowCopier::insertStatement(copy.masterTable, columns, values.join(QLatin1Char(',')));
            long long affected = 0;
            {
                const IdentityInsert keys(m_to, copy.masterTable, masterIdentity);
                affected = m_to.execute(insert);
            }
            m_reporter.progress(insert);
            m_reporter.log(QStringLiteral("transaction insertion"), insert);

            if (affected == 0) {
                // The caller says so: this copy shows nothing.
                transaction.rollback();
                ++outcome.notInserted;
                masters.moveNext();
                continue;
            }

            if (!copy.detailTable.isEmpty()) {
                db::Recordset details = m_from.openRecordset(QStringLiteral("Select ") + copy.detailTable
                                                             + QStringLiteral(".* from ") + copy.detailSource
                                                             + QStringLiteral(" Where ") + copy.keyColumn + QLatin1Char('=')
                                                             + QString::number(oldKey) + copy.detailCondition);
                const QString detailColumns = RowCopier::columnList(details);
                if (!detailIdentity) {
                    QStringList names;
                    for (const db::Column& column : details.columns())
                        names << column.name;
                    detailIdentity = !IdentityInsert::identityColumn(m_to, copy.detailTable, names).isEmpty();
                }
                const IdentityInsert detailKeys(m_to, copy.detailTable, *detailIdentity && !details.eof());
                while (!details.eof()) {
                    QString detailValues;
                    for (int i = 0; i < details.fieldCount(); ++i) {
                        const db::Field field = details.field(i);
                        if (i > 0)
                            detailValues += QLatin1Char(',');
                        detailValues += isKey(field, copy.keyColumn) ? QString::number(newKey) : ValueText::of(field);
                    }
                    const QString detailInsert = RowCopier::insertStatement(copy.detailTable, detailColumns, detailValues);
                    // Logged before it is sent, so a failing detail statement is in the log.
                    m_reporter.progress(detailInsert);
                    m_reporter.log(QStringLiteral("transaction Detail insertion "), detailInsert);
                    m_reporter.processEvents();
                    m_to.execute(detailInsert);
                    details.moveNext();
                }
            }

            m_to.execute(writeBack(copy.masterTable, copy.keyColumn, oldKey, newKey));
            if (copy.extraStatements) {
                for (const QString& statement : copy.extraStatements(newKey))
                    m_to.execute(statement);
            }
            transaction.commit();
            ++outcome.committed;
            masters.moveNext();
        }
    } catch (const std::exception& e) {
        // The voucher's transaction has rolled back as it ended.
        const QString error = QString::fromStdString(e.what());
        m_reporter.progress(error);
        m_reporter.log(QStringLiteral("Error Generated "), error);
        throw;
    }
    return outcome;
}

} // namespace replication
