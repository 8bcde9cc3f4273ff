#include "db/embedded/AppLock.h"

#include "db/DbError.h"
#include "db/TypeCode.h"
#include "db/embedded/TsqlTranslator.h"

#include <QStringList>

namespace db::embedded {

namespace {

QString text(const QVariant& value)
{
    return value.isValid() && !value.isNull() ? value.toString() : QString();
}

DbError unsupported(const QString& what)
{
    return DbError(QStringLiteral("[embedded] %1 is not supported by the embedded engine.").arg(what), QStringLiteral("42000"), 0);
}

} // namespace

int AppLock::get(const std::vector<ProcedureArgument>& arguments, bool inTransaction)
{
    static const QStringList parameters = {QStringLiteral("resource"), QStringLiteral("lockmode"), QStringLiteral("lockowner"),
                                           QStringLiteral("locktimeout"), QStringLiteral("dbprincipal")};
    std::vector<QVariant> values(size_t(parameters.size()));
    size_t position = 0;
    for (const ProcedureArgument& argument : arguments) {
        const qsizetype index = argument.name.isEmpty() ? qsizetype(position) : parameters.indexOf(argument.name);
        if (index < 0)
            throw DbError(QStringLiteral("'@%1' is not a parameter for procedure 'sp_getapplock'.").arg(argument.name), QStringLiteral("42000"), 8145);
        if (index >= parameters.size())
            throw DbError(QStringLiteral("Procedure or function sp_getapplock has too many arguments specified."), QStringLiteral("42000"), 8144);
        values[size_t(index)] = argument.value;
        ++position;
    }
    const QString owner = text(values[2]).isEmpty() ? QStringLiteral("Transaction") : text(values[2]);
    if (owner.compare(QLatin1String("Session"), Qt::CaseInsensitive) == 0)
        throw unsupported(QStringLiteral("An application lock owned by the session"));
    static const QStringList modes = {QStringLiteral("Shared"), QStringLiteral("Update"), QStringLiteral("IntentShared"),
                                      QStringLiteral("IntentExclusive"), QStringLiteral("Exclusive")};
    if (text(values[0]).isEmpty() || !modes.contains(text(values[1]), Qt::CaseInsensitive)
        || owner.compare(QLatin1String("Transaction"), Qt::CaseInsensitive) != 0)
        return -999;
    // A lock the transaction owns needs a transaction to belong to.
    return inTransaction ? 0 : -999;
}

bool AppLock::runStatusStatement(const TokenList& tokens, TsqlTranslator& translator, bool inTransaction, ResultData* result)
{
    if (tokens.empty())
        return false;
    const auto variable = [&](size_t i) { return i < tokens.size() && tokens[i].kind == Token::Kind::Variable; };

    // DECLARE @a int[, @b int]
    if (tokens[0].isWord("DECLARE")) {
        size_t i = 1;
        while (variable(i) && i + 1 < tokens.size() && tokens[i + 1].isWord("int")) {
            m_variables.insert(tokens[i].text.toLower(), QVariant());
            i += 2;
            if (i < tokens.size() && tokens[i].isOperator(","))
                ++i;
            else
                break;
        }
        if (i != tokens.size())
            throw unsupported(QStringLiteral("DECLARE other than of int variables"));
        return true;
    }

    // EXEC @a = procedure arguments
    if ((tokens[0].isWord("EXEC") || tokens[0].isWord("EXECUTE")) && variable(1) && tokens.size() > 3 && tokens[2].isOperator("=")) {
        const QString name = tokens[1].text.toLower();
        if (!m_variables.contains(name))
            throw DbError(QStringLiteral("Must declare the scalar variable \"%1\".").arg(tokens[1].text), QStringLiteral("42000"), 137);
        TokenList call{tokens[0]};
        call.insert(call.end(), tokens.begin() + 3, tokens.end());
        const Statement statement = translator.translate(call);
        if (statement.kind != Statement::Kind::Exec || statement.name != QLatin1String("sp_getapplock"))
            throw unsupported(QStringLiteral("The return status of a procedure other than sp_getapplock"));
        m_variables.insert(name, get(statement.arguments, inTransaction));
        return true;
    }

    // SELECT @a [AS name]
    if (tokens[0].isWord("SELECT") && variable(1)) {
        QString column;
        if (tokens.size() == 4 && tokens[2].isWord("AS") && tokens[3].isName())
            column = tokens[3].text;
        else if (tokens.size() != 2)
            return false;
        const QString name = tokens[1].text.toLower();
        if (!m_variables.contains(name))
            throw DbError(QStringLiteral("Must declare the scalar variable \"%1\".").arg(tokens[1].text), QStringLiteral("42000"), 137);
        if (result && result->columns.empty()) {
            result->columns.push_back(Column{column, TypeCode::Integer});
            const QVariant value = m_variables.value(name);
            result->values.push_back(value.isNull() ? QVariant() : QVariant(qlonglong(value.toInt())));
        }
        return true;
    }
    return false;
}

} // namespace db::embedded
