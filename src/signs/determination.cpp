#include "determination.h"

#include <array>

const QStringList &monthNames()
{
    static const QStringList names {
        QStringLiteral("January"), QStringLiteral("February"), QStringLiteral("March"),
        QStringLiteral("April"),   QStringLiteral("May"),      QStringLiteral("June"),
        QStringLiteral("July"),    QStringLiteral("August"),   QStringLiteral("September"),
        QStringLiteral("October"), QStringLiteral("November"), QStringLiteral("December")};
    return names;
}

namespace {
// Per month: the last day of the earlier sign, then the earlier and the later sign.
struct Cut
{
    int lastDayOfEarlier;
    const char *earlier;
    const char *later;
};
constexpr std::array<Cut, 12> cuts {{
    {19, "Goose", "Otter"},
    {18, "Otter", "Wolf"},
    {20, "Wolf", "Hawk"},
    {19, "Hawk", "Beaver"},
    {20, "Beaver", "Elk"},
    {20, "Elk", "Woodpecker"},
    {21, "Woodpecker", "Salmon"},
    {21, "Salmon", "Bear"},
    {21, "Bear", "Raven"},
    {22, "Raven", "Snake"},
    {22, "Snake", "Owl"},
    {21, "Owl", "Goose"},
}};
} // namespace

QString determineSign(const QString &month, int day, const QString &previousSign)
{
    const qsizetype index = monthNames().indexOf(month);
    if (index < 0)
        return previousSign;
    const Cut &cut = cuts[static_cast<size_t>(index)];
    return QLatin1String(day <= cut.lastDayOfEarlier ? cut.earlier : cut.later);
}
