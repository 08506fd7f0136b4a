#pragma once

#include <QString>

// Question texts written as HTML (a GIFT "[html]" text, the HTML of a learning platform's
// export) as the plain text a student should read in the test window: tags dropped, entities
// decoded, paragraphs, list items, rows and <br> as line breaks, other runs of blanks and line
// breaks as one space, as a browser shows them. Scripts and style sheets are dropped whole.
namespace HtmlText {

QString toPlain(const QString& html);

} // namespace HtmlText
