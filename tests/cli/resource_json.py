#!/usr/bin/env python3
"""`skyloom-cli resource`: the JSON keys scripts rely on, the readable report and the refusals.

Usage: resource_json.py SKYLOOM_CLI ALBANY_SAMPLE_GZ
"""
import json
import math
import re
import os
import shutil
import subprocess
import sys
import tempfile

cli, sample = sys.argv[1], sys.argv[2]


def run(folder, *args):
    return subprocess.run([cli, *args, "--folder", folder], capture_output=True, text=True)


def check(condition, what):
    if not condition:
        print("FAILED:", what)
        sys.exit(1)


def numbers(value):
    """Every number of a JSON value."""
    if isinstance(value, dict):
        for v in value.values():
            yield from numbers(v)
    elif isinstance(value, list):
        for v in value:
            yield from numbers(v)
    elif isinstance(value, (int, float)) and not isinstance(value, bool):
        yield value


with tempfile.TemporaryDirectory() as folder:
    check(run(folder, "init").returncode == 0, "init")
    shutil.copy(sample, os.path.join(folder, "72518 albany.fsl.gz"))
    imported = run(folder, "import", os.path.join(folder, "72518 albany.fsl.gz"), "--review=accept")
    # A folder whose init imported the sample already has nothing new to import.
    check(imported.returncode == 0 or "No unique soundings" in imported.stdout + imported.stderr,
          "import: " + imported.stdout + imported.stderr)

    done = run(folder, "resource", "72518", "--whole-range", "--height", "1000f", "--units", "knots",
               "--generator", "Vestas V82 (1.65 MW)", "--json")
    check(done.returncode == 0, "resource --json: " + done.stderr)
    r = json.loads(done.stdout)
    check(r["units"] == "knots" and r["height"] == 1000 and r["soundings"] > 600, "units, height, soundings")
    for fit in ("ml", "energy"):
        check(r["weibull"][fit]["scale"] > 5 and 1 < r["weibull"][fit]["shape"] < 5, "weibull." + fit)
    check(r["powerDensity"] > 0 and 1.0 < r["airDensity"] < 1.35, "powerDensity, airDensity")
    check(len(r["rose"]) == 12 and [s["sector"] for s in r["rose"]] == [30 * k for k in range(12)], "rose sectors")
    check(abs(sum(s["share"] for s in r["rose"]) - 100) < 0.1, "rose shares")
    check(all(set(s) >= {"share", "energyShare", "meanSpeed"} for s in r["rose"]), "rose keys")
    check(len(r["shear"]) == 11 and r["shear"][0]["from"] == 33 and r["shear"][1]["from"] == 500
          and r["shear"][1]["to"] == 1000 and r["shear"][-1]["to"] == 1000, "shear heights")
    check(all("alpha" in p for p in r["shear"]), "shear alpha")
    check(len(r["monthly"]) == 12 and all(m is None or m > 0 for m in r["monthly"]), "monthly")
    check(all(set(y) >= {"year", "meanSpeed", "complete", "energy"} for y in r["years"]), "years")
    check(r["years"][0]["year"] == 1990 and r["years"][0]["complete"] is True, "1990 complete")
    for level in ("p50", "p75", "p90"):
        check(level in r, level)
    check(r["p50"] is None, "no P50 from one complete year")
    check(r["extreme50"] is None and "5 complete years" in r["extremeNote"], "extreme50 and its note")
    check(r["iecClass"] is None and r["iecNote"], "iecClass")
    check(all(math.isfinite(x) for x in numbers(r)), "finite numbers")

    metric = json.loads(run(folder, "resource", "72518", "--whole-range", "--height", "304.8m", "--units", "si",
                            "--json").stdout)
    check(metric["units"] == "m/sec" and metric["lengthUnit"] == "meters", "metric units")
    check(metric["shear"][0]["from"] == 10 and "p50" not in metric, "metric ground height, no generator")
    check(abs(metric["weibull"]["ml"]["scale"] - r["weibull"]["ml"]["scale"] * 0.5144) < 0.01, "metric scale")

    report = run(folder, "resource", "72518", "--whole-range", "--height", "1000f")
    check(report.returncode == 0 and "Wind resource of " in report.stdout, "readable report")
    check(not re.search(r"\b(nan|inf)\b", report.stdout.lower()), "no NaN in the report")

    too_high = run(folder, "resource", "72518", "--height", "6000f")
    check(too_high.returncode == 1 and too_high.stderr.strip().count("\n") == 0 and "5000 feet" in too_high.stderr,
          "a height above 5000 feet is refused in one line")
    empty = run(folder, "resource", "72518", "--from", "1990-06-01", "--to", "1990-05-01")
    check(empty.returncode == 1, "a period the wrong way round is refused")
print("ok")
