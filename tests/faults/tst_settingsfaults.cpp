// The real per-user settings store, spoiled the ways a disk or a person can
// spoil it. Start-up must go on without a word, and whatever is in the
// store's place must be left exactly as it was.

#include "support/fakeplatform.h"
#include "support/files.h"
#include "support/windows.h"

#include "app/startup.h"
#include "platform/appinfo.h"
#include "report/scrambler.h"
#include "web/reminder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace TestWindows;
using namespace TestFiles;

namespace {
const QString Group = QStringLiteral("Settings");
const QString Key = ScrambleText(QStringLiteral("Duration"));
const QDate Today(2026, 12, 8);

// Everything faked but the settings, which go to the real store.
class RealStorePlatform : public FakePlatform
{
public:
    std::optional<QString> readSetting(const QString &group, const QString &key) override
    {
        return m_real.readSetting(group, key);
    }
    bool writeSetting(const QString &group, const QString &key, const QString &value) override
    {
        ++settingWrites;
        return m_real.writeSetting(group, key, value);
    }

private:
    QtPlatform m_real;
};

} // namespace

class TestSettingsFaults : public QObject
{
    Q_OBJECT
public:
    explicit TestSettingsFaults(const QString &configHome)
        : m_folder(configHome + QLatin1Char('/') + AppInfo::ExecutableName)
        , m_file(m_folder + QLatin1Char('/') + AppInfo::ExecutableName + QStringLiteral(".conf"))
    { }

private slots:
    void initTestCase();
    void init();
    void cleanup() { reset(); }

    void realStoreRoundTrips();
    void spoiledStore_data();
    void spoiledStore();
    void storeThatWouldHang_data();
    void storeThatWouldHang();
    void writtenStoreReadsBack_data();
    void writtenStoreReadsBack();

private:
    // What lies at the store's place, down to the bytes.
    QByteArray snapshot() const;
    // Writes through QSettings itself, so the key is spelled as the store spells it.
    void storeValue(const QVariant &value);

    QString m_folder;
    QString m_file;
    QTemporaryDir m_locks;
};

void TestSettingsFaults::initTestCase()
{
    install();
    QVERIFY(m_locks.isValid());
    const QSettings store(QSettings::NativeFormat, QSettings::UserScope, AppInfo::ExecutableName,
                          AppInfo::ExecutableName);
#ifdef Q_OS_WIN
    // The registry: no file to spoil, only values of other types; and no
    // scratch copy of it, so this test clears the user's own key.
    QVERIFY2(store.fileName().contains(QLatin1String("HKEY_CURRENT_USER")),
             qPrintable(store.fileName()));
#else
    QCOMPARE(store.fileName(), m_file); // the store is where this test spoils it
#endif
}

void TestSettingsFaults::init()
{
    reset();
#ifdef Q_OS_WIN
    QSettings(QSettings::NativeFormat, QSettings::UserScope, AppInfo::ExecutableName,
              AppInfo::ExecutableName)
        .clear();
#endif
    const QFileInfo folder(m_folder);
    if (folder.isDir())
        QVERIFY(QDir(m_folder).removeRecursively());
    else if (folder.exists())
        QVERIFY(QFile::remove(m_folder));
}

QByteArray TestSettingsFaults::snapshot() const
{
    QByteArray shot;
#ifdef Q_OS_WIN
    const QSettings store(QSettings::NativeFormat, QSettings::UserScope, AppInfo::ExecutableName,
                          AppInfo::ExecutableName);
    for (const QString &key : store.allKeys()) {
        const QVariant value = store.value(key);
        shot += key.toUtf8() + ' ' + value.typeName() + ' '
            + value.toStringList().join('\n').toUtf8() + value.toString().toUtf8() + '\n';
    }
#endif
    for (const QString &path : {m_folder, m_file}) {
        const QFileInfo info(path);
        shot += path.toUtf8();
        if (info.isFile() && info.size() > (1 << 24)) // too big to read: its size and time
            shot += " big file: " + QByteArray::number(info.size()) + ' '
                + info.lastModified().toString(Qt::ISODateWithMs).toUtf8();
        else if (info.isDir())
            shot += " folder: "
                + QDir(path)
                      .entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                 | QDir::NoDotAndDotDot)
                      .join(QLatin1Char('/'))
                      .toUtf8();
        else if (info.isFile())
            shot += " file: " + contents(path);
        else
            shot += info.exists() ? " other" : " none";
        shot += '\n';
    }
    return shot;
}

void TestSettingsFaults::storeValue(const QVariant &value)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, AppInfo::ExecutableName,
                    AppInfo::ExecutableName);
    store.beginGroup(Group);
    store.setValue(Key, value);
    store.endGroup();
    store.sync();
    QCOMPARE(store.status(), QSettings::NoError);
}

void TestSettingsFaults::realStoreRoundTrips()
{
    // The harness reaches the real store: the first start notes the day, and
    // a later start a month on asks.
    RealStorePlatform fake;
    fake.todayDate = Today;
    RunUpdateReminder();
    QVERIFY(fake.messages.isEmpty());
#ifndef Q_OS_WIN
    QVERIFY(QFileInfo(m_file).isFile());
#endif
    QtPlatform real;
    QCOMPARE(real.readSetting(Group, Key),
             std::optional<QString>(ScrambleText(formatReminderDate(Today, QLocale()))));
    fake.todayDate = Today.addDays(30);
    RunUpdateReminder();
    QCOMPARE(fake.messages.size(), 1);
    QCOMPARE(UnscrambleText(real.readSetting(Group, Key).value_or(QString())),
             formatReminderDate(Today.addDays(30), QLocale()));
#ifndef Q_OS_WIN
    QCOMPARE(QDir(m_folder).entryList(QDir::Files | QDir::Hidden),
             QStringList {QFileInfo(m_file).fileName()});
#endif
}

void TestSettingsFaults::spoiledStore_data()
{
    QTest::addColumn<QString>("kind");
    // Whether the store still reads as a store (with nothing usable in it).
    QTest::addColumn<bool>("readable");
    // Whether it is a store as QSettings writes one, only with odd values.
    QTest::addColumn<bool>("wellFormed");
    QTest::newRow("folder in the file's place") << "folder in the file's place" << false << false;
    QTest::newRow("file in the folder's place") << "file in the folder's place" << true << false;
    for (int seed = 1; seed <= 4; ++seed) {
        const QString kind = QStringLiteral("random bytes %1").arg(seed);
        QTest::newRow(qPrintable(kind)) << kind << false << false;
    }
    QTest::newRow("one huge line") << "one huge line" << false << false;
    QTest::newRow("huge value") << "huge value" << false << true;
    QTest::newRow("list value") << "list value" << false << true;
}

void TestSettingsFaults::spoiledStore()
{
    QFETCH(QString, kind);
    QFETCH(bool, readable);
    QFETCH(bool, wellFormed);
#ifdef Q_OS_WIN
    if (!kind.endsWith(QLatin1String("value")))
        QSKIP("the store is the registry: there is no file to spoil");
    if (kind == "huge value")
        readable = true; // the registry has no file whose size could hang a start
#endif
    if (kind == "folder in the file's place") {
        QVERIFY(QDir().mkpath(m_file));
    } else if (kind == "file in the folder's place") {
        QVERIFY(put(m_folder, "not a folder\n"));
    } else if (kind.startsWith(QLatin1String("random bytes"))) {
        QVERIFY(QDir().mkpath(m_folder));
        QRandomGenerator noise(kind.section(QLatin1Char(' '), -1).toUInt());
        QByteArray bytes(4096, '\0');
        for (char &c : bytes)
            c = char(noise.generate());
        QVERIFY(put(m_file, bytes));
    } else if (kind == "one huge line") {
        QVERIFY(QDir().mkpath(m_folder));
        QVERIFY(put(m_file, QByteArray(4 << 20, 'x')));
    } else if (kind == "huge value") {
        storeValue(QString(4 << 20, QLatin1Char('9')));
    } else if (kind == "list value") {
        storeValue(
            QStringList {formatReminderDate(Today.addDays(-30), QLocale()), QStringLiteral("x")});
    }
    const QByteArray before = snapshot();

    QtPlatform real;
    const std::optional<QString> read = real.readSetting(Group, Key);
    QCOMPARE(read.has_value(), readable);
    if (read)
        QVERIFY(parseReminderDate(UnscrambleText(*read), QLocale(), Today) == std::nullopt);

    // The reminder neither asks nor writes over it.
    {
        RealStorePlatform fake;
        fake.todayDate = Today;
        fake.answer = QMessageBox::Yes;
        RunUpdateReminder();
        QVERIFY(fake.messages.isEmpty());
        QVERIFY(fake.urls.isEmpty());
    }
    QVERIFY2(snapshot() == before, "the store was changed");

    // Start-up goes on as usual.
    {
        RealStorePlatform fake;
        fake.todayDate = Today;
        fake.randoms = {0.5f};
        SingleInstance instance(m_locks.filePath(QStringLiteral("lock")));
        QVERIFY(startProgram(instance));
        QVERIFY(fake.messages.isEmpty());
        QVERIFY(Navigation::mainWindow() && Navigation::mainWindow()->isVisible());
        reset();
    }
    QVERIFY2(snapshot() == before, "the store was changed");

    // Nor does a direct write get through where the store is not one.
    if (!wellFormed) {
        QVERIFY(!real.writeSetting(Group, Key, QStringLiteral("x")));
        QVERIFY2(snapshot() == before, "the store was changed");
    }
}

void TestSettingsFaults::storeThatWouldHang_data()
{
    // What lies at the store's place (or its lock's); whether a date 30 days
    // old is in the store, so the reminder asks; whether today's date is
    // written in the end.
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("asks");
    QTest::addColumn<bool>("written");
#ifdef Q_OS_UNIX
    QTest::newRow("FIFO") << "FIFO" << false << false;
    QTest::newRow("link to /dev/zero") << "link to /dev/zero" << false << false;
    QTest::newRow("link to /dev/urandom") << "link to /dev/urandom" << false << false;
    QTest::newRow("40 GB sparse file") << "sparse" << false << false;
#endif
    QTest::newRow("folder as its lock") << "folder as its lock" << false << false;
    QTest::newRow("garbage as its lock") << "garbage as its lock" << false << true;
    QTest::newRow("empty lock") << "empty lock" << false << true;
    QTest::newRow("byte-order mark") << "byte-order mark" << true << true;
    QTest::newRow("link to a store elsewhere") << "link to a store" << true << true;
}

void TestSettingsFaults::storeThatWouldHang()
{
    // Through a real process with the real store: a hang there is seen as one.
#ifdef Q_OS_WIN
    QSKIP("the store is the registry there");
#endif
    QFETCH(QString, kind);
    QFETCH(bool, asks);
    QFETCH(bool, written);
    QVERIFY(QDir().mkpath(m_folder));
    const QByteArray native = QFile::encodeName(m_file);
    const QString lock = m_file + QStringLiteral(".lock");
    const QDate today = QDate::currentDate(); // the runner's own clock
    if (kind == "FIFO") {
#ifdef Q_OS_UNIX
        QVERIFY(::mkfifo(native.constData(), 0600) == 0);
#endif
    } else if (kind == "link to a store") {
        // Kept elsewhere, as a person who keeps their settings in one place does.
        const QString elsewhere = m_folder + QStringLiteral("/elsewhere.conf");
        storeValue(ScrambleText(formatReminderDate(today.addDays(-30), QLocale())));
        QVERIFY(QFile::rename(m_file, elsewhere) && QFile::link(elsewhere, m_file));
    } else if (kind.startsWith(QLatin1String("link to "))) {
        QVERIFY(QFile::link(kind.mid(8), m_file));
    } else if (kind == "sparse") {
        QFile file(m_file);
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (!file.resize(qint64(40) << 30))
            QSKIP("no room for a sparse file here");
    } else if (kind == "folder as its lock") {
        QVERIFY(QDir().mkpath(lock));
    } else if (kind == "garbage as its lock") {
        QVERIFY(put(lock, QByteArray("\x01garbage\n")));
    } else if (kind == "empty lock") {
        QVERIFY(put(lock, QByteArray()));
    } else if (kind == "byte-order mark") {
        const QByteArray date
            = ScrambleText(formatReminderDate(today.addDays(-30), QLocale())).toUtf8();
        storeValue(QString::fromUtf8(date));
        const QByteArray plain = contents(m_file);
        QVERIFY(put(m_file, "\xef\xbb\xbf" + plain));
    }
    const QByteArray before = snapshot();

    QTemporaryDir run;
    QProcess runner;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QFileInfo(m_folder).absolutePath());
    runner.setProcessEnvironment(env);
    runner.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    runner.start(
        QStringLiteral(STARTRUNNER),
        {QStringLiteral("1"), QStringLiteral("--lock"), run.filePath(QStringLiteral("lock"))});
    const bool ended = runner.waitForFinished(20000);
    if (!ended) {
        runner.kill();
        runner.waitForFinished();
    }
    QStringList lines = QString::fromUtf8(runner.readAllStandardOutput())
                            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY2(ended, "start-up hangs");
    QVERIFY(QFileInfo(lock).isDir() == (kind == "folder as its lock"));
    QStringList expected {QStringLiteral("started"), QStringLiteral("ended")};
    if (asks)
        expected.prepend(QStringLiteral("There maybe an update to this software available\r"
                                        "Do you want to check for an update?"));
    QCOMPARE(lines, expected);
    if (!written) {
        QVERIFY2(snapshot() == before, "the store was changed");
        return;
    }
    QtPlatform real;
    QCOMPARE(real.readSetting(Group, Key),
             std::optional<QString>(ScrambleText(formatReminderDate(today, QLocale()))));
}

void TestSettingsFaults::writtenStoreReadsBack_data()
{
    // What is in the store before the program writes its date there.
    QTest::addColumn<QString>("kind");
    QTest::newRow("nothing yet") << "nothing yet";
    QTest::newRow("many keys, as the store spells them") << "many keys";
    QTest::newRow("many keys, spelled by hand") << "many keys by hand";
}

void TestSettingsFaults::writtenStoreReadsBack()
{
#ifdef Q_OS_WIN
    QSKIP("the store is the registry there");
#endif
    QFETCH(QString, kind);
    QVERIFY(QDir().mkpath(m_folder));
    QByteArray text = "[Settings]\n";
    // 16,379 bytes, just under the store's limit; the store spells "a b" as "a%20b".
    for (int i = 0; text.size() + 11 <= 16379; ++i)
        text += (kind == "many keys" ? "a_b_" : "a b ") + QByteArray::number(1000 + i) + "=1\n";
    if (kind != "nothing yet")
        QVERIFY(put(m_file, text));

    QtPlatform real;
    const QString date = ScrambleText(formatReminderDate(Today, QLocale()));
    const bool written = real.writeSetting(Group, Key, date);
    QVERIFY(written || kind != "nothing yet");
    QCOMPARE(real.readSetting(Group, Key), std::optional<QString>(written ? date : QString()));
}

int main(int argc, char *argv[])
{
    // QSettings settles the user's folder on first use: point it at a scratch folder first.
    QTemporaryDir configHome;
    if (!configHome.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestSettingsFaults test(configHome.path());
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settingsfaults.moc"
