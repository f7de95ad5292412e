"""Tango device server for the Kivra shutter controller (device class
KivraShutter), built on the kivra package. Importing this package loads
nothing; kivra_tango.device needs PyTango and the library."""
