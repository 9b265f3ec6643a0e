#pragma once

#include "link/result.h"
#include <QList>
#include <QMap>
#include <QString>
#include <optional>

// One rack of a plant: its name (also its backup folder), where it is
// reached (a device path or tcp:// / rfc2217:// designation), and what the
// plant file says beside it.
struct PlantRack
{
    QString name;
    QString port;
    QString notes;
    // A parameter file to verify against; relative to the plant file's
    // folder, already made absolute. Empty: the rack's latest backup.
    QString file;
    // Tag of slot 1..16, channel 1..16 ("TT-101").
    QMap<int, QMap<int, QString>> tags;

    QString tag(int slot, int channel) const { return tags.value(slot).value(channel); }
};

struct Plant
{
    QString path; // the plant file, as given
    QList<PlantRack> racks;
};

// Reads a plant file:
//   {"racks": [{"name": "North-1", "port": "/dev/ttyUSB0",
//               "notes": "...", "file": "north-1.uJx",
//               "tags": {"3": {"1": "TT-101"}}}]}
// When the file cannot be read or is not a plant, the reason names the file,
// the rack (its index from 1 and its name) and the field.
Result<Plant> LoadPlantFile(const QString &path);
// The same from text; `path` only names the file in errors and resolves `file`.
Result<Plant> ParsePlant(const QByteArray &json, const QString &path);
