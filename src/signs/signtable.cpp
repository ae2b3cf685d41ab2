#include "signtable.h"

#include <QFile>

namespace {

// One row per sign, zodiac order; the interpretation texts live in resources.
struct Row
{
    const char *name, *color, *stone, *tree, *element, *day, *time, *goals, *compatible, *polarity,
        *positive, *negative, *animal, *clan, *subDesires, *sexualNature, *nature, *function,
        *avoid;
};

constexpr std::array<Row, SignCount> rows {{
    {"Goose", "White", "Peridot", "Birch tree", "Earth with Air", "Saturday",
     "9 am-11am && 9pm-11pm", "Preservation", "Brown Bear, Crow, Beaver", "Woodpecker",
     "Perseverance, ambitious and strong will force",
     "Stubborn, pessimistic, egoistic and demanding", "Snow Goose", "Turtle", "Integrity",
     "Sensual, romantic and long lasting", "Extremist", "Preparing the ground",
     "Pessimism and self-doubt"},
    {"Otter", "Silver", "Turquoise", "Fern", "Air", "Saturday", "11am-1pm && 11pm-1am", "Knowledge",
     "Crow, Falcon, Bear", "Salmon", "Inventor, flexible and good perception",
     "Stubborn and unpredictable", "Otter", "Butterfly", "Wisdom",
     "Hot and cold depending upon mood", "Humanitarian", "Carrier",
     "Stubbornness and rebelliousness"},
    {"Wolf", "Blue Green", "Jade", "Plantain", "Water with Air", "Thursday", "1pm-3pm", "Freedom",
     "Woodpecker, Bear, Snake", "Bear", "Adaptability, understanding and sensitive",
     "Anxious, unpractical, timid and vague", "Wolf", "Frog", "Wisdom", "Loving and Tender",
     "Trusting", "Recovery", "Indolence, timidness and impracticality"},
    {"Hawk", "Yellow and Green", "Opal", "Dandelion", "Fire", "Tuesday", "3am-5am",
     "Initiation and Leadership", "Salmon, Owl", "Crow",
     "Generous manner, flexible to new openings and adventurous",
     "Impatient, egoistic and boastful", "Falcon", "Thunderbird", "Experience",
     "Easily aroused, fiery and passionate", "Impulsive", "To initiate", "Pride and vanity"},
    {"Beaver", "Yellow", "Jasper", "Clover", "Earth with Fire", "Friday", "5am-7am && 5pm-7pm",
     "Possession means security", "Woodpecker, Bear and Goose", "Snake",
     "Objective, powerful and strong will force", "Intolerant, possessive and inflexible", "Beaver",
     "Turtle", "Exemption of obligations", "Demanding", "Impulsive", "To consolidate",
     "Stubbornness and material greed"},
    {"Elk", "Orange", "Agate", "Mullein", "Air with Fire", "Wednesday", "7am-9am && 7pm-9pm",
     "Connecting", "Raven and Otter", "Owl", "Humorous, friendly and intellectual",
     "Impatient, restless, laziness and despondency", "Deer", "Butterfly", "To make things perfect",
     "Titillating", "Lively", "To observe", "Moodiness and inconsistency"},
    {"Woodpecker", "Roseate", "Rose Quartz", "Dogrose", "Water", "Monday", "9am-11am && 9pm-11pm",
     "Development of feelings", "Snake, Wolf and Beaver", "Goose", "Affectionate and thrifty",
     "Moody and possessive", "Woodpecker", "Frog", "To live life as it comes", "Needful",
     "Exacting", "To merge", "Possession and self-pity"},
    {"Salmon", "Red", "Carnelian", "Raspberry", "Fire with Water", "Saturday",
     "11am-1am && 11pm-1pm", "Rule", "Falcon and Owl", "Otter",
     "Creativity, generosity and magnanimity", "Dogmatic, intolerance and arrogance", "Salmon",
     "Hawk", "Stability in feelings and emotions", "Insatiable", "Demanding", "To do",
     "Arrogance and egotism"},
    {"Bear", "Brown and Violet", "Topaz", "Violet", "Earth with Water", "Wednesday", "1pm-3pm",
     "Permanent effort for the examination", "Goose and Beaver", "Wolf", "Accuracy and modesty",
     "Grumbler, hypo critic and workaholic", "Brown Bear", "Turtle", "Perfection", "Moralistic",
     "Considerate", "To modify", "Skepticism and procrastination"},
    {"Raven", "Blue", "Azurite", "Ivy", "Air with Earth", "Friday", "3pm-5pm", "Partnership",
     "Otter and Deer", "Falcon", "Romantic, idealistic and diplomatic",
     "Resentful, indecisive and frivol", "Raven", "Butterfly", "Beauty and harmony", "Strong",
     "Cooperative", "To initiate ideas", "Hesitation and insecurity"},
    {"Snake", "Violet", "Amethyst", "Thistle", "Water with Earth", "Tuesday", "5am-7am && 5pm-7pm",
     "Satisfaction", "Woodpecker and Wolf", "Beaver", "Imaginative, powerful and sharp sighted",
     "Restlessness, stubborn, mysterious and distrustful", "Snake", "Frog", "Spiritual unification",
     "Intense", "Inquiring", "Changing things", "Arrogance and egoism"},
    {"Owl", "Gold", "Obsidian", "Mistletoe", "Fire with Earth", "Thursday", "7am-9am && 7pm-9pm",
     "Communication", "Falcon and Salmon", "Deer",
     "Versatility, adaptability and conscientiousness", "Restlessness and impetuous", "Owl", "Hawk",
     "Determination", "Adventurous", "Sincere", "Changing things", "Greed and overindulgence"},
}};

constexpr std::array<Field, ColumnCount> fieldTable {{
    {Column::SignNames, "lblAmericanSign", "Native American Sign", "Native American Sign: "},
    {Column::SignDescriptions, "lblNativeAmericanSignDesc", "Description", "Description: "},
    {Column::LuckyColors, "lblLucky_Color", "Lucky Color ", "Lucky Color: "},
    {Column::LuckyStones, "lblLucky_Stone", "Lucky Stone ", "Lucky Stone: "},
    {Column::LuckyTrees, "lblLucky_Tree", "Lucky Tree ", "Lucky Tree: "},
    {Column::Elements, "lblElement", "Element ", "Element: "},
    {Column::LuckyDays, "lblLucky_day", "Lucky day ", "Lucky Day: "},
    {Column::LuckyTimes, "lblLucky_time", "Lucky time ", "Lucky Time: "},
    {Column::Goals, "lblGoals", "Goals ", "Goals: "},
    {Column::CompatibleSigns, "lblCompatible_Signs", "Compatible Signs", "Compatible Signs: "},
    {Column::PolarityTotems, "lblPolarity_Totem", "Polarity Totem", "Polarity Totem: "},
    {Column::PositiveAttributes, "lblPositive_Attributes", "Positive Attributes ",
     "Positive Attributes: "},
    {Column::NegativeAttributes, "lblNegative_Attributes", "Negative Attributes ",
     "Negative Attributes: "},
    {Column::AnimalSymbols, "lblAnimal_Symbol", "Animal Symbol ", "Animal Symbol: "},
    {Column::Clans, "lblClan", "Clan ", "Clan: "},
    {Column::SubDesires, "lblSub_Desires", "Sub-Desires ", "Sub Desires: "},
    {Column::SexualNatures, "lblSexual_nature", "Sexual nature ", "Sexual Nature: "},
    {Column::Natures, "lblNature", "Nature ", "Nature: "},
    {Column::Functions, "lblFunctions", "Function ", "Functions: "},
    {Column::Avoids, "lblAvoid", "Avoid ", "Avoid: "},
}};

const char *rowValue(const Row &row, Column column)
{
    switch (column) {
    case Column::SignNames:
        return row.name;
    case Column::SignDescriptions:
        return nullptr;
    case Column::LuckyColors:
        return row.color;
    case Column::LuckyStones:
        return row.stone;
    case Column::LuckyTrees:
        return row.tree;
    case Column::Elements:
        return row.element;
    case Column::LuckyDays:
        return row.day;
    case Column::LuckyTimes:
        return row.time;
    case Column::Goals:
        return row.goals;
    case Column::CompatibleSigns:
        return row.compatible;
    case Column::PolarityTotems:
        return row.polarity;
    case Column::PositiveAttributes:
        return row.positive;
    case Column::NegativeAttributes:
        return row.negative;
    case Column::AnimalSymbols:
        return row.animal;
    case Column::Clans:
        return row.clan;
    case Column::SubDesires:
        return row.subDesires;
    case Column::SexualNatures:
        return row.sexualNature;
    case Column::Natures:
        return row.nature;
    case Column::Functions:
        return row.function;
    case Column::Avoids:
        return row.avoid;
    }
    return nullptr;
}

QString description(int signIndex)
{
    QFile file(
        QStringLiteral(":/texts/%1.txt").arg(QString::fromLatin1(rows[signIndex].name).toLower()));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

} // namespace

const std::array<Field, ColumnCount> &fields()
{
    return fieldTable;
}

QString signValue(int signIndex, Column column)
{
    if (signIndex < 0 || signIndex >= SignCount)
        return {};
    if (column == Column::SignDescriptions)
        return description(signIndex);
    return QString::fromLatin1(rowValue(rows[signIndex], column));
}

std::optional<int> signIndexOf(const QString &name)
{
    for (int i = 0; i < SignCount; ++i) {
        if (name == QLatin1String(rows[i].name))
            return i;
    }
    return std::nullopt;
}

QString captionText(const QString &caption)
{
    QString shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i; // "&&" keeps the second; "&x" keeps the x
        shown += caption[i];
    }
    return shown;
}
