#include "UsersWindow.h"

#include "ui_UsersWindow.h"

#include "Dialogs.h"
#include "Fonts.h"
#include "Guard.h"
#include "Roles.h"
#include "SignInCheck.h"
#include "UsersModel.h"

#include <QButtonGroup>
#include <QHeaderView>
#include <QStyle>
#include <limits>

TForm5::TForm5(QWidget* parent)
    : FormWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                             Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TForm5>()), m_model(new UsersModel(this))
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("Form5"));
    setFixedSize(783, 408);
    applyFontsAndMarks();
    nameForScreenReaders();

    m_modes = new QButtonGroup(this);
    m_modes->setExclusive(true);
    m_modes->addButton(ui->sSpeedButton1);
    m_modes->addButton(ui->sSpeedButton2);

    ui->usersGrid->setModel(m_model);
    connectHandlers();

    // The users table is open from start-up, where the course may be administered at all.
    if (administrationPossibleHere()) {
        guarded([this] {
            m_model->refresh();
            showFirstRow();
        });
    }
}

TForm5::~TForm5() = default;

void TForm5::applyFontsAndMarks()
{
    setFont(Fonts::arial(16, true));
    const QFont gridFont = Fonts::msSansSerif(11);
    ui->usersGrid->setFont(gridFont);
    ui->usersGrid->horizontalHeader()->setFont(gridFont);
    ui->usersGrid->horizontalHeader()->setStretchLastSection(true);
    ui->usersGrid->verticalHeader()->hide();
    for (QToolButton* toggle : {ui->sSpeedButton1, ui->sSpeedButton2})
        toggle->setFont(Fonts::arial(19, true));

    // Black on white whatever the style, as the fields of the other windows.
    for (QLineEdit* field : {ui->searchField, ui->oldPasswordField, ui->newPasswordField,
                             ui->loginField, ui->passwordField, ui->groupField}) {
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Text, Qt::black);
        field->setPalette(palette);
        // The fields have no length limit; the toolkit's own would cut a longer text at 32767
        // characters without a word.
        field->setMaxLength(std::numeric_limits<int>::max());
    }
    // Labels take the size of their text at their described places. Each ends a few pixels
    // inside the field below it, so it is drawn over the field, whose border would cut off the
    // tails of letters such as "Қ".
    for (QLabel* label : {ui->searchLabel, ui->oldPasswordLabel, ui->newPasswordLabel,
                          ui->loginLabel, ui->passwordLabel, ui->groupLabel}) {
        label->adjustSize();
        label->raise();
    }

    const QIcon ok = style()->standardIcon(QStyle::SP_DialogOkButton);
    ui->sBitBtn1->setIcon(ok);
    ui->sBitBtn3->setIcon(ok);
    ui->sBitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
}

// The labels name their fields; the controls whose texts repeat get names that tell them apart.
void TForm5::nameForScreenReaders()
{
    ui->searchField->setAccessibleName(QStringLiteral("Іздеу: Қолданушы"));
    ui->loginField->setAccessibleName(QStringLiteral("Қолданушы"));
    ui->sSpeedButton1->setAccessibleName(QStringLiteral("Қосу режимі"));
    ui->sSpeedButton2->setAccessibleName(QStringLiteral("Өшіру режимі"));
    // Each name begins with the caption, which is what a voice-control user says.
    ui->sBitBtn1->setAccessibleName(QStringLiteral("Қосу, қолданушыны қосу"));
    ui->sBitBtn2->setAccessibleName(QStringLiteral("Өшіру, қолданушыны өшіру"));
    ui->sBitBtn3->setAccessibleName(QStringLiteral("OK, администратордың паролін өзгерту"));
}

void TForm5::connectHandlers()
{
    connect(ui->sButton1, &QPushButton::clicked, this,
            [this] { guarded([this] { sButton1Click(); }); });
    connect(ui->sSpeedButton1, &QToolButton::clicked, this,
            [this] { guarded([this] { sSpeedButton1Click(); }); });
    connect(ui->sSpeedButton2, &QToolButton::clicked, this,
            [this] { guarded([this] { sSpeedButton2Click(); }); });
    connect(ui->sBitBtn1, &QPushButton::clicked, this,
            [this] { guarded([this] { sBitBtn1Click(); }); });
    connect(ui->sBitBtn2, &QPushButton::clicked, this,
            [this] { guarded([this] { sBitBtn2Click(); }); });
    connect(ui->sBitBtn3, &QPushButton::clicked, this,
            [this] { guarded([this] { sBitBtn3Click(); }); });

    // Enter in a field presses the button of its area.
    connect(ui->searchField, &QLineEdit::returnPressed, ui->sButton1, &QPushButton::click);
    for (QLineEdit* field : {ui->oldPasswordField, ui->newPasswordField})
        connect(field, &QLineEdit::returnPressed, ui->sBitBtn3, &QPushButton::click);
    for (QLineEdit* field : {ui->loginField, ui->passwordField, ui->groupField})
        connect(field, &QLineEdit::returnPressed, this,
                [this] { (isAddMode() ? ui->sBitBtn1 : ui->sBitBtn2)->click(); });
}

QTableView* TForm5::grid() const
{
    return ui->usersGrid;
}

int TForm5::currentRow() const
{
    const QModelIndex current = ui->usersGrid->currentIndex();
    return current.isValid() ? current.row() : -1;
}

bool TForm5::isAddMode() const
{
    return ui->sSpeedButton1->isChecked();
}

void TForm5::onShowing()
{
    centreOnScreen();
}

void TForm5::showFirstRow()
{
    if (m_model->rowCount() > 0)
        ui->usersGrid->setCurrentIndex(m_model->index(0, 0));
}

void TForm5::refresh()
{
    m_model->refresh();
    showFirstRow();
}

// Ticked: the grid lists only the rows whose login equals the text. Clear: every row again, and
// the first whose login is exactly the text becomes current.
void TForm5::sButton1Click()
{
    const QString text = ui->searchField->text();
    if (ui->filterCheckBox->isChecked()) {
        m_model->setFilter(text);
        showFirstRow();
        return;
    }
    if (m_model->filter()) {
        m_model->setFilter(std::nullopt);
        showFirstRow();
    }
    const int row = m_model->locate(text);
    if (row >= 0)
        ui->usersGrid->setCurrentIndex(m_model->index(row, 0));
}

void TForm5::sSpeedButton1Click()
{
    ui->groupLabel->show();
    ui->groupField->show();
    ui->sBitBtn1->show();
    ui->sBitBtn2->hide();
}

void TForm5::sSpeedButton2Click()
{
    ui->groupLabel->hide();
    ui->groupField->hide();
    ui->sBitBtn2->show();
    ui->sBitBtn1->hide();
}

void TForm5::sBitBtn1Click()
{
    const QString login = ui->loginField->text();
    const QString password = ui->passwordField->text();
    if (login.isEmpty() || password.isEmpty())
        return;
    if (refusedAsUntypable({login, password}))
        return;
    m_accounts.add(login, password, ui->groupField->text());
    refresh();
    ui->loginField->clear();
    ui->passwordField->clear();
    ui->groupField->clear();
}

void TForm5::sBitBtn2Click()
{
    const QString login = ui->loginField->text();
    const QString password = ui->passwordField->text();
    if (isAdministrator(login)) {
        Dialogs::message(kCannotDeleteAdministrator);
        return;
    }
    if (login.isEmpty() || password.isEmpty())
        return;
    // A login that passes the exact check can still match the administrator's row on a column
    // that ignores letter case; that row stays, and the user is told why nothing went.
    if (m_accounts.remove(login, password) == UserAccounts::Removal::AdministratorKept) {
        Dialogs::message(kCannotDeleteAdministrator);
        return;
    }
    refresh();
    ui->loginField->clear();
    ui->passwordField->clear();
}

// A wrong old password changes nothing and keeps both fields; the grid is read again either way.
void TForm5::sBitBtn3Click()
{
    const QString oldPassword = ui->oldPasswordField->text();
    const QString newPassword = ui->newPasswordField->text();
    if (oldPassword.isEmpty() || newPassword.isEmpty())
        return;
    if (refusedAsUntypable({newPassword}))
        return;
    const bool changed = m_accounts.changeAdministratorPassword(oldPassword, newPassword);
    refresh();
    if (!changed)
        return;
    ui->oldPasswordField->clear();
    ui->newPasswordField->clear();
}

bool TForm5::refusedAsUntypable(const QStringList& texts)
{
    const bool tooLong = std::any_of(texts.cbegin(), texts.cend(), [](const QString& text) {
        return text.size() > SignInCheck::kLongestTyped;
    });
    if (tooLong)
        Dialogs::message(kTooLongToSignIn.arg(SignInCheck::kLongestTyped));
    return tooLong;
}
