// Connection texts: keys in any case, quoted values, malformed texts.
#include "db/ConnectionText.h"
#include "db/DbError.h"

#include <gtest/gtest.h>

using namespace db;

TEST(ConnectionTextTest, ReadsTheProgramsConnectionTextAndRefusesMalformedOnes)
{
    const ConnectionInfo info = ConnectionText::parse(QStringLiteral(
        "Provider=SQLOLEDB.1;Password=KESTREL264$;Persist Security Info=True;User ID=sa;Initial Catalog=SUB01;Data Source=BRANCH\\SQL"));
    EXPECT_EQ(info.provider, "SQLOLEDB.1");
    EXPECT_EQ(info.password, "KESTREL264$");
    EXPECT_EQ(info.user, "sa");
    EXPECT_EQ(info.catalog, "SUB01");
    EXPECT_EQ(info.dataSource, "BRANCH\\SQL");
    EXPECT_EQ(info.attributes.value("persist security info"), "True");
    EXPECT_FALSE(info.isEmbedded());
    // Keys in any case, blanks around them ignored.
    const ConnectionInfo embedded = ConnectionText::parse(QStringLiteral(" initial CATALOG = MAIN01 ;DATA source=embedded:HO;"));
    EXPECT_EQ(embedded.catalog, "MAIN01");
    EXPECT_EQ(embedded.dataSource, "embedded:HO");
    EXPECT_TRUE(embedded.isEmbedded());
    // Malformed texts are refused.
    EXPECT_THROW(ConnectionText::parse(QStringLiteral("Provider=SQLOLEDB.1;garbage;Data Source=X")), DbError);
    EXPECT_THROW(ConnectionText::parse(QStringLiteral("Password=\"unterminated;Data Source=X")), DbError);
    EXPECT_THROW(ConnectionText::parse(QStringLiteral("=value")), DbError);
    EXPECT_THROW(ConnectionText::parse(QStringLiteral("Password=\"x\"tail")), DbError);
}

TEST(ConnectionTextTest, QuotedValueKeepsSemicolonsAndDoubledQuotesAndQuoteValueRoundTrips)
{
    const ConnectionInfo info =
        ConnectionText::parse(QStringLiteral("Password=\"a;b\"\"c\";Initial Catalog='X;Data Source=Y';Data Source=Z"));
    EXPECT_EQ(info.password, "a;b\"c");
    EXPECT_EQ(info.catalog, "X;Data Source=Y");
    EXPECT_EQ(info.dataSource, "Z");
    for (const QString& value : {QStringLiteral("plain"), QStringLiteral("a;b"), QStringLiteral("say \"hi\""), QStringLiteral(" x ")}) {
        const ConnectionInfo quoted = ConnectionText::parse(QStringLiteral("Password=") + ConnectionText::quoteValue(value) + QStringLiteral(";User ID=sa"));
        EXPECT_EQ(quoted.password, value);
        EXPECT_EQ(quoted.user, "sa");
    }
}
