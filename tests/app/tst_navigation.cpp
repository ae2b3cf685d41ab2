#include "support/fakeplatform.h"
#include "support/windows.h"

#include "web/frmabout.h"

#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTest>

using namespace TestWindows;

class TestNavigation : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { install(); }
    void init() { reset(); }
    void cleanup() { reset(); }

    void mainWindowLoadsItsDefaults();
    void mainWindowLayout();
    void mainWindowMenus();
    void mainWindowTabOrderAndKeys();
    void calculateShowsReadingAndUnloadsMain();
    void backGivesFreshMainWindow();
    void closingAWorkingWindowEndsTheProgram_data();
    void closingAWorkingWindowEndsTheProgram();
    void aboutIsModalAndReturns_data();
    void aboutIsModalAndReturns();
    void reportReturnsToSameTab();
};

void TestNavigation::mainWindowLoadsItsDefaults()
{
    FakePlatform fake;
    frmMain *main = Navigation::showMain();
    auto *month = child<QComboBox>(main, "cboMonth");
    auto *day = child<QComboBox>(main, "cboDate");
    auto *year = child<QComboBox>(main, "cboYear");
    QCOMPARE(month->count(), 12);
    QCOMPARE(month->itemText(0), QStringLiteral("January"));
    QCOMPARE(month->itemText(11), QStringLiteral("December"));
    QCOMPARE(day->count(), 31);
    for (int i = 0; i < 31; ++i)
        QCOMPARE(day->itemText(i), QString::number(i + 1));
    QCOMPARE(year->count(), 117);
    QCOMPARE(year->itemText(0), QStringLiteral("1900"));
    QCOMPARE(year->itemText(116), QStringLiteral("2016"));
    for (QComboBox *list : {month, day, year}) {
        QCOMPARE(list->currentIndex(), 0);
        QVERIFY(!list->isEditable()); // only listed entries can be picked
    }
    QVERIFY(child<QLineEdit>(main, "txtName")->text().isEmpty());
    QCOMPARE(main->windowTitle(), QStringLiteral("Orra Native American Astrology v" ORRA_VERSION));
}

void TestNavigation::mainWindowLayout()
{
    FakePlatform fake;
    frmMain *main = Navigation::showMain();
    QCOMPARE(main->centralWidget()->size(), QSize(472, 231));
    QVERIFY(main->minimumSize() == main->maximumSize()); // not resizable
    QVERIFY(!(main->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(main->windowFlags() & Qt::WindowMinimizeButtonHint));
    QCOMPARE(main->centralWidget()->palette().color(QPalette::Window), QColor(255, 192, 255));

    auto *forum = child<QLabel>(main, "Label14");
    QCOMPARE(forum->geometry(), QRect(71, 4, 331, 29));
    QVERIFY(forum->text().startsWith(
        QStringLiteral("The Most Popular Online Quillon Discussion Forum. Click Here To Visit ")));
    QVERIFY(forum->text().endsWith(QStringLiteral(" Now.")));
    QVERIFY(forum->font().bold() && forum->font().underline());
    QCOMPARE(forum->palette().color(QPalette::WindowText), QColor(64, 0, 64));
    QCOMPARE(forum->cursor().shape(), Qt::PointingHandCursor);

    QCOMPARE(child<QWidget>(main, "cmdOpen")->geometry(), QRect(8, 56, 129, 113));
    QCOMPARE(child<QWidget>(main, "cmdOpen")->font().pointSizeF(), 9.0);
    auto *frame = child<QGroupBox>(main, "Frame1");
    QCOMPARE(frame->geometry(), QRect(144, 48, 321, 121));
    QCOMPARE(frame->title(), QStringLiteral("Personal Details"));
    QCOMPARE(child<QWidget>(main, "txtName")->geometry(), QRect(94, 24, 220, 19));
    QCOMPARE(child<QWidget>(main, "cboMonth")->geometry(), QRect(94, 51, 93, 21));
    QCOMPARE(child<QWidget>(main, "cboDate")->geometry(), QRect(194, 51, 47, 21));
    QCOMPARE(child<QWidget>(main, "cboYear")->geometry(), QRect(247, 51, 67, 21));
    QCOMPARE(child<QWidget>(main, "cmdCalculate")->geometry(), QRect(11, 84, 300, 25));
    QCOMPARE(labelText(main, "Label1_0"), QStringLiteral("Name"));
    QCOMPARE(labelText(main, "Label1_1"), QStringLiteral("Date of Birth"));

    // The promotional strip: full-brand offer in front by the layout.
    auto *cobrand = child<QLabel>(main, "lblCobrand");
    auto *fullbrand = child<QLabel>(main, "lblFullBrand");
    QCOMPARE(cobrand->geometry(), fullbrand->geometry());
    const QObjectList strip = cobrand->parentWidget()->children();
    QVERIFY(strip.indexOf(fullbrand) > strip.indexOf(cobrand));
    QCOMPARE(cobrand->text(),
             QStringLiteral("Co-brand this software for your site.  Increase loyalty and traffic "
                            "to your site. Put your site's name &  link here. See \"Help\" for "
                            "details.    Click Here for more info on co-branding."));
    QCOMPARE(
        fullbrand->text(),
        QStringLiteral(
            "Home Business Opportunity. Start your own Internet business and make money online. "
            "Get this software fully branded for your website. Click here for more details."));
}

static QStringList menuTexts(QWidget *window, const char *menuName)
{
    QStringList texts;
    for (QAction *action : child<QMenu>(window, menuName)->actions())
        texts << (action->isSeparator() ? action->objectName() : action->text());
    return texts;
}

static QStringList menuBarTexts(QMainWindow *window)
{
    QStringList texts;
    for (QAction *action : window->menuBar()->actions())
        texts << action->text() + (action->isVisible() ? QString() : QStringLiteral(" (hidden)"));
    return texts;
}

void TestNavigation::mainWindowMenus()
{
    FakePlatform fake;
    frmMain *main = Navigation::showMain();
    // "Make Money &Online" is a hidden action of the window, outside the bar;
    // tst_keyboard checks that its access key does not clash with "&Open ...".
    QCOMPARE(menuBarTexts(main), QStringList({"&File", "&Help", "&Donate"}));
    QCOMPARE(child<QAction>(main, "mnuMakeMoney")->text(), QStringLiteral("Make Money &Online"));
    QVERIFY(!child<QAction>(main, "mnuMakeMoney")->isVisible());
    QCOMPARE(menuTexts(main, "mnuFile"),
             QStringList({"Get Native &American Sign", "mnuSep3", "E&xit"}));
    QCOMPARE(menuTexts(main, "mnuHelp"),
             QStringList({"&Online Help", "&Visit Us Online", "mnuSep1",
                          "Check for Software &Update", "mnuSep2", "&About Software"}));

    frmAmericanAstrologyResult *reading = readingFor(QStringLiteral("May"), 5);
    QVERIFY(reading);
    QCOMPARE(menuBarTexts(reading), QStringList({"&File", "&Help", "&Donate"}));
    QVERIFY(!child<QAction>(reading, "mnuMakeMoney")->isVisible());
    QCOMPARE(menuTexts(reading, "mnuFile"), QStringList({"&Back", "mnuSep1", "E&xit"}));
    QCOMPARE(menuTexts(reading, "mnuHelp"),
             QStringList({"&Online Help", "&Visit Us Online", "mnuSep3",
                          "Check for Software &Update", "mnuSep2", "&About Software"}));
}

void TestNavigation::mainWindowTabOrderAndKeys()
{
    FakePlatform fake;
    frmMain *main = Navigation::showMain();
    main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main));
    QCOMPARE(QApplication::focusWidget(), child<QWidget>(main, "txtName"));
    QStringList order;
    QWidget *w = child<QWidget>(main, "txtName");
    for (int i = 0; i < 6; ++i) {
        order << w->objectName();
        w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus || !w->isVisible())
            w = w->nextInFocusChain();
    }
    QCOMPARE(order,
             QStringList({"txtName", "cboMonth", "cboDate", "cboYear", "cmdCalculate", "cmdOpen"}));

    // Alt+A presses the calculate button: with no name, the name message comes.
    QTest::keyClick(main, Qt::Key_A, Qt::AltModifier);
    QTRY_COMPARE(fake.messages.size(), 1);
    QCOMPARE(fake.messages[0].text, QStringLiteral("Please Enter Your Name"));
    // Alt+O presses the open button: the open dialog is asked for.
    QTest::keyClick(main, Qt::Key_O, Qt::AltModifier);
    QTRY_COMPARE(fake.dialogs.size(), 1);
    QVERIFY(fake.dialogs[0].startsWith(QStringLiteral("Select the source file|")));
}

void TestNavigation::calculateShowsReadingAndUnloadsMain()
{
    FakePlatform fake;
    frmAmericanAstrologyResult *reading = readingFor(QStringLiteral("December"), 25);
    QVERIFY(reading);
    QVERIFY(reading->isVisible());
    QVERIFY(!Navigation::mainWindow());
    QCOMPARE(labelText(reading, "lblAmericanSign"), QStringLiteral("Goose"));
    QCOMPARE(fake.ends, 0);
    int shown = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        shown += w->isVisible() ? 1 : 0;
    QCOMPARE(shown, 1);
}

void TestNavigation::backGivesFreshMainWindow()
{
    FakePlatform fake;
    frmAmericanAstrologyResult *reading = readingFor(QStringLiteral("October"), 30, 1980);
    QCOMPARE(labelText(reading, "lblAmericanSign"), QStringLiteral("Snake"));
    child<QAbstractButton>(reading, "cmdBack")->click();
    settle();
    QVERIFY(!readingWindow());
    frmMain *main = Navigation::mainWindow();
    QVERIFY(main && main->isVisible());
    QCOMPARE(fake.ends, 0); // Back is not a user's close
    QVERIFY(child<QLineEdit>(main, "txtName")->text().isEmpty());
    QCOMPARE(child<QComboBox>(main, "cboMonth")->currentText(), QStringLiteral("January"));
    QCOMPARE(child<QComboBox>(main, "cboDate")->currentText(), QStringLiteral("1"));
    QCOMPARE(child<QComboBox>(main, "cboYear")->currentText(), QStringLiteral("1900"));
    // After Back the layout's order holds: the full-brand offer in front.
    const QObjectList strip = child<QWidget>(main, "fraFullBrand")->children();
    QVERIFY(strip.indexOf(child<QLabel>(main, "lblFullBrand"))
            > strip.indexOf(child<QLabel>(main, "lblCobrand")));

    // The same details again give the same reading; the menu Back behaves the same.
    reading = readingFor(QStringLiteral("October"), 30, 1980);
    QCOMPARE(labelText(reading, "lblAmericanSign"), QStringLiteral("Snake"));
    child<QAction>(reading, "mnuBack")->trigger();
    settle();
    QVERIFY(Navigation::mainWindow());
    QVERIFY(!readingWindow());
    QCOMPARE(fake.ends, 0);
}

void TestNavigation::closingAWorkingWindowEndsTheProgram_data()
{
    QTest::addColumn<bool>("reading");
    QTest::addColumn<bool>("viaMenu");
    QTest::newRow("main, close box") << false << false;
    QTest::newRow("main, Exit") << false << true;
    QTest::newRow("reading, close box") << true << false;
    QTest::newRow("reading, Exit") << true << true;
}

void TestNavigation::closingAWorkingWindowEndsTheProgram()
{
    QFETCH(bool, reading);
    QFETCH(bool, viaMenu);
    FakePlatform fake;
    QMainWindow *window = reading ? static_cast<QMainWindow *>(readingFor(QStringLiteral("May"), 5))
                                  : Navigation::showMain();
    if (viaMenu)
        child<QAction>(window, "mnuExit")->trigger();
    else
        window->close();
    settle();
    QCOMPARE(fake.ends, 1);
    QVERIFY(!Navigation::mainWindow());
    QVERIFY(!readingWindow());
    QVERIFY(fake.messages.isEmpty()); // no question, no message
}

void TestNavigation::aboutIsModalAndReturns_data()
{
    QTest::addColumn<bool>("fromReading");
    QTest::addColumn<int>("how"); // 0 OK button, 1 Enter, 2 Esc, 3 close box
    for (int how = 0; how < 4; ++how) {
        QTest::addRow("main %d", how) << false << how;
        QTest::addRow("reading %d", how) << true << how;
    }
}

void TestNavigation::aboutIsModalAndReturns()
{
    QFETCH(bool, fromReading);
    QFETCH(int, how);
    FakePlatform fake;
    QMainWindow *window = fromReading
        ? static_cast<QMainWindow *>(readingFor(QStringLiteral("May"), 5))
        : Navigation::showMain();
    if (fromReading)
        child<QTabBar>(window, "TS")->setCurrentIndex(1);
    bool seen = false;
    whenModalOpens([&](QWidget *modal) {
        seen = qobject_cast<frmAbout *>(modal) != nullptr && modal->isModal();
        QCOMPARE(modal->parentWidget(), window);
        // Clicking a link leaves it open.
        child<LinkLabel>(modal, "lblHomePage")->clicked();
        QVERIFY(modal->isVisible());
        switch (how) {
        case 0:
            child<QAbstractButton>(modal, "cmdOK")->click();
            break;
        case 1:
            QTest::keyClick(modal, Qt::Key_Return);
            break;
        case 2:
            QTest::keyClick(modal, Qt::Key_Escape);
            break;
        default:
            modal->close();
            break;
        }
    });
    child<QAction>(window, "mnuAbout")->trigger();
    QVERIFY(seen);
    settle();
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(window->isVisible());
    QCOMPARE(fake.ends, 0);
    if (fromReading) {
        QCOMPARE(readingWindow(), window);
        QCOMPARE(child<QTabBar>(window, "TS")->currentIndex(), 1);
    } else {
        QCOMPARE(Navigation::mainWindow(), window);
    }
}

void TestNavigation::reportReturnsToSameTab()
{
    FakePlatform fake;
    frmAmericanAstrologyResult *reading = readingFor(QStringLiteral("May"), 5);
    child<QTabBar>(reading, "TS")->setCurrentIndex(1);
    const QString description = labelText(reading, "lblNativeAmericanSignDesc");
    bool seen = false;
    whenModalOpens([&](QWidget *modal) {
        seen = modal->objectName() == QLatin1String("frmSave") && modal->isModal();
        modal->close();
    });
    child<QAbstractButton>(reading, "cmdSave")->click();
    QVERIFY(seen);
    settle();
    QCOMPARE(readingWindow(), reading);
    QCOMPARE(child<QTabBar>(reading, "TS")->currentIndex(), 1);
    QVERIFY(child<QWidget>(reading, "picOthers")->isVisible());
    QCOMPARE(labelText(reading, "lblNativeAmericanSignDesc"), description);
    QCOMPARE(fake.ends, 0);
}

QTEST_MAIN(TestNavigation)
#include "tst_navigation.moc"
