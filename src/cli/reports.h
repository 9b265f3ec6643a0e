#pragma once

#include "model/cardrecord.h"
#include "model/comparison.h"

#include <QByteArray>
#include <QString>

// Where a shown table came from: a file, or the rack with its
// communication card.
struct TableSource
{
    QString file;
    QString commModel;
    QString commVersion;
};

// show: one line per slot, or one JSON object holding all 16 slots.
QString ShowText(const CardTable &cards, const TableSource &source);
QByteArray ShowJson(const CardTable &cards, const TableSource &source);

// verify: one line per difference and a summary, or one JSON object.
QString DifferencesText(const QList<Difference> &differences, const QString &file);
QByteArray DifferencesJson(const QList<Difference> &differences, const QString &file);
