#pragma once

#include "FormWindow.h"
#include "UserAccounts.h"

#include <memory>

namespace Ui {
class TForm5;
}
class QButtonGroup;
class QTableView;
class UsersModel;

// User administration: the read-only users grid with its search and filter, adding and deleting
// users, and changing the administrator's password. The grid is read at start-up and again after
// each change made here, never on showing; fields, mode, check box and filter survive hiding.
// Users added or removed here count for sign-in from the next start.
//
// Every handler stops at the first error, which the default error box shows; the fields then
// keep their text.
class TForm5 : public FormWindow {
    Q_OBJECT
public:
    static inline const QString kCannotDeleteAdministrator =
        QStringLiteral("Нельзя удалить Администратора");
    // A login or password longer than the sign-in window takes could never be typed there: the
    // user, or the administrator, would be locked out for good.
    static inline const QString kTooLongToSignIn =
        QStringLiteral("Логин мен пароль %1 таңбадан аспауы керек: ұзынырағын кіру терезесінде "
                       "теру мүмкін емес. Ештеңе өзгертілген жоқ");

    explicit TForm5(QWidget* parent = nullptr);
    ~TForm5() override;

    QTableView* grid() const;
    UsersModel* model() const { return m_model; }
    // The grid's current row, or -1.
    int currentRow() const;
    bool isAddMode() const;

    // Event handlers.
    void sButton1Click();      // search, or filter with "Фильтрация" ticked
    void sSpeedButton1Click(); // add mode
    void sSpeedButton2Click(); // delete mode
    void sBitBtn1Click();      // add user
    void sBitBtn2Click();      // delete user
    void sBitBtn3Click();      // change the administrator's password

protected:
    void onShowing() override;

private:
    void applyFontsAndMarks();
    void nameForScreenReaders();
    void connectHandlers();
    // Reads the grid again under its filter and makes the first row current.
    void refresh();
    void showFirstRow();
    // Tells the user and returns true when a text is too long to be typed at sign-in.
    bool refusedAsUntypable(const QStringList& texts);

    std::unique_ptr<Ui::TForm5> ui;
    UsersModel* m_model = nullptr;
    QButtonGroup* m_modes = nullptr;
    UserAccounts m_accounts;
};
