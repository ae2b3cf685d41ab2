#include "datecheck.h"

namespace {
const QString NameMissing = QStringLiteral("Please Enter Your Name");
const QString BadFebruary = QStringLiteral("Please Enter Correct Date Or Month!");
const QString BadThirtyDay = QStringLiteral("Please Enter Correct Date Or Month !");

constexpr int February = 1;
constexpr bool isThirtyDayMonth(int monthIndex)
{
    return monthIndex == 3 || monthIndex == 5 || monthIndex == 8 || monthIndex == 10;
}
} // namespace

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

DateCheck checkBirthDate(const QString &name, const QString &yearText, int monthIndex, int dayIndex)
{
    if (name.trimmed().isEmpty())
        return {false, NameMissing, QMessageBox::Critical};

    bool isNumber = false;
    const int year = yearText.toInt(&isNumber);
    // A year that is not a number cannot rule out 29 February.
    const int daysInFebruary = (!isNumber || isLeapYear(year)) ? 29 : 28;
    if (monthIndex == February && dayIndex >= daysInFebruary)
        return {false, BadFebruary, QMessageBox::Information};

    if (isThirtyDayMonth(monthIndex) && dayIndex == 30)
        return {false, BadThirtyDay, QMessageBox::Information};

    return {true, {}, QMessageBox::NoIcon};
}
