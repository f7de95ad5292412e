#include "KivraShutter.h"

#include "KivraErrors.h"
#include "KivraPorts.h"
#include "OpenFailure.h"

#include <KivraLibrary.h>
#include <KivraVocabulary.h>

#include <cmath>
#include <vector>

namespace kivramm {

const char *const kDeviceName = "KivraShutter";
const char *const kDeviceDescription = "Kivra motorised optical shutter";

namespace {

const char *const kPortProperty = "Port"; // Micro-Manager's keyword, known to its wizard
const char *const kAvailablePortsProperty = "AvailablePorts";
const char *const kStateProperty = "State"; // 0 closed, 1 open, as for every shutter
const char *const kUnsetPort = "Undefined"; // the wizard's word for a port not yet chosen
const char *const kClosedText = "0";
const char *const kOpenText = "1";
// Neither the controller nor the valve models' documentation gives an
// opening time, so the delay starts at none; a user who measured the
// valve sets it.
constexpr double kDefaultDelayMs = 0;

// Larger than the controller's 32-byte field and zero-filled: always a string.
constexpr int kTextBufferBytes = KIVRA_TEXT_FIELD_SIZE + 1;

} // namespace

struct TextProperty
{
    const char *property;
    int (*read)(int handle, char *buffer, int size);
    const char *what;
};

// The controller's text fields, read once at initialisation.
const std::vector<TextProperty> &textProperties()
{
    static const std::vector<TextProperty> table = {
        {"DeviceName", getDeviceName, "read the device name"},
        {"SerialNumber", getSerialNumber, "read the serial number"},
        {"FirmwareVersion", getDeviceSoftVersion, "read the firmware version"},
    };
    return table;
}

KivraShutter::KivraShutter()
{
    for (int code : failureCodes()) {
        SetErrorText(errorCodeFor(code), defaultErrorText(errorCodeFor(code)).c_str());
    }
    for (int code : {kErrUnknownResult, kErrValueRefused, kErrFireNotSingle, kErrFireDuration,
                     kErrNoPort, kErrNotInitialized}) {
        SetErrorText(code, defaultErrorText(code).c_str());
    }
    // A free text, so network URLs and published names are as welcome as
    // device paths; the ports the library lists are shown beside it.
    CreateStringProperty(kPortProperty, kUnsetPort, false, nullptr, true);
    CreateStringProperty(kAvailablePortsProperty, "", true,
                         new CPropertyAction(this, &KivraShutter::onAvailablePorts), true);
    EnableDelay();
}

KivraShutter::~KivraShutter()
{
    Shutdown();
}

void KivraShutter::GetName(char *name) const
{
    CDeviceUtils::CopyLimitedString(name, kDeviceName);
}

std::string KivraShutter::portName() const
{
    char value[MM::MaxStrLength] = {0};
    return GetProperty(kPortProperty, value) == DEVICE_OK ? std::string(value) : std::string();
}

int KivraShutter::fail(int mmCode, const std::string &text)
{
    SetErrorText(mmCode, text.c_str());
    LogMessage(text, false);
    return mmCode;
}

int KivraShutter::failResult(const std::string &what, int result)
{
    return fail(errorCodeFor(result), describeResult(what, result));
}

int KivraShutter::Initialize()
{
    if (initialized_) {
        return DEVICE_OK;
    }
    port_ = portName();
    if (port_.empty() || port_ == kUnsetPort) {
        return fail(kErrNoPort, defaultErrorText(kErrNoPort));
    }
    initialized_ = true;
    int ret = connection();
    if (ret != DEVICE_OK) {
        initialized_ = false;
        return ret;
    }

    // A second Initialize after a failed one finds the properties made.
    if (!HasProperty(kStateProperty)) {
        ret = CreateStringProperty(kStateProperty, kClosedText, false,
                                   new CPropertyAction(this, &KivraShutter::onState));
        AddAllowedValue(kStateProperty, kClosedText);
        AddAllowedValue(kStateProperty, kOpenText);
    }
    if (ret == DEVICE_OK && !HasProperty(MM::g_Keyword_Delay)) {
        ret = CreateFloatProperty(MM::g_Keyword_Delay, kDefaultDelayMs, false,
                                  new CPropertyAction(this, &KivraShutter::onDelay));
    }
    for (const Parameter &param : parameters()) {
        if (ret == DEVICE_OK) {
            ret = createParameterProperty(param);
        }
    }
    for (const TextProperty &text : textProperties()) {
        if (ret == DEVICE_OK) {
            ret = createTextProperty(text);
        }
    }
    if (ret != DEVICE_OK) {
        Shutdown();
    }
    return ret;
}

int KivraShutter::Shutdown()
{
    dropLine();
    initialized_ = false;
    return DEVICE_OK;
}

void KivraShutter::dropLine()
{
    if (handle_ > 0) {
        closeSerial(handle_);
        handle_ = 0;
    }
}

int KivraShutter::connection()
{
    if (!initialized_) {
        return fail(kErrNotInitialized, defaultErrorText(kErrNotInitialized));
    }
    if (handle_ > 0) {
        return DEVICE_OK;
    }
    const int handle = openSerial(port_.c_str());
    if (handle <= 0) {
        const int result = handle < 0 ? handle : KIVRA_ERR_ARGUMENT;
        return failResult("cannot open " + port_ + ": " + describeOpenFailure(port_), result);
    }
    handle_ = handle;
    return DEVICE_OK;
}

int KivraShutter::checked(int result, const std::string &what)
{
    if (result >= 0) {
        return DEVICE_OK;
    }
    // The port is given up and opened again by the next call, so a
    // controller plugged in again works without a new initialisation.
    if (kivraLineInDoubt(result)) {
        dropLine();
    }
    return failResult(what, result);
}

int KivraShutter::createParameterProperty(const Parameter &param)
{
    const int value = param.get(handle_);
    if (value < 0) {
        return checked(value, std::string("read ") + param.property);
    }
    if (HasProperty(param.property)) {
        return DEVICE_OK;
    }
    const KivraParameter &row = param.row();
    const bool numeric = !row.words;
    auto *action = new MM::ActionLambda([this, &param](MM::PropertyBase *prop, MM::ActionType act) {
        return onParameter(param, prop, act);
    });
    int ret = CreateProperty(param.property, kivra::formatValue(row, value).c_str(),
                             numeric ? MM::Integer : MM::String, false, action);
    if (ret != DEVICE_OK) {
        return ret;
    }
    if (numeric) {
        return SetPropertyLimits(param.property, row.min, row.max);
    }
    for (const KivraWord *w = row.words; w->word; ++w) {
        AddAllowedValue(param.property, w->word);
    }
    return DEVICE_OK;
}

int KivraShutter::createTextProperty(const TextProperty &text)
{
    char field[kTextBufferBytes] = {0};
    const int result = text.read(handle_, field, KIVRA_TEXT_FIELD_SIZE);
    if (result < 0) {
        return checked(result, text.what);
    }
    texts_[text.property] = field;
    if (HasProperty(text.property)) {
        return DEVICE_OK;
    }
    const std::string property = text.property;
    auto *action =
        new MM::ActionLambda([this, property](MM::PropertyBase *prop, MM::ActionType act) {
            if (act == MM::BeforeGet) {
                prop->Set(texts_[property].c_str());
            }
            return DEVICE_OK;
        });
    return CreateStringProperty(text.property, field, true, action);
}

int KivraShutter::SetProperty(const char *name, const char *value)
{
    // The adapter's own words for a refused value, ahead of the property's
    // generic check, so the user learns the range and that nothing was sent.
    const Parameter *param = initialized_ ? findParameter(name) : nullptr;
    if (param) {
        int number = 0;
        std::string error;
        if (!parseValue(*param, value ? value : "", &number, &error)) {
            return fail(kErrValueRefused, error);
        }
    }
    return CDeviceBase<MM::Shutter, KivraShutter>::SetProperty(name, value);
}

int KivraShutter::onParameter(const Parameter &param, MM::PropertyBase *prop, MM::ActionType act)
{
    if (act != MM::BeforeGet && act != MM::AfterSet) {
        return DEVICE_OK;
    }
    const int ret = connection();
    if (ret != DEVICE_OK) {
        return ret;
    }
    if (act == MM::BeforeGet) {
        const int value = param.get(handle_);
        if (value < 0) {
            return checked(value, std::string("read ") + param.property);
        }
        prop->Set(kivra::formatValue(param.row(), value).c_str());
    } else if (act == MM::AfterSet) {
        std::string text;
        prop->Get(text);
        int value = 0;
        std::string error;
        if (!parseValue(param, text, &value, &error)) {
            return fail(kErrValueRefused, error);
        }
        const int result = param.set(handle_, value);
        if (result == KIVRA_ERR_REFUSED) {
            // Show what the controller holds, not the value it did not take.
            const int held = param.get(handle_);
            if (held >= 0) {
                prop->Set(kivra::formatValue(param.row(), held).c_str());
            }
        }
        return checked(result, std::string("set ") + param.property + " to " + text);
    }
    return DEVICE_OK;
}

int KivraShutter::onState(MM::PropertyBase *prop, MM::ActionType act)
{
    if (act == MM::BeforeGet) {
        bool open = false;
        const int ret = GetOpen(open);
        if (ret != DEVICE_OK) {
            return ret;
        }
        prop->Set(open ? kOpenText : kClosedText);
    } else if (act == MM::AfterSet) {
        std::string text;
        prop->Get(text);
        const bool open = text == kOpenText;
        const int ret = SetOpen(open);
        if (ret != DEVICE_OK) {
            return ret;
        }
        if (GetCoreCallback()) {
            GetCoreCallback()->OnShutterOpenChanged(this, open);
        }
    }
    return DEVICE_OK;
}

int KivraShutter::onAvailablePorts(MM::PropertyBase *prop, MM::ActionType act)
{
    if (act == MM::BeforeGet) {
        prop->Set(joinPorts(listedPorts()).c_str());
    }
    return DEVICE_OK;
}

int KivraShutter::onDelay(MM::PropertyBase *prop, MM::ActionType act)
{
    if (act == MM::BeforeGet) {
        prop->Set(GetDelayMs());
    } else if (act == MM::AfterSet) {
        double ms = 0;
        prop->Get(ms);
        if (!(ms >= 0)) {
            prop->Set(GetDelayMs());
            return fail(kErrValueRefused, "Delay_ms takes 0 or more ms");
        }
        SetDelayMs(ms);
    }
    return DEVICE_OK;
}

void KivraShutter::busyFor(double ms)
{
    busyUntil_ = std::chrono::steady_clock::now() +
                 std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                     std::chrono::duration<double, std::milli>(ms));
}

bool KivraShutter::Busy()
{
    return std::chrono::steady_clock::now() < busyUntil_;
}

int KivraShutter::SetOpen(bool open)
{
    const int ret = connection();
    if (ret != DEVICE_OK) {
        return ret;
    }
    const int result = checked(setShutterState(handle_, stateValue(open)),
                               open ? "open the shutter" : "close the shutter");
    if (result == DEVICE_OK) {
        busyFor(GetDelayMs());
    }
    return result;
}

int KivraShutter::GetOpen(bool &open)
{
    const int ret = connection();
    if (ret != DEVICE_OK) {
        return ret;
    }
    const int state = kivra::binding(KIVRA_PARAM_STATE)->get(handle_);
    if (state < 0) {
        return checked(state, "read the shutter state");
    }
    open = isOpenState(state);
    return DEVICE_OK;
}

// The controller times an opening itself only in single mode, where an open
// runs one cycle of the open time. Fire sets that time and starts the cycle;
// in any other mode it is refused rather than changing the user's mode (an
// automatic sequence would be stopped by it).
int KivraShutter::Fire(double deltaT)
{
    const int ret = connection();
    if (ret != DEVICE_OK) {
        return ret;
    }
    const Parameter &openTime = openTimeParameter();
    const double ms = std::round(deltaT);
    if (!(ms >= openTime.row().min && ms <= openTime.row().max)) {
        return fail(kErrFireDuration, "Fire for " + std::to_string(deltaT) +
                                          " ms refused: the controller opens for " +
                                          describeRange(openTime) + "; nothing was sent");
    }
    const Parameter &mode = *findParameter("Mode");
    const int current = mode.get(handle_);
    if (current < 0) {
        return checked(current, "Fire: read Mode");
    }
    if (current != singleMode()) {
        const std::string single = kivra::formatValue(mode.row(), singleMode());
        return fail(kErrFireNotSingle, "Fire refused: the controller is in " +
                                           kivra::formatValue(mode.row(), current) +
                                           " mode; it times an opening only in " + single +
                                           " mode (set Mode to " + single + ")");
    }
    const int duration = static_cast<int>(ms);
    int result =
        checked(openTime.set(handle_, duration), "Fire: set " + std::string(openTime.property));
    if (result != DEVICE_OK) {
        return result;
    }
    OnPropertyChanged(openTime.property, std::to_string(duration).c_str());
    result = checked(setShutterState(handle_, stateValue(true)), "Fire: start the cycle");
    if (result == DEVICE_OK) {
        busyFor(deltaT);
    }
    return result;
}

// The wizard sets Port to each of its ports and asks; with no port chosen
// yet, the library's own list is tried and the first that answers is kept.
MM::DeviceDetectionStatus KivraShutter::DetectDevice()
{
    if (initialized_) {
        return MM::CanCommunicate;
    }
    const std::string port = portName();
    if (!port.empty() && port != kUnsetPort) {
        return controllerAnswers(port) ? MM::CanCommunicate : MM::CanNotCommunicate;
    }
    for (const std::string &candidate : listedPorts()) {
        if (controllerAnswers(candidate)) {
            CDeviceBase<MM::Shutter, KivraShutter>::SetProperty(kPortProperty, candidate.c_str());
            return MM::CanCommunicate;
        }
    }
    return MM::CanNotCommunicate;
}

} // namespace kivramm
