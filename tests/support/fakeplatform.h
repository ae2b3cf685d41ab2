#pragma once

#include "platform/platform.h"

#include <QHash>
#include <QList>
#include <QPrinter>
#include <QStringList>

#include <functional>

// Answers everything the program would ask a person or the system, and
// records what was asked.
class FakePlatform : public Platform
{
public:
    struct Message
    {
        QMessageBox::Icon icon;
        QString text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
        QWidget *parent; // the window the box is over
    };

    FakePlatform()
        : m_previous(setPlatform(this))
    { }
    ~FakePlatform() override { setPlatform(m_previous); }

    QMessageBox::StandardButton message(QWidget *parent, QMessageBox::Icon icon,
                                        const QString &text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override
    {
        messages.append({icon, text, buttons, defaultButton, parent});
        if (onMessage)
            onMessage();
        return answer;
    }
    QString openFileName(QWidget *, const QString &title, const QString &filter) override
    {
        dialogs.append(title + QLatin1Char('|') + filter);
        return openPath;
    }
    QString saveFileName(QWidget *, const QString &title, const QString &filter,
                         const QString &defaultSuffix) override
    {
        dialogs.append(title + QLatin1Char('|') + filter + QLatin1Char('|') + defaultSuffix);
        return savePath;
    }
    bool openUrl(const QUrl &url) override
    {
        urls.append(url.toString(QUrl::FullyEncoded));
        if (onUrl)
            onUrl();
        return browserWorks;
    }
    QDate today() override { return todayDate; }
    void seedRandomFromClock() override { ++seeds; }
    float nextRandom() override { return randoms.isEmpty() ? 0.0f : randoms.takeFirst(); }
    std::optional<QString> readSetting(const QString &group, const QString &key) override
    {
        if (settingsBroken)
            return std::nullopt;
        return settings.value(group + QLatin1Char('/') + key);
    }
    bool writeSetting(const QString &group, const QString &key, const QString &value) override
    {
        ++settingWrites;
        if (settingsBroken)
            return false;
        settings.insert(group + QLatin1Char('/') + key, value);
        return true;
    }
    std::unique_ptr<QPrinter> defaultPrinter() override
    {
        ++printerRequests;
        return makePrinter ? makePrinter() : nullptr;
    }
    void clearOwnedClipboard() override { ++clipboardClears; }
    void endProcess() override { ++ends; }

    QList<Message> messages;
    QMessageBox::StandardButton answer = QMessageBox::Ok;
    std::function<void()> onMessage;
    QStringList dialogs;
    QString openPath;
    QString savePath;
    QStringList urls;
    std::function<void()> onUrl;
    bool browserWorks = true;
    QDate todayDate {2026, 12, 8};
    int seeds = 0;
    QList<float> randoms;
    QHash<QString, QString> settings;
    bool settingsBroken = false;
    int settingWrites = 0;
    std::function<std::unique_ptr<QPrinter>()> makePrinter;
    int printerRequests = 0;
    int clipboardClears = 0;
    int ends = 0;

private:
    Platform *m_previous;
};
