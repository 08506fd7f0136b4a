#include "AnswerRows.h"

#include "AppError.h"
#include "Connection.h"
#include "Cursor.h"
#include "Query.h"
#include "Results.h"
#include "Statements.h"
#include "Transaction.h"

namespace AnswerRows {

namespace {

// "1".."5" as the letter of the answer, anything else as it is.
QString letter(const QString& stored)
{
    bool ok = false;
    const int number = stored.trimmed().toInt(&ok);
    return ok && number >= 1 && number <= 5 ? QString(QChar(u'A' + number - 1)) : stored;
}

bool keepsAnswers()
{
    Query present(QStringLiteral("answersTablePresent"));
    present.setStatement(Connection::shared().address().isServer()
                             ? Statements::Server::answersTablePresent
                             : Statements::answersTablePresent);
    present.open();
    const QString value = present.text(0, 0);
    return value == QLatin1String("1") || value == QLatin1String("true");
}

} // namespace

QList<Row> read(const std::optional<QString>& login, const std::function<void(qint64)>& progress)
{
    Transaction transaction(Transaction::Intent::ReadOnly);
    if (!keepsAnswers())
        throw AppError(QStringLiteral("%1: this course keeps no answers yet (okulyk-admin "
                                      "upgrade adds the table; attempts after it keep theirs)")
                           .arg(Connection::shared().location()));
    Query answers(QStringLiteral("answers"));
    answers.setStatement(login ? Statements::answersOfUserWithResults
                               : Statements::answersWithResults);
    if (login)
        answers.bind(QStringLiteral("a"), *login);
    QList<Row> rows;
    answers.scan([&](const Cursor& cursor) {
        QStringList values;
        for (int column = 0; column < 9; ++column)
            values << storedText(cursor.value(column));
        rows << Row{values[0], values[1], values[2], values[3], values[4],
                    values[5], values[6], values[7], values[8]};
        if (progress)
            progress(rows.size());
    });
    return rows;
}

QByteArray csv(const QList<Row>& rows)
{
    QString text = QStringLiteral("Логин,Топ,Тест,Нөмір,Сұрақ (rowid),Сұрақ,Таңдалған жауап,"
                                  "Дұрыс жауап,Дұрыс\r\n");
    for (const Row& row : rows)
        text += QStringList{Results::csvField(row.login),
                            Results::csvField(row.group),
                            Results::csvField(row.attempt),
                            Results::csvField(row.number),
                            Results::csvField(row.bankRow),
                            Results::csvField(row.question),
                            Results::csvField(letter(row.chosen)),
                            Results::csvField(letter(row.right)),
                            Results::csvField(row.mark)}
                    .join(QLatin1Char(',')) +
                QStringLiteral("\r\n");
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace AnswerRows
