#pragma once

// The whole program on a simulated rack: a session, its main window, the
// message boxes recorded instead of shown.
#include "app/frmv9con.h"
#include "exchange/session.h"
#include "sim/demorack.h"
#include "sim/simulatedports.h"
#include "sim/simulatedrack.h"
#include "ui/messages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

struct RecordedMessage
{
    Messages::Icon icon;
    QString title;
    QString text;
    QString informative = {};
};

// "R13" reads item 13, "W9=0" writes "0" to item 9, both at `card`: the
// command lines they make, without CR.
inline QStringList expandSteps(const QString &card, const QString &steps)
{
    QStringList out;
    for (const QString &s : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        out << QLatin1Char('G') + card;
        if (s.startsWith(QLatin1Char('R'))) {
            out << QLatin1Char('I') + s.mid(1);
        } else {
            const qsizetype eq = s.indexOf(QLatin1Char('='));
            out << QLatin1Char('I') + s.mid(1, eq - 1) << QLatin1Char('D') + s.mid(eq + 1);
        }
    }
    return out;
}

// What the program remembers (last port, folder, recent files, geometry)
// goes to a folder of this test process, never the user's settings, and
// no two test programs running side by side share it.
inline bool isolateSettings()
{
    static QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    return true;
}

struct AppFixture
{
    static constexpr int kTimeout = 500; // ms; the product waits 3000
    static constexpr int kModalGuardMs = 5000;

    explicit AppFixture(std::unique_ptr<SimulatedRack> r = DemoRack())
        : rack(std::move(r)), session(std::make_unique<SimulatedPortProvider>(*rack)),
          window(session)
    {
        // No pause keeps the many uploads quick.
        session.line.setTiming({kTimeout, 0, kTimeout / 6});
        // Live values stand still, so what an upload reads is known.
        rack->setClock([] { return qint64(0); });
        Messages::setHandler([this](Messages::Icon icon, const QString &title, const QString &text,
                                    const QString &informative) {
            messages.append({icon, title, text, informative});
        });
    }
    ~AppFixture() { Messages::setHandler({}); }

    // For tests that wait out silence: the simulator's replies are due at
    // once and so always come before even a short time-out.
    static constexpr int kQuickTimeout = 20;
    void quickTimeOuts(int pauseMs = 0)
    {
        session.line.setTiming({kQuickTimeout, pauseMs, kQuickTimeout / 4});
    }

    template <typename T = QWidget> T *find(const QString &name) const
    {
        return window.findChild<T *>(name);
    }
    bool enabled(const char *name) const
    {
        auto *w = find<QWidget>(QLatin1String(name));
        return w && w->isEnabled();
    }

    // Runs `act` on the next modal dialog once it shows. A dialog that never
    // comes, or that `act` leaves open, is closed after a few seconds and
    // the test fails instead of hanging until ctest gives up.
    void onModal(std::function<void(QWidget *)> act)
    {
        auto *poll = new QTimer(&window);
        QElapsedTimer clock;
        clock.start();
        QObject::connect(poll, &QTimer::timeout, &window,
                         [this, poll, clock, act, acted = false]() mutable {
                             QWidget *dialog = QApplication::activeModalWidget();
                             if (dialog && !acted) {
                                 acted = true;
                                 act(dialog);
                             } else if (!dialog && acted) {
                                 poll->deleteLater();
                             } else if (clock.elapsed() > kModalGuardMs) {
                                 modalTimedOut = true;
                                 if (auto *d = qobject_cast<QDialog *>(dialog))
                                     d->reject();
                                 poll->deleteLater();
                             }
                         });
        poll->start(5);
    }

    // Connects through the menu and the COM port dialog, as the operator does.
    void connectOn(int comNo)
    {
        onModal([comNo](QWidget *dialog) {
            if (auto *opt =
                    dialog->findChild<QAbstractButton *>(QStringLiteral("optCom_%1").arg(comNo)))
                opt->click();
            if (auto *ok = dialog->findChild<QAbstractButton *>(QStringLiteral("cmdOK")))
                ok->click();
        });
        window.mnuConnectConnect_Click();
        QVERIFY2(!modalTimedOut, "the COM port dialog did not come or did not close");
    }

    // Connected and uploaded, as most tests begin; the traffic log starts empty.
    void connectAndUpload()
    {
        connectOn(1);
        window.cmdUpload_Click();
        QVERIFY(messages.isEmpty());
        session.traffic.clear();
    }

    // Every command line the program wrote, CR removed.
    QStringList wire() const
    {
        QStringList out;
        for (const TrafficEntry &e : session.traffic.entries())
            out << QString::fromLatin1(e.command).remove(QLatin1Char('\r'));
        return out;
    }

    // First, so the window reads its settings from the test's folder.
    bool settingsIsolated = isolateSettings();
    std::unique_ptr<SimulatedRack> rack;
    Session session;
    frmV9Con window;
    QList<RecordedMessage> messages;
    bool modalTimedOut = false;
};
