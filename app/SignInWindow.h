#pragma once

#include "FormWindow.h"
#include "SignInCheck.h"

#include <QList>
#include <QPointer>
#include <memory>

namespace Ui {
class TForm3;
}
class TForm1;

// The sign-in window. It checks a login and password (against the lists loaded from the users
// table at start-up, or on a lab computer by the server), writes CurrentUser into the main
// window, sets the administrator-only controls, reveals the main window and hides itself for
// the rest of the run. Cancel ends the program. Until a sign-in succeeds the main window stays
// out of sight.
class TForm3 : public FormWindow {
    Q_OBJECT
public:
    static inline const QString kNoSuchAccount =
        QStringLiteral("Данная учетная запись не существует");
    static inline const QString kWrongPassword = QStringLiteral("Не верен Логин или Пароль!");

    explicit TForm3(TForm1* mainWindow, QWidget* parent = nullptr);
    ~TForm3() override;

    // Controls shown to the administrator only, set at a successful sign-in.
    void setAdministratorControls(const QList<QWidget*>& controls);

    const ColumnCache& logins() const { return m_check.logins(); }
    const ColumnCache& passwords() const { return m_check.passwords(); }

protected:
    void onShowing() override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void OKButtonClick();
    void CancelButtonClick();

    std::unique_ptr<Ui::TForm3> ui;
    TForm1* m_mainWindow;
    SignInCheck m_check;
    QList<QPointer<QWidget>> m_administratorControls;
    bool m_signedIn = false;
};
