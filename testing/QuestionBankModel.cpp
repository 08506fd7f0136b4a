#include "QuestionBankModel.h"

#include "AppError.h"
#include "Cursor.h"
#include "Query.h"
#include "RowOrder.h"
#include "Statements.h"
#include "Transaction.h"

#include <algorithm>

const std::array<QString, QuestionBankModel::kFields> QuestionBankModel::kFieldColumns = {
    QStringLiteral("Вопрос"), QStringLiteral("Ответ1"), QStringLiteral("Ответ2"),
    QStringLiteral("Ответ3"), QStringLiteral("Ответ4"), QStringLiteral("Ответ5"),
    QStringLiteral("ОтветПр")};

QuestionBankModel::QuestionBankModel(QObject* parent)
    : EditableResult(QStringLiteral("ADOQuery1"), parent)
{
}

void QuestionBankModel::openAll()
{
    open(std::nullopt);
}

void QuestionBankModel::openFind(const QString& pattern)
{
    open(pattern);
}

void QuestionBankModel::reload()
{
    open(isOpen() ? m_pattern : std::nullopt);
}

void QuestionBankModel::close()
{
    m_pattern.reset();
    closeRows();
}

// The ids, the columns and the first row come from one state of the bank. Column 0 of a row
// read by id is the id itself.
void QuestionBankModel::open(const std::optional<QString>& pattern)
{
    Transaction transaction;
    RowOrder::require(QStringLiteral("БДТест"));
    Query ids(queryName());
    ids.setStatement(pattern ? Statements::findQuestionRowIds : Statements::questionRowIds);
    if (pattern)
        ids.bind(QStringLiteral("a"), *pattern);
    QList<Row> rows;
    ids.scan([&rows](const Cursor& row) { rows.append(Row{row.value(0).toLongLong(), true, {}}); });

    // With no rows a null id matches nothing, and the result still names its columns.
    Query first(queryName());
    first.setStatement(Statements::questionRow);
    first.bind(QStringLiteral("a"), rows.isEmpty() ? QVariant() : QVariant(rows.first().id));
    first.open();
    const QList<int> shown = shownColumns(first.columnNames());
    QStringList columns;
    for (const int column : shown)
        columns << first.columnNames()[column];
    std::array<int, kFields> sections{};
    for (int field = 0; field < kFields; ++field) {
        sections[field] = static_cast<int>(columns.indexOf(kFieldColumns[field]));
        if (sections[field] < 0)
            throw AppError(
                QStringLiteral("%1: Field '%2' not found").arg(queryName(), kFieldColumns[field]));
    }
    if (!rows.isEmpty() && first.rowCount() == 1) {
        for (const int column : shown)
            rows.first().values << first.value(0, column);
    }
    transaction.commit();

    m_pattern = pattern;
    m_shown = shown;
    m_sections = sections;
    resetRows(columns, std::move(rows));
}

// A row removed by another program since the ids were listed reads as empty; writing to it
// then fails as no longer in the table.
QVariantList QuestionBankModel::readValues(qint64 id) const
{
    Query row(queryName());
    row.setStatement(Statements::questionRow);
    row.bind(QStringLiteral("a"), id);
    row.open();
    QVariantList values;
    if (row.rowCount() == 1) {
        for (const int column : m_shown)
            values << row.value(0, column);
    }
    return values;
}

int QuestionBankModel::rightAnswerNumber(const QVariant& value)
{
    const QString text = storedText(value).trimmed();
    const bool digits = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar ch) {
        return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
    });
    const int number = digits && text.size() <= 9 ? text.toInt() : 0;
    if (number < 1 || number > 5)
        throw AppError(QStringLiteral("'%1' — дұрыс жауаптың нөмірі емес: 1-ден 5-ке дейінгі "
                                      "бүтін сан енгізіңіз (1 = A, 2 = B, 3 = C, 4 = D, 5 = E)")
                           .arg(storedText(value)));
    return number;
}

// Every later attempt that draws the question converts its right-answer number, so a row is
// written only with one that converts and names an answer. A field typed back to a stored null
// stands for that null, which is written as one (a text, even an empty one, is bound as text).
QVariantList QuestionBankModel::valuesToWrite(const Row& row) const
{
    QVariantList values = row.values;
    for (QVariant& value : values)
        if (value.isNull())
            value = QVariant();
    QVariant& right = values[m_sections[RightAnswer]];
    right = rightAnswerNumber(right);
    return values;
}

QStringList QuestionBankModel::addBlankStatement() const
{
    return Statements::addBlankQuestion;
}

QStringList QuestionBankModel::updateStatement(const QStringList& columns) const
{
    return Statements::updateQuestion(columns);
}

QStringList QuestionBankModel::deleteStatement() const
{
    return Statements::removeQuestion;
}
