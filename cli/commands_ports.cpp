// ports: the port list, and network ports named in the port directory by
// hand (add, remove).
#include "command.h"
#include "pathtime.h"
#include "portcheck.h"
#include "portprobe.h"
#include "results.h"

#include <KivraLibrary.h>
#include <KivraPortList.h>
#include <kivra_portdir.h>
#include <kivra_portedit.h>

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <vector>

namespace kivracli {

namespace {

// The round trip of a network port, or why it could not be measured.
std::string measuredRoundTrip(const QString &name)
{
    const int handle = openSerial(name.toLocal8Bit().constData());
    if (handle < 0) {
        return "unreachable";
    }
    const double ms = measureRoundTripMs(handle);
    closeSerial(handle);
    return ms < 0 ? "no-answer" : formatRoundTrip(ms);
}

int listAll(bool details, bool json)
{
    std::vector<std::string> names;
    const int count = kivra::listPortNames(&names);
    if (count < 0) {
        return deviceFailure("list ports", count);
    }
    QJsonArray list;
    for (const std::string &local : names) {
        const QString name = QString::fromLocal8Bit(local.c_str());
        if (!details) {
            list.append(name);
            if (!json) {
                printLine(name.toStdString());
            }
            continue;
        }
        QJsonObject entry{{QStringLiteral("name"), name}};
        std::string text = name.toStdString();
        auto facts = portDetails(name.toStdString());
        if (isNetworkPort(name.toStdString())) {
            facts.emplace_back("rtt", measuredRoundTrip(name));
        }
        for (const auto &fact : facts) {
            entry.insert(QString::fromStdString(fact.first), QString::fromStdString(fact.second));
            text += " " + fact.first + "=" + fact.second;
        }
        list.append(entry);
        if (!json) {
            printLine(text);
        }
    }
    if (json) {
        printJson(list);
    }
    return kExitOk;
}

// Whether the machine already has a port of that name that the port
// directory does not hold: listed, or a device the library would open.
bool machineHasPort(const std::string &name)
{
    std::vector<std::string> listed;
    return (kivra::listPortNames(&listed) > 0 &&
            std::find(listed.begin(), listed.end(), name) != listed.end()) ||
           isMachinePort(name);
}

int addEntry(const std::string &name, const std::string &url, bool json)
{
    // Everything is checked before anything is written.
    for (const std::string &problem : {portNameProblem(name), portUrlProblem(url)}) {
        if (!problem.empty()) {
            return usageFailure("ports add: " + problem);
        }
    }
    const std::string dir = kivra::virtualPortDirectory();
    if (kivra::hasPortEntry(dir, name)) {
        const bool counts = kivra::classifyPortEntry(dir, name).kind != kivra::PortEntryKind::None;
        return failure("ports add: port name " + name + " is taken (" +
                       kivra::portEntryPath(dir, name) +
                       (counts ? ")"
                               : ", an entry that does not count; kivra ports remove " + name +
                                     " takes it away)"));
    }
    if (machineHasPort(name)) {
        return failure("ports add: port name " + name +
                       " is already a port or device of this machine");
    }
    std::string error;
    if (kivra::addNetworkEntry(dir, name, url, error) != kivra::EntryEdit::Done) {
        return failure("ports add: " + error);
    }
    if (json) {
        printJson(QJsonObject{
            {QStringLiteral("name"), QString::fromStdString(name)},
            {QStringLiteral("url"), QString::fromStdString(url)},
            {QStringLiteral("path"), QString::fromStdString(kivra::portEntryPath(dir, name))}});
    }
    return kExitOk;
}

int removeEntry(const std::string &name, bool json)
{
    const std::string dir = kivra::virtualPortDirectory();
    std::string error;
    if (kivra::removePortEntry(dir, name, error) != kivra::EntryEdit::Done) {
        return failure("ports remove: " + error);
    }
    if (json) {
        printJson(QJsonObject{
            {QStringLiteral("name"), QString::fromStdString(name)},
            {QStringLiteral("path"), QString::fromStdString(kivra::portEntryPath(dir, name))}});
    }
    return kExitOk;
}

} // namespace

int runPorts(const QStringList &args)
{
    const QString usage = QStringLiteral("kivra ports [options] [add NAME URL | remove NAME]");
    CommandLine line(usage,
                     QStringLiteral("List the serial ports, one a line. add names the network "
                                    "port URL (socket://HOST:PORT or rfc2217://HOST:PORT) NAME "
                                    "in the port directory, for every program to list and open; "
                                    "remove takes such a name away again."));
    const QCommandLineOption details(
        QStringLiteral("details"),
        QStringLiteral("Add what the system knows of each port: device path, link target, URL, "
                       "driver, USB vendor:product, serial number; for a network port the "
                       "round trip it adds to each exchange, measured (rtt)."));
    line.parser.addOption(details);
    const int parsed = line.parse(args, 0, 3);
    if (parsed >= 0) {
        return parsed;
    }
    const QStringList rest = line.parser.positionalArguments();
    if (rest.isEmpty()) {
        return listAll(line.parser.isSet(details), line.json());
    }
    const std::string name = rest.size() > 1 ? rest.at(1).toLocal8Bit().toStdString() : "";
    if (rest.at(0) == QLatin1String("add") && rest.size() == 3) {
        return addEntry(name, rest.at(2).toLocal8Bit().toStdString(), line.json());
    }
    if (rest.at(0) == QLatin1String("remove") && rest.size() == 2) {
        return removeEntry(name, line.json());
    }
    const int wanted = rest.at(0) == QLatin1String("add")      ? 3
                       : rest.at(0) == QLatin1String("remove") ? 2
                                                               : 0;
    return usageFailure(std::string(rest.size() < wanted ? "missing" : "too many") +
                        " arguments; usage: " + usage.toStdString());
}

} // namespace kivracli
