#include "SignInWindow.h"

#include "ui_SignInWindow.h"

#include "AppError.h"
#include "Dialogs.h"
#include "Fonts.h"
#include "Guard.h"
#include "MainWindow.h"
#include "Process.h"
#include "Roles.h"
#include "SignInCheck.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QKeyEvent>

TForm3::TForm3(TForm1* mainWindow, QWidget* parent)
    : FormWindow(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      ui(std::make_unique<Ui::TForm3>()), m_mainWindow(mainWindow)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("Form3"));
    ui->UserName->setMaxLength(SignInCheck::kLongestTyped);
    ui->Password->setMaxLength(SignInCheck::kLongestTyped);

    setFont(Fonts::msSansSerif(11));
    const QFont bold = Fonts::msSansSerif(11, true);
    for (QWidget* label :
         {static_cast<QWidget*>(ui->promptLabel), static_cast<QWidget*>(ui->userNameLabel),
          static_cast<QWidget*>(ui->passwordLabel)})
        label->setFont(bold);
    // Each typed password character shows as "*", whatever the style's own choice.
    ui->Password->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    setFixedSize(294, 141);
    centreOnScreen();

    // Enter in either field presses OK; Escape anywhere in the window presses Cancel.
    connect(ui->UserName, &QLineEdit::returnPressed, ui->OKButton, &QPushButton::click);
    connect(ui->Password, &QLineEdit::returnPressed, ui->OKButton, &QPushButton::click);
    connect(ui->OKButton, &QPushButton::clicked, this,
            [this] { guarded([this] { OKButtonClick(); }); });
    connect(ui->CancelButton, &QPushButton::clicked, this,
            [this] { guarded([this] { CancelButtonClick(); }); });

    // A users table whose rows have no stored order is refused once, and no list is read
    // from it.
    guarded([this] { m_check.openLogins(); });
    if (!m_check.refusal().isEmpty())
        return;
    guarded([this] { m_check.openPasswords(); });
    guarded([this] { FormCreate(); });
}

TForm3::~TForm3() = default;

void TForm3::setAdministratorControls(const QList<QWidget*>& controls)
{
    m_administratorControls.clear();
    for (QWidget* control : controls)
        m_administratorControls << control;
}

// Loads the login and password lists once; users added later sign in from the next start.
void TForm3::FormCreate()
{
    m_check.load();
}

void TForm3::onShowing()
{
    FormShow();
}

void TForm3::FormShow()
{
    // Runs before the main window first becomes visible, so it never shows before a sign-in.
    if (m_mainWindow)
        m_mainWindow->setAlphaBlend(true, 0);
    ui->UserName->setFocus();
    activateWindow();
}

void TForm3::OKButtonClick()
{
    const QString login = ui->UserName->text();
    const QString password = ui->Password->text();
    switch (m_check.check(login, password)) {
    case SignInVerdict::NoSuchAccount:
        Dialogs::message(kNoSuchAccount);
        return;
    case SignInVerdict::WrongPassword:
        Dialogs::message(kWrongPassword);
        return;
    case SignInVerdict::Accepted:
        break;
    }

    m_mainWindow->setCurrentUser(login);
    const bool administrator = administersHere(m_mainWindow->currentUser());
    for (const QPointer<QWidget>& control : std::as_const(m_administratorControls)) {
        if (control)
            control->setVisible(administrator);
    }
    m_mainWindow->setAlphaBlend(false);
    m_signedIn = true;
    close();
}

// Closing the window in any way before a sign-in (Alt+F4, the window manager) would leave the
// main window out of sight and the program running with nothing on screen: it cancels instead.
void TForm3::closeEvent(QCloseEvent* event)
{
    if (m_signedIn) {
        FormWindow::closeEvent(event);
        return;
    }
    event->ignore();
    ui->CancelButton->click();
}

void TForm3::keyPressEvent(QKeyEvent* event)
{
    // The fields and buttons leave Escape alone, so it reaches the window wherever the focus is.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        ui->CancelButton->click();
        return;
    }
    FormWindow::keyPressEvent(event);
}

void TForm3::CancelButtonClick()
{
    Process::terminate(0);
}
