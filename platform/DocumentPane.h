#pragma once

#include <QString>
#include <QWidget>

#include <memory>

class OfficeConverter;
class PdfBackend;
class QLabel;
class QStackedLayout;
class QTextBrowser;

// The document pane: shows one local file in place of what it showed before. HTML (with its
// pictures and style sheet), plain text and pictures are drawn by a text browser; PDF page after
// page, fitted to the pane's width. Office documents (.doc, .docx, .odt, .rtf, .ppt, .pptx,
// .odp) are converted to PDF in the background while the pane shows that it is busy; a document
// converted before opens from the cache at once.
class DocumentPane : public QWidget {
    Q_OBJECT
public:
    enum class Content { Empty, Html, Text, Image, Pdf, Converting };

    explicit DocumentPane(QWidget* parent = nullptr);
    ~DocumentPane() override;

    // Shows the file. Throws AppError when it is missing, unreadable, of a kind the pane cannot
    // show, or an office document while LibreOffice is missing; the pane then keeps what it
    // showed. A conversion that fails later is reported in the default error box.
    void navigate(const QString& path);
    // Shows the blank page, or nothing when that file is missing: a blank page is empty anyway.
    void showBlank(const QString& path);

    Content content() const { return m_content; }
    // The file asked for last (an office document while it is converted, not its PDF).
    QString currentPath() const { return m_path; }
    // The text shown by the text browser, and the pages of the PDF shown.
    QString shownText() const;
    int pdfPageCount() const;

    // Documents larger than this are refused instead of freezing the program while laid out.
    static constexpr qint64 kMaxTextBytes = 32 * 1024 * 1024;

signals:
    // The document at path is on screen (for an office document: once converted).
    void shown(const QString& path);

private:
    void showHtmlOrText(const QString& path, Content content);
    void showImage(const QString& path);
    void showPdf(const QString& path, const QString& pdf);
    void showConverting(const QString& path);
    void conversionDone(const QString& path, const QString& pdf);
    void conversionFailed(const QString& path, const QString& message);
    QWidget* pdfView();

    QStackedLayout* m_stack = nullptr;
    QTextBrowser* m_browser = nullptr;
    std::unique_ptr<PdfBackend> m_pdf;
    QWidget* m_pdfView = nullptr;
    QWidget* m_busy = nullptr;
    QLabel* m_busyText = nullptr;
    OfficeConverter* m_converter = nullptr;
    Content m_content = Content::Empty;
    QString m_path;
};
