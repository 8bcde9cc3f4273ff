#include "QtPrinters.h"

#include "db/DbError.h"
#include "db/embedded/Tokenizer.h"

#include <gtest/gtest.h>

using db::embedded::Token;
using db::embedded::Tokenizer;

// Literals, names and comments become single tokens; batches split only at top-level ";".
TEST(TokenizerTest, LiteralsAndNamesAreSingleTokens)
{
    const auto tokens = Tokenizer::tokenize("select [a]]b], N'it''s', \"q\", #t, @p, 12.5 -- note\n/* x; */ from t");
    ASSERT_EQ(tokens.size(), 14u);
    EXPECT_EQ(tokens[1].kind, Token::Kind::QuotedName);
    EXPECT_EQ(tokens[1].text.toStdString(), "a]b");
    EXPECT_EQ(tokens[3].kind, Token::Kind::String);
    EXPECT_EQ(tokens[3].text.toStdString(), "it's");
    EXPECT_EQ(tokens[5].kind, Token::Kind::QuotedName);
    EXPECT_EQ(tokens[7].kind, Token::Kind::TempName);
    EXPECT_EQ(tokens[9].kind, Token::Kind::Variable);
    EXPECT_EQ(tokens[11].kind, Token::Kind::Number);
    EXPECT_TRUE(tokens[12].isWord("FROM") || tokens[12].isWord("from"));
}

TEST(TokenizerTest, BatchSplitsOnlyAtTopLevelSemicolons)
{
    const auto statements = Tokenizer::splitBatch(Tokenizer::tokenize("select ';'; ; select (1); -- ;\n"));
    ASSERT_EQ(statements.size(), 2u);
    EXPECT_EQ(statements[0].size(), 2u);
    EXPECT_EQ(Tokenizer::tokenize("select ';'").size(), 2u);
}

TEST(TokenizerTest, UnterminatedLiteralsAreErrors)
{
    EXPECT_THROW(Tokenizer::tokenize("select 'abc"), db::DbError);
    EXPECT_THROW(Tokenizer::tokenize("select [abc"), db::DbError);
    EXPECT_THROW(Tokenizer::tokenize("select 1 /* open"), db::DbError);
}
