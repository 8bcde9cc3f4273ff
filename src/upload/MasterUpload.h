#pragma once

#include <QString>

#include <optional>

namespace db {
class Connection;
}
namespace report {
class IniSetting;
class Prompter;
class Reporter;
}

namespace upload {

/// Replays the master changes of the head office's activity log into the branch, one activity
/// row at a time in activity order (uploadMasters), and keeps the last activity id replayed.
class MasterUpload {
public:
    /// How an activity row of a table is treated.
    struct KeyColumn {
        /// The key column that finds the row; "" for a table that is passed over.
        QString column;
        /// True for tblGodown: no statement and the mark does not move for the row.
        bool passedOver = false;
    };

    /// Reads `source` (the head office), writes `destination` (the branch); the mark goes to
    /// key MaxActivityID of the file `loopSettingsPath` (AppsettingsLoop.ini).
    MasterUpload(db::Connection& source, db::Connection& destination, report::Reporter& reporter, report::Prompter& prompter,
                 report::IniSetting& ini, QString loopSettingsPath);

    /// The query of the master activity rows above `mark`, in activity order.
    static QString activityQuery(qint32 mark);
    /// The key column of `table` (exact letter case); none for a table that is not replayed.
    static std::optional<KeyColumn> keyColumn(const QString& table);

    /// Replays every master activity row above `mark` and returns the new mark (`mark` itself when
    /// nothing advanced it). Inserted and updated rows are deleted and copied again inside one
    /// transaction on the branch; deleted rows are deleted. Each row's own failure is logged and
    /// the run goes on; when the activity query cannot be opened the run ends at once. Throws nothing.
    qint32 uploadMasters(qint32 mark);

private:
    void replay(const QString& table, const QString& keyColumn, qlonglong key, const QString& action);
    void copyAgain(const QString& table, const QString& keyColumn, qlonglong key);

    db::Connection& m_source;
    db::Connection& m_destination;
    report::Reporter& m_reporter;
    report::Prompter& m_prompter;
    report::IniSetting& m_ini;
    QString m_loopSettingsPath;
};

} // namespace upload
