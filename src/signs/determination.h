#pragma once

#include <QString>
#include <QStringList>

// The month names exactly as the main window lists them.
const QStringList &monthNames();

// The sign for a birth month name and day. The day is not checked against the
// month's length: below 1 gives the month's earlier sign, beyond it the later.
// A month name that is not one of the twelve (compared case-sensitively) keeps
// the previous sign.
QString determineSign(const QString &month, int day, const QString &previousSign);
