#include "cli/progressprinter.h"

#include "cli/console.h"

#include <QTextStream>

void ProgressPrinter::progressStarted(int steps, const QString &caption)
{
    m_caption = caption;
    m_steps = steps;
    m_done = 0;
    m_open = true;
    m_detail.clear();
    m_retry.clear();
    m_width = 0;
    print();
}

void ProgressPrinter::progressAdvanced()
{
    ++m_done;
    m_retry.clear();
    print();
}

void ProgressPrinter::progressFinished()
{
    // The bar's line is ended so that whatever follows starts on its own.
    if (m_open && m_console.errIsTerminal)
        m_console.err << Qt::endl;
    m_open = false;
}

void ProgressPrinter::progressDetail(const QString &text)
{
    m_detail = text;
    m_retry.clear();
    if (m_open && m_console.errIsTerminal)
        print();
    else
        printLine(m_detail);
}

void ProgressPrinter::transactionRetrying(int attempt, int attempts)
{
    m_retry = RetryText(attempt, attempts);
    if (m_open && m_console.errIsTerminal)
        print();
    else
        printLine(m_detail.isEmpty() ? m_retry : m_detail + QStringLiteral(", ") + m_retry);
}

void ProgressPrinter::operationFailed(const QString & /*title*/, const QString & /*text*/,
                                      const QString &detail)
{
    m_failurePlace = detail;
}

void ProgressPrinter::print()
{
    const QString bar = QStringLiteral("%1 %2/%3").arg(m_caption).arg(m_done).arg(m_steps);
    if (!m_console.errIsTerminal) {
        printLine(bar);
        return;
    }
    QString text = bar;
    if (!m_detail.isEmpty())
        text += QStringLiteral("  ") + m_detail;
    if (!m_retry.isEmpty())
        text += QStringLiteral(", ") + m_retry;
    const qsizetype width = text.size();
    if (width < m_width)
        text += QString(m_width - width, QLatin1Char(' '));
    m_width = width;
    m_console.err << '\r' << text << Qt::flush;
}

void ProgressPrinter::printLine(const QString &text)
{
    m_console.err << text << Qt::endl;
}

void ProgressPrinter::requestStop()
{
    m_stop = true;
    if (m_open && m_console.errIsTerminal)
        m_console.err << Qt::endl;
    m_console.err << "Stopping after the slot in progress; Ctrl-C again stops at once" << Qt::endl;
    if (m_open && m_console.errIsTerminal) {
        m_width = 0;
        print();
    }
}
