"""What the Tango device shows of each controller parameter: attribute name,
the kivra package's property behind it, unit and description. Ranges, value
words and the result codes' names come from the kivra package, which takes
them from the library's vocabulary."""

from __future__ import annotations

from dataclasses import dataclass
from typing import Optional

import kivra
from kivra._vocabulary import RESULTS


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

def result_name(code: int) -> str:
    """The library's name for a failure code, the reason of a Tango error."""
    return RESULTS[code][0] if code < 0 and code in RESULTS else "KIVRA_ERR_UNKNOWN"
