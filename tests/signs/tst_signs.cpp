#include "signs/determination.h"
#include "signs/signtable.h"

#include <QDate>
#include <QTest>

class TestSigns : public QObject
{
    Q_OBJECT
private slots:
    void everyDayOfTheYear();
    void cutDays_data();
    void cutDays();
    void unknownMonthKeepsPreviousSign();
    void lookupIsExact_data();
    void lookupIsExact();
    void tableRows_data();
    void tableRows();
    void polarityTotemsPairSixApart();
    void captionsShowOneAmpersand();
};

// The sign ranges, written out independently of the cut table.
static QString expectedSign(QDate d)
{
    struct Range
    {
        int fromMonth, fromDay;
        const char *sign;
    };
    static const Range starts[]
        = {{1, 20, "Otter"}, {2, 19, "Wolf"},       {3, 21, "Hawk"},   {4, 20, "Beaver"},
           {5, 21, "Elk"},   {6, 21, "Woodpecker"}, {7, 22, "Salmon"}, {8, 22, "Bear"},
           {9, 22, "Raven"}, {10, 23, "Snake"},     {11, 23, "Owl"},   {12, 22, "Goose"}};
    QString sign = QStringLiteral("Goose");
    for (const Range &r : starts) {
        if (d >= QDate(d.year(), r.fromMonth, r.fromDay))
            sign = QLatin1String(r.sign);
    }
    return sign;
}

void TestSigns::everyDayOfTheYear()
{
    int days = 0;
    for (QDate d(2000, 1, 1); d.year() == 2000; d = d.addDays(1), ++days) {
        const QString month = monthNames().at(d.month() - 1);
        QCOMPARE(determineSign(month, d.day(), QString()), expectedSign(d));
        // The year plays no part.
        if (QDate::isValid(1999, d.month(), d.day()))
            QCOMPARE(determineSign(month, d.day(), QStringLiteral("Owl")), expectedSign(d));
    }
    QCOMPARE(days, 366);
}

void TestSigns::cutDays_data()
{
    QTest::addColumn<QString>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("sign");
    const struct
    {
        const char *month;
        int day;
        const char *before, *after;
    } cuts[] = {{"January", 19, "Goose", "Otter"},    {"February", 18, "Otter", "Wolf"},
                {"March", 20, "Wolf", "Hawk"},        {"April", 19, "Hawk", "Beaver"},
                {"May", 20, "Beaver", "Elk"},         {"June", 20, "Elk", "Woodpecker"},
                {"July", 21, "Woodpecker", "Salmon"}, {"August", 21, "Salmon", "Bear"},
                {"September", 21, "Bear", "Raven"},   {"October", 22, "Raven", "Snake"},
                {"November", 22, "Snake", "Owl"},     {"December", 21, "Owl", "Goose"}};
    for (const auto &c : cuts) {
        QTest::addRow("%s %d", c.month, c.day) << c.month << c.day << c.before;
        QTest::addRow("%s %d", c.month, c.day + 1) << c.month << c.day + 1 << c.after;
    }
    QTest::newRow("1 January") << "January" << 1 << "Goose";
    QTest::newRow("31 December") << "December" << 31 << "Goose";
    QTest::newRow("29 February") << "February" << 29 << "Wolf";
    // Not checked against the month's length: below 1 the earlier sign, beyond it the later.
    QTest::newRow("January 0") << "January" << 0 << "Goose";
    QTest::newRow("January -5") << "January" << -5 << "Goose";
    QTest::newRow("January 40") << "January" << 40 << "Otter";
    QTest::newRow("February 30") << "February" << 30 << "Wolf";
    QTest::newRow("April 31") << "April" << 31 << "Beaver";
    QTest::newRow("December 0") << "December" << 0 << "Owl";
    QTest::newRow("December 32") << "December" << 32 << "Goose";
    QTest::newRow("June -32768") << "June" << -32768 << "Elk";
    QTest::newRow("June 32767") << "June" << 32767 << "Woodpecker";
}

void TestSigns::cutDays()
{
    QFETCH(QString, month);
    QFETCH(int, day);
    QFETCH(QString, sign);
    QCOMPARE(determineSign(month, day, QString()), sign);
}

void TestSigns::unknownMonthKeepsPreviousSign()
{
    QCOMPARE(determineSign(QStringLiteral("january"), 5, QString()), QString());
    QCOMPARE(determineSign(QStringLiteral("january"), 5, QStringLiteral("Bear")),
             QStringLiteral("Bear"));
    QCOMPARE(determineSign(QStringLiteral(" May"), 5, QStringLiteral("Owl")),
             QStringLiteral("Owl"));
    QCOMPARE(determineSign(QString(), 5, QStringLiteral("Elk")), QStringLiteral("Elk"));
}

void TestSigns::lookupIsExact_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("row"); // -1: no row
    QTest::newRow("Goose") << "Goose" << 0;
    QTest::newRow("Owl") << "Owl" << 11;
    QTest::newRow("Woodpecker") << "Woodpecker" << 6;
    for (const char *notASign :
         {"goose", "Elk ", "Deer", "Falcon", "Crow", "Brown Bear", "Snow Goose", ""})
        QTest::addRow("'%s'", notASign) << notASign << -1;
}

void TestSigns::lookupIsExact()
{
    QFETCH(QString, name);
    QFETCH(int, row);
    const std::optional<int> found = signIndexOf(name);
    QCOMPARE(found.value_or(-1), row);
}

void TestSigns::tableRows_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("values"); // every column but the description, fill order
    auto add
        = [](int row, const QStringList &values) { QTest::addRow("%d", row) << row << values; };
    add(0,
        {"Goose", "White", "Peridot", "Birch tree", "Earth with Air", "Saturday",
         "9 am-11am && 9pm-11pm", "Preservation", "Brown Bear, Crow, Beaver", "Woodpecker",
         "Perseverance, ambitious and strong will force",
         "Stubborn, pessimistic, egoistic and demanding", "Snow Goose", "Turtle", "Integrity",
         "Sensual, romantic and long lasting", "Extremist", "Preparing the ground",
         "Pessimism and self-doubt"});
    add(1,
        {"Otter", "Silver", "Turquoise", "Fern", "Air", "Saturday", "11am-1pm && 11pm-1am",
         "Knowledge", "Crow, Falcon, Bear", "Salmon", "Inventor, flexible and good perception",
         "Stubborn and unpredictable", "Otter", "Butterfly", "Wisdom",
         "Hot and cold depending upon mood", "Humanitarian", "Carrier",
         "Stubbornness and rebelliousness"});
    add(2,
        {"Wolf", "Blue Green", "Jade", "Plantain", "Water with Air", "Thursday", "1pm-3pm",
         "Freedom", "Woodpecker, Bear, Snake", "Bear", "Adaptability, understanding and sensitive",
         "Anxious, unpractical, timid and vague", "Wolf", "Frog", "Wisdom", "Loving and Tender",
         "Trusting", "Recovery", "Indolence, timidness and impracticality"});
    add(3,
        {"Hawk", "Yellow and Green", "Opal", "Dandelion", "Fire", "Tuesday", "3am-5am",
         "Initiation and Leadership", "Salmon, Owl", "Crow",
         "Generous manner, flexible to new openings and adventurous",
         "Impatient, egoistic and boastful", "Falcon", "Thunderbird", "Experience",
         "Easily aroused, fiery and passionate", "Impulsive", "To initiate", "Pride and vanity"});
    add(4,
        {"Beaver", "Yellow", "Jasper", "Clover", "Earth with Fire", "Friday", "5am-7am && 5pm-7pm",
         "Possession means security", "Woodpecker, Bear and Goose", "Snake",
         "Objective, powerful and strong will force", "Intolerant, possessive and inflexible",
         "Beaver", "Turtle", "Exemption of obligations", "Demanding", "Impulsive", "To consolidate",
         "Stubbornness and material greed"});
    add(5,
        {"Elk", "Orange", "Agate", "Mullein", "Air with Fire", "Wednesday", "7am-9am && 7pm-9pm",
         "Connecting", "Raven and Otter", "Owl", "Humorous, friendly and intellectual",
         "Impatient, restless, laziness and despondency", "Deer", "Butterfly",
         "To make things perfect", "Titillating", "Lively", "To observe",
         "Moodiness and inconsistency"});
    add(6,
        {"Woodpecker", "Roseate", "Rose Quartz", "Dogrose", "Water", "Monday",
         "9am-11am && 9pm-11pm", "Development of feelings", "Snake, Wolf and Beaver", "Goose",
         "Affectionate and thrifty", "Moody and possessive", "Woodpecker", "Frog",
         "To live life as it comes", "Needful", "Exacting", "To merge",
         "Possession and self-pity"});
    add(7,
        {"Salmon", "Red", "Carnelian", "Raspberry", "Fire with Water", "Saturday",
         "11am-1am && 11pm-1pm", "Rule", "Falcon and Owl", "Otter",
         "Creativity, generosity and magnanimity", "Dogmatic, intolerance and arrogance", "Salmon",
         "Hawk", "Stability in feelings and emotions", "Insatiable", "Demanding", "To do",
         "Arrogance and egotism"});
    add(8,
        {"Bear", "Brown and Violet", "Topaz", "Violet", "Earth with Water", "Wednesday", "1pm-3pm",
         "Permanent effort for the examination", "Goose and Beaver", "Wolf", "Accuracy and modesty",
         "Grumbler, hypo critic and workaholic", "Brown Bear", "Turtle", "Perfection", "Moralistic",
         "Considerate", "To modify", "Skepticism and procrastination"});
    add(9,
        {"Raven", "Blue", "Azurite", "Ivy", "Air with Earth", "Friday", "3pm-5pm", "Partnership",
         "Otter and Deer", "Falcon", "Romantic, idealistic and diplomatic",
         "Resentful, indecisive and frivol", "Raven", "Butterfly", "Beauty and harmony", "Strong",
         "Cooperative", "To initiate ideas", "Hesitation and insecurity"});
    add(10,
        {"Snake", "Violet", "Amethyst", "Thistle", "Water with Earth", "Tuesday",
         "5am-7am && 5pm-7pm", "Satisfaction", "Woodpecker and Wolf", "Beaver",
         "Imaginative, powerful and sharp sighted",
         "Restlessness, stubborn, mysterious and distrustful", "Snake", "Frog",
         "Spiritual unification", "Intense", "Inquiring", "Changing things",
         "Arrogance and egoism"});
    add(11,
        {"Owl", "Gold", "Obsidian", "Mistletoe", "Fire with Earth", "Thursday",
         "7am-9am && 7pm-9pm", "Communication", "Falcon and Salmon", "Deer",
         "Versatility, adaptability and conscientiousness", "Restlessness and impetuous", "Owl",
         "Hawk", "Determination", "Adventurous", "Sincere", "Changing things",
         "Greed and overindulgence"});
}

void TestSigns::tableRows()
{
    QFETCH(int, row);
    QFETCH(QStringList, values);
    QStringList stored;
    for (const Field &field : fields()) {
        if (field.column != Column::SignDescriptions)
            stored << signValue(row, field.column);
    }
    QCOMPARE(stored, values);
}

void TestSigns::polarityTotemsPairSixApart()
{
    // The totem names the opposite sign, the Hawk as Falcon, the Raven as Crow, the Elk as Deer.
    const auto known = [](const QString &name) {
        if (name == QLatin1String("Falcon"))
            return QStringLiteral("Hawk");
        if (name == QLatin1String("Crow"))
            return QStringLiteral("Raven");
        if (name == QLatin1String("Deer"))
            return QStringLiteral("Elk");
        return name;
    };
    for (int row = 0; row < 6; ++row) {
        QCOMPARE(known(signValue(row, Column::PolarityTotems)),
                 signValue(row + 6, Column::SignNames));
        QCOMPARE(known(signValue(row + 6, Column::PolarityTotems)),
                 signValue(row, Column::SignNames));
    }
    QCOMPARE(signValue(7, Column::Clans), QStringLiteral("Hawk"));
    QCOMPARE(signValue(11, Column::Clans), QStringLiteral("Hawk"));
    QCOMPARE(signValue(12, Column::SignNames), QString());
}

void TestSigns::captionsShowOneAmpersand()
{
    QCOMPARE(captionText(signValue(0, Column::LuckyTimes)), QStringLiteral("9 am-11am & 9pm-11pm"));
    QCOMPARE(captionText(QStringLiteral("&Back")), QStringLiteral("Back"));
    QCOMPARE(captionText(QStringLiteral("a && b && c")), QStringLiteral("a & b & c"));
    QCOMPARE(captionText(QStringLiteral("plain")), QStringLiteral("plain"));
}

QTEST_APPLESS_MAIN(TestSigns)
#include "tst_signs.moc"
