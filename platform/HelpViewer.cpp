#include "HelpViewer.h"

#include "AppError.h"

#include <QDir>
#include <QFileInfo>
#include <QHelpEngine>
#include <QHelpIndexModel>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

// Shows pages stored inside the compressed help file.
class HelpBrowser : public QTextBrowser {
public:
    HelpBrowser(QHelpEngine* engine, QWidget* parent) : QTextBrowser(parent), m_engine(engine) {}

    QVariant loadResource(int type, const QUrl& url) override
    {
        if (url.scheme() == QLatin1String("qthelp"))
            return m_engine->fileData(url);
        return QTextBrowser::loadResource(type, url);
    }

private:
    QHelpEngine* m_engine;
};

class HelpWindow : public QWidget {
public:
    explicit HelpWindow(const QString& collectionPath) : QWidget(nullptr, Qt::Window)
    {
        setObjectName(QStringLiteral("helpWindow"));
        setWindowTitle(QStringLiteral("Анықтама"));
        resize(900, 600);

        m_engine = new QHelpEngine(collectionPath, this);
        m_engine->setReadOnly(true);
        m_engine->setUsesFilterEngine(true);
        if (!m_engine->setupData() || m_engine->registeredDocumentations().isEmpty())
            throw AppError(QStringLiteral("Анықтама файлын оқу мүмкін емес: %1 (%2)")
                               .arg(collectionPath, m_engine->error()));

        auto* search = new QLineEdit(this);
        search->setObjectName(QStringLiteral("helpKeyword"));
        search->setAccessibleName(QStringLiteral("Кілт сөз"));
        auto* searchLabel = new QLabel(QStringLiteral("&Кілт сөз:"), this);
        searchLabel->setBuddy(search);

        m_index = m_engine->indexWidget();
        m_index->setObjectName(QStringLiteral("helpIndex"));
        m_index->setAccessibleName(QStringLiteral("Кілт сөздер тізімі"));

        m_page = new HelpBrowser(m_engine, this);
        m_page->setObjectName(QStringLiteral("helpPage"));
        m_page->setAccessibleName(QStringLiteral("Анықтама беті"));

        auto* left = new QWidget(this);
        auto* leftLayout = new QVBoxLayout(left);
        leftLayout->setContentsMargins(0, 0, 0, 0);
        leftLayout->addWidget(searchLabel);
        leftLayout->addWidget(search);
        leftLayout->addWidget(m_index);

        auto* splitter = new QSplitter(this);
        splitter->addWidget(left);
        splitter->addWidget(m_page);
        splitter->setStretchFactor(1, 3);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(splitter);

        QObject::connect(search, &QLineEdit::textChanged, m_index,
                         [this](const QString& text) { m_index->filterIndices(text); });
        QObject::connect(search, &QLineEdit::returnPressed, m_index,
                         &QHelpIndexWidget::activateCurrentItem);
        QObject::connect(m_index, &QHelpIndexWidget::documentActivated, this,
                         [this](const QHelpLink& link) { m_page->setSource(link.url); });
        QObject::connect(m_index, &QHelpIndexWidget::documentsActivated, this,
                         [this](const QList<QHelpLink>& links) {
                             if (!links.isEmpty())
                                 m_page->setSource(links.constFirst().url);
                         });
        m_search = search;

        // Open on the start page rather than an empty pane.
        const QString ns = m_engine->registeredDocumentations().constFirst();
        const QUrl start =
            m_engine->findFile(QUrl(QStringLiteral("qthelp://%1/doc/index.html").arg(ns)));
        // The collection only names the documentation file, whose pages it reads when shown: a
        // missing or broken one would give an empty viewer without a word.
        if (m_engine->fileData(start).isEmpty())
            throw AppError(QStringLiteral("Анықтама файлын оқу мүмкін емес: %1")
                               .arg(m_engine->documentationFileName(ns)));
        m_page->setSource(start);
    }

    void showIndex()
    {
        m_search->clear();
        m_index->filterIndices(QString());
        show();
        raise();
        activateWindow();
        m_search->setFocus();
    }

private:
    QHelpEngine* m_engine = nullptr;
    QHelpIndexWidget* m_index = nullptr;
    QTextBrowser* m_page = nullptr;
    QLineEdit* m_search = nullptr;
};

QPointer<HelpWindow> g_window;
QString g_openedPath;

} // namespace

namespace HelpViewer {

void openKeywordIndex(const QString& collectionFile)
{
    const QString path = QDir::current().absoluteFilePath(collectionFile);
    if (!QFileInfo(path).isFile())
        throw AppError(QStringLiteral("Анықтама файлы табылмады: %1").arg(path));
    if (g_window && g_openedPath != path) {
        delete g_window;
        g_window = nullptr;
    }
    if (!g_window) {
        g_window = new HelpWindow(path);
        g_openedPath = path;
    }
    g_window->showIndex();
}

QWidget* window()
{
    return g_window;
}

} // namespace HelpViewer
