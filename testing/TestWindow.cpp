#include "TestWindow.h"

#include "ui_TestWindow.h"

#include "AppError.h"
#include "Attempts.h"
#include "Connection.h"
#include "Dialogs.h"
#include "Fonts.h"
#include "Guard.h"
#include "LongWords.h"
#include "Query.h"
#include "Statements.h"
#include "Store.h"

#include <QButtonGroup>
#include <QToolButton>
#include <QUuid>
#include <chrono>
#include <random>

namespace {

enum Column { Question, AnswerA, AnswerB, AnswerC, AnswerD, AnswerE, RightAnswer };

// The right-answer entry as a whole number; text that is not one is an error, as when the
// program converts any text to a number.
int integerValue(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        throw AppError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

} // namespace

TForm2::TForm2(std::function<QString()> currentUser, QWidget* parent)
    : FormWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                             Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TForm2>()), m_currentUser(std::move(currentUser))
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("Form2"));
    setFixedSize(1024, 682);
    applyFonts();
    buildButtons();
    LongWords::keepWrappingFast(ui->Memo1);
    connect(ui->sSpeedButton3, &QToolButton::clicked, this,
            [this] { guarded([this] { sSpeedButton3Click(); }); });

    openDataSets();
    guarded([this] { FormCreate(); });
    m_built = true;
}

TForm2::~TForm2() = default;

void TForm2::applyFonts()
{
    setFont(Fonts::msSansSerif(11));
    ui->Label1->setFont(Fonts::msSansSerif(24, true));
    ui->sSpeedButton3->setFont(Fonts::arial(16, true));
    // The gradient colour of inactive captions in the standard desktop scheme.
    QPalette userArea = ui->Panel5->palette();
    userArea.setColor(QPalette::Window, QColor(215, 228, 242));
    ui->Panel5->setPalette(userArea);
}

// Both rows are built once and reused: each preparation leaves them released and black, which
// is all a new attempt needs of them.
void TForm2::buildButtons()
{
    QFont questionFont = font();
    questionFont.setBold(true);
    m_questionGroup = new QButtonGroup(this);
    for (int q = 1; q <= kQuestions; ++q) {
        auto* button = new QToolButton(ui->Panel1);
        button->setObjectName(QStringLiteral("QuestionButton%1").arg(q));
        button->setText(QString::number(q));
        button->setGeometry(30 * q - 25, 5, 30, 30);
        button->setFont(questionFont);
        button->setCheckable(true);
        m_questionGroup->addButton(button, q);
        connect(button, &QToolButton::clicked, this,
                [this] { guarded([this] { SpeedButton1Click(); }); });
        QuestionButtons[q - 1] = button;
    }

    QFont answerFont = font();
    answerFont.setPointSize(20);
    answerFont.setBold(true);
    m_answerGroup = new QButtonGroup(this);
    for (int a = 1; a <= kAnswers; ++a) {
        auto* button = new QToolButton(ui->Panel4);
        button->setObjectName(QStringLiteral("AnswerButton%1").arg(a));
        button->setText(QString(QChar(u'A' + a - 1)));
        button->setGeometry(80 * a - 70, 2, 70, ui->Panel4->height() - 4);
        button->setFont(answerFont);
        button->setCheckable(true);
        m_answerGroup->addButton(button, a);
        connect(button, &QToolButton::clicked, this,
                [this] { guarded([this] { SpeedButton2Click(); }); });
        AnswerButtons[a - 1] = button;
    }

    // Keyboard order follows the screen: numbers, letters, submit, then the question text.
    QWidget* previous = nullptr;
    auto chain = [&previous](QWidget* next) {
        if (previous)
            setTabOrder(previous, next);
        previous = next;
    };
    for (QAbstractButton* button : QuestionButtons)
        chain(button);
    for (QAbstractButton* button : AnswerButtons)
        chain(button);
    chain(ui->sSpeedButton3);
    chain(ui->Memo1);
}

// The seven column statements are the window's data sets. Checking them as the window is built
// reports a bank that lacks the table or a column, once per statement, before any attempt. None
// is read: an attempt reads only the rows it draws (Button1Click).
void TForm2::openDataSets()
{
    for (const QString& statement : Statements::questionColumns) {
        guarded([&statement] {
            Query column(statement);
            column.setStatement({statement});
            column.verify();
        });
    }
}

void TForm2::onShowing()
{
    centreOnScreen();
    try {
        FormCreate();
    } catch (const AppError& error) {
        // A test window without its questions would only fail at the first number pressed:
        // when the course's server is out of reach, or where it deals the test and did not.
        if (dynamic_cast<const ConnectionLost*>(&error) ||
            dynamic_cast<const ServerUnreachable*>(&error) || m_dealing)
            refuseToOpen();
        throw;
    }
}

void TForm2::FormCreate()
{
    AnswerSheet.fill(1);
    m_attemptId.clear();
    ui->Memo1->clear();
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::seed_seq seed{static_cast<quint32>(now),
                       static_cast<quint32>(static_cast<quint64>(now) >> 32)};
    m_random.seed(seed);
    releaseAll(m_questionGroup);
    Button1Click();
    releaseAll(m_answerGroup);
    colourAnswers();
    ui->Label1->setText(m_currentUser ? m_currentUser() : QString());
    ui->Label1->setAccessibleName(ui->Label1->text());
}

// Loads the bank and draws the attempt's questions from the number of rows just counted, so
// every pick is a row of this load: rows removed since the last attempt cannot leave a pick past
// the end of the lists, and rows added are drawn at once. Draws follow the course's rule (with
// replacement unless the course asks for 30 different questions); on a lab computer the server
// deals them. An empty bank gives pick 0 everywhere (reported when the question is used). Until
// the load succeeds the lists stay empty.
void TForm2::Button1Click()
{
    for (ColumnCache& list : ColumnCaches)
        list.clear();
    QuestionPick.fill(0);
    // Where the server deals each attempt (a lab computer), the preparation that runs while
    // the window is built, before anyone has signed in, asks for none: nothing reads it.
    m_dealing = dealtByServer();
    if (!m_built && m_dealing)
        return;

    ColumnCaches = m_bank.load([this](int rowCount, DrawRule::Mode mode) {
        return DrawRule::draw(rowCount, mode, m_random, kQuestions);
    });
    for (int q = 0; q < kQuestions; ++q)
        QuestionPick[q] = m_bank.picks().value(q);
    m_attemptId = m_bank.dealtAttempt().isEmpty()
                      ? QUuid::createUuid().toString(QUuid::WithoutBraces)
                      : m_bank.dealtAttempt();
}

void TForm2::SpeedButton1Click()
{
    const int q = pressedQuestion();
    // The stored answer of the current question goes down; "A" when none is current.
    AnswerButtons[q > 0 ? AnswerSheet[q - 1] - 1 : 0]->setChecked(true);
    colourAnswers();
    if (q == 0)
        return;

    const int r = QuestionPick[q - 1];
    // All six texts are read before the display changes, so a failed read leaves it as it was.
    QStringList lines;
    for (int column = Question; column <= AnswerE; ++column)
        lines << ColumnCaches[column].at(r);
    ui->Memo1->setPlainText(lines.join(QLatin1Char('\n')));
}

void TForm2::SpeedButton2Click()
{
    const int q = pressedQuestion();
    const int a = pressedAnswer();
    if (q > 0 && a > 0)
        AnswerSheet[q - 1] = static_cast<quint8>(a);
    colourAnswers();
}

void TForm2::sSpeedButton3Click()
{
    AttemptToStore attempt;
    attempt.attemptId = m_attemptId;
    // The login at this moment, which may differ from the one the label shows.
    attempt.login = m_currentUser ? m_currentUser() : QString();
    for (int q = 1; q <= kQuestions; ++q) {
        // A pick outside the loaded lists (an empty bank) fails here, as when it is shown.
        ColumnCaches[Question].at(QuestionPick[q - 1]);
        attempt.rowIds << m_bank.rowIdAt(QuestionPick[q - 1]);
        attempt.answers << AnswerSheet[q - 1];
    }
    // Every number counts: an untouched one as "A", a row drawn twice once for each number.
    const auto mark = [this] {
        QList<int> marks;
        for (int q = 1; q <= kQuestions; ++q)
            marks << (integerValue(ColumnCaches[RightAnswer].at(QuestionPick[q - 1])) ==
                              AnswerSheet[q - 1]
                          ? 1
                          : 0);
        return marks;
    };
    const auto announce = [this](int right) {
        Score = static_cast<quint8>(right);
        Dialogs::message(QStringLiteral("Сіз %1 дұрыс жауап бердіңіз").arg(int(Score)));
    };
    storeAttempt(attempt, mark, announce);
    hide();
}

bool TForm2::dealtByServer()
{
    Connection& connection = Connection::shared();
    connection.ensureOpen();
    return connection.store().dealsAttempts();
}

void TForm2::colourAnswers()
{
    for (QAbstractButton* button : AnswerButtons) {
        QPalette palette = button->palette();
        palette.setColor(QPalette::ButtonText,
                         button->isChecked() ? QColor(255, 0, 0) : QColor(0, 0, 0));
        button->setPalette(palette);
    }
}

int TForm2::pressedQuestion() const
{
    return qMax(0, m_questionGroup->checkedId());
}

int TForm2::pressedAnswer() const
{
    return qMax(0, m_answerGroup->checkedId());
}

// An exclusive group keeps one button down; it is released only with the rule off.
void TForm2::releaseAll(QButtonGroup* group)
{
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons())
        button->setChecked(false);
    group->setExclusive(true);
}
