#include "cli/cliopts.h"

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
    };
    return names;
}

bool isPortOption(const QString &a)
{
    for (const char *name : {"--port", "--com", "--simulate"})
        if (a == QLatin1String(name) || a.startsWith(QLatin1String(name) + QLatin1Char('=')))
            return true;
    return false;
}

// Walks the arguments; options take their value as "--opt VALUE" or "--opt=VALUE".
class Parser
{
public:
    explicit Parser(const QStringList &args) : m_args(args) {}

    CliOptions run();

private:
    bool globalOption(const QString &a);
    bool commandOption(const QString &a);
    // The value of option `name` when `a` is it, else nullopt; a missing
    // value sets the error.
    std::optional<QString> value(const QString &a, const QString &name);
    std::optional<int> number(const QString &a, const QString &name, int lo, int hi);
    void setPort(PortChoice port);
    void fail(const QString &why)
    {
        if (m_o.error.isEmpty())
            m_o.error = why;
    }

    const QStringList &m_args;
    qsizetype m_i = 0;
    bool m_portSet = false;
    QStringList m_positional;
    CliOptions m_o;
};

std::optional<QString> Parser::value(const QString &a, const QString &name)
{
    if (a.startsWith(name + QLatin1Char('=')))
        return a.mid(name.size() + 1);
    if (a != name)
        return std::nullopt;
    if (m_i + 1 >= m_args.size()) {
        fail(QStringLiteral("%1 needs a value").arg(name));
        return QString();
    }
    return m_args.at(++m_i);
}

std::optional<int> Parser::number(const QString &a, const QString &name, int lo, int hi)
{
    const auto text = value(a, name);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const int n = text->toInt(&ok);
    if (!ok || n < lo || n > hi) {
        fail(QStringLiteral("%1 expects a whole number from %2 to %3, not \"%4\"")
                 .arg(name)
                 .arg(lo)
                 .arg(hi)
                 .arg(*text));
        return lo;
    }
    return n;
}

void Parser::setPort(PortChoice port)
{
    if (m_portSet)
        fail(QStringLiteral("choose one of --port, --com and --simulate"));
    m_portSet = true;
    m_o.port = std::move(port);
}

bool Parser::globalOption(const QString &a)
{
    if (const auto device = value(a, QStringLiteral("--port"))) {
        if (device->isEmpty())
            fail(QStringLiteral("--port needs a device"));
        setPort({PortChoice::Kind::Device, 1, *device, {}});
    } else if (const auto n = number(a, QStringLiteral("--com"), 1, 8)) {
        setPort({PortChoice::Kind::Com, *n, {}, {}});
    } else if (a == QLatin1String("--simulate") || a.startsWith(QLatin1String("--simulate="))) {
        setPort({PortChoice::Kind::Simulate, 1, {}, a.mid(11)});
    } else {
        return false;
    }
    return true;
}

bool Parser::commandOption(const QString &a)
{
    const CliCommand c = m_o.command;
    if (c == CliCommand::Upload) {
        if (const auto out = value(a, QStringLiteral("-o")))
            m_o.file = *out;
        else if (const auto longOut = value(a, QStringLiteral("--output")))
            m_o.file = *longOut;
        else
            return false;
    } else if (c == CliCommand::Monitor) {
        if (const auto passes = number(a, QStringLiteral("--passes"), 1, 1000000000))
            m_o.passes = *passes;
        else if (const auto interval = number(a, QStringLiteral("--interval"), 0, 86400000))
            m_o.intervalMs = *interval;
        else if (const auto csv = value(a, QStringLiteral("--csv")))
            m_o.csvPath = *csv;
        else
            return false;
    } else {
        return false;
    }
    return true;
}

CliOptions Parser::run()
{
    for (; m_i < m_args.size() && m_o.error.isEmpty(); ++m_i) {
        const QString &a = m_args.at(m_i);
        const bool beforeCommand = m_o.command == CliCommand::None;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            m_o.help = true;
        } else if (a == QLatin1String("--json")) {
            m_o.json = true;
        } else if (beforeCommand ? globalOption(a) : commandOption(a)) {
            continue;
        } else if (!beforeCommand && isPortOption(a)) {
            fail(QStringLiteral("%1 goes before the command")
                     .arg(a.section(QLatin1Char('='), 0, 0)));
        } else if (a.startsWith(QLatin1Char('-'))) {
            fail(beforeCommand ? QStringLiteral("unknown option \"%1\"").arg(a)
                               : QStringLiteral("unknown option \"%1\" for %2")
                                     .arg(a, CommandName(m_o.command)));
        } else if (beforeCommand) {
            for (const auto &[name, command] : commandNames())
                if (a == name)
                    m_o.command = command;
            if (m_o.command == CliCommand::None)
                fail(QStringLiteral("unknown command \"%1\"").arg(a));
        } else {
            m_positional << a;
        }
    }
    if (!m_o.error.isEmpty() || m_o.help)
        return m_o;

    const CliCommand c = m_o.command;
    const bool takesFile = c == CliCommand::Download || c == CliCommand::Verify;
    const qsizetype maxPositional = takesFile || c == CliCommand::Show ? 1 : 0;
    if (c == CliCommand::None)
        fail(QStringLiteral("no command given"));
    else if (m_positional.size() > maxPositional)
        fail(QStringLiteral("%1 does not take \"%2\"").arg(CommandName(c), m_positional.last()));
    else if (takesFile && m_positional.isEmpty())
        fail(QStringLiteral("%1 needs a parameter file").arg(CommandName(c)));
    else if (c == CliCommand::Upload && m_o.file.isEmpty())
        fail(QStringLiteral("upload needs -o FILE"));
    else if (m_o.json && c != CliCommand::Show && c != CliCommand::Verify)
        fail(QStringLiteral("--json applies to show and verify only"));
    if (!m_positional.isEmpty())
        m_o.file = m_positional.first();
    return m_o;
}

} // namespace

CliOptions ParseCliOptions(const QStringList &arguments)
{
    return Parser(arguments).run();
}

QString CommandName(CliCommand command)
{
    for (const auto &[name, c] : commandNames())
        if (c == command)
            return name;
    return {};
}
