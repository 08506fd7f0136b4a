#include "Store.h"

#include "AppError.h"
#include "Statements.h"

SignInVerdict Store::signIn(const QString&, const QString&)
{
    throw AppError(QStringLiteral("This database does not check sign-in itself"));
}

int Store::writeAnswers(qint64 resultId, const AttemptToStore& attempt, const QList<int>& marks)
{
    const QStringList names = {QStringLiteral("a1"), QStringLiteral("a2"), QStringLiteral("a3"),
                               QStringLiteral("a4"), QStringLiteral("a5")};
    auto insert = prepareChange(Statements::insertAnswer.join(QLatin1Char('\n')), names);
    int written = 0;
    for (qsizetype q = 0; q < attempt.answers.size(); ++q)
        written += insert->run(
            {resultId, int(q + 1), attempt.rowIds.value(q), attempt.answers[q], marks.value(q)});
    return written;
}
