#include "link/portprovider.h"

std::unique_ptr<LinkPort> SerialPortProvider::create(int comNo)
{
    return MakeLinkPort(describe(comNo), m_timing);
}

QString SerialPortProvider::describe(int comNo) const
{
    if (m_map.contains(comNo))
        return m_map.value(comNo);
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(comNo);
#else
    return QStringLiteral("/dev/ttyS%1").arg(comNo - 1);
#endif
}
