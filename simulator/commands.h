// The command codes the simulated controller answers, as they travel in
// request frames. The one table for the device side: the simulator and the
// tests that look at requests on the wire take their codes from here.
#ifndef KIVRA_SIM_COMMANDS_H
#define KIVRA_SIM_COMMANDS_H

#include <cstdint>

namespace kivrasim {

namespace cmd {
constexpr uint16_t kSetState = 0x01;
constexpr uint16_t kSetMode = 0x02;
constexpr uint16_t kSetOnTime = 0x03;
constexpr uint16_t kSetOffTime = 0x04;
constexpr uint16_t kSetCycleCount = 0x05;
constexpr uint16_t kSetTriggerIn = 0x06;
constexpr uint16_t kSetTriggerOut = 0x07;
constexpr uint16_t kSetLightLevel = 0x08;
constexpr uint16_t kSetLightTimeOut = 0x09;
constexpr uint16_t kSetLightIdleLevel = 0x0A;
constexpr uint16_t kSetValveType = 0x0B;
constexpr uint16_t kGetState = 0x0C;
constexpr uint16_t kGetMode = 0x0D;
constexpr uint16_t kGetOnTime = 0x0E;
constexpr uint16_t kGetOffTime = 0x0F;
constexpr uint16_t kGetCycleCount = 0x10;
constexpr uint16_t kGetTriggerIn = 0x11;
constexpr uint16_t kGetTriggerOut = 0x12;
constexpr uint16_t kGetLightLevel = 0x13;
constexpr uint16_t kGetLightTimeOut = 0x14;
constexpr uint16_t kGetLightIdleLevel = 0x15;
constexpr uint16_t kGetValveType = 0x16;
constexpr uint16_t kGetFrequency = 0x17;
constexpr uint16_t kSetInitialState = 0x18;
constexpr uint16_t kGetInitialState = 0x19;
constexpr uint16_t kSetIO1Mode = 0x1A;
constexpr uint16_t kSetIO2Mode = 0x1B;
constexpr uint16_t kGetIO1Mode = 0x1C;
constexpr uint16_t kGetIO2Mode = 0x1D;
constexpr uint16_t kWriteName = 0xFA;
constexpr uint16_t kWriteSerial = 0xFC;
constexpr uint16_t kReadName = 0xFD;
constexpr uint16_t kReadVersion = 0xFE;
constexpr uint16_t kReadSerial = 0xFF;
constexpr uint16_t kPwmDuty = 0x1000;
constexpr uint16_t kPwmHz = 0x1001;
constexpr uint16_t kEndPointPwm = 0x1002;
constexpr uint16_t kEndPointTime = 0x1003;
} // namespace cmd

} // namespace kivrasim

#endif
