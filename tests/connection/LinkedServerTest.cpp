// The linked server as the local server's version wants it, on the embedded engine and, when
// MIRTANE_TEST_MSSQL names one, on a real SQL Server.
#include "connection/LinkedServer.h"
#include "db/Connection.h"
#include "db/embedded/EmbeddedServer.h"
#include "ScriptedPrompter.h"
#include "TempServers.h"

#include <gtest/gtest.h>

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
    EXPECT_TRUE(prompter.shown.empty()) << prompter.shown.front().text.toStdString();
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
    if (TempServers::scalar(local, "select @@SERVERNAME").toString().compare(info.dataSource, Qt::CaseInsensitive) == 0)
        GTEST_SKIP() << "the data source is the server's own name, which sys.servers holds already";
    support::ScriptedPrompter prompter;
    ASSERT_TRUE(LinkedServer::configure(local, info.dataSource, prompter)) << prompter.shown.front().text.toStdString();
    const int version = LinkedServer::productMajorVersion(local);
    EXPECT_EQ(TempServers::scalar(local, "select count(*) from sys.servers where name = N'" + info.dataSource + "' and provider = N'MSOLEDBSQL'")
                  .toLongLong(),
              version >= LinkedServer::providerNamedFrom ? 1 : 0);
    EXPECT_GT(TempServers::scalar(local, "select count(*) from [" + info.dataSource + "].[" + info.catalog + "].sys.objects").toLongLong(), 0);
    local.execute("EXEC master.dbo.sp_dropserver @server=N'" + info.dataSource + "', @droplogins='droplogins'");
}
