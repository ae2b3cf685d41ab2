#include "printing.h"

#include <QPrinter>
#include <QTextDocument>

#include <memory>

void printReport(const QTextDocument *document, QPrinter *printer)
{
    if (!document || !printer)
        return;
    // Printing lays the text out anew for the page; a copy keeps the screen's layout.
    std::unique_ptr<QTextDocument> copy(document->clone());
    copy->print(printer);
}
