#!/usr/bin/env python3
"""Writes the example table files under tables/ from the physics each one stands for.

Usage: python3 tools/gen_tables/gen_example_tables.py tools/gen_thermocouple/its90-thermocouples.tsv tables
Each file is (result, signal) per line, signals rising, with ';' comments describing it.
"""
import math
import os
import sys


def type_k_mv(t, segments):
    """ITS-90 type K reference function, mV."""
    low, high, exp_term = segments
    if t < 0:
        return sum(c * t ** i for i, c in enumerate(low))
    a0, a1, a2 = exp_term
    return sum(c * t ** i for i, c in enumerate(high)) + a0 * math.exp(a1 * (t - a2) ** 2)


def read_type_k(tsv):
    rows = {}
    with open(tsv, encoding="utf-8") as source:
        for line in source:
            if line.startswith("#") or not line.strip():
                continue
            kind, t_low, _t_high, coefficients = line.rstrip("\n").split("\t")
            if kind in ("K", "K-exp"):
                rows[(kind, float(t_low))] = [float(c) for c in coefficients.split()]
    return rows[("K", -270.0)], rows[("K", 0.0)], rows[("K-exp", 0.0)]


def write(folder, name, header, rows):
    with open(os.path.join(folder, name), "w", encoding="utf-8", newline="\n") as out:
        for line in header:
            out.write(f"; {line}\n" if line else ";\n")
        for result, signal in rows:
            out.write(f"{result:>10} {signal:>10}\n")


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    tsv, folder = sys.argv[1], sys.argv[2]
    k = read_type_k(tsv)
    gen = "python3 tools/gen_tables/gen_example_tables.py tools/gen_thermocouple/its90-thermocouples.tsv tables"

    write(folder, "user-sensor-type-k.dat",
          ["User sensor (code 15): a type K thermocouple, -150 .. 1370 degC.",
           "The ITS-90 reference function (IEC 60584-1); replace the second column by the",
           "EMF of a calibration certificate to make the transducer follow that thermocouple.",
           f"Generated: {gen}", "", "  t[°C]     E[mV]"],
          [(f"{t:.1f}", f"{type_k_mv(t, k):.4f}") for t in range(-150, 1371, 10)])

    r25, beta = 1000.0, 3435.0
    ntc = []
    for t in range(100, 9, -1):  # falling temperature, rising resistance
        r = r25 * math.exp(beta * (1 / (t + 273.15) - 1 / 298.15))
        ntc.append((f"{t:.1f}", f"{r:.3f}"))
    write(folder, "resistance-ntc-1k.dat",
          ["Resistance input (code 5): an NTC thermistor of 1000 Ohm at 25 degC, B = 3435 K,",
           "10 .. 100 degC. R = R25 exp(B (1/T - 1/298.15 K)); the result falls as the signal rises.",
           f"Generated: {gen}", "", "  t[°C]    R[Ohm]"], ntc)

    cell, faraday, gas = 973.15, 96485.33, 8.314462  # a probe held at 700 degC
    slope = gas * cell / (4 * faraday) * 1000.0  # mV per e-fold of the oxygen partial pressure
    write(folder, "millivolt-zirconia-oxygen.dat",
          ["Millivolt input (code 16): a zirconia oxygen probe at 700 degC against air (20.95 % O2).",
           "E = RT/4F ln(20.95 / O2); oxygen in % (unit %), falling as the signal rises, 0 .. 112 mV.",
           f"Generated: {gen}", "", " O2[%]     E[mV]"],
          [(f"{20.95 * math.exp(-e / slope):.4f}", f"{e:.1f}") for e in range(0, 113, 2)])

    tank = []
    for i in range(101):
        u = i / 100.0
        theta = 2 * math.acos(1 - 2 * u)
        tank.append((f"{100 * (theta - math.sin(theta)) / (2 * math.pi):.3f}", f"{10 * u:.2f}"))
    write(folder, "volt-horizontal-tank.dat",
          ["Volt input (code 18): content of a horizontal cylindrical tank, level 0 .. 10 V over",
           "its diameter. V / Vfull = (a - sin a) / 2 pi with a = 2 acos(1 - 2 h/D); result in %.",
           f"Generated: {gen}", "", " V[%]      U[V]"], tank)

    flow = [(f"{100 * math.sqrt(i / 40.0):.3f}", f"{4 + 0.4 * i:.2f}") for i in range(41)]
    write(folder, "milliamp-square-root-flow.dat",
          ["Current input (code 17): flow through an orifice from a differential-pressure",
           "transmitter, 4 .. 20 mA linear in pressure; flow = 100 % sqrt((I - 4) / 16).",
           f"Generated: {gen}", "", " Q[%]      I[mA]"], flow)
    return 0


if __name__ == "__main__":
    sys.exit(main())
