#!/usr/bin/env python3
"""Writes src/model/thermocouple_tables.cpp from the ITS-90 reference-function table (mV).

The code holds microvolts, so every coefficient is scaled by 1000 in decimal, exactly, before it
becomes a long double literal; only the amplitude of type K's exponential term is a voltage.
Usage: python3 tools/gen_thermocouple/gen_thermocouple_tables.py tools/gen_thermocouple/its90-thermocouples.tsv
           > src/model/thermocouple_tables.cpp
"""
import sys
from decimal import Decimal


def literal(value: Decimal) -> str:
    text = format(value.normalize(), "e") if value != 0 else "0.0"
    if "e" in text:
        mantissa, exponent = text.split("e")
        if "." not in mantissa:
            mantissa += ".0"
        text = f"{mantissa}e{int(exponent)}"
    return text + "L"


def main() -> int:
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    segments = {}
    with open(sys.argv[1], encoding="utf-8") as source:
        for line in source:
            if not line.strip() or line.startswith("#"):
                continue
            kind, _low, _high, coefficients = line.rstrip("\n").split("\t")
            values = [Decimal(c) for c in coefficients.split()]
            if kind == "K-exp":
                values[0] = values[0].scaleb(3)  # a0 is a voltage; a1 and a2 are not
                name = "kKExp"
            else:
                index = sum(1 for key in segments if key.startswith(f"k{kind}") and key[2:].isdigit())
                values = [v.scaleb(3) for v in values]
                name = f"k{kind}{index}"
            segments[name] = values

    out = sys.stdout
    out.write("// Generated: python3 tools/gen_thermocouple/gen_thermocouple_tables.py "
              "tools/gen_thermocouple/its90-thermocouples.tsv > src/model/thermocouple_tables.cpp\n")
    out.write('#include "model/thermocouple_tables.h"\n\n')
    out.write("namespace r4860::model::its90 {\n\n")
    for name, values in segments.items():
        out.write(f"const std::array<long double, {len(values)}> {name} = {{\n")
        for value in values:
            out.write(f"    {literal(value)},\n")
        out.write("};\n\n")
    out.write("}  // namespace r4860::model::its90\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
