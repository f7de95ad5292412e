#!/usr/bin/env kivra-ioc
# The example IOC: one Kivra shutter controller. Edit the device, then run
#     kivra-ioc st.cmd
# The device is any name the library opens: a port from "kivra ports"
# (ttyUSB0, or SIM1 for kivra-sim), a device path, or a socket:// or
# rfc2217:// URL.
kivraShutterConfigure("S1", "ttyUSB0")

# Records $(P)$(R)State, $(P)$(R)OpenTime_RBV, ...; readbacks every second,
# State_RBV and Frequency five times a second.
dbLoadRecords("$(KIVRA_SHUTTER)/db/kivraShutter.db", "P=KIVRA:,R=SHUTTER1:,PORT=S1")

iocInit
