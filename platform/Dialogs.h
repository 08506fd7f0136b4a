#pragma once

#include <QList>
#include <QQueue>
#include <QString>
#include <optional>

// Every modal dialog of the program goes through here, so that tests can answer them.
namespace Dialogs {

// A plain box: no icon, the application's title, one OK button.
void message(const QString& text);
// The default error box: error icon, OK, the application's title.
void error(const QString& text);
// A warning: warning icon, OK, the application's title.
void warning(const QString& text);
// A task-modal box for an error that ends the program.
void fatal(const QString& title, const QString& text);
// A question with OK and Cancel; true for OK.
bool confirm(const QString& title, const QString& text);
// Unwritten work before the program ends: write it ("Жазу"), drop it ("Жазбау") or stay
// ("Қалу", also Escape and the close box).
enum class Unwritten { Write, Drop, Stay };
Unwritten askAboutUnwritten(const QString& text);
// A one-line input box; returns the default text on Cancel.
QString input(const QString& caption, const QString& prompt, const QString& defaultText);

struct FileChoice {
    bool accepted = false;
    QString path;
};
// The open-file chooser; filter as "Description|*.a;*.b", filterIndex counts from 1.
FileChoice openFile(const QString& filter, int filterIndex);
// The save-file chooser, offering the suggested name; asks before replacing a file.
FileChoice saveFile(const QString& filter, const QString& suggested);

enum class Kind { Message, Error, Warning, Fatal, Confirm, Unwritten, Input, OpenFile, SaveFile };

struct Shown {
    Kind kind;
    QString title;
    QString text;
};

} // namespace Dialogs

// Test seam: while an instance exists, dialogs are not shown. Each one is recorded, and answers
// come from the queues (confirm: OK, unwritten work: stay, input: Cancel, file choosers (open
// and save share a queue): Cancel when a queue is empty).
class DialogScript {
public:
    DialogScript();
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    static DialogScript* active();

    void answerConfirm(bool ok) { m_confirms.enqueue(ok); }
    void answerUnwritten(Dialogs::Unwritten answer) { m_unwritten.enqueue(answer); }
    // std::nullopt presses Cancel.
    void answerInput(std::optional<QString> text) { m_inputs.enqueue(std::move(text)); }
    void answerFile(Dialogs::FileChoice choice) { m_files.enqueue(std::move(choice)); }
    // Lets the real file chooser come up (and be driven by the test) while the other dialogs
    // stay scripted.
    void useRealFileChooser(bool real) { m_realFiles = real; }
    bool usesRealFileChooser() const { return m_realFiles; }

    const QList<Dialogs::Shown>& shown() const { return m_shown; }
    QStringList texts() const;
    QStringList texts(Dialogs::Kind kind) const;
    void clear() { m_shown.clear(); }

    // Used by Dialogs.
    void record(Dialogs::Kind kind, const QString& title, const QString& text);
    bool nextConfirm();
    Dialogs::Unwritten nextUnwritten();
    std::optional<QString> nextInput();
    Dialogs::FileChoice nextFile();

private:
    QList<Dialogs::Shown> m_shown;
    QQueue<bool> m_confirms;
    QQueue<Dialogs::Unwritten> m_unwritten;
    QQueue<std::optional<QString>> m_inputs;
    QQueue<Dialogs::FileChoice> m_files;
    DialogScript* m_previous = nullptr;
    bool m_realFiles = false;
};
