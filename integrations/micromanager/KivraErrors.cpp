#include "KivraErrors.h"

#include "KivraProperties.h"

#include <KivraVocabulary.h>

namespace kivramm {

namespace {

// Library codes lie between -1 and -99; anything else has no code of its own.
constexpr int kLowestMappedResult = -99;

} // namespace

int errorCodeFor(int result)
{
    if (result >= 0 || result < kLowestMappedResult) {
        return kErrUnknownResult;
    }
    for (int code : failureCodes()) {
        if (code == result) {
            return kErrResultBase - result;
        }
    }
    return kErrUnknownResult;
}

std::string describeResult(const std::string &what, int result)
{
    return what + ": " + kivraResultText(result) + " (" + kivraResultName(result) + ", code " +
           std::to_string(result) + ")";
}

std::string defaultErrorText(int mmCode)
{
    switch (mmCode) {
    case kErrUnknownResult:
        return "the library gave a failure code this adapter does not know";
    case kErrValueRefused:
        return "the value is outside the property's range or words; nothing was sent";
    case kErrFireNotSingle:
        return "Fire needs the controller in single mode (Mode = single)";
    case kErrFireDuration:
        return "Fire's time is outside the open-time range";
    case kErrNoPort:
        return "no port chosen: set the property Port before initialising";
    case kErrNotInitialized:
        return "the device is not initialised";
    default:
        break;
    }
    const int result = kErrResultBase - mmCode;
    return std::string(kivraResultText(result)) + " (" + kivraResultName(result) + ", code " +
           std::to_string(result) + ")";
}

} // namespace kivramm
