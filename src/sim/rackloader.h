#pragma once

#include "sim/simulatedrack.h"

#include <QByteArray>
#include <QString>
#include <memory>

class QJsonObject;

// A rack from its description; nullptr and the reason in *error when it is
// bad.
std::unique_ptr<SimulatedRack> LoadRack(const QByteArray &json, QString *error);
std::unique_ptr<SimulatedRack> LoadRackFile(const QString &path, QString *error);

// Fills a rack from its JSON description (format in docs/simulator.md).
// Item values go through the same checks as a data write, so a file cannot
// put a value into a card that the card itself would refuse.
class RackLoader
{
public:
    // Rack files are a few kilobytes; anything larger is not one.
    static constexpr qint64 kMaxFileSize = 1 << 20;

    // False and the first problem in *error (with where it is) on bad input.
    static bool load(const QByteArray &json, SimulatedRack &rack, QString *error);
    // The same from a file; the message starts with the path. Only regular
    // files of at most kMaxFileSize bytes are read.
    static bool loadFile(const QString &path, SimulatedRack &rack, QString *error);

private:
    RackLoader(SimulatedRack &rack) : m_rack(rack) {}
    bool loadComm(const QJsonObject &comm);
    bool loadCard(int slot, const QJsonObject &card);
    bool fail(const QString &message);

    SimulatedRack &m_rack;
    QString m_error;
};
