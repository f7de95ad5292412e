// raw and diagnose: factory debug requests and why a port would not open.
#include "command.h"
#include "portprobe.h"
#include "results.h"

#include <KivraLibrary.h>

#include <QJsonObject>

#include <cstdio>
#include <vector>

namespace kivracli {

namespace {

constexpr int kMaxCode = 0xFFFF;

// "01 02 0a", "01020A" or "01:02:0a" into bytes; false for anything else.
bool parseHex(const QString &text, std::vector<unsigned char> *bytes)
{
    QString digits = text;
    digits.remove(QLatin1Char(' ')).remove(QLatin1Char(':'));
    if (digits.size() % 2 != 0) {
        return false;
    }
    for (int i = 0; i < digits.size(); i += 2) {
        bool ok = false;
        const uint value = digits.mid(i, 2).toUInt(&ok, 16);
        if (!ok) {
            return false;
        }
        bytes->push_back(static_cast<unsigned char>(value));
    }
    return true;
}

} // namespace

int runDiagnose(const QStringList &args)
{
    CommandLine line(QStringLiteral("kivra diagnose [options] PORT"),
                     QStringLiteral("Say in one line why PORT cannot be opened, as a failed open "
                                    "does; nothing is sent."));
    const int parsed = line.parse(args, 1, 1);
    if (parsed >= 0) {
        return parsed;
    }
    const QString name = line.parser.positionalArguments().at(0);
    printLine(diagnoseOpenFailure(name.toLocal8Bit().toStdString()));
    return kExitOk;
}

int runRaw(const QStringList &args)
{
    CommandLine line(QStringLiteral("kivra raw [options] PORT CODE [HEX]"),
                     QStringLiteral("Factory use: send a request with command CODE (0 to 65535, "
                                    "decimal or 0x...) and up to %1 data bytes given as hex "
                                    "digits; prints the reply status. --trace shows the reply.")
                         .arg(KIVRA_DEBUG_DATA_MAX));
    const int parsed = line.parse(args, 2, 3);
    if (parsed >= 0) {
        return parsed;
    }
    const QStringList rest = line.parser.positionalArguments();
    bool ok = false;
    const int code = rest.at(1).toInt(&ok, 0);
    if (!ok || code < 0 || code > kMaxCode) {
        return usageFailure("code '" + rest.at(1).toStdString() + "' is not 0 to 65535");
    }
    std::vector<unsigned char> data;
    if (rest.size() > 2 && !parseHex(rest.at(2), &data)) {
        return usageFailure("data '" + rest.at(2).toStdString() +
                            "' is not hex bytes (like 01020a or \"01 02 0a\")");
    }
    if (static_cast<int>(data.size()) > KIVRA_DEBUG_DATA_MAX) {
        return usageFailure("data of " + std::to_string(data.size()) +
                            " bytes is too long: at most " + std::to_string(KIVRA_DEBUG_DATA_MAX));
    }
    Device device;
    if (device.open(rest.at(0)) != kExitOk) {
        return kExitDevice;
    }
    const int result = sendDebugData(device.handle(), code, static_cast<int>(data.size()),
                                     data.empty() ? nullptr : data.data());
    if (result < 0) {
        return deviceFailure("raw " + std::to_string(code), result, KIVRA_DEBUG_ATTEMPTS);
    }
    if (line.json()) {
        printJson(QJsonObject{{QStringLiteral("code"), code},
                              {QStringLiteral("sent"), static_cast<int>(data.size())},
                              {QStringLiteral("result"), result}});
    } else {
        printLine("ok");
    }
    return kExitOk;
}

} // namespace kivracli
