#include "app/comparecommands.h"

#include "exchange/session.h"
#include "files/parameterfile.h"
#include "model/comparison.h"
#include "monitor/frmoverview.h"
#include "ui/filedialogs.h"
#include "ui/messages.h"
#include "views/frmcompare.h"

#include <QFileInfo>
#include <QSet>

frmCompare *CompareCommands::window() const
{
    return m_window;
}

std::optional<CompareCommands::Comparison> CompareCommands::current() const
{
    if (m_last && m_last->generation == m_session.table.generation())
        return m_last;
    return std::nullopt;
}

void CompareCommands::dropIfOutOfDate()
{
    if (!m_last || current())
        return;
    m_last.reset();
    m_overview.markDifferentSlots({});
    // Its list was of a table that is no more; left open it would mislead.
    if (m_window)
        m_window->hide();
}

void CompareCommands::mnuFilesCompare_Click()
{
    // A table half way through a transfer would compare as half old, half new.
    OperationGate::Ticket ticket = m_session.gate.begin(QStringLiteral("Compare"));
    if (!ticket)
        return;
    const QString path = FileDialogs::choose(m_main, FileDialogs::Mode::Open);
    if (!path.isEmpty())
        compareWith(path);
}

void CompareCommands::compareWith(const QString &path)
{
    // Refused as Open refuses it: a damaged file has nothing to compare.
    const Result<CardTable> loaded = OpenParameterFile(path);
    if (!loaded) {
        Messages::show(m_main, Messages::Icon::None, QStringLiteral("V9CON"), loaded.reason());
        return;
    }
    const QList<Difference> differences = CompareTables(*loaded, m_session.cards);
    // Live values move by themselves; only settings mark a slot.
    QSet<int> differing;
    for (const Difference &d : differences)
        if (!d.informational)
            differing.insert(d.slot);
    const QString name = QFileInfo(path).fileName();
    m_overview.markDifferentSlots(differing, name);
    m_last = Comparison{path, differences, m_session.table.generation()};

    if (!m_window) {
        m_window = new frmCompare(m_main);
        m_window->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_window->showDifferences(name, differences);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}
