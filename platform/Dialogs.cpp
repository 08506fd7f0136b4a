#include "Dialogs.h"

#include "ErrorReport.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <limits>

namespace {
DialogScript* g_script = nullptr;

QWidget* dialogParent()
{
    return QApplication::activeWindow();
}

// Messages are written with "\r\n" for a line break; the box wants "\n".
QString boxText(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// "Description|*.a;*.b" (pairs separated by bars) becomes Qt's "Description (*.a *.b)" lines.
// "*.*" means every file, also one without a dot in its name.
QStringList qtFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        result << QStringLiteral("%1 (%2)").arg(parts[i].trimmed(),
                                                patterns.join(QLatin1Char(' ')));
    }
    return result;
}
} // namespace

namespace Dialogs {

void message(const QString& text)
{
    if (g_script) {
        g_script->record(Kind::Message, ErrorReport::applicationTitle(), text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, ErrorReport::applicationTitle(), boxText(text),
                    QMessageBox::Ok, dialogParent());
    box.exec();
}

void error(const QString& text)
{
    if (g_script) {
        g_script->record(Kind::Error, ErrorReport::applicationTitle(), text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, ErrorReport::applicationTitle(), boxText(text),
                    QMessageBox::Ok, dialogParent());
    box.exec();
}

void warning(const QString& text)
{
    if (g_script) {
        g_script->record(Kind::Warning, ErrorReport::applicationTitle(), text);
        return;
    }
    QMessageBox box(QMessageBox::Warning, ErrorReport::applicationTitle(), boxText(text),
                    QMessageBox::Ok, dialogParent());
    box.exec();
}

void fatal(const QString& title, const QString& text)
{
    if (g_script) {
        g_script->record(Kind::Fatal, title, text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

bool confirm(const QString& title, const QString& text)
{
    if (g_script) {
        g_script->record(Kind::Confirm, title, text);
        return g_script->nextConfirm();
    }
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Ok | QMessageBox::Cancel,
                    dialogParent());
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

Unwritten askAboutUnwritten(const QString& text)
{
    if (g_script) {
        g_script->record(Kind::Unwritten, ErrorReport::applicationTitle(), text);
        return g_script->nextUnwritten();
    }
    QMessageBox box(QMessageBox::Warning, ErrorReport::applicationTitle(), boxText(text),
                    QMessageBox::NoButton, dialogParent());
    QAbstractButton* write = box.addButton(QStringLiteral("Жазу"), QMessageBox::AcceptRole);
    QAbstractButton* drop = box.addButton(QStringLiteral("Жазбау"), QMessageBox::DestructiveRole);
    QPushButton* stay = box.addButton(QStringLiteral("Қалу"), QMessageBox::RejectRole);
    box.setDefaultButton(stay);
    box.setEscapeButton(stay);
    box.exec();
    if (box.clickedButton() == write)
        return Unwritten::Write;
    return box.clickedButton() == drop ? Unwritten::Drop : Unwritten::Stay;
}

QString input(const QString& caption, const QString& prompt, const QString& defaultText)
{
    if (g_script) {
        g_script->record(Kind::Input, caption, prompt);
        return g_script->nextInput().value_or(defaultText);
    }
    QInputDialog dialog(dialogParent());
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(defaultText);
    // The answer has no length limit; the toolkit's field would cut it at 32767 characters.
    if (auto* field = dialog.findChild<QLineEdit*>())
        field->setMaxLength(std::numeric_limits<int>::max());
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : defaultText;
}

FileChoice openFile(const QString& filter, int filterIndex)
{
    if (g_script && !g_script->usesRealFileChooser()) {
        g_script->record(Kind::OpenFile, QString(), filter);
        return g_script->nextFile();
    }
    const QStringList filters = qtFilters(filter);
    // Qt's chooser never changes the program's working folder, where db.mdb and the blank page
    // are looked up.
    QFileDialog dialog(dialogParent());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    if (filterIndex >= 1 && filterIndex <= filters.size())
        dialog.selectNameFilter(filters[filterIndex - 1]);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return {true, dialog.selectedFiles().constFirst()};
}

FileChoice saveFile(const QString& filter, const QString& suggested)
{
    if (g_script && !g_script->usesRealFileChooser()) {
        g_script->record(Kind::SaveFile, suggested, filter);
        return g_script->nextFile();
    }
    QFileDialog dialog(dialogParent());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(qtFilters(filter));
    dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return {true, dialog.selectedFiles().constFirst()};
}

} // namespace Dialogs

DialogScript::DialogScript() : m_previous(g_script)
{
    g_script = this;
}

DialogScript::~DialogScript()
{
    g_script = m_previous;
}

DialogScript* DialogScript::active()
{
    return g_script;
}

QStringList DialogScript::texts() const
{
    QStringList result;
    for (const auto& shown : m_shown)
        result << shown.text;
    return result;
}

QStringList DialogScript::texts(Dialogs::Kind kind) const
{
    QStringList result;
    for (const auto& shown : m_shown)
        if (shown.kind == kind)
            result << shown.text;
    return result;
}

void DialogScript::record(Dialogs::Kind kind, const QString& title, const QString& text)
{
    m_shown.append({kind, title, text});
}

bool DialogScript::nextConfirm()
{
    return m_confirms.isEmpty() ? true : m_confirms.dequeue();
}

Dialogs::Unwritten DialogScript::nextUnwritten()
{
    return m_unwritten.isEmpty() ? Dialogs::Unwritten::Stay : m_unwritten.dequeue();
}

std::optional<QString> DialogScript::nextInput()
{
    return m_inputs.isEmpty() ? std::nullopt : m_inputs.dequeue();
}

Dialogs::FileChoice DialogScript::nextFile()
{
    return m_files.isEmpty() ? Dialogs::FileChoice{} : m_files.dequeue();
}
