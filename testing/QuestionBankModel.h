#pragma once

#include "EditableResult.h"

#include <QString>
#include <array>
#include <optional>

// The question bank editor's editing query: "select * from БДТест", or the rows whose question
// is like a pattern, in row order. Only the row ids are listed when the query opens; a row's
// texts are read when it is first shown (readRow), so that opening a bank of any size costs a
// pass over its ids and one row.
//
// The right-answer number is the one value that test taking converts: a row is posted only
// when it is a whole number from 1 to 5, and is then stored as that number.
class QuestionBankModel : public EditableResult {
    Q_OBJECT
public:
    // The columns the editor's fields are bound to, in this order.
    enum Field { Question, AnswerA, AnswerB, AnswerC, AnswerD, AnswerE, RightAnswer };
    static constexpr int kFields = 7;
    static const std::array<QString, kFields> kFieldColumns;

    explicit QuestionBankModel(QObject* parent = nullptr);

    // Open every question, or those whose question is like the pattern (wildcards as given),
    // with the first row read. Throw AppError when the store fails or the table lacks one of the
    // bound columns; the model is then unchanged.
    void openAll();
    void openFind(const QString& pattern);
    // Reads the result again with the statement it was opened with; closed, it opens all.
    void reload() override;
    void close();
    bool isSearch() const { return m_pattern.has_value(); }

    // The model column of a field (valid while open).
    int section(Field field) const { return m_sections[field]; }

    // The right-answer number in a value as typed or stored; throws AppError for any other text.
    static int rightAnswerNumber(const QVariant& value);

protected:
    QStringList addBlankStatement() const override;
    QStringList updateStatement(const QStringList& columns) const override;
    QStringList deleteStatement() const override;
    QVariantList valuesToWrite(const Row& row) const override;
    QVariantList readValues(qint64 id) const override;

private:
    void open(const std::optional<QString>& pattern);

    std::optional<QString> m_pattern;
    std::array<int, kFields> m_sections{};
    // The columns of "select rowid, * from БДТест" that the model holds, in order.
    QList<int> m_shown;
};
