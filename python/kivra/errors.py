"""The exceptions every failed call raises, with the library's code."""

from __future__ import annotations

_MEANINGS = {
    -1: "bad argument, or the port is not open",
    -2: "no answer from the controller within the attempt budget",
    -3: "reply start word wrong",
    -4: "reply length does not match its data",
    -5: "the controller refused the request",
    -6: "reply check word wrong",
    -10: "the controller's reply carried no data",
}


class KivraError(Exception):
    """A library call failed; ``code`` is its negative result."""

    def __init__(self, code: int, what: str, meaning: str | None = None) -> None:
        self.code = code
        self.what = what
        self.meaning = meaning or _MEANINGS.get(code, "unknown failure")
        super().__init__(f"{what}: {self.meaning} (code {code})")


class NoAnswer(KivraError):
    """The controller did not answer completely in time (-2)."""


class BadReply(KivraError):
    """The reply was damaged: start word (-3), length (-4) or check word (-6)."""


class Refused(KivraError):
    """The controller refused the request or the value (-5)."""


class PortError(KivraError):
    """The port could not be opened (-1)."""


def error_for(code: int, what: str, meaning: str | None = None) -> KivraError:
    """The exception that stands for a negative result."""
    if code == -2:
        return NoAnswer(code, what, meaning)
    if code in (-3, -4, -6):
        return BadReply(code, what, meaning)
    if code == -5:
        return Refused(code, what, meaning)
    return KivraError(code, what, meaning)


def check(code: int, what: str) -> int:
    """Returns a non-negative result, raises for a negative one."""
    if code < 0:
        raise error_for(code, what)
    return code
