#include "files/parameterfile.h"

#include "files/savefile.h"
#include "model/catalogue.h"
#include "model/encodings.h"
#include "model/slotfields.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QStringList>

namespace {

constexpr int kTextFields = 32; // fields 1..32; field 33 is the limit state
constexpr int kOlderFieldCount = 32;
constexpr int kFieldCount = 33;
// A real file is a few kilobytes; anything far larger is not one, and
// reading it whole would only cost memory.
constexpr qsizetype kMaxFileBytes = 1024 * 1024;

// A fault of one line ("Line 7: ...", or "rack.uJx, line 7: ..." for a file
// shown by name), or of the whole file for line 0.
Result<CardTable> failure(const QString &shownAs, int line, const QString &why)
{
    if (line <= 0)
        return Result<CardTable>::failed(why);
    if (shownAs.isEmpty())
        return Result<CardTable>::failed(QStringLiteral("Line %1: %2").arg(line).arg(why));
    return Result<CardTable>::failed(
        QStringLiteral("%1, line %2: %3").arg(shownAs).arg(line).arg(why));
}

// One line's fields, or why the line cannot be split. A field is either
// quoted (a comma inside belongs to the text, the closing quote ends the
// field) or bare without any quote. A quote anywhere else means one went
// missing, and guessing where would move values to the wrong parameters.
Result<QStringList> splitFields(const QByteArray &line, QString (*decode)(const QByteArray &))
{
    QStringList fields;
    qsizetype i = 0;
    const qsizetype n = line.size();
    for (;;) {
        const qsizetype number = fields.size() + 1;
        qsizetype end = 0;
        if (i < n && line.at(i) == '"') {
            const qsizetype close = line.indexOf('"', i + 1);
            if (close < 0)
                return Result<QStringList>::failed(
                    QStringLiteral("field %1 opens a quote that is never closed.").arg(number));
            end = close + 1;
            if (end < n && line.at(end) != ',')
                return Result<QStringList>::failed(
                    QStringLiteral("field %1 has text after its closing quote.").arg(number));
            fields << decode(line.mid(i + 1, close - i - 1));
        } else {
            const qsizetype comma = line.indexOf(',', i);
            end = comma < 0 ? n : comma;
            if (QByteArrayView(line).sliced(i, end - i).contains('"'))
                return Result<QStringList>::failed(
                    QStringLiteral("field %1 has a quote inside.").arg(number));
            fields << decode(line.mid(i, end - i));
        }
        if (end >= n)
            return fields;
        i = end + 1;
    }
}

QString fromLatin1(const QByteArray &b)
{
    return QString::fromLatin1(b);
}

QString fromUtf8(const QByteArray &b)
{
    return QString::fromUtf8(b);
}

// Fields 1..32 in file order.
QStringList textFields(const CardRecord &r)
{
    QStringList f{r.ModelName, r.VerNo, InputTypeName(r), r.Burnout[0]};
    for (int k = 1; k <= 12; ++k)
        f << r.par(k).Value;
    for (const QString &c : r.ChData)
        f << c;
    return f;
}

QString fieldLabel(int index)
{
    switch (index) {
    case 0:
        return QStringLiteral("model name");
    case 1:
        return QStringLiteral("version");
    case 2:
        return QStringLiteral("input-type name");
    case 3:
        return QStringLiteral("burnout setting");
    }
    if (index < 16)
        return QStringLiteral("parameter %1 value").arg(index - 3);
    return QStringLiteral("channel %1 data").arg(index - 15);
}

// Why a text cannot be written between quotes, or empty.
QString unwritable(const QString &text)
{
    for (const char32_t c : text.toUcs4()) {
        if (c == U'"')
            return QStringLiteral("holds a double quote");
        if (c == U'\r' || c == U'\n')
            return QStringLiteral("holds a line break");
        if (c > 0xFF)
            return QStringLiteral("holds U+%1, a character outside Latin-1")
                .arg(QString::number(static_cast<uint>(c), 16).toUpper().rightJustified(4, u'0'));
    }
    return {};
}

// The table in `bytes`; faults of a line name the file as `shownAs`.
Result<CardTable> parse(const QByteArray &bytes, const QString &shownAs)
{
    const auto failure = [&shownAs](int line, const QString &why) {
        return ::failure(shownAs, line, why);
    };
    if (bytes.size() > kMaxFileBytes)
        return failure(0,
                       QStringLiteral("The file is larger than any parameter file (over 1 MB)."));

    // A byte-order mark, which some editors put in front, says the text is
    // UTF-8; without one it is Latin-1, as written.
    const QByteArray bom("\xEF\xBB\xBF");
    const bool utf8 = bytes.startsWith(bom);
    QString (*const decode)(const QByteArray &) = utf8 ? fromUtf8 : fromLatin1;
    QByteArray text = utf8 ? bytes.mid(bom.size()) : bytes;
    // Lines end in CR LF as written, LF, or a bare CR (old Mac editors). A
    // CR is never part of a field: the writer refuses it.
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    QList<QByteArray> lines = text.split('\n');
    // Editors often leave blank lines after the last one.
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();

    CardTable table;
    ResetCardTable(table);
    int fieldCount = kFieldCount;
    for (int slot = 1; slot <= kCardCount; ++slot) {
        if (slot > lines.size())
            return failure(slot, QStringLiteral("the file ends before card %1; a parameter file "
                                                "has %2 lines.")
                                     .arg(slot)
                                     .arg(kCardCount));
        const Result<QStringList> split = splitFields(lines.at(slot - 1), decode);
        if (!split)
            return failure(slot, split.reason());
        const QStringList &f = *split;
        // Older releases wrote no limit state; their lines have 32 fields.
        if (slot == 1 && f.size() == kOlderFieldCount)
            fieldCount = kOlderFieldCount;
        // Every line of a file has the same form: a count that differs means
        // a damaged line, whose values would land on the wrong parameters.
        if (f.size() != fieldCount)
            return failure(
                slot,
                QStringLiteral("%1 fields where a line needs %2.").arg(f.size()).arg(fieldCount));

        CardRecord &r = table[slot];
        r.ModelName = f.at(0);
        r.VerNo = f.at(1);
        r.Burnout[0] = f.at(3);
        for (int k = 1; k <= 12; ++k)
            r.par(k).Value = f.at(3 + k);
        for (int c = 0; c < 16; ++c)
            r.ChData[static_cast<std::size_t>(c)] = f.at(16 + c);
        if (fieldCount == kFieldCount) {
            bool ok = false;
            const int limit = f.at(kTextFields).toInt(&ok, 10);
            if (!ok)
                return failure(
                    slot, QStringLiteral("bad integer \"%1\" in field 33 (output limit state).")
                              .arg(f.at(kTextFields).left(40)));
            r.Limit = limit == 0   ? LimitState::Off
                      : limit == 1 ? LimitState::On
                                   : LimitState::NotAvailable;
        }

        if (r.ModelName.isEmpty())
            r.ModelName = QStringLiteral("NONE");
        ClassifyCard(table, slot, QString(r.ModelName));
        // The current form may carry a prefix before a colon; the older one
        // wrote the bare name.
        const QString name = fieldCount == kFieldCount ? TextAfterColon(f.at(2)) : f.at(2);
        const QStringList *names = r.kind().sensorNames();
        const qsizetype type = names ? names->indexOf(name) : -1;
        r.InputType = type < 0 ? 0 : static_cast<int>(type);
    }
    if (lines.size() > kCardCount)
        return failure(
            kCardCount + 1,
            QStringLiteral("a parameter file has %1 lines; this one has more.").arg(kCardCount));

    return table;
}

// The device's bytes, up to just past the largest parameter file.
Result<QByteArray> readAll(QIODevice &device)
{
    if (!device.isOpen() && !device.open(QIODevice::ReadOnly))
        return Result<QByteArray>::failed(
            QStringLiteral("Could not open the file: %1").arg(device.errorString()));
    QByteArray bytes;
    char buffer[16384];
    while (bytes.size() <= kMaxFileBytes) {
        const qint64 n = device.read(buffer, sizeof buffer);
        if (n < 0)
            return Result<QByteArray>::failed(
                QStringLiteral("Could not read the file: %1").arg(device.errorString()));
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<qsizetype>(n));
    }
    return bytes;
}

Result<CardTable> readDevice(QIODevice &device, const QString &shownAs)
{
    const Result<QByteArray> bytes = readAll(device);
    if (!bytes)
        return Result<CardTable>::failedAs(bytes);
    return parse(*bytes, shownAs);
}

} // namespace

QString StripQuotes(const QString &s)
{
    return s.size() > 2 ? s.mid(1, s.size() - 2) : QString();
}

Result<CardTable> ReadParameterFile(const QByteArray &bytes)
{
    return parse(bytes, {});
}

Result<CardTable> ReadParameterFile(QIODevice &device)
{
    return readDevice(device, {});
}

Result<CardTable> OpenParameterFile(const QString &path, const QString &shownAs)
{
    // Opening a FIFO or a device would wait in open() or read without end.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return Result<CardTable>::failed(
            QStringLiteral("Could not open %1: it is not a regular file.")
                .arg(QDir::toNativeSeparators(path)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<CardTable>::failed(
            QStringLiteral("Could not open %1: %2")
                .arg(QDir::toNativeSeparators(path), file.errorString()));
    // The window shows the message on its own: it says which file.
    return readDevice(file, shownAs.isEmpty() ? info.fileName() : shownAs);
}

Status CheckWritable(const CardTable &cards)
{
    for (int slot = 1; slot <= kCardCount; ++slot) {
        const QStringList f = textFields(cards[slot]);
        for (int i = 0; i < f.size(); ++i) {
            const QString why = unwritable(f.at(i));
            if (!why.isEmpty())
                return Status::failed(
                    QStringLiteral("Card %1: the %2 %3, which a parameter file cannot store.")
                        .arg(slot)
                        .arg(fieldLabel(i), why));
        }
    }
    return Done{};
}

QByteArray ParameterFileText(const CardTable &cards)
{
    QString text;
    for (int slot = 1; slot <= kCardCount; ++slot) {
        // Nothing is escaped: CheckWritable keeps quotes and line breaks out.
        for (const QString &field : textFields(cards[slot]))
            text += QLatin1Char('"') + field + QLatin1String("\",");
        text += QString::number(static_cast<int>(cards[slot].Limit)) + QLatin1String("\r\n");
    }
    return text.toLatin1();
}

Status WriteParameterFile(const CardTable &cards, const QString &path)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (const Status writable = CheckWritable(cards); !writable)
        return Status::failed(QStringLiteral("%1 was not saved. %2").arg(shown, writable.reason()));
    return SaveWholeFile(path, ParameterFileText(cards));
}
