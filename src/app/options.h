#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The command line of v9con.
struct AppOptions
{
    QMap<int, QString> comDevices; // --com N=DEVICE
    bool simulate = false;         // --simulate [RACK.json]
    QString rackFile;
    QString changeLog; // --change-log FILE; empty: the default file
    bool help = false;
    bool version = false;
    QString error; // not empty: the command line was not understood
};

AppOptions parseOptions(const QStringList &arguments); // arguments without the program name
QString usageText();

// Names the organisation the window's settings are kept under. Releases
// before kept them under Qt's "Unknown Organization": while the new store
// is empty, that one is copied over (and left in place) so nothing is lost.
// Call once the application's name is set.
void setUpSettings();
