#pragma once

class QPrinter;
class QTextDocument;

// Prints the whole document, formats and colours included, as one job.
void printReport(const QTextDocument *document, QPrinter *printer);
