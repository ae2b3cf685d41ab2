#include "app/datecheck.h"

#include "support/fakeplatform.h"
#include "support/windows.h"

#include <QTest>

using namespace TestWindows;

class TestDateCheck : public QObject
{
    Q_OBJECT
private slots:
    void rules_data();
    void rules();
    void leapYears();
    void refusalLeavesStateAndWindow();
    void calculateMenuBehavesLikeButton();
};

static const QString NameMissing = QStringLiteral("Please Enter Your Name");
static const QString BadFebruary = QStringLiteral("Please Enter Correct Date Or Month!");
static const QString BadThirty = QStringLiteral("Please Enter Correct Date Or Month !");

void TestDateCheck::rules_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("year");
    QTest::addColumn<int>("month"); // list position
    QTest::addColumn<int>("day"); // day of month
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("icon");

    const int critical = QMessageBox::Critical;
    const int info = QMessageBox::Information;
    QTest::newRow("empty name") << ""
                                << "1975" << 0 << 1 << NameMissing << critical;
    QTest::newRow("blank name") << "   "
                                << "1975" << 0 << 1 << NameMissing << critical;
    QTest::newRow("one letter") << "x"
                                << "1975" << 0 << 1 << QString() << 0;
    QTest::newRow("name beats 31 April") << ""
                                         << "1975" << 3 << 31 << NameMissing << critical;
    QTest::newRow("29 Feb 2000") << "Ann"
                                 << "2000" << 1 << 29 << QString() << 0;
    QTest::newRow("29 Feb 1996") << "Ann"
                                 << "1996" << 1 << 29 << QString() << 0;
    QTest::newRow("29 Feb 1900 never was") << "Ann"
                                           << "1900" << 1 << 29 << BadFebruary << info;
    QTest::newRow("29 Feb 1999") << "Ann"
                                 << "1999" << 1 << 29 << BadFebruary << info;
    QTest::newRow("29 Feb 2001") << "Ann"
                                 << "2001" << 1 << 29 << BadFebruary << info;
    QTest::newRow("28 Feb 1999") << "Ann"
                                 << "1999" << 1 << 28 << QString() << 0;
    QTest::newRow("30 Feb 2000") << "Ann"
                                 << "2000" << 1 << 30 << BadFebruary << info;
    QTest::newRow("31 Feb 1999") << "Ann"
                                 << "1999" << 1 << 31 << BadFebruary << info;
    QTest::newRow("31 April") << "Ann"
                              << "1975" << 3 << 31 << BadThirty << info;
    QTest::newRow("31 June") << "Ann"
                             << "1975" << 5 << 31 << BadThirty << info;
    QTest::newRow("31 September") << "Ann"
                                  << "1975" << 8 << 31 << BadThirty << info;
    QTest::newRow("31 November") << "Ann"
                                 << "1975" << 10 << 31 << BadThirty << info;
    QTest::newRow("30 April") << "Ann"
                              << "1975" << 3 << 30 << QString() << 0;
    QTest::newRow("31 May") << "Ann"
                            << "1975" << 4 << 31 << QString() << 0;
    QTest::newRow("31 December") << "Ann"
                                 << "1975" << 11 << 31 << QString() << 0;
    QTest::newRow("year not a number") << "Ann"
                                       << "abc" << 1 << 29 << QString() << 0;
}

void TestDateCheck::rules()
{
    QFETCH(QString, name);
    QFETCH(QString, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QString, message);
    QFETCH(int, icon);

    const DateCheck check = checkBirthDate(name, year, month, day - 1);
    QCOMPARE(check.accepted, message.isEmpty());
    QCOMPARE(check.message, message);
    if (!check.accepted)
        QCOMPARE(int(check.icon), icon);
}

void TestDateCheck::leapYears()
{
    QVERIFY(isLeapYear(2000));
    QVERIFY(isLeapYear(1996));
    QVERIFY(!isLeapYear(1900));
    QVERIFY(!isLeapYear(2100));
    // Every year the list offers agrees with the calendar.
    for (int year = 1900; year <= 2016; ++year)
        QCOMPARE(isLeapYear(year), QDate::isLeapYear(year));
}

void TestDateCheck::refusalLeavesStateAndWindow()
{
    install();
    FakePlatform fake;
    reset();
    appState().BirthYear = 1980;
    appState().BirthMonth = QStringLiteral("March");
    appState().BirthDay = 3;

    frmMain *main = Navigation::showMain();
    enter(main, QStringLiteral("Ann"), QStringLiteral("April"), 31, 1975);
    main->cmdCalculate_Click();
    settle();

    QCOMPARE(fake.messages.size(), 1);
    QCOMPARE(fake.messages[0].text, BadThirty);
    QCOMPARE(fake.messages[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(!readingWindow());
    QCOMPARE(Navigation::mainWindow(), main);
    QCOMPARE(appState().BirthYear, qint16(1980));
    QCOMPARE(appState().BirthMonth, QStringLiteral("March"));
    QCOMPARE(appState().BirthDay, qint16(3));
    // The user's entries stay for correcting.
    QCOMPARE(child<QComboBox>(main, "cboMonth")->currentText(), QStringLiteral("April"));
    QCOMPARE(child<QComboBox>(main, "cboDate")->currentText(), QStringLiteral("31"));
    QCOMPARE(child<QLineEdit>(main, "txtName")->text(), QStringLiteral("Ann"));
    reset();
}

void TestDateCheck::calculateMenuBehavesLikeButton()
{
    install();
    FakePlatform fake;
    reset();
    frmMain *main = Navigation::showMain();
    // A fresh window asks for a name first.
    child<QAction>(main, "mnuMayan")->trigger();
    QCOMPARE(fake.messages.size(), 1);
    QCOMPARE(fake.messages[0].text, NameMissing);
    QCOMPARE(fake.messages[0].icon, QMessageBox::Critical);

    enter(main, QStringLiteral("Ann"), QStringLiteral("May"), 5, 1975);
    child<QAction>(main, "mnuMayan")->trigger();
    settle();
    QVERIFY(readingWindow());
    QVERIFY(!Navigation::mainWindow());
    QCOMPARE(appState().BirthYear, qint16(1975));
    QCOMPARE(appState().BirthMonth, QStringLiteral("May"));
    QCOMPARE(appState().BirthDay, qint16(5));
    reset();
}

QTEST_MAIN(TestDateCheck)
#include "tst_datecheck.moc"
