#pragma once

#include "FormWindow.h"
#include "QuestionBank.h"

#include <QRandomGenerator>
#include <array>
#include <functional>
#include <memory>

namespace Ui {
class TForm2;
}
class QAbstractButton;
class QButtonGroup;

// The test-taking window: 30 questions drawn from the bank, each answered A..E by toggle
// buttons, scored and stored as one row of Тесты on "Тест тапсыру". The whole attempt lives in
// the window; nothing reaches the database before it is submitted.
class TForm2 : public FormWindow {
    Q_OBJECT
public:
    static constexpr int kQuestions = 30;
    static constexpr int kAnswers = 5;

    // currentUser returns the signed-in login at the moment it is called.
    explicit TForm2(std::function<QString()> currentUser, QWidget* parent = nullptr);
    ~TForm2() override;

    // Question q (1..30) and answer a (1..5 for A..E) buttons.
    QAbstractButton* questionButton(int q) const { return QuestionButtons.at(q - 1); }
    QAbstractButton* answerButton(int a) const { return AnswerButtons.at(a - 1); }
    // The attempt as it stands: the bank position drawn for question q, its chosen answer, the
    // score of the last submission and the drawn questions' texts.
    int questionPick(int q) const { return QuestionPick.at(q - 1); }
    int answerOf(int q) const { return AnswerSheet.at(q - 1); }
    int score() const { return Score; }
    const QuestionBank::Lists& columnCaches() const { return ColumnCaches; }

    // Event handlers.
    void FormCreate();         // prepare a new attempt (creation and every show from hidden)
    void Button1Click();       // load the bank and draw the questions
    void SpeedButton1Click();  // a question number was pressed
    void SpeedButton2Click();  // an answer letter was pressed
    void sSpeedButton3Click(); // "Тест тапсыру"

protected:
    void onShowing() override;

private:
    void buildButtons();
    void applyFonts();
    void openDataSets();
    void colourAnswers();
    int pressedQuestion() const;
    int pressedAnswer() const;
    static void releaseAll(QButtonGroup* group);
    static bool dealtByServer();

    std::unique_ptr<Ui::TForm2> ui;
    std::function<QString()> m_currentUser;
    QButtonGroup* m_questionGroup = nullptr;
    QButtonGroup* m_answerGroup = nullptr;
    QRandomGenerator m_random;
    QuestionBank m_bank;
    // Names this attempt to the store, so that pressing "Тест тапсыру" again after a failure
    // stores it once; on a lab computer, the name the server dealt it under.
    QString m_attemptId;
    bool m_built = false;
    // Whether the server deals this window's attempts (a lab computer).
    bool m_dealing = false;

    // The attempt. Index q - 1 holds question q, index a - 1 answer a.
    std::array<QAbstractButton*, kQuestions> QuestionButtons{};
    std::array<QAbstractButton*, kAnswers> AnswerButtons{};
    std::array<qint32, kQuestions> QuestionPick{};
    std::array<quint8, kQuestions> AnswerSheet{};
    quint8 Score = 0;
    QuestionBank::Lists ColumnCaches;
};
