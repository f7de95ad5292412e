"""The Tango device class KivraShutter: one controller on one port."""

from __future__ import annotations

from typing import Callable, TypeVar

import kivra
from kivra import KivraError, Mode, State
from tango import DevFailed, DevState, Except
from tango.server import Device, attribute, command, device_property

from .vocabulary import FREQUENCY_UNIT, PARAMETERS, result_name

T = TypeVar("T")

# Failures that mean the line itself is in doubt: the port is given up and
# opened again by the next request.
_LOST = (kivra.NoAnswer, kivra.BadReply)


def _parameter_attribute(name: str) -> attribute:
    """The attribute for one row of the vocabulary: range or words, unit,
    reads and writes through the kivra package."""
    row = next(r for r in PARAMETERS if r.name == name)
    param = row.parameter
    labels = row.labels

    def read(self: "KivraShutter") -> int:
        value = int(self._call(lambda s: getattr(s, row.kivra_name), f"read {row.name}"))
        return value - 1 if labels else value

    def write(self: "KivraShutter", value: int) -> None:
        code = int(value) + 1 if labels else int(value)
        self._call(lambda s: setattr(s, row.kivra_name, code), f"write {row.name}")

    if labels:
        made = attribute(name=row.name, dtype="DevEnum", enum_labels=labels,
                         doc=row.description, fget=read)
    else:
        made = attribute(name=row.name, dtype=int, unit=row.unit, min_value=param.low,
                         max_value=param.high,
                         doc=f"{row.description} ({param.low} to {param.high} {row.unit})".strip(),
                         fget=read)
    return made.setter(write)


class KivraShutter(Device):
    """The Kivra shutter controller on the port named by the Port property.

    State: OPEN or CLOSE as the shutter stands, RUNNING while the controller
    cycles (an automatic sequence, or the one cycle of single or trigger
    mode), FAULT when the port cannot be opened or the controller does not
    answer, with the reason in Status. A lost controller is opened again by
    the next request, without restarting the server.
    """

    Port = device_property(dtype=str, default_value="",
                           doc="the controller's port: a name from kivra ports, a device path, "
                               "or a socket:// or rfc2217:// URL")

    Mode = _parameter_attribute("Mode")
    OpenTime = _parameter_attribute("OpenTime")
    CloseTime = _parameter_attribute("CloseTime")
    CycleCount = _parameter_attribute("CycleCount")
    ValveType = _parameter_attribute("ValveType")
    InitialState = _parameter_attribute("InitialState")
    TriggerInputEdge = _parameter_attribute("TriggerInputEdge")
    TriggerOutputLevel = _parameter_attribute("TriggerOutputLevel")
    IO1Function = _parameter_attribute("IO1Function")
    IO2Function = _parameter_attribute("IO2Function")
    BacklightBrightness = _parameter_attribute("BacklightBrightness")
    BacklightSleepTime = _parameter_attribute("BacklightSleepTime")
    BacklightSleepBrightness = _parameter_attribute("BacklightSleepBrightness")

    # --- life cycle ---------------------------------------------------------

    def init_device(self) -> None:
        super().init_device()
        self._shutter: kivra.Shutter | None = None
        self._refresh()

    def delete_device(self) -> None:
        self._release()

    def dev_state(self) -> DevState:
        self._refresh()
        return self.get_state()

    # --- the controller -----------------------------------------------------

    def _release(self) -> None:
        if getattr(self, "_shutter", None) is not None:
            self._shutter.release()
            self._shutter = None

    def _fault(self, reason: str) -> None:
        self.set_state(DevState.FAULT)
        self.set_status(reason)

    def _open(self) -> kivra.Shutter:
        if self._shutter is None:
            # Tango keeps an empty property as a blank.
            if not self.Port.strip():
                self._fault("no port: set the device property Port")
                Except.throw_exception("KIVRA_NO_PORT", "the device property Port is empty",
                                       "KivraShutter")
            self._shutter = kivra.Shutter(self.Port.strip())
        return self._shutter

    def _call(self, action: Callable[[kivra.Shutter], T], what: str) -> T:
        """Runs action on the controller, opening the port when it is not open.
        A failure goes to the client as a Tango error named by its code; one
        that leaves the line in doubt sets FAULT and gives the port up."""
        try:
            return action(self._open())
        except ValueError as error:
            Except.throw_exception("KIVRA_VALUE_OUT_OF_RANGE", f"{what}: {error}",
                                   "KivraShutter")
        except KivraError as error:
            if isinstance(error, kivra.PortError) or isinstance(error, _LOST):
                self._release()
                self._fault(f"controller not answering on {self.Port}: {error}")
            Except.throw_exception(result_name(error.code), f"{what}: {error}",
                                   "KivraShutter")
        raise AssertionError("unreachable")  # throw_exception always raises

    def _refresh(self) -> None:
        """Reads the shutter state and whether it is cycling into State."""
        try:
            frequency = self._call(lambda s: s.frequency, "read the frequency")
            state = self._call(lambda s: s.state, "read the shutter state")
        except DevFailed as error:
            if self.get_state() != DevState.FAULT:
                self._fault(f"the controller's state could not be read: {error.args[0].desc}")
            return
        if frequency > 0:
            self.set_state(DevState.RUNNING)
            self.set_status(f"The shutter is cycling at {frequency:g} Hz.")
        elif state == State.OPEN:
            self.set_state(DevState.OPEN)
            self.set_status("The shutter is open.")
        else:
            self.set_state(DevState.CLOSE)
            self.set_status("The shutter is closed.")

    # --- read-only attributes -----------------------------------------------

    @attribute(dtype=float, unit=FREQUENCY_UNIT,
               doc="shutter frequency while it cycles; 0 when idle")
    def Frequency(self) -> float:
        return self._call(lambda s: s.frequency, "read Frequency")

    @attribute(dtype=str, doc="the controller's device name")
    def DeviceName(self) -> str:
        return self._call(lambda s: s.device_name, "read DeviceName")

    @attribute(dtype=str, doc="the controller's serial number")
    def SerialNumber(self) -> str:
        return self._call(lambda s: s.serial_number, "read SerialNumber")

    @attribute(dtype=str, doc="the controller's firmware version")
    def FirmwareVersion(self) -> str:
        return self._call(lambda s: s.firmware_version, "read FirmwareVersion")

    # --- commands -----------------------------------------------------------

    @command
    def Open(self) -> None:
        """Opens the shutter (in auto mode: starts the sequence; in single
        mode: runs one cycle)."""
        self._call(lambda s: s.open(), "Open")
        self._refresh()

    @command
    def Close(self) -> None:
        """Closes the shutter, ending a sequence or cycle that runs."""
        self._call(lambda s: s.close(), "Close")
        self._refresh()

    @command
    def Run(self) -> None:
        """Starts an automatic sequence with the set open and close times and
        cycle count (Mode becomes auto)."""
        def run(s: kivra.Shutter) -> None:
            s.mode = Mode.AUTO
            s.open()
        self._call(run, "Run")
        self._refresh()

    @command
    def Stop(self) -> None:
        """Stops a running sequence or cycle; the shutter closes."""
        self._call(lambda s: s.close(), "Stop")
        self._refresh()
