#include "link/memoryport.h"

MemoryPort::MemoryPort(QString name, QObject *parent) : LinkPort(parent), m_name(std::move(name)) {}

QString MemoryPort::open(const LineSettings &settings)
{
    if (!m_openError.isEmpty())
        return m_openError;
    m_settings = LineSettingsText(settings);
    m_rx.clear();
    m_open = true;
    return {};
}

void MemoryPort::close()
{
    if (!m_open)
        return;
    m_open = false;
    m_rx.clear();
    emit failed(QStringLiteral("Port closed"));
}

bool MemoryPort::write(const QByteArray &bytes)
{
    if (!m_open)
        return false;
    emit written(bytes);
    return true;
}

QByteArray MemoryPort::readAll()
{
    QByteArray out;
    out.swap(m_rx);
    return out;
}

void MemoryPort::inject(const QByteArray &bytes)
{
    if (!m_open)
        return;
    m_rx.append(bytes);
    emit readyRead();
}

void MemoryPort::fail(const QString &reason)
{
    if (!m_open)
        return;
    m_open = false;
    m_rx.clear();
    emit failed(reason);
}
