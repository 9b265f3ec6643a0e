#pragma once

#include <QString>

class QWidget;

// The main window's side of connecting: how the link state is shown.
class LinkDisplay
{
public:
    virtual ~LinkDisplay() = default;
    // Lamp, port text, status text and the Connect/Disconnect menu items.
    virtual void showLinkState(bool connected, const QString &portText) = 0;
    // The communication card the link reaches: its model, no version
    // until an Upload reads it.
    virtual void showCommCard(const QString &model) = 0;
    // The "Ethernet Setting" frame, for the Ethernet communication card only.
    virtual void setEthernetCommandsVisible(bool visible) = 0;
    // The commands follow the link just set up or given up.
    virtual void refreshCommands() = 0;
    virtual QWidget *messageParent() = 0;
};
