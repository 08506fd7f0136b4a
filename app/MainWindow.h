#pragma once

#include "FormWindow.h"

#include <QPointer>
#include <functional>
#include <memory>

namespace Ui {
class TForm1;
}
class QAbstractButton;
class QButtonGroup;
class QLabel;

// The main window: background picture, help and authors buttons, the bottom row of five
// toggles (one exclusive group, none down at start) and the current-user panel sPanel1.
// It opens the shared connection while it is built; closing it ends the program.
class TForm1 : public FormWindow {
    Q_OBJECT
public:
    static inline const QString kHelpFile = QStringLiteral("help.qhc");
    static inline const QString kNoUser = QStringLiteral("ghg");
    // Shown at start-up when db.mdb lies on a network file system (%1 the file, %2 the kind).
    static inline const QString kSharedFileWarning = QStringLiteral(
        "Курс файлы желілік бумада тұр (%1, %2). Оған бірнеше компьютер бір уақытта жазса, "
        "нәтижелер жоғалуы немесе файл бүлінуі мүмкін: желілік файл жүйесі файлды сенімді "
        "бұғаттамайды. Компьютер сыныбында курсты серверге қойыңыз (okulyk-admin server-init, "
        "содан кейін okulyk --server).");

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // CurrentUser lives in the caption of sPanel1.
    QString currentUser() const;
    void setCurrentUser(const QString& login);
    QLabel* currentUserPanel() const;

    QAbstractButton* lecturesButton() const;
    QAbstractButton* labsButton() const;
    QAbstractButton* videoButton() const;
    QAbstractButton* testButton() const;
    QAbstractButton* usersButton() const;

    // Alpha blending as the sign-in uses it: on with 0 keeps the window out of sight (also on
    // desktops that ignore window opacity); off shows it unchanged. Neither runs the on-show work.
    void setAlphaBlend(bool on, int alpha = 255);
    bool isConcealed() const { return m_concealed; }

    // Windows the buttons show; set once all windows exist. A missing one makes its button inert.
    struct Targets {
        QPointer<FormWindow> materials;
        QPointer<FormWindow> testHub;
        QPointer<FormWindow> users;
        QPointer<FormWindow> authors;
        QPointer<FormWindow> signIn;
    };
    void setTargets(const Targets& targets) { m_targets = targets; }

protected:
    void onShowing() override;
    void closeEvent(QCloseEvent* event) override;
    // The window has no maximise box; a window manager that offers maximising (or full screen)
    // anyway finds the window back in its normal state.
    void changeEvent(QEvent* event) override;

private:
    void FormCreate();
    void openHelp();
    void applyFontsAndPictures();
    static void showTarget(FormWindow* window);

    std::unique_ptr<Ui::TForm1> ui;
    QButtonGroup* m_bottomGroup = nullptr;
    Targets m_targets;
    bool m_concealed = false;
};
