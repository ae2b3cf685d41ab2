#pragma once

#include <QString>

// State that outlives the windows for the whole run.
struct AppState
{
    qint16 BirthYear = 0;
    QString BirthMonth;
    qint16 BirthDay = 0;
    // Result of the banner draw at start-up (1..7), 0 before it is made.
    qint16 intCoBrandRandomNumber = 0;
};

AppState &appState();
