"""kivra-tango: runs the KivraShutter device server."""

from __future__ import annotations

import sys

USAGE = """\
usage: kivra-tango INSTANCE [Tango server options]
       kivra-tango INSTANCE -file=FILE   (no Tango database)

Runs the Tango device server kivra-tango with the device class KivraShutter:
one Kivra shutter controller per device, on the port named by the device
property Port (a port name from 'kivra ports', a device path, or a
socket:// or rfc2217:// URL).

Register a device in the Tango database first, for example:
  tango_admin --add-server kivra-tango/lab1 KivraShutter lab/shutter/1
  tango_admin --add-property lab/shutter/1 Port ttyUSB0
then start:  kivra-tango lab1
Without a database, a FILE holding the two lines
  kivra-tango/lab1/DEVICE/KivraShutter: lab/shutter/1
  lab/shutter/1->Port: ttyUSB0
and: kivra-tango lab1 -file=FILE -ORBendPoint giop:tcp::45450

Attributes: Mode, OpenTime (ms), CloseTime (ms), CycleCount, ValveType,
InitialState, TriggerInputEdge, TriggerOutputLevel, IO1Function, IO2Function,
BacklightBrightness (%), BacklightSleepTime (min), BacklightSleepBrightness (%),
Frequency (Hz), DeviceName, SerialNumber, FirmwareVersion.
Commands: Open, Close, Run, Stop. State: OPEN, CLOSE, RUNNING, FAULT.

  -h, --help     show this help and exit
  --version      show the version and exit
Other options are Tango's own (-v4 for a verbose log, -file, -ORBendPoint).
"""

SERVER_NAME = "kivra-tango"


def main(argv: list[str] | None = None) -> int:
    args = list(sys.argv[1:] if argv is None else argv)
    if not args or args[0] in ("-h", "--help", "-?"):
        sys.stdout.write(USAGE)
        return 0 if args else 2
    if args[0] == "--version":
        import kivra  # the version of the package it runs on, which is its own
        print(f"{SERVER_NAME} {kivra.__version__}")
        return 0
    try:
        from tango.server import run
    except ImportError:
        sys.stderr.write("kivra-tango: PyTango is missing; install it with: "
                         "sudo apt-get install python3-tango\n")
        return 1
    from .device import KivraShutter
    run((KivraShutter,), args=[SERVER_NAME, *args])
    return 0


if __name__ == "__main__":
    sys.exit(main())
