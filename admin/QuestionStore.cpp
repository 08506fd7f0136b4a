#include "QuestionStore.h"

#include "Cursor.h"
#include "Query.h"
#include "RowOrder.h"
#include "Statements.h"
#include "Transaction.h"

namespace {

const QString kBank = QStringLiteral("БДТест");

} // namespace

namespace QuestionStore {

void append(const QList<Question>& questions, const std::function<void(qint64)>& progress)
{
    Transaction transaction(Transaction::Intent::ReadThenWrite);
    // Appended rows must come after the others in the order every list of the bank is read in.
    RowOrder::require(kBank);
    Query insert(QStringLiteral("appendQuestion"));
    insert.setStatement(Statements::appendQuestion);
    qint64 stored = 0;
    const QString text = QStringLiteral("a1");
    const QString right = QStringLiteral("a7");
    QStringList options;
    for (int i = 0; i < Question::kOptions; ++i)
        options << QStringLiteral("a%1").arg(i + 2);
    for (const Question& question : questions) {
        // Every parameter is bound again for each row, so the statement is set once.
        insert.bind(text, question.text);
        for (int i = 0; i < Question::kOptions; ++i)
            insert.bind(options[i], question.options[i]);
        insert.bind(right, question.right);
        insert.execSql();
        if (progress)
            progress(++stored);
    }
    transaction.commit();
}

QList<Question> readAll(const std::function<void(qint64)>& progress)
{
    Transaction transaction;
    RowOrder::require(kBank);
    Query bank(QStringLiteral("bankInRowOrder"));
    bank.setStatement(Statements::bankInRowOrder);
    QList<Question> questions;
    bank.scan([&](const Cursor& row) {
        Question question;
        question.line = static_cast<int>(questions.size()) + 1;
        question.text = storedText(row.value(0));
        for (int i = 0; i < Question::kOptions; ++i)
            question.options[i] = storedText(row.value(i + 1));
        bool ok = false;
        const int right = storedText(row.value(6)).trimmed().toInt(&ok);
        question.right = ok && right >= 1 && right <= Question::kOptions ? right : 0;
        questions << question;
        if (progress)
            progress(questions.size());
    });
    return questions;
}

} // namespace QuestionStore
