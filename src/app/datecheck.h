#pragma once

#include <QMessageBox>
#include <QString>

// Outcome of checking the main window's entries before a reading.
struct DateCheck
{
    bool accepted = false;
    QString message; // empty when accepted
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

bool isLeapYear(int year);

// monthIndex and dayIndex are the selected positions of the month list
// (0 = January) and the day list (0 = day 1).
DateCheck checkBirthDate(const QString &name, const QString &yearText, int monthIndex,
                         int dayIndex);
