// Takes the documentation's pictures of windows that only show in the middle
// of something: the progress window while a card keeps silent, a failure
// message, the COM port dialog and the card selector's open list. Runs the
// real main window against the simulated demo rack.
#include "app/frmv9con.h"
#include "exchange/session.h"
#include "sim/demorack.h"
#include "sim/simulatedports.h"
#include "sim/simulatedrack.h"
#include "ui/frmloading.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

namespace {

QString g_folder;

void save(QWidget *w, const char *name)
{
    const QString path = QDir(g_folder).filePath(QString::fromLatin1(name));
    const QPixmap picture = w ? w->grab() : QPixmap();
    if (picture.isNull() || !picture.save(path))
        std::fprintf(stderr, "could not save %s (%s)\n", qPrintable(path),
                     picture.isNull() ? "nothing to grab" : "write failed");
    else
        std::printf("%s\n", qPrintable(path));
}

// Grabs the next modal window once it has painted (unless name is null),
// then presses its OK button or closes it.
void grabNextModal(const char *name)
{
    auto *poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, name] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        poll->stop();
        poll->deleteLater();
        QTimer::singleShot(300, modal, [modal, name] {
            if (name)
                save(modal, name);
            if (auto *ok = modal->findChild<QAbstractButton *>(QStringLiteral("cmdOK")))
                ok->click();
            else
                modal->close();
        });
    });
    poll->start(50);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    g_folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    auto rack = DemoRack();
    Session session(std::make_unique<SimulatedPortProvider>(*rack));
    // Short time-outs keep the silent card's retries quick.
    session.line.setTiming({400, 10, 100});
    frmV9Con window(session);
    window.show();

    grabNextModal("v9con-comport.png");
    window.mnuConnectConnect_Click();

    // A card that keeps silent on its version: the detail line shows the
    // retries, and the upload then ends with the failure message.
    rack->setCardFaults(5, {.silent = true, .onlyItem = 40});
    QObject::connect(&session.traffic, &TrafficLog::appended, &window, [&](const TrafficEntry &) {
        static bool taken = false;
        auto *detail = window.loading()->findChild<QLabel *>(QStringLiteral("lblDetail"));
        if (!taken && detail->text().endsWith(QStringLiteral("try 3 of 4"))) {
            taken = true;
            save(window.loading(), "v9con-progress.png");
        }
    });
    grabNextModal("v9con-failure.png");
    window.cmdUpload_Click();

    // Connected again with the card answering: the selector's list.
    rack->setCardFaults(5, {});
    grabNextModal(nullptr);
    window.mnuConnectConnect_Click();
    window.cmdUpload_Click();
    auto *selector = window.findChild<QComboBox *>(QStringLiteral("cboCardNo"));
    selector->showPopup();
    QTimer::singleShot(300, &window, [&] {
        save(selector->view()->window(), "v9con-selector.png");
        selector->hidePopup();
        QApplication::quit();
    });
    return QApplication::exec();
}
