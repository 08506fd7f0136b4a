#include "ImportPage.h"

#include "KazakhMessages.h"

#include "Commands.h"
#include "Console.h"
#include "Dialogs.h"
#include "QuestionFile.h"
#include "TeacherWindow.h"
#include "WordDocument.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr qint64 kLargestFile = qint64(1) << 30;
// The preview lists this many questions: enough to check a file by eye, and built at once.
constexpr qsizetype kListed = 2000;
const QString kLetters = QStringLiteral("ABCDE");

} // namespace

// What reading the file gave, handed from the runner's thread to the page.
struct ImportPage::Reading {
    QString error;
    QString format;
    QList<Question> questions;
    QList<Refusal> refusals;
    QList<Refusal> notes;
};

ImportPage::ImportPage(TeacherWindow& window) : m_window(window)
{
    setObjectName(QStringLiteral("ImportPage"));
    m_choose = new QPushButton(QStringLiteral("&Файлды таңдау…"), this);
    m_choose->setObjectName(QStringLiteral("ChooseFile"));
    m_file = new QLabel(QStringLiteral("Сұрақтар файлын таңдаңыз немесе терезеге сүйреп "
                                       "әкеліңіз: мәтін (Aiken, GIFT, <question>), Word "
                                       "(.docx, .doc) немесе Moodle XML."),
                        this);
    m_file->setObjectName(QStringLiteral("FileName"));
    m_file->setWordWrap(true);
    m_file->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_preview = new QTreeWidget(this);
    m_preview->setObjectName(QStringLiteral("Preview"));
    m_preview->setAccessibleName(QStringLiteral("Сақталатын сұрақтар"));
    m_preview->setHeaderLabels({QStringLiteral("Сақталатын сұрақтар"), QStringLiteral("Жол")});
    m_preview->header()->setStretchLastSection(false);
    m_preview->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_preview->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_preview->setUniformRowHeights(true);

    auto* skippedBox = new QWidget(this);
    auto* skippedTitle = new QLabel(QStringLiteral("Өткізілетін сұрақтар:"), skippedBox);
    m_skipped = new QListWidget(skippedBox);
    m_skipped->setObjectName(QStringLiteral("Skipped"));
    skippedTitle->setBuddy(m_skipped);
    m_skipped->setAccessibleName(QStringLiteral("Өткізілетін сұрақтар"));
    auto* skippedLayout = new QVBoxLayout(skippedBox);
    skippedLayout->setContentsMargins(0, 0, 0, 0);
    skippedLayout->addWidget(skippedTitle);
    skippedLayout->addWidget(m_skipped);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(m_preview);
    splitter->addWidget(skippedBox);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("Summary"));
    m_import = new QPushButton(QStringLiteral("И&мпорттау"), this);
    m_import->setObjectName(QStringLiteral("Import"));
    m_import->setEnabled(false);

    auto* top = new QHBoxLayout;
    top->addWidget(m_choose);
    top->addWidget(m_file, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_summary, 1);
    bottom->addWidget(m_import);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter, 1);
    layout->addLayout(bottom);

    connect(m_choose, &QPushButton::clicked, this, &ImportPage::chooseFile);
    connect(m_import, &QPushButton::clicked, this, &ImportPage::import);
}

int ImportPage::previewedRefusals() const
{
    return m_skipped->count();
}

void ImportPage::chooseFile()
{
    const Dialogs::FileChoice choice = Dialogs::openFile(
        QStringLiteral("Сұрақтар файлдары|*.txt;*.gift;*.docx;*.doc;*.xml|Барлық файлдар|*"), 1);
    if (choice.accepted)
        preview(choice.path);
}

void ImportPage::preview(const QString& path)
{
    m_path = path;
    m_previewed = QFileInfo(path);
    m_seed = QRandomGenerator::system()->generate64() >> 1;
    m_questions.clear();
    m_preview->clear();
    m_skipped->clear();
    m_import->setEnabled(false);
    m_file->setText(QFileInfo(path).fileName());
    m_summary->setText(QStringLiteral("Оқылуда…"));
    auto reading = std::make_shared<Reading>();
    const quint64 seed = m_seed;
    m_window.runJob(
        QStringLiteral("файлды оқу"),
        [path, seed, reading](Console& console) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                reading->error = QStringLiteral("Файл ашылмады: %1").arg(file.errorString());
                return int(Commands::Failed);
            }
            if (file.size() > kLargestFile) {
                reading->error = QStringLiteral("Файл 1 ГБ-тан үлкен.");
                return int(Commands::Failed);
            }
            QByteArray bytes = file.readAll();
            if (WordDocument::isDoc(bytes)) {
                const WordDocument::Converted converted = WordDocument::convertDoc(
                    path, [&console] { return console.cancelRequested(); });
                if (converted.cancelled)
                    return int(Commands::Stopped);
                if (!converted.error.isEmpty()) {
                    reading->error = converted.error;
                    return int(Commands::Failed);
                }
                bytes = converted.docx;
            }
            const QuestionFile::Outcome outcome = QuestionFile::read(bytes);
            if (console.cancelRequested())
                return int(Commands::Stopped);
            if (!outcome.error.isEmpty()) {
                reading->error =
                    outcome.errorLine > 0
                        ? QStringLiteral("%1-жол: %2").arg(outcome.errorLine).arg(outcome.error)
                        : outcome.error;
                return int(Commands::Failed);
            }
            reading->format = QuestionFile::formatName(*outcome.format);
            reading->questions = outcome.result.questions;
            reading->refusals = outcome.result.refusals;
            reading->notes = outcome.result.notes;
            // The tag format's options are shuffled on import; the preview shows the order the
            // import will store, with the same seed.
            if (*outcome.format == QuestionFile::Format::Tags) {
                QuestionFile::Shuffler shuffler(seed);
                for (Question& question : reading->questions)
                    shuffler.shuffle(question);
            }
            return int(Commands::Done);
        },
        [this, reading](int status) {
            if (status == Commands::Stopped)
                m_summary->setText(QStringLiteral("Оқу тоқтатылды."));
            else
                showReading(*reading);
        });
}

void ImportPage::showReading(const Reading& reading)
{
    if (!reading.error.isEmpty()) {
        m_summary->setText(QStringLiteral("Файл оқылмады."));
        Dialogs::error(QStringLiteral("%1: %2").arg(QFileInfo(m_path).fileName(),
                                                    KazakhMessages::translate(reading.error)));
        return;
    }
    m_questions = reading.questions;
    QList<QTreeWidgetItem*> items;
    const qsizetype listed = std::min(m_questions.size(), kListed);
    items.reserve(listed + 1);
    for (qsizetype i = 0; i < listed; ++i) {
        const Question& question = m_questions[i];
        auto* item = new QTreeWidgetItem(
            {QStringLiteral("%1. %2").arg(i + 1).arg(question.text.simplified()),
             QString::number(question.line)});
        item->setToolTip(0, question.text);
        for (int option = 0; option < Question::kOptions; ++option) {
            const bool right = option + 1 == question.right;
            auto* child = new QTreeWidgetItem({QStringLiteral("%1%2) %3")
                                                   .arg(right ? QStringLiteral("✔ ") : QString())
                                                   .arg(kLetters.at(option))
                                                   .arg(question.options[option].simplified())});
            if (right) {
                QFont bold = child->font(0);
                bold.setBold(true);
                child->setFont(0, bold);
            }
            item->addChild(child);
        }
        items << item;
    }
    if (listed < m_questions.size())
        items << new QTreeWidgetItem({QStringLiteral("… тағы %1 сұрақ сақталады (алғашқы %2 "
                                                     "сұрақ көрсетілген)")
                                          .arg(m_questions.size() - listed)
                                          .arg(listed)});
    m_preview->addTopLevelItems(items);
    // Options shown at once for a file of ordinary size; a very large one stays folded.
    if (items.size() <= 500)
        m_preview->expandAll();
    for (const Refusal& refusal : reading.refusals)
        m_skipped->addItem(QStringLiteral("%1-жол: %2")
                               .arg(refusal.line)
                               .arg(KazakhMessages::translate(refusal.reason)));
    for (const Refusal& note : reading.notes)
        m_skipped->addItem(QStringLiteral("%1-жол (сақталады): %2")
                               .arg(note.line)
                               .arg(KazakhMessages::translate(note.reason)));
    m_summary->setText(QStringLiteral("%1 (%2): %3 сұрақ сақталады, %4 өткізіледі.")
                           .arg(QFileInfo(m_path).fileName(), reading.format,
                                QString::number(m_questions.size()),
                                QString::number(reading.refusals.size())));
    m_import->setEnabled(!m_questions.isEmpty());
}

void ImportPage::import()
{
    if (m_questions.isEmpty() || !m_window.hasCourse())
        return;
    // The import reads the file again: one changed since the preview is previewed anew rather
    // than stored unseen.
    const QFileInfo now(m_path);
    if (now.size() != m_previewed.size() || now.lastModified() != m_previewed.lastModified()) {
        Dialogs::warning(QStringLiteral("%1 файлы алдын ала қараудан кейін өзгерді; ол қайта "
                                        "оқылады, содан кейін импорттауға болады.")
                             .arg(now.fileName()));
        preview(m_path);
        return;
    }
    m_import->setEnabled(false);
    const qsizetype count = m_questions.size();
    m_window.runCommand(QStringLiteral("сұрақтарды импорттау"),
                        {QStringLiteral("import-questions"), m_path, QStringLiteral("--seed"),
                         QString::number(m_seed)},
                        [this, count](int status) {
                            if (status == Commands::Done || status == Commands::DoneWithWarnings)
                                m_summary->setText(
                                    QStringLiteral("%1 сұрақ банкке қосылды.").arg(count));
                            else
                                m_import->setEnabled(true);
                        });
}
