#pragma once

#include "Question.h"

#include <QFileInfo>
#include <QWidget>
#include <memory>

class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;
class TeacherWindow;

// Questions from a file into the bank: the file chosen or dropped on the window, a preview of
// every question that will be stored (the right option marked) and, apart, every one that will
// be skipped with its line and the reason. Nothing is stored until "Импорттау" is pressed; then
// all or nothing.
class ImportPage : public QWidget {
    Q_OBJECT
public:
    explicit ImportPage(TeacherWindow& window);

    // Reads the file off the interface thread and shows what an import would store.
    void preview(const QString& path);
    // Stores what the preview shows, in one transaction.
    void import();

    int previewedQuestions() const { return int(m_questions.size()); }
    int previewedRefusals() const;

private:
    struct Reading;
    void showReading(const Reading& reading);
    void chooseFile();

    TeacherWindow& m_window;
    QPushButton* m_choose = nullptr;
    QLabel* m_file = nullptr;
    QTreeWidget* m_preview = nullptr;
    QListWidget* m_skipped = nullptr;
    QLabel* m_summary = nullptr;
    QPushButton* m_import = nullptr;
    QString m_path;
    QFileInfo m_previewed; // the file as it was when previewed
    quint64 m_seed = 0;
    QList<Question> m_questions;
};
