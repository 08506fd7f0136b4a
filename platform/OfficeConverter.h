#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QProcess;
class QTemporaryDir;

// Turns office documents (Word, OpenDocument, RTF, PowerPoint) into PDF with LibreOffice in
// headless mode, one at a time, in the background. Each result is kept in the user's cache
// folder under a name made from the document's path, size and modification time, so a document
// that has not changed is converted once and opens at once afterwards.
class OfficeConverter : public QObject {
    Q_OBJECT
public:
    explicit OfficeConverter(QObject* parent = nullptr);
    ~OfficeConverter() override;

    static bool handles(const QString& path);
    // The cached PDF of the document as it is now, or an empty text when there is none yet.
    static QString cachedPdf(const QString& path);
    // Throws AppError when the file's bytes are no office document of any kind LibreOffice
    // reads (a damaged or truncated file): converting it would show its bytes as a page of text.
    static void requireDocument(const QString& path);
    // The LibreOffice program, or an empty text when it is not installed.
    static QString converterProgram();

    // Starts converting; a conversion still running for another document is dropped. Throws
    // AppError when LibreOffice is missing. Ends in converted() or failed() for the same path.
    void convert(const QString& path);
    bool isBusy() const;

    // How long one conversion may take before it is given up.
    static constexpr int kTimeoutMs = 120000;

signals:
    void converted(const QString& path, const QString& pdf);
    void failed(const QString& path, const QString& message);

private:
    void finish(int exitCode);
    void cancel();

    QPointer<QProcess> m_process;
    QTemporaryDir* m_output = nullptr;
    QString m_path;
};
