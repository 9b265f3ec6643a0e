#include "cli/cliopts.h"

#include "files/backupstore.h"
#include "link/portdesignation.h"

#include <QCommandLineParser>
#include <optional>

namespace {

const QList<std::pair<QString, CliCommand>> &commandNames()
{
    static const QList<std::pair<QString, CliCommand>> names{
        {QStringLiteral("upload"), CliCommand::Upload},
        {QStringLiteral("download"), CliCommand::Download},
        {QStringLiteral("verify"), CliCommand::Verify},
        {QStringLiteral("show"), CliCommand::Show},
        {QStringLiteral("monitor"), CliCommand::Monitor},
        {QStringLiteral("report"), CliCommand::Report},
        {QStringLiteral("restore"), CliCommand::Restore},
    };
    return names;
}

bool isPortOption(const QString &name)
{
    for (const char *port : {"port", "com", "simulate", "rack"})
        if (name == QLatin1String(port))
            return true;
    return false;
}

// QCommandLineParser has no optional values: "--simulate=RACK.json", and
// "--simulate RACK.json" where a rack file follows, become
// "--simulate --rack RACK.json".
QStringList splitSimulateValue(const QStringList &arguments)
{
    QStringList out;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (a.startsWith(QLatin1String("--simulate="))) {
            out << QStringLiteral("--simulate") << QStringLiteral("--rack") << a.mid(11);
        } else if (a == QLatin1String("--simulate") && i + 1 < arguments.size() &&
                   arguments.at(i + 1).endsWith(QLatin1String(".json"), Qt::CaseInsensitive)) {
            out << a << QStringLiteral("--rack") << arguments.at(++i);
        } else {
            out << a;
        }
    }
    return out;
}

// The parser's own complaint ("Missing value after '-o'.") in the words
// and case of ours.
QString parserError(const QCommandLineParser &p)
{
    QString text = p.errorText();
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    if (!text.isEmpty())
        text[0] = text.at(0).toLower();
    return text;
}

// Option names come back from the parser without their dashes.
QString dashed(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// The options of one command, after its name. --help and --json are taken by
// every command, so that "--json applies to show and verify only" can say so.
struct CommandParser
{
    explicit CommandParser(CliCommand c)
    {
        parser.addOptions({help, json});
        if (c == CliCommand::Report)
            parser.addOptions({performedBy, witnessedBy});
        if (c == CliCommand::Upload || c == CliCommand::Report)
            parser.addOption(output);
        else if (c == CliCommand::Monitor)
            parser.addOptions({passes, interval, csv});
        else if (c == CliCommand::Download || c == CliCommand::Restore)
            parser.addOptions({noBackup, rackName});
    }

    QCommandLineParser parser;
    const QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}};
    const QCommandLineOption json{QStringLiteral("json")};
    const QCommandLineOption output{
        {QStringLiteral("o"), QStringLiteral("output")}, QString(), QStringLiteral("FILE")};
    const QCommandLineOption passes{QStringLiteral("passes"), QString(), QStringLiteral("N")};
    const QCommandLineOption interval{QStringLiteral("interval"), QString(), QStringLiteral("MS")};
    const QCommandLineOption csv{QStringLiteral("csv"), QString(), QStringLiteral("FILE")};
    const QCommandLineOption performedBy{QStringLiteral("performed-by"), QString(),
                                         QStringLiteral("NAME")};
    const QCommandLineOption witnessedBy{QStringLiteral("witnessed-by"), QString(),
                                         QStringLiteral("NAME")};
    const QCommandLineOption noBackup{QStringLiteral("no-backup")};
    const QCommandLineOption rackName{QStringLiteral("rack-name"), QString(),
                                      QStringLiteral("NAME")};
};

class Reader
{
public:
    CliOptions run(const QStringList &arguments);

private:
    bool global(const QStringList &arguments, QStringList &rest);
    bool command(const QStringList &arguments);
    std::optional<int> number(const QCommandLineParser &p, const QCommandLineOption &option, int lo,
                              int hi);
    void fail(const QString &why)
    {
        if (m_observer.error.isEmpty())
            m_observer.error = why;
    }

    CliOptions m_observer;
};

std::optional<int> Reader::number(const QCommandLineParser &p, const QCommandLineOption &option,
                                  int lo, int hi)
{
    if (!p.isSet(option))
        return std::nullopt;
    const QString text = p.value(option);
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < lo || n > hi) {
        fail(QStringLiteral("%1 expects a whole number from %2 to %3, not \"%4\"")
                 .arg(dashed(option.names().constFirst()))
                 .arg(lo)
                 .arg(hi)
                 .arg(text));
        return std::nullopt;
    }
    return n;
}

// The options before the command; `rest` gets the command and what follows.
bool Reader::global(const QStringList &arguments, QStringList &rest)
{
    QCommandLineParser p;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("DEVICE"));
    const QCommandLineOption com(QStringLiteral("com"), QString(), QStringLiteral("N[=DEVICE]"));
    const QCommandLineOption simulate(QStringLiteral("simulate"));
    const QCommandLineOption rack(QStringLiteral("rack"), QString(), QStringLiteral("RACK.json"));
    const QCommandLineOption changeLog(QStringLiteral("change-log"), QString(),
                                       QStringLiteral("FILE"));
    p.addOptions({help, version, json, port, com, simulate, rack, changeLog});
    p.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!p.parse(QStringList{QStringLiteral("v9con-cli")} + arguments)) {
        const QStringList unknown = p.unknownOptionNames();
        fail(unknown.isEmpty()
                 ? parserError(p)
                 : QStringLiteral("unknown option \"%1\"").arg(dashed(unknown.first())));
        return false;
    }
    m_observer.help = p.isSet(help);
    m_observer.version = p.isSet(version);
    m_observer.json = p.isSet(json);
    m_observer.changeLog = p.value(changeLog);
    rest = p.positionalArguments();

    // --com N --port DEVICE is --com N=DEVICE spelled in two options, and
    // --port DEVICE alone is --com 1=DEVICE.
    const QStringList coms = p.values(com);
    const bool comMaps = coms.size() == 1 && coms.first().contains(QLatin1Char('='));
    const qsizetype ports = p.values(port).size() + coms.size() + (p.isSet(simulate) ? 1 : 0);
    const bool comAndPort = coms.size() == 1 && p.values(port).size() == 1 && !p.isSet(simulate);
    if (ports > 1 && !comAndPort) {
        fail(QStringLiteral("choose one of --port, --com and --simulate"));
    } else if (comAndPort && comMaps) {
        fail(QStringLiteral("--com %1 names its device already; drop --port").arg(coms.first()));
    } else if (p.isSet(rack) && !p.isSet(simulate)) {
        fail(QStringLiteral("--rack goes with --simulate"));
    } else if (comMaps) {
        if (const auto m = ParseComMapping(coms.first()))
            m_observer.port = {PortChoice::Kind::Device, m->comNo, m->device, {}};
        else
            fail(m.reason());
    } else if (p.isSet(port)) {
        if (p.value(port).isEmpty())
            fail(QStringLiteral("--port needs a device"));
        else if (const auto d = ParsePortDesignation(p.value(port)); !d)
            fail(QStringLiteral("--port ") + d.reason());
        const int comNo = comAndPort ? number(p, com, 1, 8).value_or(1) : 1;
        m_observer.port = {PortChoice::Kind::Device, comNo, p.value(port), {}};
    } else if (const auto n = number(p, com, 1, 8)) {
        m_observer.port = {PortChoice::Kind::Com, *n, {}, {}};
    } else if (p.isSet(simulate)) {
        m_observer.port = {PortChoice::Kind::Simulate, 1, {}, p.value(rack)};
    }
    return m_observer.error.isEmpty();
}

bool Reader::command(const QStringList &arguments)
{
    const QString &name = arguments.first();
    for (const auto &[n, c] : commandNames())
        if (name == n)
            m_observer.command = c;
    if (m_observer.command == CliCommand::None) {
        fail(QStringLiteral("unknown command \"%1\"").arg(name));
        return false;
    }

    CommandParser cp(m_observer.command);
    QCommandLineParser &p = cp.parser;
    if (!p.parse(arguments)) {
        const QStringList unknown = p.unknownOptionNames();
        for (const QString &u : unknown)
            if (isPortOption(u))
                fail(QStringLiteral("%1 goes before the command").arg(dashed(u)));
        fail(unknown.isEmpty() ? parserError(p)
                               : QStringLiteral("unknown option \"%1\" for %2")
                                     .arg(dashed(unknown.first()), name));
        return false;
    }
    m_observer.help = m_observer.help || p.isSet(cp.help);
    m_observer.json = m_observer.json || p.isSet(cp.json);
    if (m_observer.command == CliCommand::Upload) {
        m_observer.file = p.value(cp.output);
    } else if (m_observer.command == CliCommand::Monitor) {
        m_observer.passes = number(p, cp.passes, 1, 1000000000).value_or(0);
        m_observer.intervalMs = number(p, cp.interval, 0, 86400000).value_or(0);
        m_observer.csvPath = p.value(cp.csv);
    } else if (m_observer.command == CliCommand::Report) {
        m_observer.output = p.value(cp.output);
        m_observer.performedBy = p.value(cp.performedBy);
        m_observer.witnessedBy = p.value(cp.witnessedBy);
    } else if (m_observer.command == CliCommand::Download ||
               m_observer.command == CliCommand::Restore) {
        m_observer.noBackup = p.isSet(cp.noBackup);
        m_observer.rackName = p.value(cp.rackName);
        if (p.isSet(cp.rackName) && !RackNameProblem(m_observer.rackName).isEmpty())
            fail(QStringLiteral("--rack-name: ") + RackNameProblem(m_observer.rackName));
    }
    const QStringList positional = p.positionalArguments();
    if (m_observer.error.isEmpty() && !m_observer.help) {
        const CliCommand c = m_observer.command;
        const bool takesFile =
            c == CliCommand::Download || c == CliCommand::Verify || c == CliCommand::Restore;
        const qsizetype maxPositional =
            takesFile || c == CliCommand::Show || c == CliCommand::Report ? 1 : 0;
        if (positional.size() > maxPositional)
            fail(QStringLiteral("%1 does not take \"%2\"").arg(name, positional.last()));
        else if (takesFile && positional.isEmpty())
            fail(QStringLiteral("%1 needs a parameter file").arg(name));
        else if (c == CliCommand::Upload && m_observer.file.isEmpty())
            fail(QStringLiteral("upload needs -o FILE"));
        else if (c == CliCommand::Report && m_observer.output.isEmpty())
            fail(QStringLiteral("report needs -o FILE"));
        else if (m_observer.json && c != CliCommand::Show && c != CliCommand::Verify)
            fail(QStringLiteral("--json applies to show and verify only"));
    }
    if (!positional.isEmpty())
        m_observer.file = positional.first();
    return m_observer.error.isEmpty();
}

CliOptions Reader::run(const QStringList &arguments)
{
    QStringList rest;
    if (!global(splitSimulateValue(arguments), rest) || m_observer.version)
        return m_observer;
    if (!rest.isEmpty())
        command(rest);
    else if (!m_observer.help)
        fail(QStringLiteral("no command given"));
    return m_observer;
}

} // namespace

CliOptions ParseCliOptions(const QStringList &arguments)
{
    return Reader().run(arguments);
}

QString CommandName(CliCommand command)
{
    for (const auto &[name, c] : commandNames())
        if (c == command)
            return name;
    return {};
}
