#pragma once

#include <QString>

// Program-wide state with one owner each.
struct GlobalState
{
    int SelectedCardNo = 0;
    int ComPortNo = 1;
    QString CommBaudRate = QStringLiteral("1200");
    bool IsConnected = false;
    bool IsMonitoring = false;
    bool Initialising = false;
};

// Start values of the global state; the catalogue itself is built on first use.
void InitTables(GlobalState &state);
