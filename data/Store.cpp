#include "Store.h"

#include "AppError.h"
#include "CourseSettings.h"
#include "Cursor.h"
#include "Statements.h"

SignInVerdict Store::signIn(const QString&, const QString&, const QString&)
{
    throw AppError(QStringLiteral("This database does not check sign-in itself"));
}

int Store::writeAnswers(qint64 resultId, const AttemptToStore& attempt, const QList<int>& marks,
                        qint64 storedAt)
{
    const QStringList names = {QStringLiteral("a1"), QStringLiteral("a2"), QStringLiteral("a3"),
                               QStringLiteral("a4"), QStringLiteral("a5"), QStringLiteral("a6")};
    auto insert = prepareChange(Statements::insertAnswer.join(QLatin1Char('\n')), names);
    int written = 0;
    for (qsizetype q = 0; q < attempt.answers.size(); ++q)
        written += insert->run({resultId, int(q + 1), attempt.rowIds.value(q), attempt.answers[q],
                                marks.value(q), storedAt});
    return written;
}

DrawRule::Mode Store::drawMode(const QStringList& tablePresent)
{
    auto present = select(tablePresent.join(QLatin1Char('\n')), {}, {});
    if (!present->next() || present->value(0).toLongLong() == 0)
        return DrawRule::Mode::WithReplacement;
    present.reset();
    auto stored = select(Statements::settingValue.join(QLatin1Char('\n')), {QStringLiteral("a")},
                         {CourseSettings::kDifferentQuestions});
    return stored->next() ? CourseSettings::drawModeOf(stored->text(0))
                          : DrawRule::Mode::WithReplacement;
}
