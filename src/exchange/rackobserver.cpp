#include "exchange/rackobserver.h"

#include "link/serialline.h"
#include "model/cardrecord.h"

QString SlotProgressText(int cardNo, const QString &model)
{
    const QString slot = QStringLiteral("Slot %1 of %2").arg(cardNo).arg(kCardCount);
    return model.isEmpty() ? slot : slot + QStringLiteral(": ") + model;
}

QString RetryText(int attempt, int attempts)
{
    return QStringLiteral("no answer, try %1 of %2").arg(attempt).arg(attempts);
}

QString FailurePlace(int slot, const QString &model, const QString &item, bool silent)
{
    QString place = slot == 0 ? QStringLiteral("Communication card") : QStringLiteral("Slot %1").arg(slot);
    if (slot > 0 && !model.isEmpty())
        place += QStringLiteral(": ") + model;
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
