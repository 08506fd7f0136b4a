#pragma once

#include "FormWindow.h"

#include <QPointer>
#include <functional>
#include <memory>

namespace Ui {
class TForm8;
}
class QAbstractButton;
class QButtonGroup;
class QLabel;
class TForm6;

// The test hub: take the test, view results, and for the administrator edit the question bank.
// It keeps its own copy of the signed-in login, taken when it is built and each time it goes
// from hidden to shown; the role and the results filter follow that copy.
class TForm8 : public FormWindow {
    Q_OBJECT
public:
    // currentUser returns the signed-in login at the moment it is called.
    TForm8(std::function<QString()> currentUser, FormWindow* testWindow, TForm6* results,
           QWidget* parent = nullptr);
    ~TForm8() override;

    // The question bank editor, once it exists; until then its button does nothing.
    void setQuestionEditor(FormWindow* editor) { m_questionEditor = editor; }

    QString userCopy() const;
    QAbstractButton* takeTestButton() const;
    QAbstractButton* resultsButton() const;
    QAbstractButton* editTestButton() const;

    // Event handlers.
    void FormCreate();
    void takeTestButtonClick();
    void resultsButtonClick();
    void editTestButtonClick();

protected:
    void onShowing() override;

private:
    void applyFontsAndPictures();

    std::unique_ptr<Ui::TForm8> ui;
    std::function<QString()> m_currentUser;
    QPointer<FormWindow> m_testWindow;
    QPointer<TForm6> m_results;
    QPointer<FormWindow> m_questionEditor;
    QButtonGroup* m_group = nullptr;
};
