"""The exceptions every failed call raises, with the library's code."""

from __future__ import annotations

from ._vocabulary import (COMMANDS, KIVRA_ERR_CHECK, KIVRA_ERR_LENGTH, KIVRA_ERR_NO_REPLY,
                          KIVRA_ERR_REFUSED, KIVRA_ERR_START, RESULTS, UNKNOWN_RESULT)


def _meaning_of(code: int, what: str) -> str:
    """The library's text for a result; a missing answer names the budget of
    the function what, when it is one."""
    text = RESULTS.get(code, UNKNOWN_RESULT)[1]
    command = COMMANDS.get(what)
    if code == KIVRA_ERR_NO_REPLY and command:
        text += f" within {command.attempts} ms"
    return text


class KivraError(Exception):
    """A library call failed; ``code`` is its negative result."""

    def __init__(self, code: int, what: str, meaning: str | None = None) -> None:
        self.code = code
        self.what = what
        self.meaning = meaning or _meaning_of(code, what)
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
    if code == KIVRA_ERR_NO_REPLY:
        return NoAnswer(code, what, meaning)
    if code in (KIVRA_ERR_START, KIVRA_ERR_LENGTH, KIVRA_ERR_CHECK):
        return BadReply(code, what, meaning)
    if code == KIVRA_ERR_REFUSED:
        return Refused(code, what, meaning)
    return KivraError(code, what, meaning)


def check(code: int, what: str) -> int:
    """Returns a non-negative result, raises for a negative one."""
    if code < 0:
        raise error_for(code, what)
    return code
