#pragma once

#include <QString>
#include <optional>

// Text functions applied to the rack's replies and the operator's entries.

QString TextAfterColon(const QString &s);
// The whole text when it has no colon.
QString TextBeforeColon(const QString &s);
QString RemoveFirstPoint(const QString &s);
// "0".."9" and upper-case "A".."F"; anything else counts 0.
int HexDigitValue(const QString &c);
// Four hex digits -> 16 "0"/"1" characters, most significant bit first.
// Missing digits count as 0; characters after the fourth are ignored.
QString HexToBits(const QString &s);

struct DottedParts
{
    QString first; // before the first point
    QString second;
    QString third;
    QString rest; // after the third point, further points included
};
// 192.168.0.1 -> {192, 168, 0, 1}. Missing parts are empty.
DottedParts SplitDotted(const QString &s);

// A typed number for a 16-bit field: the value, rounded half to even, or
// nullopt when the text must be rejected ("Please enter number."): a sign or
// a point among the first three characters, not a number, or out of range.
// The empty text is 0.
std::optional<qint16> CheckNumberText(const QString &v);
