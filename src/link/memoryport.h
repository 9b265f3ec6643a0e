#pragma once

#include "link/linkport.h"

// An in-memory port. Written bytes are announced through `written`; whoever
// plays the rack answers with `inject`, from a timer or at once.
class MemoryPort final : public LinkPort
{
    Q_OBJECT
public:
    explicit MemoryPort(QString name = QStringLiteral("memory"), QObject *parent = nullptr);

    QString open(const LineSettings &settings) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    bool write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    void discardInput() override { m_rx.clear(); }
    QString describe() const override { return m_name; }

    // Bytes from the far end; readyRead follows at once.
    void inject(const QByteArray &bytes);
    // Simulates an unplugged adapter.
    void fail(const QString &reason);
    // Makes the next open() fail with this reason (empty: open succeeds).
    void setOpenError(const QString &reason) { m_openError = reason; }

    // The line it was last opened at, as a message names it ("1200,n,8,1").
    QString settings() const { return m_settings; }
    QByteArray pendingInput() const { return m_rx; }

signals:
    void written(const QByteArray &bytes);

private:
    QString m_name;
    QString m_settings;
    QString m_openError;
    QByteArray m_rx;
    bool m_open = false;
};
