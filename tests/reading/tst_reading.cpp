#include "support/fakeplatform.h"
#include "support/windows.h"

#include "signs/fillreading.h"
#include "signs/signtable.h"
#include "widgets/svgimage.h"

#include <QTabBar>
#include <QTest>

using namespace TestWindows;

class TestReading : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { install(); }
    void init()
    {
        reset();
        SignName().clear();
    }
    void cleanup() { reset(); }

    void fillsEveryLabelAndThePicture_data();
    void fillsEveryLabelAndThePicture();
    void showsOneAmpersand();
    void opensOnDetailsTab();
    void tabsSwitchByMouseKeyboardAndCode();
    void descriptionWrapsInItsBox();
    void layout();
    void unknownMonthKeepsEarlierSign();
    void promotionalStripShowsCoBrand();
};

void TestReading::fillsEveryLabelAndThePicture_data()
{
    QTest::addColumn<QString>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("row");
    QTest::newRow("25 December") << "December" << 25 << 0;
    QTest::newRow("10 December") << "December" << 10 << 11;
    QTest::newRow("29 February") << "February" << 29 << 2;
    QTest::newRow("1 July") << "July" << 1 << 6;
    QTest::newRow("31 August") << "August" << 31 << 8;
}

void TestReading::fillsEveryLabelAndThePicture()
{
    QFETCH(QString, month);
    QFETCH(int, day);
    QFETCH(int, row);
    FakePlatform fake;
    frmAmericanAstrologyResult *reading = readingFor(month, day, 2000);
    QVERIFY(reading);
    for (const Field &field : fields()) {
        const QString shown = labelText(reading, field.label);
        QCOMPARE(shown, captionText(signValue(row, field.column)));
        QVERIFY(shown != QLatin1String("Label2"));
    }
    QCOMPARE(child<SvgImage>(reading, "imgSign")->picture(), signPicture(row));
    QCOMPARE(SignName(), signValue(row, Column::SignNames));
}

void TestReading::showsOneAmpersand()
{
    FakePlatform fake;
    frmAmericanAstrologyResult *reading = readingFor(QStringLiteral("January"), 1);
    QCOMPARE(labelText(reading, "lblLucky_time"), QStringLiteral("9 am-11am & 9pm-11pm"));
    QCOMPARE(labelText(reading, "lblAnimal_Symbol"), QStringLiteral("Snow Goose"));
    QCOMPARE(labelText(reading, "lblClan"), QStringLiteral("Turtle"));
    QCOMPARE(labelText(reading, "lblElement"), QStringLiteral("Earth with Air"));
}

void TestReading::opensOnDetailsTab()
{
    FakePlatform fake;
    frmAmericanAstrologyResult *reading = readingFor(QStringLiteral("May"), 5);
    auto *tabs = child<QTabBar>(reading, "TS");
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->tabText(0), QStringLiteral("Native American Astrology Details"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("Other Information"));
    QCOMPARE(tabs->currentIndex(), 0);
    QVERIFY(child<QWidget>(reading, "picDetails")->isVisible());
    QVERIFY(!child<QWidget>(reading, "picOthers")->isVisible());

    // Leave it on the other tab; a new reading window opens on the details again.
    tabs->setCurrentIndex(1);
    child<QAbstractButton>(reading, "cmdBack")->click();
    settle();
    reading = readingFor(QStringLiteral("June"), 5);
    QCOMPARE(child<QTabBar>(reading, "TS")->currentIndex(), 0);
    QVERIFY(child<QWidget>(reading, "picDetails")->isVisible());
}

void TestReading::tabsSwitchByMouseKeyboardAndCode()
{
    FakePlatform fake;
    frmAmericanAstrologyResult *reading = readingFor(QStringLiteral("May"), 5);
    auto *tabs = child<QTabBar>(reading, "TS");
    QWidget *details = child<QWidget>(reading, "picDetails");
    QWidget *others = child<QWidget>(reading, "picOthers");

    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QVERIFY(others->isVisible() && !details->isVisible());
    QVERIFY(child<QLabel>(reading, "lblPositive_Attributes")->isVisible());
    // Clicking the selected tab changes nothing.
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QVERIFY(others->isVisible() && !details->isVisible());

    // Keyboard: the tab bar takes focus and the arrow keys move between pages.
    tabs->setFocus();
    QTest::keyClick(tabs, Qt::Key_Left);
    QCOMPARE(tabs->currentIndex(), 0);
    QVERIFY(details->isVisible() && !others->isVisible());
    QTest::keyClick(tabs, Qt::Key_Right);
    QVERIFY(others->isVisible());

    // Assistive technology sets the current tab directly.
    tabs->setCurrentIndex(0);
    QVERIFY(details->isVisible() && !others->isVisible());
}

void TestReading::descriptionWrapsInItsBox()
{
    FakePlatform fake;
    frmAmericanAstrologyResult *reading
        = readingFor(QStringLiteral("January"), 25); // Otter, the longest
    auto *box = child<QLabel>(reading, "lblNativeAmericanSignDesc");
    QCOMPARE(box->geometry(), QRect(7, 133, 623, 230));
    QVERIFY(box->wordWrap());
    // The whole text fits inside the fixed box.
    QVERIFY2(box->heightForWidth(box->width()) <= box->height(),
             qPrintable(QString::number(box->heightForWidth(box->width()))));
}

void TestReading::layout()
{
    FakePlatform fake;
    frmAmericanAstrologyResult *reading = readingFor(QStringLiteral("May"), 5);
    QCOMPARE(reading->centralWidget()->size(), QSize(633, 443));
    QCOMPARE(reading->centralWidget()->palette().color(QPalette::Window), QColor(255, 128, 255));
    QCOMPARE(child<QWidget>(reading, "TS")->geometry(), QRect(0, 19, 633, 370));
    QCOMPARE(child<QWidget>(reading, "picDetails")->geometry(), QRect(0, 40, 633, 350));
    QCOMPARE(child<QWidget>(reading, "picOthers")->geometry(), QRect(0, 40, 633, 350));
    QCOMPARE(child<QWidget>(reading, "imgSign")->geometry(), QRect(480, 16, 136, 136));
    QCOMPARE(child<QWidget>(reading, "Shape1")->geometry(), QRect(480, 16, 136, 136));
    QCOMPARE(child<QWidget>(reading, "cmdBack")->geometry(), QRect(472, 16, 73, 25));
    QCOMPARE(child<QWidget>(reading, "cmdSave")->geometry(), QRect(552, 16, 73, 25));
    auto *heading = child<QLabel>(reading, "Label1_6");
    QCOMPARE(heading->text(), QStringLiteral("Lucky time "));
    QCOMPARE(heading->pos(), QPoint(7, 131));
    QVERIFY(heading->font().bold());
    auto *value = child<QLabel>(reading, "lblLucky_time");
    QCOMPARE(value->pos(), QPoint(160, 131));
    QCOMPARE(value->palette().color(QPalette::WindowText), QColor(100, 0, 110));
    // Values grow to show their whole text.
    QVERIFY(value->width() >= value->sizeHint().width());
}

void TestReading::unknownMonthKeepsEarlierSign()
{
    FakePlatform fake;
    // In a fresh run the reading stays unfilled.
    appState().BirthMonth = QStringLiteral("january");
    appState().BirthDay = 5;
    {
        frmAmericanAstrologyResult unfilled;
        QCOMPARE(labelText(&unfilled, "lblAmericanSign"), QStringLiteral("Label2"));
        unfilled.unloadForNavigation();
    }
    settle();
    // After a reading, the same unknown month shows that sign again.
    readingFor(QStringLiteral("August"), 30);
    reset();
    appState().BirthMonth = QStringLiteral("january");
    appState().BirthDay = 5;
    frmAmericanAstrologyResult again;
    QCOMPARE(labelText(&again, "lblAmericanSign"), QStringLiteral("Bear"));
    again.unloadForNavigation();
}

void TestReading::promotionalStripShowsCoBrand()
{
    FakePlatform fake;
    frmAmericanAstrologyResult *reading = readingFor(QStringLiteral("May"), 5);
    auto *cobrand = child<QLabel>(reading, "lblCobrand");
    auto *fullbrand = child<QLabel>(reading, "lblFullBrand");
    const QObjectList strip = cobrand->parentWidget()->children();
    QVERIFY(strip.indexOf(cobrand) > strip.indexOf(fullbrand));
    QCOMPARE(cobrand->geometry(), fullbrand->geometry());
    // A click on the strip lands on the label in front.
    QWidget *front = cobrand->parentWidget()->childAt(cobrand->geometry().center());
    QCOMPARE(front, cobrand);
    QTest::mouseClick(front, Qt::LeftButton);
    QCOMPARE(fake.urls.size(), 1);
    QVERIFY(fake.urls[0].endsWith(QStringLiteral("?page=co-brand")));
}

QTEST_MAIN(TestReading)
#include "tst_reading.moc"
