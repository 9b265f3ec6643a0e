#include "report/sessionreport.h"

#include "exchange/session.h"

ReportHeader SessionReportHeader(const Session &session)
{
    const TableProvenance &table = session.table;
    ReportHeader header;
    (table.origin() == TableOrigin::File ? header.file : header.port) = table.source();
    header.incomplete = table.incompleteReason();
    header.partialSlot = table.partialSlot();
    if (table.uploadedOn(session.link)) {
        header.commModel = session.commCardModel;
        header.commVersion = session.commCardVersion;
        AddCommSettings(header, session.commCardRead);
        header.commSettingsRead = header.commTimeout || header.network;
    }
    return header;
}
