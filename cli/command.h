// What every sub-command shares: its argument parsing with the common
// options, the open device, and the output in words or JSON.
#ifndef KIVRA_CLI_COMMAND_H
#define KIVRA_CLI_COMMAND_H

#include <QCommandLineParser>
#include <QJsonValue>
#include <QStringList>

#include <string>

namespace kivracli {

// A sub-command's parser with --json, --trace and --help already added.
class CommandLine
{
public:
    // usage: the line after "Usage: ", e.g. "kivra get [options] PORT NAME...".
    CommandLine(const QString &usage, const QString &description);

    QCommandLineParser parser;

    // Parses args (the sub-command's own, its name first). Returns -1 to go
    // on, else the exit status to return (help shown, or a usage error).
    int parse(const QStringList &args, int minPositional, int maxPositional = -1);

    bool json() const;

private:
    QString usage_;
    QCommandLineOption json_;
    QCommandLineOption trace_;
    QCommandLineOption help_;
};

// An open port, closed when it goes out of scope.
class Device
{
public:
    Device() = default;
    Device(const Device &) = delete;
    Device &operator=(const Device &) = delete;
    ~Device();

    // Opens the port; on failure prints why and returns kExitDevice, else
    // kExitOk.
    int open(const QString &port);
    int handle() const { return handle_; }

private:
    int handle_ = 0;
};

void printJson(const QJsonValue &value);
void printLine(const std::string &text);

// Reads one of the controller's 32-byte text fields into a string; returns
// the library result.
int readTextField(int (*read)(int, char *, int), int handle, std::string *text);

// Sub-commands: args holds the sub-command's name and its arguments.
int runPorts(const QStringList &args);
int runInfo(const QStringList &args);
int runGet(const QStringList &args);
int runSet(const QStringList &args);
int runShutter(const QStringList &args);
int runRun(const QStringList &args);
int runWatch(const QStringList &args);
int runRaw(const QStringList &args);
// Not in the help: for our own programs (the Python package).
int runDiagnose(const QStringList &args);

} // namespace kivracli

#endif
