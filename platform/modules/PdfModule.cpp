// The PDF part of the document pane, loaded on the first PDF shown.

#include "Backends.h"

#include <QPdfDocument>
#include <QPdfPageNavigator>
#include <QPdfView>
#include <QPointer>

namespace {

class PdfModule : public PdfBackend {
public:
    // The documents are the module's, not the view's: a document deleted with the view would
    // tell the half-destroyed view that it closed.
    ~PdfModule() override
    {
        if (m_view)
            m_view->setDocument(nullptr);
        delete m_document;
    }

    QWidget* view(QWidget* parent) override
    {
        if (!m_view) {
            m_view = new QPdfView(parent);
            m_view->setObjectName(QStringLiteral("documentPdf"));
            m_view->setAccessibleName(QStringLiteral("Құжат"));
            m_view->setPageMode(QPdfView::PageMode::MultiPage);
            m_view->setZoomMode(QPdfView::ZoomMode::FitToWidth);
            m_document = new QPdfDocument;
            m_view->setDocument(m_document);
        }
        return m_view;
    }

    QString show(const QString& file) override
    {
        // The document is loaded apart first, so a broken file leaves the view as it was.
        auto* document = new QPdfDocument;
        if (document->load(file) != QPdfDocument::Error::None || document->pageCount() <= 0) {
            delete document;
            return QStringLiteral("PDF құжатын ашу мүмкін емес, файл бүлінген болуы мүмкін");
        }
        m_view->setDocument(document);
        delete m_document;
        m_document = document;
        m_view->pageNavigator()->jump(0, {}, 0);
        return {};
    }

    int pageCount() const override { return m_document ? m_document->pageCount() : 0; }

private:
    QPointer<QPdfView> m_view;
    QPdfDocument* m_document = nullptr;
};

} // namespace

extern "C" Q_DECL_EXPORT PdfBackend* okulyk_create_pdf_backend()
{
    return new PdfModule;
}
