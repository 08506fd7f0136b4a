#include "AnswerRows.h"

#include "AppError.h"
#include "Connection.h"
#include "Cursor.h"
#include "Query.h"
#include "Results.h"
#include "Statements.h"
#include "Transaction.h"

namespace AnswerRows {

bool keepsAnswers()
{
    Query present(QStringLiteral("answersTablePresent"));
    present.setStatement(Connection::shared().onServer() ? Statements::Server::answersTablePresent
                                                         : Statements::answersTablePresent);
    present.open();
    const QString value = present.text(0, 0);
    return value == QLatin1String("1") || value == QLatin1String("true");
}

int optionNumber(const QString& stored)
{
    bool ok = false;
    const int number = stored.trimmed().toInt(&ok);
    return ok && number >= 1 && number <= 5 ? number : 0;
}

QString letter(const QString& stored)
{
    const int number = optionNumber(stored);
    return number > 0 ? QString(QChar(u'A' + number - 1)) : stored;
}

namespace {

void requireKeptAnswers()
{
    if (!keepsAnswers())
        throw AppError(QStringLiteral("%1: this course keeps no answers yet (okulyk-admin "
                                      "upgrade adds the table; attempts after it keep theirs)")
                           .arg(Connection::shared().location()));
}

} // namespace

QList<Row> read(const std::optional<QString>& login, const std::function<void(qint64)>& progress)
{
    Transaction transaction(Transaction::Intent::ReadOnly);
    requireKeptAnswers();
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

KeptAttempts scanAttempts(const Narrowing& narrowing,
                          const std::function<void(const QList<ItemStatistics::Answer>&)>& attempt,
                          const std::function<void(qint64)>& progress)
{
    Transaction transaction(Transaction::Intent::ReadOnly);
    requireKeptAnswers();
    Query marks(QStringLiteral("attemptMarks"));
    marks.setStatement(
        Statements::attemptMarks(narrowing.group.has_value(), narrowing.since.has_value()));
    if (narrowing.group)
        marks.bind(QStringLiteral("g"), *narrowing.group);
    if (narrowing.since)
        marks.bind(QStringLiteral("s"), narrowing.since->toSecsSinceEpoch());
    KeptAttempts kept;
    QList<ItemStatistics::Answer> answers;
    qint64 current = 0;
    qint64 read = 0;
    const auto finishAttempt = [&] {
        if (answers.isEmpty())
            return;
        attempt(answers);
        ++kept.attempts;
        answers.clear();
    };
    marks.scan([&](const Cursor& cursor) {
        const qint64 id = cursor.value(0).toLongLong();
        if (id != current) {
            finishAttempt();
            current = id;
        }
        bool ok = false;
        const int mark = cursor.value(4).toInt(&ok);
        if (ok && (mark == 0 || mark == 1))
            answers.append({cursor.value(1).toInt(), cursor.value(2).toLongLong(),
                            cursor.value(3).toInt(), double(mark)});
        else
            ++kept.leftOut;
        if (progress && ++read % 1000 == 0)
            progress(read);
    });
    finishAttempt();
    return kept;
}

QHash<qint64, BankEntry> bankEntries()
{
    Query bank(QStringLiteral("bankTextsAndKeys"));
    bank.setStatement(Statements::bankTextsAndKeys);
    QHash<qint64, BankEntry> entries;
    bank.scan([&](const Cursor& cursor) {
        entries.insert(cursor.value(0).toLongLong(), {cursor.text(1), cursor.text(2)});
    });
    return entries;
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
