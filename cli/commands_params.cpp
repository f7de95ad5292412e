// info, get and set: the controller's parameters by name.
#include "command.h"
#include "params.h"
#include "pathtime.h"
#include "results.h"

#include <KivraLibrary.h>

#include <QJsonArray>
#include <QJsonObject>

#include <cmath>
#include <cstdio>

namespace kivracli {

namespace {

// Readings `get` offers beside the parameters.
const char *const kFrequency = "frequency";
struct TextReading
{
    const char *name;
    const char *meaning;
    int (*read)(int, char *, int);
};
const TextReading kTexts[] = {
    {"device-name", "device name", getDeviceName},
    {"serial-number", "serial number", getSerialNumber},
    {"firmware", "firmware version", getDeviceSoftVersion},
};

const TextReading *findText(const std::string &name)
{
    for (const TextReading &text : kTexts) {
        if (name == text.name) {
            return &text;
        }
    }
    return nullptr;
}

std::string readableNames()
{
    std::string names;
    for (const kivra::Binding &b : kivra::kBindings) {
        names += std::string(names.empty() ? "" : ", ") + b.parameter().name;
    }
    return names;
}

QJsonValue jsonValue(const KivraParameter &param, int value)
{
    if (!param.words) {
        return value;
    }
    return QString::fromStdString(kivra::formatValue(param, value));
}

// Reads one name into text and json; returns kExitOk or the failure status.
int readOne(int handle, const std::string &name, std::string *text, QJsonValue *json)
{
    if (name == kFrequency) {
        const float hz = getFrequency(handle);
        if (hz < 0) {
            return deviceFailure("get frequency", static_cast<int>(hz));
        }
        char number[32];
        std::snprintf(number, sizeof number, "%g", static_cast<double>(hz));
        *text = number;
        *json = static_cast<double>(hz);
        return kExitOk;
    }
    if (const TextReading *reading = findText(name)) {
        const int result = readTextField(reading->read, handle, text);
        if (result != 0) {
            return deviceFailure("get " + name, result);
        }
        *json = QString::fromStdString(*text);
        return kExitOk;
    }
    const kivra::Binding &binding = *kivra::bindingNamed(name);
    const int value = binding.get(handle);
    if (value < 0) {
        return deviceFailure("get " + name, value);
    }
    *text = kivra::formatValue(binding.parameter(), value);
    *json = jsonValue(binding.parameter(), value);
    return kExitOk;
}

} // namespace

int runInfo(const QStringList &args)
{
    CommandLine line(QStringLiteral("kivra info [options] PORT"),
                     QStringLiteral("Print every parameter with its unit and meaning, the "
                                    "frequency, the device name, serial number and firmware."));
    const int parsed = line.parse(args, 1, 1);
    if (parsed >= 0) {
        return parsed;
    }
    Device device;
    if (device.open(line.parser.positionalArguments().at(0)) != kExitOk) {
        return kExitDevice;
    }
    QJsonArray list;
    std::string out;
    for (const kivra::Binding &binding : kivra::kBindings) {
        const KivraParameter &param = binding.parameter();
        const int value = binding.get(device.handle());
        if (value < 0) {
            return deviceFailure(std::string("get ") + param.name, value);
        }
        const std::string text = kivra::formatValue(param, value);
        list.append(QJsonObject{{QStringLiteral("name"), param.name},
                                {QStringLiteral("value"), value},
                                {QStringLiteral("text"), QString::fromStdString(text)},
                                {QStringLiteral("unit"), param.unit},
                                {QStringLiteral("meaning"), param.description},
                                {QStringLiteral("min"), param.min},
                                {QStringLiteral("max"), param.max}});
        char row[160];
        std::snprintf(row, sizeof row, "%-14s %-14s %-4s %s (%s)\n", param.name, text.c_str(),
                      param.unit, param.description, describeRange(param).c_str());
        out += row;
    }
    QJsonObject info{{QStringLiteral("parameters"), list}};
    const std::string extra[] = {kFrequency, "device-name", "serial-number", "firmware"};
    const char *meanings[] = {"shutter frequency", "device name", "serial number",
                              "firmware version"};
    for (size_t i = 0; i < sizeof extra / sizeof extra[0]; ++i) {
        std::string text;
        QJsonValue json;
        if (const int status = readOne(device.handle(), extra[i], &text, &json)) {
            return status;
        }
        info.insert(QString::fromStdString(extra[i]), json);
        char row[160];
        std::snprintf(row, sizeof row, "%-14s %-14s %-4s %s\n", extra[i].c_str(), text.c_str(),
                      i == 0 ? "Hz" : "", meanings[i]);
        out += row;
    }
    if (isNetworkPort(line.parser.positionalArguments().at(0).toStdString())) {
        const double ms = measureRoundTripMs(device.handle());
        if (ms < 0) {
            return deviceFailure("round trip", static_cast<int>(ms));
        }
        info.insert(QStringLiteral("round-trip-ms"), std::round(ms * 10) / 10);
        out += "round-trip     " + formatRoundTrip(ms) +
               "     network path, measured (exchange time less line time)\n";
    }
    if (line.json()) {
        printJson(info);
    } else {
        std::fputs(out.c_str(), stdout);
    }
    return kExitOk;
}

int runGet(const QStringList &args)
{
    CommandLine line(QStringLiteral("kivra get [options] PORT NAME..."),
                     QStringLiteral("Print the named readings, one value a line. Names: ") +
                         QString::fromStdString(readableNames()) +
                         QStringLiteral(", frequency, device-name, serial-number, firmware."));
    const int parsed = line.parse(args, 2);
    if (parsed >= 0) {
        return parsed;
    }
    QStringList names = line.parser.positionalArguments();
    const QString port = names.takeFirst();
    for (const QString &name : names) {
        const std::string n = name.toStdString();
        if (!kivra::bindingNamed(n) && !findText(n) && n != kFrequency) {
            return usageFailure("unknown name '" + n + "'; names: " + readableNames() +
                                ", frequency, device-name, serial-number, firmware");
        }
    }
    Device device;
    if (device.open(port) != kExitOk) {
        return kExitDevice;
    }
    QJsonObject json;
    std::string out;
    for (const QString &name : names) {
        std::string text;
        QJsonValue value;
        if (const int status = readOne(device.handle(), name.toStdString(), &text, &value)) {
            return status;
        }
        json.insert(name, value);
        out += text + "\n";
    }
    if (line.json()) {
        printJson(json);
    } else {
        std::fputs(out.c_str(), stdout);
    }
    return kExitOk;
}

int runSet(const QStringList &args)
{
    CommandLine line(QStringLiteral("kivra set [options] PORT NAME VALUE [NAME VALUE]..."),
                     QStringLiteral("Set parameters, in the order given. Names: ") +
                         QString::fromStdString(readableNames()) +
                         QStringLiteral(". Values are numbers or their words (see info)."));
    const int parsed = line.parse(args, 3);
    if (parsed >= 0) {
        return parsed;
    }
    QStringList rest = line.parser.positionalArguments();
    const QString port = rest.takeFirst();
    if (rest.size() % 2 != 0) {
        return usageFailure("a value is missing after '" + rest.last().toStdString() + "'");
    }
    // Every name and value is checked before anything is sent.
    std::vector<std::pair<const kivra::Binding *, int>> settings;
    for (int i = 0; i < rest.size(); i += 2) {
        const kivra::Binding *binding = kivra::bindingNamed(rest[i].toStdString());
        if (!binding) {
            return usageFailure("unknown parameter '" + rest[i].toStdString() +
                                "'; parameters: " + readableNames());
        }
        int value = 0;
        std::string error;
        if (!parseArgument(binding->parameter(), rest[i + 1].toStdString(), &value, &error)) {
            return usageFailure(error);
        }
        settings.emplace_back(binding, value);
    }
    Device device;
    if (device.open(port) != kExitOk) {
        return kExitDevice;
    }
    QJsonObject json;
    for (const auto &setting : settings) {
        const KivraParameter &param = setting.first->parameter();
        const int result = setting.first->set(device.handle(), setting.second);
        if (result < 0) {
            return deviceFailure(std::string("set ") + param.name + " " +
                                     kivra::formatValue(param, setting.second),
                                 result);
        }
        json.insert(param.name, jsonValue(param, setting.second));
    }
    if (line.json()) {
        printJson(json);
    }
    return kExitOk;
}

} // namespace kivracli
