#include "QuestionEditorWindow.h"
#include "Roles.h"

#include "ui_QuestionEditorWindow.h"

#include "Dialogs.h"
#include "Fonts.h"
#include "Guard.h"
#include "LongWords.h"
#include "RecordCursor.h"
#include "RecordNavigator.h"

#include <QPlainTextEdit>

TForm4::TForm4(QWidget* parent)
    : FormWindow(parent, Qt::Window | Qt::FramelessWindowHint), ui(std::make_unique<Ui::TForm4>()),
      m_model(new QuestionBankModel(this))
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("Form4"));
    setFixedSize(825, 662);
    applyFonts();

    m_model->setEditable(true);
    m_record = new RecordCursor(m_model, this);
    bindFields();
    ui->navigator->bind(m_record);
    chainTabOrder();

    connect(ui->findButton, &QPushButton::clicked, this,
            [this] { guarded([this] { findButtonClick(); }); });
    connect(ui->allRecordsButton, &QPushButton::clicked, this,
            [this] { guarded([this] { allRecordsButtonClick(); }); });
    connect(ui->exitButton, &QPushButton::clicked, this,
            [this] { guarded([this] { exitButtonClick(); }); });

    // The editing query is open from start-up, where the course may be administered at all.
    if (administrationPossibleHere())
        guarded([this] { FormCreate(); });
}

TForm4::~TForm4() = default;

void TForm4::applyFonts()
{
    const QFont labelFont = Fonts::arial(16, true);
    setFont(labelFont);
    const QFont fieldFont = Fonts::arial(13);
    for (int which = 0; which < QuestionBankModel::kFields; ++which) {
        QWidget* bound = field(static_cast<QuestionBankModel::Field>(which));
        bound->setFont(fieldFont);
        QPalette colours = bound->palette();
        colours.setColor(QPalette::Base, Qt::white);
        colours.setColor(QPalette::Text, Qt::black);
        bound->setPalette(colours);
        if (auto* memo = qobject_cast<QPlainTextEdit*>(bound))
            LongWords::keepWrappingFast(memo);
    }
    LongWords::keepWrappingFast(ui->searchText);
    ui->exitButton->setFont(Fonts::arial(19, true));
}

void TForm4::bindFields()
{
    for (int which = 0; which < QuestionBankModel::kFields; ++which)
        m_record->bind(field(static_cast<QuestionBankModel::Field>(which)),
                       QuestionBankModel::kFieldColumns[which]);
}

// The order of the screen: the question and its answers, the right answer, the navigator that
// posts them, then the search and the exit.
void TForm4::chainTabOrder()
{
    QList<QWidget*> chain = {ui->questionField,   ui->answerAField, ui->answerBField,
                             ui->answerCField,    ui->answerDField, ui->answerEField,
                             ui->rightAnswerField};
    for (int i = 0; i < RecordNavigator::kButtons; ++i)
        chain << ui->navigator->button(static_cast<RecordNavigator::Button>(i));
    chain << ui->searchText << ui->findButton << ui->allRecordsButton << ui->exitButton;
    for (int i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

void TForm4::onShowing()
{
    centreOnScreen();
}

void TForm4::FormCreate()
{
    m_model->openAll();
}

// The search text is taken whole, line breaks included, as a piece of the question.
void TForm4::findButtonClick()
{
    m_model->close();
    m_model->openFind(QLatin1Char('%') + ui->searchText->toPlainText() + QLatin1Char('%'));
    ui->searchText->clear();
    ui->navigator->setEnabled(false);
}

void TForm4::allRecordsButtonClick()
{
    m_model->close();
    m_model->openAll();
    ui->searchText->clear();
    ui->navigator->setEnabled(true);
}

void TForm4::exitButtonClick()
{
    hide();
}

bool TForm4::readyToEnd()
{
    if (!m_record->isEditing())
        return true;
    switch (Dialogs::askAboutUnwritten(kUnwrittenQuestion)) {
    case Dialogs::Unwritten::Write:
        // A write the store refuses is shown, and the program stays with the change.
        if (guarded([this] { m_record->post(); }))
            return true;
        break;
    case Dialogs::Unwritten::Drop:
        return guarded([this] { m_record->cancel(); });
    case Dialogs::Unwritten::Stay:
        break;
    }
    showModeless();
    return false;
}

RecordNavigator* TForm4::navigator() const
{
    return ui->navigator;
}

QWidget* TForm4::field(QuestionBankModel::Field which) const
{
    QWidget* const fields[QuestionBankModel::kFields] = {
        ui->questionField, ui->answerAField, ui->answerBField,    ui->answerCField,
        ui->answerDField,  ui->answerEField, ui->rightAnswerField};
    return fields[which];
}

QPlainTextEdit* TForm4::searchText() const
{
    return ui->searchText;
}

QAbstractButton* TForm4::findButton() const
{
    return ui->findButton;
}

QAbstractButton* TForm4::allRecordsButton() const
{
    return ui->allRecordsButton;
}

QAbstractButton* TForm4::exitButton() const
{
    return ui->exitButton;
}

bool TForm4::isSearchInForce() const
{
    return !ui->navigator->isEnabled();
}
