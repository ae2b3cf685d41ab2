#pragma once

#include <QDate>
#include <QMessageBox>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

class QPrinter;
class QWidget;

// Everything that needs a person or the world outside the program goes through
// this one interface, so tests can answer it without a display, a browser or a
// printer. The program installs QtPlatform; tests install a fake.
class Platform
{
public:
    virtual ~Platform() = default;

    // A modal message box titled with the program's name.
    virtual QMessageBox::StandardButton
    message(QWidget *parent, QMessageBox::Icon icon, const QString &text,
            QMessageBox::StandardButtons buttons = QMessageBox::Ok,
            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton)
        = 0;

    // File dialogs; an empty result means the user cancelled.
    virtual QString openFileName(QWidget *parent, const QString &title, const QString &filter) = 0;
    virtual QString saveFileName(QWidget *parent, const QString &title, const QString &filter,
                                 const QString &defaultSuffix)
        = 0;

    // Hands an address to the desktop's browser; false when nothing took it.
    virtual bool openUrl(const QUrl &url) = 0;

    virtual QDate today() = 0;

    // The program's one random sequence: seeded once, then drawn from.
    virtual void seedRandomFromClock() = 0;
    virtual float nextRandom() = 0; // 0 <= r < 1

    // The per-user settings store. read() yields an empty text when the value is
    // absent and nothing when the store cannot be read; write() reports whether it stuck.
    virtual std::optional<QString> readSetting(const QString &group, const QString &key) = 0;
    virtual bool writeSetting(const QString &group, const QString &key, const QString &value) = 0;

    // The default printer, or null when the system has none.
    virtual std::unique_ptr<QPrinter> defaultPrinter() = 0;

    // Empties the clipboard and the selection, but only the parts this program owns.
    virtual void clearOwnedClipboard() = 0;

    // Ends the process once control returns to the event loop.
    virtual void endProcess() = 0;
};

Platform &platform();
// Installs another implementation (tests); nullptr restores the real one.
// Returns the one that was installed before.
Platform *setPlatform(Platform *replacement);

// The real thing, on Qt's own facilities.
class QtPlatform : public Platform
{
public:
    QMessageBox::StandardButton message(QWidget *parent, QMessageBox::Icon icon,
                                        const QString &text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &filter,
                         const QString &defaultSuffix) override;
    bool openUrl(const QUrl &url) override;
    QDate today() override;
    void seedRandomFromClock() override;
    float nextRandom() override;
    std::optional<QString> readSetting(const QString &group, const QString &key) override;
    bool writeSetting(const QString &group, const QString &key, const QString &value) override;
    std::unique_ptr<QPrinter> defaultPrinter() override;
    void clearOwnedClipboard() override;
    void endProcess() override;

private:
    quint64 m_state = 0x853c49e6748fea9bULL;
};
