#pragma once

#include "link/result.h"
#include "sim/simulatedrack.h"

#include <QByteArray>
#include <QString>
#include <memory>

class QJsonObject;

// A rack from its description, or the reason it is bad.
Result<std::unique_ptr<SimulatedRack>> LoadRack(const QByteArray &json);
Result<std::unique_ptr<SimulatedRack>> LoadRackFile(const QString &path);

// Fills a rack from its JSON description (format in docs/simulator.md).
// Item values go through the same checks as a data write, so a file cannot
// put a value into a card that the card itself would refuse.
class RackLoader
{
public:
    // Rack files are a few kilobytes; anything larger is not one.
    static constexpr qint64 kMaxFileSize = 1 << 20;

    // On bad input the reason is the first problem, with where it is.
    static Status load(const QByteArray &json, SimulatedRack &rack);
    // The same from a file; the reason starts with the path. Only regular
    // files of at most kMaxFileSize bytes are read.
    static Status loadFile(const QString &path, SimulatedRack &rack);

private:
    RackLoader(SimulatedRack &rack) : m_rack(rack) {}
    bool loadComm(const QJsonObject &comm);
    bool loadCard(int slot, const QJsonObject &card);
    bool fail(const QString &message);

    SimulatedRack &m_rack;
    QString m_error;
};
