"""Drive a Kivra shutter controller from Python.

    import kivra
    with kivra.Shutter("SIM1") as s:
        s.run(on_ms=50, off_ms=50, cycles=10)
        s.wait_until_idle(timeout=5)
"""

from __future__ import annotations

from . import _library
from ._version import __version__
from .errors import BadReply, KivraError, NoAnswer, PortError, Refused
from .shutter import (Edge, IOMode, Level, Mode, Parameter, Shutter, State, Valve, list_ports,
                      parameters)


def library_path() -> str:
    """The shared library this package loaded."""
    return _library.path


__all__ = [
    "BadReply", "Edge", "IOMode", "KivraError", "Level", "Mode", "NoAnswer", "Parameter",
    "PortError", "Refused", "Shutter", "State", "Valve", "library_path", "list_ports",
    "parameters",
]
