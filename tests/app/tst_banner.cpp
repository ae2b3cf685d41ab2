#include "support/fakeplatform.h"
#include "support/windows.h"

#include "app/banner.h"

#include <QTest>

#include <cmath>

using namespace TestWindows;

class TestBanner : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { install(); }
    void init() { reset(); }
    void cleanup() { reset(); }

    void roundsHalvesToEven_data();
    void roundsHalvesToEven();
    void numberPicksTheLabel_data();
    void numberPicksTheLabel();
    void drawAppliesToTheFirstMainWindowOnly();
    void weightsOverManyDraws();
};

void TestBanner::roundsHalvesToEven_data()
{
    QTest::addColumn<float>("r");
    QTest::addColumn<int>("number");
    // r * 6 + 1 exactly on a half goes to the even neighbour.
    QTest::newRow("0") << 0.0f << 1;
    QTest::newRow("1.5 -> 2") << float(0.5 / 6) << 2;
    QTest::newRow("2.5 -> 2") << float(1.5 / 6) << 2;
    QTest::newRow("3.5 -> 4") << 0.41666666f << 4;
    QTest::newRow("4.5 -> 4") << 0.58333333f << 4;
    QTest::newRow("5.5 -> 6") << 0.75f << 6;
    QTest::newRow("6.5 -> 6") << 0.91666666f << 6;
    QTest::newRow("just below 1") << std::nextafter(1.0f, 0.0f) << 7;
    QTest::newRow("1.49") << 0.0815f << 1;
    QTest::newRow("1.51") << 0.085f << 2;
}

void TestBanner::roundsHalvesToEven()
{
    QFETCH(float, r);
    QFETCH(int, number);
    QCOMPARE(coBrandNumber(r), number);
}

void TestBanner::numberPicksTheLabel_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("front");
    for (int n : {1, 3, 5})
        QTest::addRow("%d", n) << n << int(BannerFront::CoBrand);
    for (int n : {2, 4, 6})
        QTest::addRow("%d", n) << n << int(BannerFront::FullBrand);
    QTest::newRow("7") << 7 << int(BannerFront::Unchanged);
}

void TestBanner::numberPicksTheLabel()
{
    QFETCH(int, number);
    QFETCH(int, front);
    QCOMPARE(int(bannerFront(number)), front);

    // On the main window: the chosen label is in front, and a click opens its page.
    FakePlatform fake;
    fake.randoms = {float(number - 1) / 6.0f};
    frmMain *main = Navigation::showMain();
    CoBrand_Randomize(main);
    QCOMPARE(appState().intCoBrandRandomNumber, qint16(number));
    auto *strip = child<QWidget>(main, "fraFullBrand");
    QWidget *shown = strip->childAt(child<QLabel>(main, "lblCobrand")->geometry().center());
    const char *expected = front == int(BannerFront::CoBrand) ? "lblCobrand" : "lblFullBrand";
    QCOMPARE(shown->objectName(), QLatin1String(expected));
    QTest::mouseClick(shown, Qt::LeftButton);
    QCOMPARE(fake.urls.size(), 1);
    QVERIFY(fake.urls[0].endsWith(front == int(BannerFront::CoBrand)
                                      ? QStringLiteral("co-brand")
                                      : QStringLiteral("fully-branded")));
}

void TestBanner::drawAppliesToTheFirstMainWindowOnly()
{
    FakePlatform fake;
    fake.randoms = {0.0f}; // 1: co-brand in front
    CoBrand_Randomize(Navigation::showMain());
    frmAmericanAstrologyResult *reading = readingFor(QStringLiteral("May"), 5);
    QCOMPARE(reading->findChild<QWidget *>(QStringLiteral("Frame5"))
                 ->childAt(child<QLabel>(reading, "lblCobrand")->geometry().center())
                 ->objectName(),
             QStringLiteral("lblCobrand"));
    Navigation::readingToMain();
    settle();
    frmMain *again = Navigation::mainWindow();
    QWidget *shown = child<QWidget>(again, "fraFullBrand")
                         ->childAt(child<QLabel>(again, "lblCobrand")->geometry().center());
    QCOMPARE(shown->objectName(), QStringLiteral("lblFullBrand"));
    QCOMPARE(appState().intCoBrandRandomNumber, qint16(1));
}

void TestBanner::weightsOverManyDraws()
{
    // The program's own generator: 1 and 7 come half as often as 2..6.
    QtPlatform real;
    real.seedRandomFromClock();
    const int draws = 120000;
    int counts[8] = {};
    for (int i = 0; i < draws; ++i) {
        const float r = real.nextRandom();
        QVERIFY(r >= 0.0f && r < 1.0f);
        ++counts[coBrandNumber(r)];
    }
    QCOMPARE(counts[0], 0);
    for (int n = 1; n <= 7; ++n) {
        const double expected = (n == 1 || n == 7) ? 1.0 / 12 : 1.0 / 6;
        const double share = double(counts[n]) / draws;
        QVERIFY2(std::abs(share - expected) < 0.01,
                 qPrintable(QStringLiteral("%1: %2").arg(n).arg(share)));
    }
    const double cobrand = double(counts[1] + counts[3] + counts[5]) / draws;
    QVERIFY(std::abs(cobrand - 5.0 / 12) < 0.01);
}

QTEST_MAIN(TestBanner)
#include "tst_banner.moc"
