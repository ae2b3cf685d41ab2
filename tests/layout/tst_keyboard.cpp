// Everything a mouse user can do, from the keyboard and for a screen reader.
#include "support/fakeplatform.h"
#include "support/windows.h"

#include "report/frmsave.h"
#include "web/frmabout.h"

#include <QAccessible>
#include <QTabBar>
#include <QTest>

using namespace TestWindows;

class TestKeyboard : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { install(); }
    void init() { reset(); }
    void cleanup() { reset(); }

    void mainWindowInputsAreNamed();
    void linksAreReachableAndPressable();
    void readingWindowKeys();
    void readingHeadingsNameTheirValues();
    void reportKeys();
};

static QString accessibleName(QWidget *w)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

static QWidget *labelledBy(QWidget *w)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    if (!iface)
        return nullptr;
    const auto relations = iface->relations(QAccessible::Label);
    return relations.isEmpty() ? nullptr
                               : qobject_cast<QWidget *>(relations.first().first->object());
}

void TestKeyboard::mainWindowInputsAreNamed()
{
    FakePlatform fake;
    frmMain *main = Navigation::showMain();
    QCOMPARE(labelledBy(child<QWidget>(main, "txtName")), child<QWidget>(main, "Label1_0"));
    QCOMPARE(accessibleName(child<QWidget>(main, "txtName")), QStringLiteral("Name"));
    QCOMPARE(labelledBy(child<QWidget>(main, "cboMonth")), child<QWidget>(main, "Label1_1"));
    QCOMPARE(child<QWidget>(main, "cboMonth")->accessibleDescription(), QStringLiteral("Month"));
    QCOMPARE(child<QWidget>(main, "cboDate")->accessibleDescription(), QStringLiteral("Day"));
    QCOMPARE(child<QWidget>(main, "cboYear")->accessibleDescription(), QStringLiteral("Year"));
    QVERIFY(!accessibleName(child<QWidget>(main, "cmdCalculate")).isEmpty());
    QVERIFY(!accessibleName(child<QWidget>(main, "cmdOpen")).isEmpty());

    // Menus by their access keys: Alt+D runs Donate.
    main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main));
    QTest::keyClick(main, Qt::Key_D, Qt::AltModifier);
    QTRY_COMPARE(fake.urls.size(), 1);
    QVERIFY(fake.urls[0].endsWith(QStringLiteral("?page=donate")));
}

void TestKeyboard::linksAreReachableAndPressable()
{
    FakePlatform fake;
    frmMain *main = Navigation::showMain();
    auto *link = child<LinkLabel>(main, "Label14");
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(link);
    QCOMPARE(iface->role(), QAccessible::Link);
    QCOMPARE(iface->text(QAccessible::Name), link->text());
    QVERIFY(iface->actionInterface());
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(fake.urls.size(), 1);

    // After the inputs and buttons, Tab reaches the links in front, never the covered one.
    QStringList chain;
    QWidget *w = child<QWidget>(main, "cmdOpen");
    for (int i = 0; i < 8 && w; ++i) {
        w = w->nextInFocusChain();
        if (w->isVisible() && (w->focusPolicy() & Qt::TabFocus))
            chain << w->objectName();
    }
    QVERIFY(chain.contains(QStringLiteral("Label14")));
    QVERIFY(chain.contains(QStringLiteral("lblFullBrand")));
    QVERIFY(!chain.contains(QStringLiteral("lblCobrand")));
    link->setFocus();
    QTest::keyClick(link, Qt::Key_Return);
    QTest::keyClick(link, Qt::Key_Space);
    QCOMPARE(fake.urls.size(), 3);
}

void TestKeyboard::readingWindowKeys()
{
    FakePlatform fake;
    frmAmericanAstrologyResult *reading = readingFor(QStringLiteral("May"), 5);
    reading->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(reading));
    // The picture has a name a screen reader can say.
    QCOMPARE(accessibleName(child<QWidget>(reading, "imgSign")),
             QStringLiteral("Picture of the Beaver"));
    // Ctrl+Tab style switching is the tab bar's own; arrows on the focused bar switch pages.
    auto *tabs = child<QTabBar>(reading, "TS");
    tabs->setFocus();
    QTest::keyClick(tabs, Qt::Key_Right);
    QVERIFY(child<QWidget>(reading, "picOthers")->isVisible());

    bool reportSeen = false;
    whenModalOpens([&](QWidget *modal) {
        reportSeen = modal->objectName() == QLatin1String("frmSave");
        QTest::keyClick(modal, Qt::Key_Escape); // Esc closes the report
    });
    QTest::keyClick(reading, Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(reportSeen);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QVERIFY(child<QWidget>(reading, "picOthers")->isVisible());

    reading->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(reading));
    QTest::keyClick(reading, Qt::Key_B, Qt::AltModifier); // Back
    QTRY_VERIFY(Navigation::mainWindow());
    settle();
    QVERIFY(!Navigation::readingWindow());
    QCOMPARE(fake.ends, 0);
}

void TestKeyboard::readingHeadingsNameTheirValues()
{
    FakePlatform fake;
    frmAmericanAstrologyResult *reading = readingFor(QStringLiteral("May"), 5);
    for (const Field &field : fields()) {
        QWidget *value = child<QWidget>(reading, field.label);
        auto *heading = qobject_cast<QLabel *>(labelledBy(value));
        QVERIFY2(heading, field.label);
        QCOMPARE(heading->text(), QLatin1String(field.readingHeading));
    }
}

void TestKeyboard::reportKeys()
{
    FakePlatform fake;
    frmAmericanAstrologyResult *reading = readingFor(QStringLiteral("May"), 5);
    frmSave report(reading);
    report.show();
    QApplication::setActiveWindow(&report);
    QVERIFY(QTest::qWaitForWindowActive(&report));
    QTest::keyClick(&report, Qt::Key_P, Qt::AltModifier);
    QTRY_COMPARE(fake.printerRequests, 1);
    QTest::keyClick(&report, Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(fake.dialogs.size(), 1);
    // Enter while reading does not press a button.
    QTest::keyClick(&report, Qt::Key_Return);
    QCOMPARE(fake.dialogs.size(), 1);
    QCOMPARE(fake.printerRequests, 1);
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
