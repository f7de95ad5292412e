#include "command.h"

#include "portprobe.h"
#include "results.h"

#include <KivraLibrary.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cstdio>

namespace kivracli {

namespace {

// QCommandLineParser takes "-5" for an option; a negative number is a value
// here, so it and everything after it are passed on as arguments.
QStringList protectNegativeNumbers(QStringList args)
{
    static const QRegularExpression negative(QStringLiteral("^-[0-9]"));
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--")) {
            break;
        }
        if (negative.match(args[i]).hasMatch()) {
            args.insert(i, QStringLiteral("--"));
            break;
        }
    }
    return args;
}

} // namespace

CommandLine::CommandLine(const QString &usage, const QString &description)
    : usage_(usage), json_(QStringLiteral("json"), QStringLiteral("Print the result as JSON.")),
      trace_(QStringLiteral("trace"),
             QStringLiteral("Write every request and reply frame to standard error.")),
      help_(QStringList{QStringLiteral("h"), QStringLiteral("help")},
            QStringLiteral("Show this help."))
{
    parser.setApplicationDescription(description);
    parser.addOption(json_);
    parser.addOption(trace_);
    parser.addOption(help_);
}

int CommandLine::parse(const QStringList &args, int minPositional, int maxPositional)
{
    if (!parser.parse(protectNegativeNumbers(args))) {
        return usageFailure(parser.errorText().toStdString() + " (see: " +
                            usage_.section(QLatin1Char(' '), 0, 1).toStdString() + " --help)");
    }
    if (parser.isSet(help_)) {
        QString text = parser.helpText();
        text.replace(0, text.indexOf(QLatin1Char('\n')), QStringLiteral("Usage: ") + usage_);
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return kExitOk;
    }
    const int count = parser.positionalArguments().size();
    if (count < minPositional || (maxPositional >= 0 && count > maxPositional)) {
        return usageFailure(std::string(count < minPositional ? "missing" : "too many") +
                            " arguments; usage: " + usage_.toStdString());
    }
    return -1;
}

bool CommandLine::json() const
{
    return parser.isSet(json_);
}

Device::~Device()
{
    if (handle_ > 0) {
        closeSerial(handle_);
    }
}

int Device::open(const QString &port)
{
    const QByteArray name = port.toLocal8Bit();
    handle_ = openSerial(name.constData());
    if (handle_ > 0) {
        return kExitOk;
    }
    const int code = handle_;
    handle_ = 0;
    std::fprintf(stderr, "kivra: cannot open %s: %s (code %d)\n", name.constData(),
                 diagnoseOpenFailure(name.toStdString()).c_str(), code);
    return kExitDevice;
}

void printJson(const QJsonValue &value)
{
    QByteArray text;
    if (value.isObject()) {
        text = QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    } else if (value.isArray()) {
        text = QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact);
    } else {
        // A bare value: wrap it to let the document render it, then unwrap.
        text = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
        text = text.mid(1, text.size() - 2);
    }
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void printLine(const std::string &text)
{
    std::fputs(text.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int readTextField(int (*read)(int, char *, int), int handle, std::string *text)
{
    // One byte more than the field, zeroed, so the text is always terminated.
    char buffer[KIVRA_TEXT_FIELD_SIZE + 1] = {};
    const int result = read(handle, buffer, KIVRA_TEXT_FIELD_SIZE);
    if (result == 0) {
        *text = buffer;
    }
    return result;
}

} // namespace kivracli
