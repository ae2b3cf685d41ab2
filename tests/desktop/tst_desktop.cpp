// Runs on a real X server (Xvfb): what the offscreen platform cannot show,
// the browser hand-over and clipboard ownership, with the program's own
// platform code rather than the test fake.
#include "support/windows.h"

#include "platform/platform.h"
#include "report/frmsave.h"
#include "web/links.h"

#include <QClipboard>
#include <QFile>
#include <QMouseEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

using namespace TestWindows;

class TestDesktop : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void linksReachTheBrowser();
    void noBrowserIsQuiet();
    void othersClipboardSurvivesTheReport();
    void ownClipboardIsEmptied();

private:
    QTemporaryDir m_bin;
    QString m_record;
    QByteArray m_path;
};

void TestDesktop::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs a real X server");
    install();
    // A stand-in browser opener, first on the PATH, that notes what it is given.
    m_record = m_bin.filePath(QStringLiteral("opened.txt"));
    QFile opener(m_bin.filePath(QStringLiteral("xdg-open")));
    QVERIFY(opener.open(QIODevice::WriteOnly));
    opener.write("#!/bin/sh\necho \"$1\" >> '" + m_record.toUtf8() + "'\n");
    opener.close();
    opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_path = qgetenv("PATH");
    qputenv("PATH", m_bin.path().toUtf8() + ':' + m_path);
}

void TestDesktop::linksReachTheBrowser()
{
    QFile::remove(m_record);
    const auto recorded = [this] {
        QFile record(m_record);
        return record.open(QIODevice::ReadOnly) ? record.readAll() : QByteArray();
    };
    // Each opener runs on its own: the second starts once the first has noted
    // its address, or the two could note them in either order.
    OpenDonatePage();
    QTRY_COMPARE(recorded().count('\n'), 1);
    OpenHomePage();
    QTRY_COMPARE(recorded().count('\n'), 2);
    const QList<QByteArray> lines = recorded().split('\n');
    QCOMPARE(lines.value(0), redirectAddress(QStringLiteral("donate")).toUtf8());
    QCOMPARE(lines.value(1), redirectAddress(QStringLiteral("home-page")).toUtf8());
}

void TestDesktop::noBrowserIsQuiet()
{
    QTemporaryDir empty;
    qputenv("PATH", empty.path().toUtf8());
    frmMain *main = Navigation::showMain();
    child<QAction>(main, "mnuOnline")->trigger(); // nothing to open it with
    QVERIFY(main->isVisible());
    QVERIFY(!QApplication::activeModalWidget());
    qputenv("PATH", m_bin.path().toUtf8() + ':' + m_path);
    reset();
}

static void moveOver(QWidget *viewport)
{
    for (const QPoint at : {QPoint(10, 10), QPoint(60, 40), QPoint(120, 80)}) {
        QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    }
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(30, 30));
}

void TestDesktop::othersClipboardSurvivesTheReport()
{
    // Another program puts text on the clipboard and keeps owning it.
    QProcess other;
    other.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-clipboard")});
    QVERIFY(other.waitForReadyRead(10000));
    QClipboard *clipboard = QGuiApplication::clipboard();
    QTRY_COMPARE(clipboard->text(), QStringLiteral("precious words"));
    QVERIFY(!clipboard->ownsClipboard());

    frmAmericanAstrologyResult *reading = readingFor(QStringLiteral("May"), 5);
    {
        frmSave report(reading);
        report.show();
        QVERIFY(QTest::qWaitForWindowExposed(&report));
        moveOver(child<QTextEdit>(&report, "RTB")->viewport());
        QTest::qWait(100);
    }
    QCOMPARE(clipboard->text(), QStringLiteral("precious words"));
    other.kill();
    other.waitForFinished();
    reset();
}

void TestDesktop::ownClipboardIsEmptied()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    frmAmericanAstrologyResult *reading = readingFor(QStringLiteral("May"), 5);
    {
        frmSave report(reading);
        report.show();
        QVERIFY(QTest::qWaitForWindowExposed(&report));
        // Text copied out of the report is taken back at the next mouse move.
        clipboard->setText(QStringLiteral("Native American Sign: Beaver"));
        QTRY_VERIFY(clipboard->ownsClipboard());
        moveOver(child<QTextEdit>(&report, "RTB")->viewport());
        QTRY_VERIFY(clipboard->text().isEmpty());
    }
    reset();
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (app.arguments().contains(QStringLiteral("--hold-clipboard"))) {
        QGuiApplication::clipboard()->setText(QStringLiteral("precious words"));
        QTimer::singleShot(100, [] {
            std::puts("holding");
            std::fflush(stdout);
        });
        return QApplication::exec();
    }
    TestDesktop test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_desktop.moc"
