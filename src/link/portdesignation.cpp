#include "link/portdesignation.h"

#include "link/memoryport.h"
#include "link/rfc2217link.h"
#include "link/serialportlink.h"
#include "link/tcplink.h"

#include <QRegularExpression>

QString SplitHostPort(const QString &text, QString &host, quint16 &port, bool allowZero)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    // A bare IPv6 address has colons of its own: it needs its brackets.
    const bool bracketed = text.startsWith(QLatin1Char('['));
    if (colon < 0 || (bracketed && text.at(colon - 1) != QLatin1Char(']')))
        return QStringLiteral("no port");
    host = text.left(colon);
    if (bracketed)
        host = host.mid(1, host.size() - 2);
    if (host.isEmpty())
        return QStringLiteral("no host");
    if (!bracketed && host.contains(QLatin1Char(':')))
        return QStringLiteral("an IPv6 address goes in brackets");
    const QString digits = text.mid(colon + 1);
    if (digits.isEmpty())
        return QStringLiteral("no port");
    bool ok = false;
    const uint n = digits.toUInt(&ok);
    if (!ok || !digits.at(0).isDigit() || n > 65535 || (n == 0 && !allowZero))
        return QStringLiteral("the port must be a number from %1 to 65535").arg(allowZero ? 0 : 1);
    port = static_cast<quint16>(n);
    return {};
}

Result<PortDesignation> ParsePortDesignation(const QString &text)
{
    auto fail = [](const QString &why) { return Result<PortDesignation>::failed(why); };
    PortDesignation d;
    d.text = text;
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*)://"));
    const QRegularExpressionMatch m = scheme.match(text);
    if (!m.hasMatch()) {
        if (text.trimmed().isEmpty())
            return fail(QStringLiteral("no port given"));
        return d;
    }
    const QString name = m.captured(1).toLower();
    if (name == QLatin1String("tcp"))
        d.kind = PortDesignation::Kind::Tcp;
    else if (name == QLatin1String("rfc2217"))
        d.kind = PortDesignation::Kind::Rfc2217;
    else
        return fail(QStringLiteral("\"%1\": unknown kind of port \"%2://\"; use a device, "
                                   "tcp://HOST:PORT or rfc2217://HOST:PORT")
                        .arg(text, m.captured(1)));
    const QString problem = SplitHostPort(text.mid(m.capturedLength()), d.host, d.port);
    if (!problem.isEmpty())
        return fail(QStringLiteral("\"%1\": %2; use %3://HOST:PORT").arg(text, problem, name));
    return d;
}

Result<ComMapping> ParseComMapping(const QString &value)
{
    auto fail = [](const QString &why) { return Result<ComMapping>::failed(why); };
    const qsizetype eq = value.indexOf(QLatin1Char('='));
    bool ok = false;
    const int n = value.left(eq).toInt(&ok);
    const QString device = value.mid(eq + 1);
    if (eq < 0 || !ok || n < 1 || n > 8 || device.isEmpty())
        return fail(
            QStringLiteral("--com expects N=DEVICE with N from 1 to 8, not \"%1\"").arg(value));
    // A network port that is not one is refused here, not when it opens.
    if (const auto d = ParsePortDesignation(device); !d)
        return fail(QStringLiteral("--com %1: %2").arg(value, d.reason()));
    return ComMapping{n, device};
}

std::unique_ptr<LinkPort> MakeLinkPort(const QString &designation, const NetworkTiming &timing)
{
    const auto d = ParsePortDesignation(designation);
    if (!d) {
        auto refused = std::make_unique<MemoryPort>(designation);
        refused->setOpenError(d.reason());
        return refused;
    }
    switch (d->kind) {
    case PortDesignation::Kind::Tcp:
        return std::make_unique<TcpLink>(*d, timing);
    case PortDesignation::Kind::Rfc2217:
        return std::make_unique<Rfc2217Link>(*d, timing);
    case PortDesignation::Kind::Device:
        break;
    }
    return std::make_unique<SerialPortLink>(designation);
}
