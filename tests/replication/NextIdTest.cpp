// The next free key of a branch table.
#include "replication/NextId.h"

#include "TempServers.h"

#include "db/DbError.h"

#include <gtest/gtest.h>

using replication::NextId;
using support::TempServers;

TEST(NextIdTest, NextIdIsTheLargestKeyPlusOneOrOne)
{
    TempServers servers;
    NextId next(servers.branch());
    EXPECT_EQ(next.next("tblSales", "InvID"), TempServers::scalar(servers.branch(), "select max(InvID) from tblSales").toLongLong() + 1);
    EXPECT_EQ(next.next("tblSales", "InvID", "InvID < 0"), 1);
    servers.branch().execute("delete from tblOrderItem");
    servers.branch().execute("delete from tblOrder");
    EXPECT_EQ(next.next("tblOrder", "InvID"), 1);
    EXPECT_THROW(next.next("tblNowhere", "InvID"), db::DbError);
}
