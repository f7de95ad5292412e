"""Tango device server for the Kivra shutter controller (device class
KivraShutter), built on the kivra package."""

from __future__ import annotations

import kivra

__version__ = kivra.__version__
