"""The LUMETRA-QZ laser for PyMeasure, over the program's remote interface (or lumetra-remote's).

    from lumetra_qz import LumetraQZ
    laser = LumetraQZ("TCPIP::127.0.0.1::5025::SOCKET")
    laser.energy_setpoint = 2.5
    laser.complete()
    print(laser.measured_energy)
"""
from .instrument import LumetraQZ, property_name, remote_tree

__all__ = ["LumetraQZ", "property_name", "remote_tree"]
