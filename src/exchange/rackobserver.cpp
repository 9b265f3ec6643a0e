#include "exchange/rackobserver.h"

#include "link/serialline.h"
#include "model/cardrecord.h"
#include "model/catalogue.h"

QString SlotProgressText(int cardNo, const QString &model)
{
    const QString slot = QStringLiteral("Slot %1 of %2").arg(cardNo).arg(kCardCount);
    return model.isEmpty() ? slot : slot + QStringLiteral(": ") + model;
}

QString RetryText(int attempt, int attempts)
{
    return QStringLiteral("no answer, try %1 of %2").arg(attempt).arg(attempts);
}

QString FailurePlace(const CardTable &cards, int slot, const QString &item, bool silent)
{
    if (slot < 0 || slot > kCardCount)
        return {};
    QString place =
        slot == 0 ? QStringLiteral("Communication card") : QStringLiteral("Slot %1").arg(slot);
    // A model is named once the upload has read it.
    if (slot > 0 && cards[slot].holdsCard())
        place += QStringLiteral(": ") + cards[slot].ModelName;
    if (!item.isEmpty())
        place += QStringLiteral(", item ") + item;
    if (silent)
        place += QStringLiteral(": no answer");
    return place;
}

RetryRelay::RetryRelay(SerialLine &line, RackObserver &observer)
    : m_connection(QObject::connect(&line, &SerialLine::retrying, &line,
                                    [&observer](int attempt, int attempts) {
                                        observer.transactionRetrying(attempt, attempts);
                                    }))
{
}

RetryRelay::~RetryRelay()
{
    QObject::disconnect(m_connection);
}

OperationCancel::OperationCancel(SerialLine &line, RackObserver &observer)
    : m_line(line), m_observer(observer)
{
    m_line.setCancelToken(m_token);
    m_observer.cancelOffered(m_token);
}

OperationCancel::~OperationCancel()
{
    m_line.setCancelToken(std::nullopt);
    m_observer.cancelWithdrawn();
}
