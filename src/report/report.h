#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

class QTextDocument;

// The line under every section of the report.
QString ReportFooter();

constexpr qreal ReportFontPointSize = 9.75;
inline const QColor HeadingColor(0, 128, 128); // dark cyan
inline const QColor ValueColor(0, 0, 0);

// Replaces the document with the report: for each of the twenty values, in
// the order of the reading, its heading (dark cyan, bold) and the value
// (black) on one line, the footer on the next, then an empty line; the last
// footer ends the document.
void ComposeReport(QTextDocument *document, const QStringList &values);
