#!/usr/bin/env python3
"""Judges the engine's power function against exact arithmetic: runs a
program that prints "x y result" lines (hexadecimal doubles) and checks that
every result is x^y rounded to the nearest double. x^y comes from Decimal's
correctly rounded ln and exp at 60 digits; a result counts as wrong only when
the exact value lies outside its rounding interval by more than that error,
and as undecided when it lies within the error of a midpoint.

    python3 tools/powgen/pow_check.py PROGRAM
"""
from decimal import Decimal, getcontext
from fractions import Fraction
import math
import subprocess
import sys

getcontext().prec = 60
ORACLE_ERROR = Fraction(1, 10**52)  # relative, far above the oracle's own


def main():
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    out = subprocess.run([sys.argv[1]], check=True, capture_output=True, text=True).stdout
    logs = {}
    wrong = undecided = checked = 0
    for line in out.splitlines():
        x, y, r = (float.fromhex(f) for f in line.split())
        if x not in logs:
            logs[x] = Decimal(x).ln()
        exact = Fraction((Decimal(y) * logs[x]).exp())
        err = exact * ORACLE_ERROR
        low = (Fraction(r) + Fraction(math.nextafter(r, 0.0))) / 2
        high = (Fraction(r) + Fraction(math.nextafter(r, math.inf))) / 2
        checked += 1
        if low + err < exact < high - err:
            continue
        if low - err < exact < high + err:
            undecided += 1
            print('undecided: %s ^ %s = %s' % (x.hex(), y.hex(), r.hex()))
        else:
            wrong += 1
            print('wrong: %s ^ %s gave %s, nearest is %s' % (x.hex(), y.hex(), r.hex(), float(exact).hex()))
    print('%d results checked, %d wrong, %d undecided' % (checked, wrong, undecided))
    if checked == 0 or wrong or undecided:
        sys.exit(1)


main()
