#pragma once

#include "RecordingReporter.h"
#include "ScriptedPrompter.h"
#include "TempServers.h"
#include "VectorControls.h"

#include "connection/CompanyConnections.h"
#include "connection/ProgramSettings.h"
#include "transform/FillProgress.h"
#include "transform/ListFiller.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace transformtest {

/// Remembers the busy pointer and the progress window calls, in order.
class RecordingProgress : public transform::FillProgress {
public:
    void setBusy(bool busy) override
    {
        this->busy = busy;
        calls << (busy ? QStringLiteral("busy") : QStringLiteral("idle"));
    }
    void open(const QString& caption, int maximum) override { calls << QStringLiteral("open %1 %2").arg(caption).arg(maximum); }
    void step() override { ++steps; }
    void close() override { calls << QStringLiteral("close"); }

    QStringList calls;
    int steps = 0;
    bool busy = false;
};

/// Connects `connections` to the demo's companies (BR/SUB01 and HO/MAIN01) as the program does.
inline void connectDemoCompanies(connection::CompanyConnections& connections)
{
    connections.connectWebDatabase(support::TempServers::demoSettings());
}

/// The demo companies of 6 Dec 2026, both connected as the program connects them.
class TransformFixture : public ::testing::Test {
protected:
    TransformFixture() { connectDemoCompanies(connections); }

    static QStringList texts(const support::VectorListControl& list)
    {
        QStringList all;
        for (const auto& entry : list.entries)
            all << entry.text;
        return all;
    }
    static QList<qlonglong> ids(const support::VectorListControl& list)
    {
        QList<qlonglong> all;
        for (const auto& entry : list.entries)
            all << entry.itemData;
        return all;
    }
    QStringList boxTexts() const
    {
        QStringList all;
        for (const auto& prompt : prompter.shown)
            all << prompt.text;
        return all;
    }

    support::TempServers servers{7, QDate(2026, 12, 6)};
    connection::CompanyConnections connections{db::ConnectionContext{servers.folder()}};
    support::RecordingReporter reporter;
    support::ScriptedPrompter prompter;
    RecordingProgress progress;
    transform::ListFiller filler{connections, reporter, prompter, progress};
};

} // namespace transformtest
