#include "app/options.h"

AppOptions parseOptions(const QStringList &arguments)
{
    AppOptions o;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            o.help = true;
        } else if (a == QLatin1String("--simulate")) {
            o.simulate = true;
            if (i + 1 < arguments.size() && !arguments.at(i + 1).startsWith(QLatin1String("-")))
                o.rackFile = arguments.at(++i);
        } else if (a == QLatin1String("--com") || a.startsWith(QLatin1String("--com="))) {
            QString spec = a == QLatin1String("--com") ? arguments.value(++i) : a.mid(6);
            const qsizetype eq = spec.indexOf(QLatin1Char('='));
            bool ok = false;
            const int n = spec.left(eq).toInt(&ok);
            if (eq < 0 || !ok || n < 1 || n > 8 || spec.mid(eq + 1).isEmpty()) {
                o.error = QStringLiteral("--com expects N=DEVICE with N from 1 to 8, not \"%1\"")
                              .arg(spec);
                return o;
            }
            o.comDevices.insert(n, spec.mid(eq + 1));
        } else {
            o.error = QStringLiteral("Unknown option \"%1\"").arg(a);
            return o;
        }
    }
    return o;
}

QString usageText()
{
    return QStringLiteral(
        "Usage: v9con [--simulate [RACK.json]] [--com N=DEVICE]...\n"
        "\n"
        "  --simulate [RACK.json]  every COM port reaches a simulated rack: the built-in\n"
        "                          demo rack, or the rack described in RACK.json\n"
        "  --com N=DEVICE          COM port N (1..8) opens DEVICE, for example\n"
        "                          --com 1=/dev/ttyUSB0 or a pseudo-terminal of v9rack-sim\n"
        "  --help                  this text\n"
        "\n"
        "Without a mapping COMn is /dev/ttyS<n-1> on Linux and COMn on Windows.\n");
}
