// The linked server as the local server's version wants it, on the embedded engine and, when
// MIRTANE_TEST_MSSQL names one, on a real SQL Server.
#include "connection/LinkedServer.h"
#include "db/Connection.h"
#include "db/embedded/EmbeddedServer.h"
#include "ScriptedPrompter.h"
#include "TempServers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

using connection::LinkedServer;
using support::TempServers;

// Servers from 2022 on name the provider and make encryption optional; older ones keep the
// script as it always was. Either way the branch reads the head office through the linked server.
TEST(LinkedServerTest, ServersFrom2022NameTheProviderAndTheEncryption)
{
    TempServers servers;
    support::ScriptedPrompter prompter;
    db::embedded::EmbeddedServer local(servers.folder() + "/servers/BR");
    const QString entry = "select product, provider, data_source, provider_string from sys.servers where name = N'embedded:HO'";
    const QString remote = "select count(*) from [embedded:HO].[MAIN01].dbo.tblItemMaster";
    const qlonglong items = TempServers::scalar(servers.headOffice(), "select count(*) from tblItemMaster").toLongLong();

    EXPECT_EQ(LinkedServer::productMajorVersion(servers.branch()), 15);
    ASSERT_TRUE(LinkedServer::configure(servers.branch(), "embedded:HO", prompter));
    EXPECT_EQ(TempServers::rows(servers.branch(), entry), "SQL Server|SQLNCLI|embedded:HO|NULL");
    EXPECT_EQ(TempServers::scalar(servers.branch(), remote).toLongLong(), items);

    local.setProductMajorVersion(16);
    EXPECT_EQ(LinkedServer::productMajorVersion(servers.branch()), 16);
    ASSERT_TRUE(LinkedServer::configure(servers.branch(), "embedded:HO", prompter));
    EXPECT_EQ(TempServers::rows(servers.branch(), entry), "|MSOLEDBSQL|embedded:HO|Encrypt=no;TrustServerCertificate=yes");
    EXPECT_EQ(TempServers::scalar(servers.branch(), remote).toLongLong(), items);

    local.setProductMajorVersion(17);
    ASSERT_TRUE(LinkedServer::configure(servers.branch(), "embedded:HO", prompter, db::Encryption::Yes));
    EXPECT_EQ(TempServers::rows(servers.branch(), entry), "|MSOLEDBSQL|embedded:HO|Encrypt=yes");

    // A server with only OLE DB driver 19 gets its provider; the linked server is made again since
    // it differs, and the query timeout is no longer the server's 600 seconds.
    local.setOleDbProviders({"SQLOLEDB", "MSOLEDBSQL19"});
    ASSERT_TRUE(LinkedServer::configure(servers.branch(), "embedded:HO", prompter, db::Encryption::Yes));
    EXPECT_EQ(TempServers::rows(servers.branch(), entry), "|MSOLEDBSQL19|embedded:HO|Encrypt=yes");
    EXPECT_EQ(TempServers::scalar(servers.branch(), remote).toLongLong(), items);
    const std::unique_ptr<db::Connection> master = servers.open("embedded:BR", "master");
    EXPECT_EQ(TempServers::rows(*master, "select o.value from server_options o join servers s on s.server_id = o.server_id "
                                         "where s.name = 'embedded:HO' and o.name = 'query timeout'"),
              QString::number(LinkedServer::queryTimeoutSeconds));
    EXPECT_TRUE(prompter.shown.empty()) << prompter.shown.front().text.toStdString();
}

// Connect again, or in a second program: a linked server as wanted is kept, not dropped under the
// feet of a program reading through it; several programs connecting at once all succeed.
TEST(LinkedServerTest, ALinkedServerAsWantedIsKeptAndProgramsMayConfigureItAtOnce)
{
#ifdef Q_OS_WIN
    // The program itself runs no threads of its own.
    GTEST_SKIP() << "under Wine a thread that opened a connection crashes at its end (std::thread), or keeps the "
                    "test program from ending (QThread), in Qt's own thread cleanup";
#endif
    TempServers servers;
    support::ScriptedPrompter prompter;
    db::embedded::EmbeddedServer(servers.folder() + "/servers/BR").setProductMajorVersion(16);
    ASSERT_TRUE(LinkedServer::configure(servers.branch(), "embedded:HO", prompter));
    // A mark that only a re-creation would wipe.
    servers.branch().execute("EXEC master.dbo.sp_dropserver @server=N'embedded:HO', @droplogins='droplogins'");
    servers.branch().execute("EXEC master.dbo.sp_addlinkedserver @server = N'embedded:HO', @srvproduct=N'', @provider=N'MSOLEDBSQL', "
                             "@datasrc=N'embedded:HO', @location=N'kept', @provstr=N'Encrypt=no;TrustServerCertificate=yes'");
    ASSERT_TRUE(LinkedServer::configure(servers.branch(), "embedded:HO", prompter));
    const QString location = "select location from sys.servers where name = N'embedded:HO'";
    EXPECT_EQ(TempServers::rows(servers.branch(), location), "kept");

    // Four programs at once find it different (encryption now asked for) and each re-creates it.
    for (int trial = 0; trial < 5; ++trial) {
        const db::Encryption encryption = trial % 2 == 0 ? db::Encryption::Yes : db::Encryption::Optional;
        std::vector<std::thread> programs;
        std::atomic<int> failed{0};
        std::mutex shownMutex;
        QStringList shown;
        for (int p = 0; p < 4; ++p)
            programs.emplace_back([&] {
                support::ScriptedPrompter own;
                const std::unique_ptr<db::Connection> branch = servers.open("embedded:BR", "SUB01");
                if (!LinkedServer::configure(*branch, "embedded:HO", own, encryption)) {
                    ++failed;
                    const std::lock_guard<std::mutex> lock(shownMutex);
                    shown << own.shown.front().text;
                }
            });
        for (std::thread& program : programs)
            program.join();
        EXPECT_EQ(failed.load(), 0) << shown.join('\n').toStdString();
        EXPECT_EQ(TempServers::rows(servers.branch(), "select provider_string from sys.servers where name = N'embedded:HO'"),
                  encryption == db::Encryption::Yes ? "Encrypt=yes" : "Encrypt=no;TrustServerCertificate=yes");
        EXPECT_GT(TempServers::scalar(servers.branch(), "select count(*) from [embedded:HO].[MAIN01].dbo.tblItemMaster").toLongLong(), 0);
    }
    EXPECT_TRUE(prompter.shown.empty()) << prompter.shown.front().text.toStdString();
}

// Head office and branch on one server (SYNCSERVER missing, or naming the local server): the
// server's own name cannot be added as a linked server; it reads once its data access is on.
TEST(LinkedServerTest, HeadOfficeOnTheBranchServerReadsThroughTheServersOwnName)
{
    TempServers servers;
    support::ScriptedPrompter prompter;
    const QString ownRead = "select count(*) from [BR].[SUB01].dbo.tblItemMaster";
    EXPECT_THROW(TempServers::scalar(servers.branch(), ownRead), db::DbError);
    ASSERT_TRUE(LinkedServer::configure(servers.branch(), "BR", prompter));
    ASSERT_TRUE(LinkedServer::configure(servers.branch(), "BR", prompter));
    EXPECT_TRUE(prompter.shown.empty()) << prompter.shown.front().text.toStdString();
    EXPECT_EQ(TempServers::scalar(servers.branch(), ownRead), TempServers::scalar(servers.branch(), "select count(*) from tblItemMaster"));
    EXPECT_EQ(TempServers::rows(servers.branch(), "select server_id, is_linked from sys.servers where name = N'BR'"), "0|0");
}

// On a real server: the linked server the program makes for a sync server that is this very
// server answers a four-part read, whatever the server's version.
TEST(LinkedServerLiveTest, LinkedServerToThisServerAnswersAFourPartRead)
{
    const QString text = qEnvironmentVariable("MIRTANE_TEST_MSSQL");
    if (text.isEmpty())
        GTEST_SKIP() << "MIRTANE_TEST_MSSQL is not set";
    db::Connection local;
    local.open(text);
    const db::ConnectionInfo& info = local.info();
    if (info.password != QLatin1String("KESTREL264$"))
        GTEST_SKIP() << "the linked server logs in as sa with the program's password, which this server's sa does not have";
    // The server's own name (head office on the branch server) is kept; any other is a linked server.
    const bool ownName = TempServers::scalar(local, "select @@SERVERNAME").toString().compare(info.dataSource, Qt::CaseInsensitive) == 0;
    support::ScriptedPrompter prompter;
    ASSERT_TRUE(LinkedServer::configure(local, info.dataSource, prompter)) << prompter.shown.front().text.toStdString();
    const int version = LinkedServer::productMajorVersion(local);
    if (!ownName) {
        EXPECT_EQ(TempServers::scalar(local, "select count(*) from sys.servers where name = N'" + info.dataSource
                                                 + "' and provider = N'" + LinkedServer::oleDbProvider(local) + "'")
                      .toLongLong(),
                  version >= LinkedServer::providerNamedFrom ? 1 : 0);
    }
    EXPECT_GT(TempServers::scalar(local, "select count(*) from [" + info.dataSource + "].[" + info.catalog + "].sys.objects").toLongLong(), 0);
    if (!ownName)
        local.execute("EXEC master.dbo.sp_dropserver @server=N'" + info.dataSource + "', @droplogins='droplogins'");
}
