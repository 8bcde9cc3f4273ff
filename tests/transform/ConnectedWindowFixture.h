#pragma once

#include "app/MainWindow.h"
#include "app/MastersController.h"
#include "app/Shell.h"
#include "app/TransformController.h"
#include "ScriptedPrompter.h"
#include "TempServers.h"

#include <QDateEdit>
#include <gtest/gtest.h>

#include <memory>

// The real main window with its shell and transformation controller, connected to a small demo
// whose vouchers end on 6 December 2026, with the From/To range 2 to 6 December.
class ConnectedWindowFixture : public ::testing::Test {
protected:
    void connectCompanies()
    {
        window = std::make_unique<app::MainWindow>(servers.folder());
        app::Shell::Options options;
        options.prompter = &prompter;
        options.endProgram = [] {};
        options.clock = [] { return QDateTime(QDate(2026, 12, 6), QTime(10, 30, 0)); };
        shell = std::make_unique<app::Shell>(*window, options);
        controller = &shell->transform();
        ASSERT_TRUE(shell->startUp());
        shell->connectCompanies();
        // Step 1 first, as the operator does: Show Trans then finds the masters level.
        shell->masters().fullSync();
        prompter.shown.clear();
        window->dtpdate()->setDate(QDate(2026, 12, 2));
        window->dtpto()->setDate(QDate(2026, 12, 6));
    }
    void TearDown() override
    {
        shell.reset();
        window.reset();
    }

    support::TempServers servers{7, QDate(2026, 12, 6)};
    support::ScriptedPrompter prompter;
    std::unique_ptr<app::MainWindow> window;
    std::unique_ptr<app::Shell> shell;
    app::TransformController* controller = nullptr;
};
