// Everything a mouse user can do, from the keyboard and for a screen reader.
#include "support/fakeplatform.h"
#include "support/windows.h"

#include "report/frmsave.h"
#include "web/frmabout.h"

#include <QAccessible>
#include <QFocusFrame>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTextEdit>

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
    void everyReachableControlIsNamed();
    void reportKeys();
    void reportScrollsFromTheTop_data();
    void reportScrollsFromTheTop();
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
    void readingTabKeys_data();
    void readingTabKeys();
    void f10OpensTheMenuBar_data();
    void f10OpensTheMenuBar();
    void hiddenItemTakesNoKey_data();
    void hiddenItemTakesNoKey();
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
    // The tabs have the focus from the start, so the arrows turn the pages.
    QCOMPARE(QApplication::focusWidget(), child<QWidget>(reading, "TS"));
    // The picture has a name a screen reader can say.
    QCOMPARE(accessibleName(child<QWidget>(reading, "imgSign")),
             QStringLiteral("Picture of the Beaver"));
    auto *tabs = child<QTabBar>(reading, "TS");
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
    QVERIFY(!readingWindow());
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

// What Tab reaches, a screen reader must be able to say: on both working
// windows and both reading tabs (the tab bar is announced by its tabs).
void TestKeyboard::everyReachableControlIsNamed()
{
    FakePlatform fake;
    const auto unnamed = [](QWidget *window) {
        QStringList found;
        for (QWidget *w : window->findChildren<QWidget *>()) {
            if (w->isVisible() && (w->focusPolicy() & Qt::TabFocus) && !qobject_cast<QTabBar *>(w)
                && accessibleName(w).trimmed().isEmpty())
                found << w->objectName();
        }
        return found;
    };
    QCOMPARE(unnamed(Navigation::showMain()), QStringList());
    frmAmericanAstrologyResult *reading = readingFor(QStringLiteral("May"), 5);
    QCOMPARE(unnamed(reading), QStringList());
    child<QTabBar>(reading, "TS")->setCurrentIndex(1);
    QCOMPARE(unnamed(reading), QStringList());
}

void TestKeyboard::reportKeys()
{
    FakePlatform fake;
    frmAmericanAstrologyResult *reading = readingFor(QStringLiteral("May"), 5);
    frmSave report(reading);
    report.show();
    report.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&report));
    // The report text has the focus, with its ring shown, and PgDn scrolls it.
    auto *text = child<QTextEdit>(&report, "RTB");
    QTRY_COMPARE(QApplication::focusWidget(), text);
    auto *ring = report.findChild<QFocusFrame *>();
    QVERIFY(ring && ring->isVisible());
    QCOMPARE(text->verticalScrollBar()->value(), 0);
    QTest::keyClick(text, Qt::Key_PageDown);
    QVERIFY(text->verticalScrollBar()->value() > 0);
    QTest::keyClick(&report, Qt::Key_P, Qt::AltModifier);
    QTRY_COMPARE(fake.printerRequests, 1);
    QTest::keyClick(&report, Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(fake.dialogs.size(), 1);
    // Enter while reading does not press a button.
    QTest::keyClick(&report, Qt::Key_Return);
    QCOMPARE(fake.dialogs.size(), 1);
    QCOMPARE(fake.printerRequests, 1);
}

void TestKeyboard::reportScrollsFromTheTop_data()
{
    QTest::addColumn<int>("key");
    QTest::addRow("Down") << int(Qt::Key_Down);
    QTest::addRow("PgDn") << int(Qt::Key_PageDown);
}

// One key moves the view one step from the top, not to the end of the text,
// where the insertion point is left.
void TestKeyboard::reportScrollsFromTheTop()
{
    QFETCH(int, key);
    FakePlatform fake;
    frmSave report(readingFor(QStringLiteral("May"), 5));
    report.show();
    report.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&report));
    auto *text = child<QTextEdit>(&report, "RTB");
    QScrollBar *bar = text->verticalScrollBar();
    QCOMPARE(bar->value(), 0);
    QVERIFY(bar->maximum() > bar->pageStep());
    QTest::keyClick(text, Qt::Key(key));
    QCOMPARE(bar->value(), key == Qt::Key_Down ? bar->singleStep() : bar->pageStep());
}

void TestKeyboard::enterPressesTheFocusedButton_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    const QList<std::pair<const char *, const char *>> buttons {
        {"main", "cmdCalculate"}, {"main", "cmdOpen"},   {"reading", "cmdSave"},
        {"reading", "cmdBack"},   {"report", "cmdSave"}, {"report", "cmdPrint"},
        {"about", "cmdOK"}};
    const QList<std::pair<const char *, Qt::Key>> keys {
        {"Return", Qt::Key_Return}, {"Enter", Qt::Key_Enter}, {"Space", Qt::Key_Space}};
    for (const auto &[window, button] : buttons) {
        for (const auto &[name, key] : keys)
            QTest::addRow("%s %s %s", window, button, name) << window << button << int(key);
    }
}

void TestKeyboard::enterPressesTheFocusedButton()
{
    QFETCH(QString, window);
    QFETCH(QString, button);
    QFETCH(int, key);
    FakePlatform fake;
    std::unique_ptr<QDialog> dialog;
    QWidget *shown = nullptr;
    if (window == QLatin1String("main")) {
        shown = Navigation::showMain();
    } else {
        shown = readingFor(QStringLiteral("May"), 5);
        if (window == QLatin1String("report"))
            dialog = std::make_unique<frmSave>(shown);
        else if (window == QLatin1String("about"))
            dialog = std::make_unique<frmAbout>(shown);
    }
    if (dialog) {
        dialog->show();
        shown = dialog.get();
    }
    shown->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(shown));
    auto *pushed = child<QAbstractButton>(shown, button.toLatin1().constData());
    pushed->setFocus();
    QSignalSpy clicks(pushed, &QAbstractButton::clicked);
    if (window == QLatin1String("reading") && button == QLatin1String("cmdSave"))
        whenModalOpens([](QWidget *modal) { modal->close(); });
    QTest::keyClick(pushed, Qt::Key(key));
    QTRY_COMPARE(clicks.size(), 1);
}

void TestKeyboard::readingTabKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addRow("Ctrl+Tab") << int(Qt::Key_Tab) << Qt::KeyboardModifiers(Qt::ControlModifier);
    QTest::addRow("Ctrl+PgDn") << int(Qt::Key_PageDown)
                               << Qt::KeyboardModifiers(Qt::ControlModifier);
    QTest::addRow("Ctrl+Shift+Tab")
        << int(Qt::Key_Backtab) << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier);
    QTest::addRow("Ctrl+PgUp") << int(Qt::Key_PageUp) << Qt::KeyboardModifiers(Qt::ControlModifier);
}

void TestKeyboard::readingTabKeys()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    FakePlatform fake;
    frmAmericanAstrologyResult *reading = readingFor(QStringLiteral("May"), 5);
    reading->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(reading));
    // Wherever the focus is, both ways round: there are two tabs.
    child<QWidget>(reading, "cmdSave")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    QCOMPARE(child<QTabBar>(reading, "TS")->currentIndex(), 1);
    QVERIFY(child<QWidget>(reading, "picOthers")->isVisible());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    QCOMPARE(child<QTabBar>(reading, "TS")->currentIndex(), 0);
    QVERIFY(child<QWidget>(reading, "picDetails")->isVisible());
}

void TestKeyboard::f10OpensTheMenuBar_data()
{
    QTest::addColumn<bool>("reading");
    QTest::addRow("main window") << false;
    QTest::addRow("reading window") << true;
}

void TestKeyboard::f10OpensTheMenuBar()
{
    QFETCH(bool, reading);
    FakePlatform fake;
    QMainWindow *window = reading ? static_cast<QMainWindow *>(readingFor(QStringLiteral("May"), 5))
                                  : Navigation::showMain();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10);
    QTRY_COMPARE(QApplication::activePopupWidget(), child<QMenu>(window, "mnuFile"));
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
}

void TestKeyboard::hiddenItemTakesNoKey_data()
{
    QTest::addColumn<bool>("reading");
    QTest::addRow("main window") << false;
    QTest::addRow("reading window") << true;
}

// "Make Money &Online" is a hidden action of the window, outside its menu bar:
// its Alt+O must neither run it nor take Alt+O from "&Open Previously Saved Reading".
void TestKeyboard::hiddenItemTakesNoKey()
{
    QFETCH(bool, reading);
    FakePlatform fake;
    QMainWindow *window = reading ? static_cast<QMainWindow *>(readingFor(QStringLiteral("May"), 5))
                                  : Navigation::showMain();
    auto *hidden = child<QAction>(window, "mnuMakeMoney");
    QVERIFY(!window->menuBar()->actions().contains(hidden));
    QVERIFY(!hidden->isVisible());
    int triggered = 0;
    connect(hidden, &QAction::triggered, this, [&triggered] { ++triggered; });
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    // Again after the bar has laid out its items afresh, which grabs their keys again.
    int opened = 0;
    for (int round = 0; round < 2; ++round) {
        for (int press = 0; press < 3; ++press) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::AltModifier);
            if (reading) {
                QTest::qWait(150); // the time a button's click would take
            } else {
                ++opened;
                QTRY_COMPARE(fake.dialogs.size(), opened);
            }
        }
        window->menuBar()->addAction(QStringLiteral("&Zebra"))->deleteLater();
        settle();
    }
    QCOMPARE(fake.dialogs.size(), opened);
    QCOMPARE(triggered, 0);
    QVERIFY(fake.urls.isEmpty());
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
