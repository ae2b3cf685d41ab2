#pragma once

#include <QString>

#include <array>
#include <optional>

constexpr int SignCount = 12;

// The twenty columns of the sign table, in the order the reading is filled
// and the report is composed.
enum class Column {
    SignNames,
    SignDescriptions,
    LuckyColors,
    LuckyStones,
    LuckyTrees,
    Elements,
    LuckyDays,
    LuckyTimes,
    Goals,
    CompatibleSigns,
    PolarityTotems,
    PositiveAttributes,
    NegativeAttributes,
    AnimalSymbols,
    Clans,
    SubDesires,
    SexualNatures,
    Natures,
    Functions,
    Avoids,
};
constexpr int ColumnCount = 20;

// One column's place on screen and in the report.
struct Field
{
    Column column;
    const char *label; // objectName of the value label on the reading window
    const char *readingHeading; // heading beside it on the reading window
    const char *reportHeading; // heading in the report
};

// All twenty, in fill order.
const std::array<Field, ColumnCount> &fields();

// A value exactly as stored (a literal ampersand is stored doubled, "&&").
QString signValue(int signIndex, Column column);

// The row whose sign name equals name exactly (case-sensitive), if any.
std::optional<int> signIndexOf(const QString &name);

// Turns a stored caption into what a label shows: "&&" is one "&", a single
// "&" only marks an access key and is not shown.
QString captionText(const QString &caption);
