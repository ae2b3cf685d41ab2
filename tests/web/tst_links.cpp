#include "support/fakeplatform.h"
#include "support/windows.h"

#include "report/frmsave.h"
#include "web/frmabout.h"
#include "web/links.h"

#include <QTest>

using namespace TestWindows;

class TestLinks : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { install(); }
    void init() { reset(); }
    void cleanup() { reset(); }

    void addressForm();
    void everyLinkOpensItsPage_data();
    void everyLinkOpensItsPage();
    void repeatedClicksRepeatRequests();
    void failingBrowserIsSilent();
};

static const QString Prefix = QStringLiteral(
    "http://www.orra-astro.example/orra-free-native-american-astrology/ssd.php?page=");

void TestLinks::addressForm()
{
    QCOMPARE(redirectAddress(QStringLiteral("home-page")), Prefix + QStringLiteral("home-page"));
    FakePlatform fake;
    OpenHelpWebPage();
    OpenHomePage();
    OpenDownloadWebPage();
    OpenDonatePage();
    OpenFullyBrandedPage();
    OpenCoBrandPage();
    QCOMPARE(
        fake.urls,
        QStringList({Prefix + "help-web-page", Prefix + "home-page", Prefix + "download-web-page",
                     Prefix + "donate", Prefix + "fully-branded", Prefix + "co-brand"}));
}

enum Window { Main, Reading, Report, About };

void TestLinks::everyLinkOpensItsPage_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("page");
    for (int w : {Main, Reading}) {
        const char *name = w == Main ? "main" : "reading";
        QTest::addRow("%s mnuOnline", name) << w << "mnuOnline"
                                            << "help-web-page";
        QTest::addRow("%s mnuVisit", name) << w << "mnuVisit"
                                           << "home-page";
        QTest::addRow("%s mnuUpdate", name) << w << "mnuUpdate"
                                            << "download-web-page";
        QTest::addRow("%s mnuDonate", name) << w << "mnuDonate"
                                            << "donate";
        QTest::addRow("%s mnuMakeMoney", name) << w << "mnuMakeMoney"
                                               << "fully-branded";
        QTest::addRow("%s Label14", name) << w << "Label14"
                                          << "home-page";
        QTest::addRow("%s lblCobrand", name) << w << "lblCobrand"
                                             << "co-brand";
        QTest::addRow("%s lblFullBrand", name) << w << "lblFullBrand"
                                               << "fully-branded";
    }
    QTest::newRow("report Label14") << int(Report) << "Label14"
                                    << "home-page";
    QTest::newRow("report Label1") << int(Report) << "Label1"
                                   << "home-page";
    QTest::newRow("report lblCobrand") << int(Report) << "lblCobrand"
                                       << "co-brand";
    QTest::newRow("report lblFullBrand") << int(Report) << "lblFullBrand"
                                         << "fully-branded";
    QTest::newRow("about lblHomePage") << int(About) << "lblHomePage"
                                       << "home-page";
    QTest::newRow("about lblCobrand") << int(About) << "lblCobrand"
                                      << "fully-branded";
}

void TestLinks::everyLinkOpensItsPage()
{
    QFETCH(int, window);
    QFETCH(QString, control);
    QFETCH(QString, page);
    FakePlatform fake;

    std::unique_ptr<QWidget> dialog;
    QWidget *target = nullptr;
    switch (window) {
    case Main:
        target = Navigation::showMain();
        break;
    case Reading:
        target = readingFor(QStringLiteral("May"), 5);
        break;
    case Report:
        dialog = std::make_unique<frmSave>(readingFor(QStringLiteral("May"), 5));
        target = dialog.get();
        break;
    default:
        dialog = std::make_unique<frmAbout>();
        target = dialog.get();
        break;
    }
    const QByteArray name = control.toLatin1();
    if (auto *action = target->findChild<QAction *>(control)) {
        action->trigger();
    } else {
        auto *label = child<LinkLabel>(target, name.constData());
        QVERIFY(label);
        QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
        label->show(); // a covered label is clicked where it is in front
        label->raise();
        QTest::mouseClick(label, Qt::LeftButton);
    }
    QCOMPARE(fake.urls, QStringList {Prefix + page});
    QVERIFY(fake.messages.isEmpty());
    QCOMPARE(fake.ends, 0);
}

void TestLinks::repeatedClicksRepeatRequests()
{
    FakePlatform fake;
    frmMain *main = Navigation::showMain();
    auto *label = child<LinkLabel>(main, "Label14");
    QTest::mouseClick(label, Qt::LeftButton);
    QTest::mouseClick(label, Qt::LeftButton);
    QCOMPARE(fake.urls.size(), 2);
    QCOMPARE(fake.urls[0], fake.urls[1]);
    // A press that leaves the label before release is no click.
    QTest::mousePress(label, Qt::LeftButton);
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(-5, -5));
    QCOMPARE(fake.urls.size(), 2);
}

void TestLinks::failingBrowserIsSilent()
{
    FakePlatform fake;
    fake.browserWorks = false;
    frmMain *main = Navigation::showMain();
    child<QAction>(main, "mnuDonate")->trigger();
    QCOMPARE(fake.urls.size(), 1);
    QVERIFY(fake.messages.isEmpty());
    QVERIFY(main->isVisible());
}

QTEST_MAIN(TestLinks)
#include "tst_links.moc"
