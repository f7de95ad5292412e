// The Kivra shutter as a Micro-Manager shutter device, over the exported
// functions of KivraLibrary only: the handle from openSerial() is the one
// piece of state that reaches the controller. Every call completes its
// exchange before it returns; the valve itself still moves after a state
// change, so Busy() stays true for Delay_ms from then (for the fired time
// after Fire), which Micro-Manager waits for before it starts an exposure.
// A line lost (no answer, damaged replies) is opened again by the next call.
#ifndef KIVRA_MM_SHUTTER_H
#define KIVRA_MM_SHUTTER_H

#include "KivraProperties.h"

#include <DeviceBase.h>

#include <chrono>
#include <map>
#include <string>

namespace kivramm {

extern const char *const kDeviceName;
extern const char *const kDeviceDescription;

struct TextProperty; // a controller text field shown as a read-only property

class KivraShutter : public CShutterBase<KivraShutter>
{
public:
    KivraShutter();
    ~KivraShutter() override;
    KivraShutter(const KivraShutter &) = delete;
    KivraShutter &operator=(const KivraShutter &) = delete;

    int Initialize() override;
    int Shutdown() override;
    void GetName(char *name) const override;
    bool Busy() override;
    bool SupportsDeviceDetection() override { return true; }
    MM::DeviceDetectionStatus DetectDevice() override;
    int SetProperty(const char *name, const char *value) override;

    int SetOpen(bool open = true) override;
    int GetOpen(bool &open) override;
    int Fire(double deltaT) override;

private:
    int createParameterProperty(const Parameter &param);
    int createTextProperty(const TextProperty &text);
    int onParameter(const Parameter &param, MM::PropertyBase *prop, MM::ActionType act);
    int onState(MM::PropertyBase *prop, MM::ActionType act);
    int onAvailablePorts(MM::PropertyBase *prop, MM::ActionType act);
    int onDelay(MM::PropertyBase *prop, MM::ActionType act);
    // Busy() for the next ms milliseconds.
    void busyFor(double ms);

    std::string portName() const;
    // DEVICE_OK with handle_ open, opening the port again after a lost line.
    int connection();
    void dropLine();
    // DEVICE_OK for a result of 0 or more, else the error for what failed.
    int checked(int result, const std::string &what);
    // Sets the code's text, logs it and returns the code.
    int fail(int mmCode, const std::string &text);
    int failResult(const std::string &what, int result);

    bool initialized_ = false;
    std::string port_;                         // as it was at initialisation
    int handle_ = 0;                           // 0 while the line is lost
    std::map<std::string, std::string> texts_; // the text fields as read at initialisation
    std::chrono::steady_clock::time_point busyUntil_{};
};

} // namespace kivramm

#endif
