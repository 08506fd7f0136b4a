#include "Store.h"

#include "AppError.h"
#include "Statements.h"

#include <QDateTime>

SignInVerdict Store::signIn(const QString&, const QString&)
{
    throw AppError(QStringLiteral("This database does not check sign-in itself"));
}

int Store::writeAnswers(qint64 resultId, const AttemptToStore& attempt, const QList<int>& marks)
{
    const QStringList names = {QStringLiteral("a1"), QStringLiteral("a2"), QStringLiteral("a3"),
                               QStringLiteral("a4"), QStringLiteral("a5"), QStringLiteral("a6")};
    auto insert = prepareChange(Statements::insertAnswer.join(QLatin1Char('\n')), names);
    // One time for the whole attempt, so that a period never splits it.
    const qint64 storedAt = QDateTime::currentSecsSinceEpoch();
    int written = 0;
    for (qsizetype q = 0; q < attempt.answers.size(); ++q)
        written += insert->run({resultId, int(q + 1), attempt.rowIds.value(q), attempt.answers[q],
                                marks.value(q), storedAt});
    return written;
}
