#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// Question files that teachers keep in Word. A .docx is a zip of XML: its main part is read
// straight from the bytes, a paragraph to a line, so that the text formats read it as they read
// a text file. An old .doc is first converted to .docx with LibreOffice, when it is installed.
namespace WordDocument {

// Whether the bytes are a .docx (a zip holding word/document.xml) or an old binary .doc.
bool isDocx(const QByteArray& bytes);
bool isDoc(const QByteArray& bytes);

struct Text {
    QString text;
    QString error; // empty when the document could be read
};

// The document's text: a line per paragraph, a soft line break as a line break, a tab as a tab,
// the cells of a table row joined by tabs, and the numbers and letters of numbered paragraphs
// as Word shows them ("1.", "A)"). Never throws.
Text textOf(const QByteArray& docx);

// The .docx that LibreOffice makes of a .doc file, or why there is none. Runs LibreOffice with a
// profile of its own (a running LibreOffice is not disturbed) for at most two minutes, stopped
// (it and every process it started) as soon as cancelled() says so.
struct Converted {
    QByteArray docx;
    QString error;
    bool cancelled = false;
};
Converted convertDoc(const QString& path, const std::function<bool()>& cancelled = {});

} // namespace WordDocument
