"""What the Tango device shows of each controller parameter: attribute name,
the kivra package's property behind it, unit and description. Ranges and the
value words come from the kivra package itself; the result names are the
library's. The one place to switch when the library's vocabulary arrives."""

from __future__ import annotations

from dataclasses import dataclass
from typing import Optional

import kivra


@dataclass(frozen=True)
class Attribute:
    name: str         # Tango attribute name
    kivra_name: str   # the kivra.Shutter property behind it
    unit: str
    description: str

    @property
    def parameter(self) -> kivra.Parameter:
        return kivra.parameters()[self.kivra_name]

    @property
    def labels(self) -> Optional[list[str]]:
        """The words of a coded value, for codes 1, 2, ...; None for numbers."""
        kind = self.parameter.kind
        if kind is None:
            return None
        return [_word(member.name) for member in sorted(kind, key=int)]


def _word(name: str) -> str:
    """The command-line tool's spelling: lower case, model names as printed
    on the valve (KD08_40 -> KD08-40)."""
    word = name.replace("_", "-")
    return word if any(c.isdigit() for c in word) else word.lower()


PARAMETERS = [
    Attribute("Mode", "mode", "", "operating mode; Open runs one cycle in single mode, "
              "starts the sequence in auto mode"),
    Attribute("OpenTime", "on_time_ms", "ms", "open time of a cycle"),
    Attribute("CloseTime", "off_time_ms", "ms", "closed time of a cycle"),
    Attribute("CycleCount", "cycles", "", "cycles of an automatic sequence"),
    Attribute("ValveType", "valve", "", "valve model"),
    Attribute("InitialState", "initial_state", "", "shutter state after power-on"),
    Attribute("TriggerInputEdge", "trigger_in", "", "edge of the trigger input"),
    Attribute("TriggerOutputLevel", "trigger_out", "", "level of the trigger output"),
    Attribute("IO1Function", "io1", "", "function of the IO1 line"),
    Attribute("IO2Function", "io2", "", "function of the IO2 line"),
    Attribute("BacklightBrightness", "light_level", "%", "display backlight brightness"),
    Attribute("BacklightSleepTime", "light_timeout_min", "min",
              "idle time before the backlight dims"),
    Attribute("BacklightSleepBrightness", "light_idle_level", "%",
              "backlight brightness when dimmed"),
]

FREQUENCY_UNIT = "Hz"

# The library's names for its failure codes, the reason of a Tango error.
RESULT_NAMES = {
    -1: "KIVRA_ERR_ARGUMENT",
    -2: "KIVRA_ERR_NO_REPLY",
    -3: "KIVRA_ERR_START",
    -4: "KIVRA_ERR_LENGTH",
    -5: "KIVRA_ERR_REFUSED",
    -6: "KIVRA_ERR_CHECK",
    -10: "KIVRA_ERR_NO_DATA",
}


def result_name(code: int) -> str:
    return RESULT_NAMES.get(code, "KIVRA_ERR_UNKNOWN")
