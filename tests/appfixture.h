#pragma once

// The whole program on a simulated rack: a session, its main window, the
// message boxes recorded instead of shown.
#include "app/frmv9con.h"
#include "app/messages.h"
#include "app/session.h"
#include "app/simulatedports.h"
#include "sim/simulatedrack.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>

struct RecordedMessage
{
    Messages::Icon icon;
    QString title;
    QString text;
};

struct AppFixture
{
    static constexpr int kTimeout = 500; // ms; the product waits 3000

    explicit AppFixture(std::unique_ptr<SimulatedRack> r = SimulatedRack::demo())
        : rack(std::move(r)), session(std::make_unique<SimulatedPortProvider>(*rack)),
          window(session)
    {
        session.line.setTiming({kTimeout, 0});
        Messages::setHandler([this](Messages::Icon icon, const QString &title, const QString &text) {
            messages.append({icon, title, text});
        });
    }
    ~AppFixture() { Messages::setHandler({}); }

    template <typename T = QWidget> T *find(const QString &name) const
    {
        return window.findChild<T *>(name);
    }
    bool enabled(const char *name) const
    {
        auto *w = find<QWidget>(QLatin1String(name));
        return w && w->isEnabled();
    }

    // Connects through the menu and the COM port dialog, as the operator does.
    void connectOn(int comNo)
    {
        QTimer::singleShot(0, &window, [comNo] {
            QWidget *dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            if (auto *opt = dialog->findChild<QAbstractButton *>(QStringLiteral("optCom_%1").arg(comNo)))
                opt->click();
            if (auto *ok = dialog->findChild<QAbstractButton *>(QStringLiteral("cmdOK")))
                ok->click();
        });
        window.mnuConnectConnect_Click();
    }

    // Every command line the program wrote, CR removed.
    QStringList wire() const
    {
        QStringList out;
        for (const TrafficEntry &e : session.traffic.entries())
            out << QString::fromLatin1(e.command).remove(QLatin1Char('\r'));
        return out;
    }

    std::unique_ptr<SimulatedRack> rack;
    Session session;
    frmV9Con window;
    QList<RecordedMessage> messages;
};
