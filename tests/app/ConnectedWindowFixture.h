#pragma once

#include "app/MainWindow.h"
#include "app/MastersController.h"
#include "app/Session.h"
#include "app/TransformController.h"
#include "ScriptedPrompter.h"
#include "TempServers.h"

#include <QDateEdit>
#include <gtest/gtest.h>

#include <memory>

// The real main window with its session and transformation controller, connected to a small demo
// whose vouchers end on 6 December 2026, with the From/To range 2 to 6 December.
class ConnectedWindowFixture : public ::testing::Test {
protected:
    void connectCompanies()
    {
        window = std::make_unique<app::MainWindow>(servers.folder());
        app::Session::Options options;
        options.prompter = &prompter;
        options.endProgram = [] {};
        options.clock = [] { return QDateTime(QDate(2026, 12, 6), QTime(10, 30, 0)); };
        session = std::make_unique<app::Session>(*window, options);
        controller = &session->transform();
        ASSERT_TRUE(session->startUp());
        session->connectCompanies();
        // Step 1 first, as the operator does: Show Trans then finds the masters level.
        session->masters().fullSync();
        prompter.shown.clear();
        window->dtpdate()->setDate(QDate(2026, 12, 2));
        window->dtpto()->setDate(QDate(2026, 12, 6));
    }

    support::TempServers servers{7, QDate(2026, 12, 6)};
    support::ScriptedPrompter prompter;
    std::unique_ptr<app::MainWindow> window;
    std::unique_ptr<app::Session> session;
    app::TransformController* controller = nullptr;
};
