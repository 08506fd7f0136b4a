#include "DocumentPane.h"

#include "AppError.h"
#include "Backends.h"
#include "ErrorReport.h"
#include "LongWords.h"
#include "OfficeConverter.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QProgressBar>
#include <QStackedLayout>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {

enum class Kind { Html, Text, Image, Pdf, Office, Unknown };

Kind kindOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("htm") || suffix == QLatin1String("html"))
        return Kind::Html;
    if (suffix == QLatin1String("txt"))
        return Kind::Text;
    if (suffix == QLatin1String("pdf"))
        return Kind::Pdf;
    if (OfficeConverter::handles(path))
        return Kind::Office;
    if (QImageReader::supportedImageFormats().contains(suffix.toLatin1()))
        return Kind::Image;
    return Kind::Unknown;
}

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

// A stored path may also be written as a file URL.
QString localPath(const QString& location)
{
    if (location.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return QUrl(location).toLocalFile();
    return location;
}

void requireReadable(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        throw AppError(QStringLiteral("Құжат табылмады: %1").arg(path));
    if (!info.isFile())
        throw AppError(QStringLiteral("Бұл құжат емес, бума: %1").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(
            QStringLiteral("Құжатты оқу мүмкін емес: %1 (%2)").arg(path, file.errorString()));
}

} // namespace

DocumentPane::DocumentPane(QWidget* parent) : QWidget(parent)
{
    m_stack = new QStackedLayout(this);
    m_stack->setContentsMargins(0, 0, 0, 0);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("documentText"));
    m_browser->setAccessibleName(QStringLiteral("Құжат"));
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(true);
    LongWords::keepWrappingFast(m_browser);
    m_stack->addWidget(m_browser);

    m_busy = new QWidget(this);
    auto* busyLayout = new QVBoxLayout(m_busy);
    busyLayout->addStretch();
    m_busyText = new QLabel(m_busy);
    m_busyText->setAlignment(Qt::AlignCenter);
    m_busyText->setWordWrap(true);
    QFont busyFont = m_busyText->font();
    busyFont.setPixelSize(16);
    m_busyText->setFont(busyFont);
    auto* progress = new QProgressBar(m_busy);
    progress->setRange(0, 0);
    progress->setTextVisible(false);
    progress->setMaximumWidth(240);
    progress->setAccessibleName(QStringLiteral("Күте тұрыңыз"));
    busyLayout->addWidget(m_busyText);
    busyLayout->addWidget(progress, 0, Qt::AlignHCenter);
    busyLayout->addStretch();
    m_stack->addWidget(m_busy);

    m_converter = new OfficeConverter(this);
    connect(m_converter, &OfficeConverter::converted, this, &DocumentPane::conversionDone);
    connect(m_converter, &OfficeConverter::failed, this, &DocumentPane::conversionFailed);
}

DocumentPane::~DocumentPane() = default;

void DocumentPane::navigate(const QString& location)
{
    const QString path = localPath(location);
    requireReadable(path);
    switch (kindOf(path)) {
    case Kind::Html:
        showHtmlOrText(path, Content::Html);
        break;
    case Kind::Text:
        showHtmlOrText(path, Content::Text);
        break;
    case Kind::Image:
        showImage(path);
        break;
    case Kind::Pdf:
        showPdf(path, path);
        break;
    case Kind::Office: {
        OfficeConverter::requireDocument(path);
        const QString cached = OfficeConverter::cachedPdf(path);
        if (!cached.isEmpty()) {
            showPdf(path, cached);
            break;
        }
        m_converter->convert(path);
        showConverting(path);
        break;
    }
    case Kind::Unknown:
        throw AppError(QStringLiteral("Бұл түрдегі құжатты көрсету мүмкін емес: %1").arg(path));
    }
}

void DocumentPane::showBlank(const QString& path)
{
    if (QFileInfo(path).isFile()) {
        try {
            navigate(path);
            return;
        } catch (const AppError&) {
            // An unreadable blank page leaves the pane as blank as a readable one would.
        }
    }
    m_browser->clear();
    m_stack->setCurrentWidget(m_browser);
    m_content = Content::Empty;
    m_path = path;
}

void DocumentPane::showHtmlOrText(const QString& path, Content content)
{
    if (QFileInfo(path).size() > kMaxTextBytes)
        throw AppError(QStringLiteral("Құжат тым үлкен (%1 МБ), оны көрсету мүмкін емес: %2")
                           .arg(QFileInfo(path).size() / (1024 * 1024))
                           .arg(path));
    if (content == Content::Html) {
        // The browser resolves pictures and style sheets next to the document.
        const QUrl url = QUrl::fromLocalFile(path);
        if (m_browser->source() == url)
            m_browser->reload();
        else
            m_browser->setSource(url, QTextDocument::HtmlResource);
    } else {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        m_browser->setPlainText(QString::fromUtf8(file.readAll()));
    }
    m_stack->setCurrentWidget(m_browser);
    m_content = content;
    m_path = path;
    emit shown(path);
}

void DocumentPane::showImage(const QString& path)
{
    QImageReader reader(path);
    if (!reader.canRead())
        throw AppError(
            QStringLiteral("Суретті оқу мүмкін емес: %1 (%2)").arg(path, reader.errorString()));
    m_browser->clear();
    m_browser->setHtml(QStringLiteral("<img src=\"%1\">")
                           .arg(QUrl::fromLocalFile(path).toString().toHtmlEscaped()));
    m_stack->setCurrentWidget(m_browser);
    m_content = Content::Image;
    m_path = path;
    emit shown(path);
}

QWidget* DocumentPane::pdfView()
{
    // Loaded with the first PDF only: most sessions never show one.
    if (!m_pdfView) {
        m_pdf.reset(Backends::createPdf());
        m_pdfView = m_pdf->view(this);
        m_stack->addWidget(m_pdfView);
    }
    return m_pdfView;
}

void DocumentPane::showPdf(const QString& path, const QString& pdf)
{
    QWidget* view = pdfView();
    const QString failure = m_pdf->show(pdf);
    if (!failure.isEmpty())
        throw AppError(QStringLiteral("%1: %2").arg(failure, path));
    m_stack->setCurrentWidget(view);
    m_content = Content::Pdf;
    m_path = path;
    emit shown(path);
}

void DocumentPane::showConverting(const QString& path)
{
    m_busyText->setText(QStringLiteral("«%1» құжаты ашылуда, күте тұрыңыз…").arg(fileName(path)));
    m_stack->setCurrentWidget(m_busy);
    m_content = Content::Converting;
    m_path = path;
}

void DocumentPane::conversionDone(const QString& path, const QString& pdf)
{
    // Another document may have been opened in the meantime; the PDF stays in the cache.
    if (m_content != Content::Converting || path != m_path)
        return;
    try {
        showPdf(path, pdf);
    } catch (const AppError& error) {
        conversionFailed(path, error.message());
    }
}

void DocumentPane::conversionFailed(const QString& path, const QString& message)
{
    if (m_content != Content::Converting || path != m_path)
        return;
    m_browser->clear();
    m_stack->setCurrentWidget(m_browser);
    m_content = Content::Empty;
    ErrorReport::showError(message);
}

QString DocumentPane::shownText() const
{
    return m_browser->toPlainText();
}

int DocumentPane::pdfPageCount() const
{
    return m_pdf ? m_pdf->pageCount() : 0;
}
