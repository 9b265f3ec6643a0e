#pragma once

#include <QString>
#include <optional>

// Value checks and signal shapes shared by the simulated cards.

inline const QByteArray kCng = QByteArrayLiteral("CNG");
inline const QByteArray kCnu = QByteArrayLiteral("CNU");

// A decimal number within [lo, hi]; the empty text and garbage are not.
bool isNumberIn(const QString &text, double lo, double hi);
// Plain decimal digits (an optional minus) within [lo, hi].
std::optional<int> wholeNumber(const QString &text, int lo, int hi);
// Four dot-separated octets 0..255.
bool isDottedQuad(const QString &text);
// Four upper-case hexadecimal digits.
QString hex4(quint16 bits);
// Up to four hexadecimal digits, either case.
std::optional<quint16> parseHex4(const QString &text);

// A live reading that drifts slowly between lo and hi with a little noise;
// each channel has its own phase so two channels never move in step.
double driftingValue(double lo, double hi, int channel, qint64 nowMs);
// Discrete inputs: every channel flips at its own pace around the base states.
quint16 toggledInputs(quint16 base, int channels, qint64 nowMs);
