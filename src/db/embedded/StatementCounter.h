#pragma once

#include <QSet>
#include <QString>

namespace db::embedded {

/// Numbers the top-level statements of a session, so that a trigger can act once per statement.
class StatementCounter {
public:
    /// Called whenever the engine starts a top-level statement.
    void next() { ++m_serial; }
    /// True the first time `key` is seen during the current statement.
    bool firstTime(const QString& key)
    {
        if (m_seenSerial != m_serial) {
            m_seen.clear();
            m_seenSerial = m_serial;
        }
        if (m_seen.contains(key))
            return false;
        m_seen.insert(key);
        return true;
    }

private:
    quint64 m_serial = 1;
    quint64 m_seenSerial = 0;
    QSet<QString> m_seen;
};

} // namespace db::embedded
