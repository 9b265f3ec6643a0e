#include "report/rackreport.h"

#include "files/savefile.h"
#include "model/catalogue.h"
#include "model/parametercaptions.h"
#include "model/scalelimits.h"
#include "model/slotfields.h"
#include "v9version.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <cmath>
#include <vector>

namespace {

const QString kTitle = QStringLiteral("V9CON rack report");

QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

QString row(const QString &label, const QString &value)
{
    return QStringLiteral("<tr><th align=\"left\">%1</th><td>%2</td></tr>\n")
        .arg(esc(label), esc(value));
}

QString stamp(const QDateTime &t)
{
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString className(const CardRecord &r)
{
    if (!r.holdsCard())
        return QStringLiteral("unknown model");
    static const char *names[] = {"Thermocouple",    "RTD",         "Discrete input",
                                  "Discrete output", "Pulse input", "Pulse output",
                                  "Analog"};
    const QString name = QString::fromLatin1(names[static_cast<int>(r.inputClass())]);
    return QStringLiteral("%1 (%2)").arg(name, StatusName(r.Status));
}

// The sensor name for thermocouple and RTD cards, the nominal range's unit
// for the others, as the card editor shows them.
QString inputText(const CardRecord &r, const std::optional<ScaleLimits> &limits)
{
    QString type = InputTypeName(r);
    if (limits && limits->inputType && !limits->inputType->isEmpty())
        type = *limits->inputType;
    const QString unit = limits ? limits->unit : QString();
    if (type.isEmpty())
        return unit.isEmpty() ? QStringLiteral("-") : QStringLiteral("unit %1").arg(unit);
    return unit.isEmpty() ? type : QStringLiteral("%1 (%2)").arg(type, unit);
}

QString burnoutText(const CardRecord &r)
{
    if (!r.hasSensor())
        return QStringLiteral("-");
    if (!r.isTwoChannel())
        return r.Burnout[0];
    return QStringLiteral("Ch. 1: %1, Ch. 2: %2").arg(r.Burnout[0], r.Burnout[1]);
}

QString limitText(const CardRecord &r)
{
    if (!r.kind().limitFunction)
        return QStringLiteral("-");
    return LimitStateName(r.Limit);
}

// The transformer kinds' range settings choose the high end of the base
// rows (channel n's from setting n), so the ranges printed depend on them.
// -1 is what a card record holds until the setting is read.
QString rangeSettingText(int aux)
{
    return aux == -1 ? QStringLiteral("not read") : QString::number(aux);
}

QString rangeSettingRows(const CardRecord &r)
{
    if (r.kind().hasOneRangeSetting())
        return row(QStringLiteral("Range setting"), rangeSettingText(r.AuxSetting[0]));
    if (!r.kind().hasTwoRangeSettings())
        return {};
    QString out;
    for (std::size_t n = 0; n < 2; ++n)
        out += row(QStringLiteral("Range setting, Ch. %1").arg(n + 1),
                   rangeSettingText(r.AuxSetting.at(n)));
    return out;
}

std::optional<double> number(const QString &text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    // toDouble takes "nan" and "inf", which are no value to compare.
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

// Only a number can be outside a range, and only a range with both ends.
bool outside(const QString &value, const LimitPair &range)
{
    const auto v = number(value);
    const auto low = number(range.low);
    const auto high = number(range.high);
    return v && low && high && (*v < *low || *v > *high);
}

QString valueCell(const QString &value, const std::optional<LimitPair> &range)
{
    if (!range || !outside(value, *range))
        return QStringLiteral("<td>%1</td>").arg(esc(value));
    return QStringLiteral("<td><span style=\"color:#c00000; font-weight:bold\">%1</span></td>")
        .arg(esc(value + QStringLiteral(" (outside range)")));
}

QString incompleteText(const ReportHeader &h)
{
    return QStringLiteral("Incomplete: ") + h.incomplete;
}

QString octets(const std::array<QString, 4> &boxes)
{
    // The boxes run from the last octet to the first.
    return QStringList{boxes[3], boxes[2], boxes[1], boxes[0]}.join(QLatin1Char('.'));
}

QString list(const std::array<QString, 4> &boxes)
{
    return QStringList(boxes.cbegin(), boxes.cend()).join(QStringLiteral(", "));
}

// What every page of the PDF names in its running header.
struct RunningText
{
    QString source;
    QString created;
    QString incomplete;
};

// QTextDocument::print breaks pages anywhere (a slot's heading at the foot
// of one page, its table on the next) and names nothing but the page number.
// So each part is laid out on its own at the body's width, placed whole on a
// page where it fits, and every page gets the running header and footer
// once the page count is known.
class PdfPages
{
public:
    PdfPages(QPdfWriter &writer, RunningText running);
    void place(const QStringList &parts);
    void draw();

private:
    struct Part
    {
        std::unique_ptr<QTextDocument> doc;
        int page = 0;  // where it starts, from 0
        qreal top = 0; // from the body's top
        int pages = 1; // more only for a part longer than a page
    };

    void drawRunning(QPainter &painter, int page) const;

    QPdfWriter &m_writer;
    RunningText m_running;
    QFont m_font;
    qreal m_line = 0;
    QRectF m_body;
    std::vector<Part> m_parts;
    int m_pageCount = 1;
};

PdfPages::PdfPages(QPdfWriter &writer, RunningText running)
    : m_writer(writer), m_running(std::move(running)), m_font(QGuiApplication::font())
{
    m_font.setPointSizeF(8);
    m_line = QFontMetricsF(m_font, &m_writer).lineSpacing();
    const int headerLines = m_running.incomplete.isEmpty() ? 1 : 2;
    const qreal top = (headerLines + 1) * m_line;
    m_body = QRectF(0, top, m_writer.width(), m_writer.height() - top - 2 * m_line);
}

void PdfPages::place(const QStringList &parts)
{
    int page = 0;
    qreal y = 0;
    for (const QString &html : parts) {
        Part part;
        part.doc = std::make_unique<QTextDocument>();
        // Fonts and lengths in the writer's units, as print() lays them out.
        part.doc->documentLayout()->setPaintDevice(&m_writer);
        part.doc->setHtml(html);
        part.doc->setTextWidth(m_body.width());
        const qreal height = part.doc->size().height();
        if (y > 0 && y + height > m_body.height()) {
            ++page;
            y = 0;
        }
        part.page = page;
        part.top = y;
        if (height <= m_body.height()) {
            y += height;
        } else {
            // Its own page layout breaks it between table rows.
            part.doc->setPageSize(m_body.size());
            part.pages = part.doc->pageCount();
            page += part.pages - 1;
            const QRectF last =
                part.doc->documentLayout()->blockBoundingRect(part.doc->lastBlock());
            y = last.bottom() + part.doc->documentMargin() - (part.pages - 1) * m_body.height();
        }
        m_parts.push_back(std::move(part));
    }
    m_pageCount = page + 1;
}

void PdfPages::draw()
{
    QPainter painter(&m_writer);
    int current = 0;
    drawRunning(painter, current);
    for (const Part &part : m_parts) {
        for (int i = 0; i < part.pages; ++i) {
            while (current < part.page + i) {
                m_writer.newPage();
                drawRunning(painter, ++current);
            }
            painter.save();
            painter.translate(m_body.left(), m_body.top() + part.top - i * m_body.height());
            part.doc->drawContents(&painter, QRectF(0, i * m_body.height(), m_body.width(),
                                                    m_body.height() - part.top));
            painter.restore();
        }
    }
}

void PdfPages::drawRunning(QPainter &painter, int page) const
{
    painter.save();
    painter.setFont(m_font);
    const QFontMetricsF metrics(m_font, &m_writer);
    const qreal width = m_body.width();
    QRectF line(0, 0, width, m_line);
    const QString source =
        metrics.elidedText(m_running.source, Qt::ElideMiddle,
                           width - metrics.horizontalAdvance(m_running.created) - 4 * m_line);
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, source);
    painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, m_running.created);
    if (!m_running.incomplete.isEmpty()) {
        line.translate(0, m_line);
        QFont bold = m_font;
        bold.setBold(true);
        painter.setFont(bold);
        painter.setPen(QColor(0xc0, 0, 0));
        painter.drawText(
            line, Qt::AlignLeft | Qt::AlignVCenter,
            QFontMetricsF(bold, &m_writer).elidedText(m_running.incomplete, Qt::ElideRight, width));
    }
    const qreal rule = line.bottom() + m_line / 3;
    painter.setPen(QPen(Qt::black, m_writer.resolution() / 200.0));
    painter.drawLine(QPointF(0, rule), QPointF(width, rule));
    painter.setFont(m_font);
    painter.drawText(QRectF(0, m_writer.height() - m_line, width, m_line),
                     Qt::AlignHCenter | Qt::AlignVCenter,
                     QStringLiteral("Page %1 of %2").arg(page + 1).arg(m_pageCount));
    painter.restore();
}

} // namespace

void AddCommSettings(ReportHeader &header, const QMap<QString, QString> &read)
{
    if (read.contains(QStringLiteral("09")))
        header.commTimeout = read.value(QStringLiteral("09"));
    if (!read.contains(QStringLiteral("59")))
        return;
    EthernetSettings net;
    // Addresses are kept dotted, first octet first; the boxes run backwards.
    const auto boxes = [&read](const char *item) {
        const QStringList parts = read.value(QLatin1String(item)).split(QLatin1Char('.'));
        std::array<QString, 4> out;
        for (int i = 0; i < 4 && i < parts.size(); ++i)
            out.at(static_cast<std::size_t>(3 - i)) = parts.at(i);
        return out;
    };
    net.ip = boxes("59");
    net.mask = boxes("60");
    for (std::size_t i = 0; i < 4; ++i) {
        net.port.at(i) = read.value(QString::number(61 + static_cast<int>(i)));
        net.linger.at(i) = read.value(QString::number(71 + static_cast<int>(i)));
    }
    header.network = net;
}

RackReport::RackReport(const CardTable &cards, ReportHeader header,
                       std::optional<QList<Difference>> differences)
    : m_cards(cards), m_header(std::move(header)), m_differences(std::move(differences))
{
    if (!m_header.created.isValid())
        m_header.created = QDateTime::currentDateTime();
}

QString RackReport::headerHtml() const
{
    const ReportHeader &h = m_header;
    QString out;
    if (!h.incomplete.isEmpty())
        out += QStringLiteral("<p><span style=\"color:#c00000; font-weight:bold\">%1</span></p>\n")
                   .arg(esc(incompleteText(h)));
    out += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">\n");
    if (!h.rackName.isEmpty())
        out += row(QStringLiteral("Rack"), h.rackName);
    out += row(QStringLiteral("Created"), stamp(h.created));
    out += row(QStringLiteral("Program"), QStringLiteral("V9CON " V9_VERSION));
    if (!h.file.isEmpty()) {
        const QFileInfo info(h.file);
        out += row(QStringLiteral("Parameter file"), QDir::toNativeSeparators(h.file));
        if (info.exists())
            out += row(QStringLiteral("File date"), stamp(info.lastModified()));
    } else if (!h.port.isEmpty()) {
        out += row(QStringLiteral("Uploaded from"), h.port);
    }
    if (!h.commModel.isEmpty())
        out += row(QStringLiteral("Communication card"), h.commModel);
    if (!h.commVersion.isEmpty())
        out += row(QStringLiteral("Card version"), h.commVersion);
    if (h.commSettingsRead) {
        if (h.commTimeout)
            out += row(QStringLiteral("Time-out"), *h.commTimeout);
        if (h.network) {
            out += row(QStringLiteral("IP address"), octets(h.network->ip));
            out += row(QStringLiteral("Subnet mask"), octets(h.network->mask));
            out += row(QStringLiteral("Ports"), list(h.network->port));
            out += row(QStringLiteral("Linger times"), list(h.network->linger));
        }
    } else if (!h.commModel.isEmpty()) {
        out += QStringLiteral("<tr><td colspan=\"2\">%1</td></tr>\n")
                   .arg(esc(QStringLiteral("Communication card settings: not read "
                                           "(an Upload does not read them)")));
    }
    return out + QStringLiteral("</table>\n");
}

QString RackReport::slotHtml(int slot) const
{
    const CardRecord &r = m_cards[slot];
    const std::optional<ScaleLimits> limits = ScaleLimitsFor(r);
    const QString partly = slot == m_header.partialSlot
                               ? QStringLiteral(" (partly read: values may be missing)")
                               : QString();
    QString out = QStringLiteral("<h2 id=\"slot-%1\">Slot %1: %2</h2>\n")
                      .arg(slot)
                      .arg(esc(r.ModelName + partly));
    out += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">\n");
    out += row(QStringLiteral("Model"), r.ModelName);
    out += row(QStringLiteral("Version"), r.VerNo);
    out += row(QStringLiteral("Class"), className(r));
    out += row(QStringLiteral("Input type"), inputText(r, limits));
    out += row(QStringLiteral("Burnout"), burnoutText(r));
    out += row(QStringLiteral("Limit function"), limitText(r));
    if (r.isDiscrete()) {
        QStringList states;
        for (int c = 0; c < r.channels() && c < 16; ++c)
            states << r.ChData.at(static_cast<std::size_t>(c));
        out += row(QStringLiteral("Channel states"), states.join(QLatin1Char(' ')));
    }
    out += rangeSettingRows(r);
    const QMap<int, QString> tags = m_header.tags.value(slot);
    if (!tags.isEmpty()) {
        QStringList named;
        for (auto it = tags.begin(); it != tags.end(); ++it)
            named << QStringLiteral("Ch. %1: %2").arg(it.key()).arg(it.value());
        out += row(QStringLiteral("Channel tags"), named.join(QStringLiteral(", ")));
    }
    out += QStringLiteral("</table>\n");

    QString rows;
    for (int k = 1; k <= 12; ++k) {
        QString caption = ParameterCaption(r, k);
        if (caption.isEmpty())
            continue;
        // A channel's parameter carries the channel's tag.
        static const QRegularExpression channel(QStringLiteral("Ch\\. (\\d+)"));
        if (const auto m = channel.match(caption); m.hasMatch() && !tags.isEmpty())
            if (const QString tag = tags.value(m.captured(1).toInt()); !tag.isEmpty())
                caption += QStringLiteral(" [%1]").arg(tag);
        const std::optional<LimitPair> range = ParameterRange(r, k);
        rows += QStringLiteral("<tr><td>%1</td>%2<td>%3</td></tr>\n")
                    .arg(esc(caption), valueCell(r.par(k).Value, range),
                         range ? esc(QStringLiteral("%1 to %2").arg(range->low, range->high))
                               : QString());
    }
    if (!rows.isEmpty())
        out += QStringLiteral("<p></p><table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" "
                              "width=\"100%\">\n<tr><th align=\"left\" width=\"40%\">Parameter</th>"
                              "<th align=\"left\" width=\"25%\">Value</th>"
                              "<th align=\"left\" width=\"35%\">Range</th></tr>\n") +
               rows + QStringLiteral("</table>\n");
    return out;
}

QString RackReport::differencesHtml() const
{
    const QString file = m_header.comparedFile.isEmpty()
                             ? QStringLiteral("the compared file")
                             : QDir::toNativeSeparators(m_header.comparedFile);
    QString out = QStringLiteral("<h2>Differences from %1</h2>\n").arg(esc(file));
    if (m_differences->isEmpty())
        return out + QStringLiteral("<p>None: the table matches the file.</p>\n");
    out += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n"
                          "<tr><th align=\"left\">Slot</th><th align=\"left\">Field</th>"
                          "<th align=\"left\">File</th><th align=\"left\">Table</th></tr>\n");
    for (const Difference &d : *m_differences)
        out += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td></tr>\n")
                   .arg(QString::number(d.slot),
                        esc(d.informational ? d.field + QStringLiteral(" (live value)") : d.field),
                        esc(d.fileValue), esc(d.rackValue));
    return out + QStringLiteral("</table>\n");
}

QStringList RackReport::partsHtml() const
{
    const QString title = m_header.rackName.isEmpty()
                              ? kTitle
                              : QStringLiteral("%1: %2").arg(kTitle, m_header.rackName);
    QStringList parts{QStringLiteral("<h1>%1</h1>\n").arg(esc(title)) + headerHtml()};
    for (int slot = 1; slot <= kCardCount; ++slot)
        if (m_cards[slot].namesModel())
            parts << slotHtml(slot);
    // Without a comparison nothing is said about one.
    if (m_differences)
        parts << differencesHtml();
    parts << signOffHtml();
    return parts;
}

QString RackReport::signOffHtml() const
{
    // Names given on the command line are printed; the rest is signed on paper.
    const QString blank(40, QLatin1Char('_'));
    const auto line = [&blank](const QString &label, const QString &value) {
        return QStringLiteral("<tr><td width=\"30%\">%1</td><td>%2</td></tr>\n")
            .arg(esc(label), esc(value.isEmpty() ? blank : value));
    };
    return QStringLiteral("<h2>Sign-off</h2>\n<table cellspacing=\"0\" cellpadding=\"8\">\n") +
           line(QStringLiteral("Performed by"), m_header.performedBy) +
           line(QStringLiteral("Signature"), {}) +
           line(QStringLiteral("Witnessed by"), m_header.witnessedBy) +
           line(QStringLiteral("Signature"), {}) + line(QStringLiteral("Date"), {}) +
           QStringLiteral("</table>\n");
}

QString RackReport::html() const
{
    return QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                          "<title>%1</title></head>\n<body>\n")
               .arg(kTitle) +
           partsHtml().join(QString()) + QStringLiteral("</body></html>\n");
}

std::unique_ptr<QTextDocument> RackReport::document() const
{
    auto doc = std::make_unique<QTextDocument>();
    doc->setHtml(html());
    doc->setMetaInformation(QTextDocument::DocumentTitle, kTitle);
    return doc;
}

QByteArray RackReport::pdf() const
{
    const ReportHeader &h = m_header;
    RunningText running;
    running.source = !h.file.isEmpty()
                         ? QStringLiteral("Parameter file %1").arg(QDir::toNativeSeparators(h.file))
                     : !h.port.isEmpty() ? QStringLiteral("Uploaded from %1").arg(h.port)
                                         : kTitle;
    running.created = QStringLiteral("Created %1").arg(stamp(h.created));
    if (!h.incomplete.isEmpty())
        running.incomplete = incompleteText(h);

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(kTitle);
        writer.setCreator(QStringLiteral("V9CON " V9_VERSION));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        PdfPages pages(writer, running);
        pages.place(partsHtml());
        pages.draw();
    }
    return bytes;
}

QString RackReport::formatProblem(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf") || suffix == QLatin1String("html") ||
        suffix == QLatin1String("htm"))
        return {};
    return QStringLiteral("Could not save %1: a report is written as .pdf, .html or .htm")
        .arg(QDir::toNativeSeparators(path));
}

Status RackReport::save(const QString &path) const
{
    if (const QString problem = formatProblem(path); !problem.isEmpty())
        return Status::failed(problem);
    const bool isPdf =
        QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0;
    return SaveWholeFile(path, isPdf ? pdf() : html().toUtf8());
}
