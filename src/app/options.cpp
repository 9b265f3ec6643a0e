#include "app/options.h"

#include "link/portdesignation.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

AppOptions parseOptions(const QStringList &arguments)
{
    AppOptions o;
    QCommandLineParser parser;
    // usageText() is the help; the parser only needs the names.
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption simulate(QStringLiteral("simulate"));
    const QCommandLineOption com(QStringLiteral("com"), QString(), QStringLiteral("N=DEVICE"));
    const QCommandLineOption changeLog(QStringLiteral("change-log"), QString(),
                                       QStringLiteral("FILE"));
    parser.addOptions({help, version, simulate, com, changeLog});
    // "--simulate=RACK.json" as v9con-cli spells it: the parser has no
    // optional values, so the file becomes the argument after the option.
    QStringList args{QStringLiteral("v9con")};
    for (const QString &a : arguments) {
        if (a.startsWith(QLatin1String("--simulate=")))
            args << QStringLiteral("--simulate") << a.mid(11);
        else
            args << a;
    }
    if (!parser.parse(args)) {
        o.error = parser.errorText();
        return o;
    }
    o.help = parser.isSet(help);
    o.version = parser.isSet(version);
    o.simulate = parser.isSet(simulate);
    // Where the operator stood when naming it: the window makes its own
    // folder the current one at start-up.
    if (parser.isSet(changeLog))
        o.changeLog = QFileInfo(parser.value(changeLog)).absoluteFilePath();

    // The rack file of --simulate is an argument of its own: the one
    // positional argument there may be.
    const QStringList rest = parser.positionalArguments();
    if (!rest.isEmpty() && (!o.simulate || rest.size() > 1)) {
        o.error = QStringLiteral("Unknown argument \"%1\"").arg(rest.last());
        return o;
    }
    o.rackFile = rest.value(0);

    for (const QString &value : parser.values(com)) {
        const auto mapping = ParseComMapping(value);
        if (!mapping) {
            o.error = mapping.reason();
            return o;
        }
        o.comDevices.insert(mapping->comNo, mapping->device);
    }
    return o;
}

QString usageText()
{
    return QStringLiteral(
        "Usage: v9con [--simulate [RACK.json]] [--com N=DEVICE]... [--change-log FILE]\n"
        "\n"
        "  --simulate [RACK.json]  every COM port reaches a simulated rack: the built-in\n"
        "                          demo rack, or the rack described in RACK.json\n"
        "  --com N=DEVICE          COM port N (1..8) opens DEVICE: a device such as\n"
        "                          /dev/ttyUSB0, tcp://HOST:PORT or rfc2217://HOST:PORT\n"
        "  --change-log FILE       record every write to the rack in FILE instead of\n"
        "                          V9CON/change-log.jsonl in the data folder\n"
        "  --version               the program's version\n"
        "  --help                  this text\n"
        "\n"
        "Without a mapping COMn is /dev/ttyS<n-1> on Linux and COMn on Windows.\n"
        "The port options: \"Choosing the port\" in README.md (/usr/share/doc/v9con).\n");
}

void setUpSettings()
{
    QCoreApplication::setOrganizationName(QStringLiteral("V9CON"));
    QSettings settings;
    if (!settings.allKeys().isEmpty())
        return;
    const QSettings old(QStringLiteral("Unknown Organization"),
                        QCoreApplication::applicationName());
    for (const QString &key : old.allKeys())
        settings.setValue(key, old.value(key));
}
