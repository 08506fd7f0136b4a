#pragma once

#include "FormWindow.h"
#include "QuestionBankModel.h"

#include <memory>

namespace Ui {
class TForm4;
}
class QAbstractButton;
class QPlainTextEdit;
class RecordCursor;
class RecordNavigator;

// The question bank editor: fields bound to the current row of the editing query (question,
// answers A..E, right-answer number), the record navigator over it, and a search by a piece of
// the question. Its two states: all records (the navigator enabled, as at start-up) and a
// search in force (the navigator disabled, so the first match is shown and cannot be left or
// written). Find and All records open the query afresh, which drops a change not yet written.
// "Шығу" only hides the window; everything in it is kept for the next show.
class TForm4 : public FormWindow {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
    ~TForm4() override;

    QuestionBankModel* model() const { return m_model; }
    RecordCursor* record() const { return m_record; }
    RecordNavigator* navigator() const;
    // The field bound to a column of the current row: a QPlainTextEdit, or a QLineEdit for
    // the right-answer number.
    QWidget* field(QuestionBankModel::Field which) const;
    QPlainTextEdit* searchText() const;
    QAbstractButton* findButton() const;
    QAbstractButton* allRecordsButton() const;
    QAbstractButton* exitButton() const;
    bool isSearchInForce() const;

    // Event handlers.
    void FormCreate();            // opens the editing query over every question
    void findButtonClick();       // "Табу"
    void allRecordsButtonClick(); // "Барлық жазба"
    void exitButtonClick();       // "Шығу"

    static inline const QString kUnwrittenQuestion =
        QStringLiteral("Сұрақтар банкіндегі өзгеріс әлі жазылмаған. Бағдарлама жабылмас бұрын "
                       "оны жазу керек пе?");
    // A change typed and not written is written, dropped or kept with the program running, as
    // the user answers.
    bool readyToEnd() override;

protected:
    void onShowing() override;

private:
    void applyFonts();
    void bindFields();
    void chainTabOrder();

    std::unique_ptr<Ui::TForm4> ui;
    QuestionBankModel* m_model = nullptr;
    RecordCursor* m_record = nullptr;
};
