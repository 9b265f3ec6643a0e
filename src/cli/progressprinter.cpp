#include "cli/progressprinter.h"

#include "cli/console.h"

#include <QTextStream>

void ProgressPrinter::progressStarted(int steps, const QString &caption)
{
    m_caption = caption;
    m_steps = steps;
    m_done = 0;
    m_open = true;
    print();
}

void ProgressPrinter::progressAdvanced()
{
    ++m_done;
    print();
}

void ProgressPrinter::progressFinished()
{
    // The bar's line is ended so that whatever follows starts on its own.
    if (m_open && m_console.errIsTerminal)
        m_console.err << Qt::endl;
    m_open = false;
}

void ProgressPrinter::print()
{
    const QString text = QStringLiteral("%1 %2/%3").arg(m_caption).arg(m_done).arg(m_steps);
    if (m_console.errIsTerminal)
        m_console.err << '\r' << text << Qt::flush;
    else
        m_console.err << text << Qt::endl;
}

void ProgressPrinter::requestStop()
{
    m_stop = true;
    if (m_open && m_console.errIsTerminal)
        m_console.err << Qt::endl;
    m_console.err << "Stopping after the slot in progress; Ctrl-C again stops at once" << Qt::endl;
    if (m_open && m_console.errIsTerminal)
        print();
}
