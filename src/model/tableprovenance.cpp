#include "model/tableprovenance.h"

void TableProvenance::uploadStarted(const QString &port, quint64 link)
{
    m_origin = TableOrigin::Upload;
    m_source = port;
    m_link = link;
    m_incomplete = QStringLiteral("upload not completed");
    m_partialSlot = 0;
    m_file.clear();
    changed();
}

void TableProvenance::uploadCompleted()
{
    m_incomplete.clear();
    m_partialSlot = 0;
    changed();
}

void TableProvenance::uploadStopped(const QString &reason, int partialSlot)
{
    m_incomplete = reason;
    m_partialSlot = partialSlot;
    changed();
}

void TableProvenance::opened(const QString &path)
{
    m_origin = TableOrigin::File;
    m_source = path;
    m_file = path;
    m_link = 0;
    m_incomplete.clear();
    m_partialSlot = 0;
    changed();
}

void TableProvenance::savedAs(const QString &path)
{
    m_file = path;
}
