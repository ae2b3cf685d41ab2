#include "platform.h"

#include "appinfo.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <utility>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {
QtPlatform &realPlatform()
{
    static QtPlatform instance;
    return instance;
}
Platform *current = nullptr;
} // namespace

Platform &platform()
{
    return current ? *current : realPlatform();
}

Platform *setPlatform(Platform *replacement)
{
    return std::exchange(current, replacement);
}

QMessageBox::StandardButton QtPlatform::message(QWidget *parent, QMessageBox::Icon icon,
                                                const QString &text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton)
{
    // A lone carriage return separates lines, as in the program's own texts.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(icon, AppInfo::Title, shown, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString QtPlatform::openFileName(QWidget *parent, const QString &title, const QString &filter)
{
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("naa"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtPlatform::saveFileName(QWidget *parent, const QString &title, const QString &filter,
                                 const QString &defaultSuffix)
{
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    // Replacing an existing file is asked about first (the dialog's default).
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

bool QtPlatform::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

QDate QtPlatform::today()
{
    return QDate::currentDate();
}

void QtPlatform::seedRandomFromClock()
{
    m_state = static_cast<quint64>(QDateTime::currentMSecsSinceEpoch()) * 0x9E3779B97F4A7C15ULL
        ^ static_cast<quint64>(QCoreApplication::applicationPid());
}

float QtPlatform::nextRandom()
{
    // splitmix64; the top 24 bits give a float that is exactly representable and below 1.
    m_state += 0x9E3779B97F4A7C15ULL;
    quint64 z = m_state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return static_cast<float>(z >> 40) * (1.0f / 16777216.0f);
}

namespace {
// The store holds one short line; anything larger is not one the program wrote.
constexpr qint64 StoreMaxBytes = 16 * 1024;

#ifndef Q_OS_WIN // the registry needs none of these guards
// Nothing at path, or a plain file of this user's of at most maxBytes: all the
// store opens there. A FIFO, a device or a huge file could make it wait or read
// without end.
bool isOwnSmallFileOrNothing(const QString &path, qint64 maxBytes)
{
    const QFileInfo info(path); // through a link, to what it names
    if (!info.exists())
        return !info.isSymLink(); // a link to nowhere: not ours to write through
    return info.ownerId() == ::getuid() && info.isFile() && info.size() <= maxBytes;
}

// Where QSettings keeps the file-based store, worked out without opening it:
// QSettings reads the file whole as it opens it.
QString storeFileName()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QLatin1Char('/') + AppInfo::ExecutableName + QLatin1Char('/') + AppInfo::ExecutableName
        + QStringLiteral(".conf");
}

// Whether the store file (or its absence) is one QSettings could have written:
// UTF-8 lines, after an editor's byte-order mark perhaps, that are blank, a
// [section], a ;comment or key=value. Checked here because QSettings reports a
// malformed file only to the first reader in a process. Only a plain file of a
// sane size is opened: a FIFO would wait for ever, a device or a huge file
// read without end.
bool looksWritten(const QString &path)
{
    QFile file(path);
    if (!isOwnSmallFileOrNothing(path, StoreMaxBytes))
        return false;
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(file.read(StoreMaxBytes)); // without a byte-order mark
    if (utf8.hasError() || text.contains(QChar(0)))
        return false;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (!line.isEmpty() && !line.startsWith(u';')
            && !(line.startsWith(u'[') && line.endsWith(u']')) && !line.contains(u'='))
            return false;
    }
    return true;
}

// QSettings respells what it did not write itself (escaping the keys it read),
// which may make a store longer than the program reads: the write is tried on
// a copy first, so the program never leaves a store it cannot read back.
bool staysReadable(const QString &path, const QString &key, const QString &value)
{
    QTemporaryDir scratch;
    const QString copy = scratch.filePath(QStringLiteral("store.conf"));
    if (!scratch.isValid() || (QFileInfo::exists(path) && !QFile::copy(path, copy)))
        return false;
    QSettings trial(copy, QSettings::IniFormat);
    trial.setValue(key, value);
    trial.sync();
    return QFileInfo(copy).size() <= StoreMaxBytes;
}
#endif

// The store, or null when it cannot be read or holds something QSettings
// would not have written: such a file is neither read nor rewritten, since
// QSettings writes back only what it understood and the rest would be lost.
std::unique_ptr<QSettings> openStore()
{
#ifndef Q_OS_WIN
    if (!looksWritten(storeFileName()))
        return nullptr;
#endif
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       AppInfo::ExecutableName, AppInfo::ExecutableName);
}
} // namespace

std::optional<QString> QtPlatform::readSetting(const QString &group, const QString &key)
{
    std::unique_ptr<QSettings> store = openStore();
    if (!store)
        return std::nullopt;
    store->beginGroup(group);
    if (!store->contains(key))
        return QString();
    const QVariant value = store->value(key);
    // Something other than a text is not ours to read or to overwrite.
    if (value.typeId() != QMetaType::QString && value.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return value.toString();
}

bool QtPlatform::writeSetting(const QString &group, const QString &key, const QString &value)
{
    std::unique_ptr<QSettings> store = openStore();
    const QString path = group + QLatin1Char('/') + key;
    if (!store || !store->isWritable())
        return false;
#ifndef Q_OS_WIN
    // QSettings waits for its lock file before writing, for ever where a folder
    // is in the way. Only the one running copy writes the store, so a lock file
    // found here was left behind (by a copy killed while writing) and is
    // removed; anything else in its place fails this write.
    const QString lock = store->fileName() + QStringLiteral(".lock");
    if (!isOwnSmallFileOrNothing(lock, StoreMaxBytes)
        || (QFileInfo::exists(lock) && !QFile::remove(lock))
        || !staysReadable(store->fileName(), path, value))
        return false;
#endif
    store->setValue(path, value);
    store->sync();
    // Read with an editor's byte-order mark, the store says FormatError even
    // after the write: whether the value stuck is what counts.
    return store->status() != QSettings::AccessError && readSetting(group, key) == value;
}

std::unique_ptr<QPrinter> QtPlatform::defaultPrinter()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    // A plain QPrinter falls back to PDF when the printer is unusable; refuse that.
    if (!printer->isValid() || printer->outputFormat() != QPrinter::NativeFormat)
        return nullptr;
    return printer;
}

void QtPlatform::clearOwnedClipboard()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    if (clipboard->ownsClipboard())
        clipboard->clear(QClipboard::Clipboard);
    if (clipboard->supportsSelection() && clipboard->ownsSelection())
        clipboard->clear(QClipboard::Selection);
}

void QtPlatform::endProcess()
{
    QCoreApplication::exit(0);
}
