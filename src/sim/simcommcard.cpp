#include "sim/simcommcard.h"

#include "sim/simvalues.h"

namespace {

enum Item
{
    Selector = 1,
    Model = 4,
    Installed = 6,
    Timeout = 9,
    Version = 40,
    Key = 41,
    MacFirst = 57,
    MacSecond = 58,
    Address = 59,
    Subnet = 60,
    FirstPort = 61,
    LastPort = 64,
    FirstLinger = 71,
    LastLinger = 74,
};

} // namespace

SimCommCard::SimCommCard(QString model, QString version)
    : m_model(std::move(model)), m_version(std::move(version))
{
    m_values = {
        {Selector, QStringLiteral("0")},           {Key, QStringLiteral("0")},
        {Timeout, QStringLiteral("300")},          {MacFirst, QStringLiteral("00-1B-2C")},
        {MacSecond, QStringLiteral("3D-4E-5F")},   {Address, QStringLiteral("192.168.0.10")},
        {Subnet, QStringLiteral("255.255.255.0")},
    };
    for (int i = 0; i < 4; ++i) {
        m_values[FirstPort + i] = QString::number(5001 + i);
        m_values[FirstLinger + i] = QStringLiteral("0");
    }
}

bool SimCommCard::isEthernetItem(int item) const
{
    // Linger times came with firmware 0.04; older cards answer them "CNU".
    if (item >= FirstLinger && item <= LastLinger) {
        bool ok = false;
        const double version = m_version.toDouble(&ok);
        return !ok || version >= 0.04;
    }
    return item >= MacFirst && item <= LastPort;
}

bool SimCommCard::hasItem(int item) const
{
    switch (item) {
    case Selector:
    case Model:
    case Installed:
    case Timeout:
    case Version:
    case Key:
        return true;
    default:
        return isEthernet() && isEthernetItem(item);
    }
}

QByteArray SimCommCard::reply(const char *prefix, const QString &value) const
{
    return QByteArrayLiteral("0") + prefix + ':' + value.toLatin1();
}

QByteArray SimCommCard::read(int item, qint64) const
{
    if (!hasItem(item))
        return kCnu;
    switch (item) {
    // The model name comes before the colon: the program shows that part.
    case Model:
        return '0' + m_model.toLatin1() + ":COMM";
    case Version:
        return reply("VR", m_version);
    case Installed: {
        const auto forced = m_values.find(Installed);
        return reply("IC", forced != m_values.end() ? forced->second : hex4(m_installed));
    }
    case Timeout:
        if (m_timeoutRefused)
            return kCng;
        return reply("TO", m_values.at(Timeout));
    case Selector:
        return reply("SL", m_values.at(Selector));
    case Key:
        return reply("KY", m_values.at(Key));
    case MacFirst:
        return reply("MA", m_values.at(MacFirst));
    // The second half of the MAC address only shows once "F" selects it.
    case MacSecond:
        if (m_values.at(Selector) != QLatin1String("F"))
            return kCng;
        return reply("MA", m_values.at(MacSecond));
    case Address:
        return reply("IP", m_values.at(Address));
    case Subnet:
        return reply("SM", m_values.at(Subnet));
    default:
        break;
    }
    if (item >= FirstPort && item <= LastPort)
        return reply("PT", m_values.at(item));
    // Linger times carry the socket number as a second field.
    return reply("LG", QString::number(item - 70) + QLatin1Char(':') + m_values.at(item));
}

bool SimCommCard::accepts(int item, const QString &data) const
{
    switch (item) {
    case Selector:
        return data == QLatin1String("0") || data == QLatin1String("1") ||
               data == QLatin1String("F");
    case Key:
        return wholeNumber(data, 0, 9999).has_value();
    case Timeout:
        return !m_timeoutRefused && wholeNumber(data, 0, 32767).has_value();
    case Address:
    case Subnet:
        return isDottedQuad(data);
    default:
        break;
    }
    if (item >= FirstPort && item <= LastPort)
        return wholeNumber(data, 1, 65535).has_value();
    if (item >= FirstLinger && item <= LastLinger)
        return wholeNumber(data, 0, 32767).has_value();
    return false; // identity, mask and MAC address are read-only
}

QByteArray SimCommCard::write(int item, const QString &data)
{
    if (!hasItem(item))
        return kCnu;
    if (!accepts(item, data))
        return kCng;
    m_values[item] = data;
    return QByteArrayLiteral("0:") + data.toLatin1();
}

bool SimCommCard::setValue(int item, const QString &text)
{
    // A mask text set here replaces the one the occupied slots give, so a
    // garbled mask can be played.
    if (!hasItem(item) || item == Model || item == Version)
        return false;
    m_values[item] = text;
    return true;
}
