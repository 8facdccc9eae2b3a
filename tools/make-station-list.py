#!/usr/bin/env python3
"""Builds data/stations.txt, the default station list of a new program folder.

The list is the world's upper-air network of today: every station of the IGRA v2
station list that is numbered by its WMO number and reported in 2015 or later
(the GEMPAK table has no years, so a station it alone lists cannot be told to be
still reporting and is left out). A station both tables know is written once,
with the GEMPAK table's call letters, name and state, and the GEMPAK position
unless it lies more than 0.1 degree (in latitude or longitude) from the IGRA
position, which is then taken. Country codes are the FIPS codes of the IGRA ids.
A few IGRA positions are damaged (a coordinate that lost its whole degrees): the
table's position is taken for them, and a station only IGRA lists is then left out.

Two stations within 0.1 degree of each other (in latitude and in longitude)
under two numbers are one site renumbered or twin sites: only the one that
reported last (then the one with more soundings) is kept.

The stations of the shipped samples and of the demo soundings are always kept,
reporting or not; Portland ME (72606, closed in 1994), which neither table lists,
is described from the station line of its own sample file.

Usage: make-station-list.py GEMPAK-TABLE IGRA2-STATION-LIST [PORTLAND-SAMPLE.gz] > data/stations.txt
"""
import gzip
import re
import sys

FIRST_RECENT_YEAR = 2015
SAME_SITE_DEGREES = 0.1
# Stations of the shipped samples and of the demo soundings.
WANTED = {72518, 74494, 87576, 71701, 70026, 72606,
          3026, 4018, 7645, 72250, 72520, 68816, 85934, 47646}
# IGRA ids with another country's code: Dien Bien (Vietnam) is listed under Mali's.
FIPS_FIXES = {48811: "VM"}
# GEMPAK's own country codes that differ from FIPS, for stations IGRA does not list.
GEMPAK_TO_FIPS = {"IL": "IC", "CN": "CA", "BZ": "BR", "NR": "NG", "AN": "AO", "UW": "US", "MH": "RM"}


def gempak(path):
    """WMO number -> (icao, name, state, country, lat, lon, elev), from the table's fixed columns."""
    out = {}
    for line in open(path, encoding="latin-1"):
        rest = line[54:].split()
        if len(line) < 60 or len(rest) < 3 or not line[10:15].isdigit():
            continue
        try:
            lat, lon, elev = int(rest[0]) / 100, int(rest[1]) / 100, float(rest[2])
        except ValueError:
            continue
        wmo = int(line[10:15])
        if wmo in out:
            continue
        icao = line[0:9].strip() or "----"
        name = " ".join(line[16:48].replace("_", " ").split()).title()
        out[wmo] = (icao, name, line[49:51].strip() or "--", line[52:54], lat, lon, elev)
    return out


def tidy(name, country):
    """An IGRA name without the list's own suffixes ("OLENEK (RS)", "WENJIANG (56187-0)", "CHATHAM; MA.")."""
    name = " ".join(name.split())
    name = re.sub(r"\s*\((%s|\d{5}-\d)\)$" % country, "", name)
    name = re.sub(r";\s*[A-Z]{2}\.?$", "", name)
    return name.title()


def igra(path):
    """WMO number -> (country, lat, lon, elev, state, name, last year, soundings) of the WMO-numbered stations."""
    out = {}
    for line in open(path, encoding="latin-1"):
        if len(line) < 88 or line[2] != "M" or not line[6:11].isdigit():
            continue
        try:
            lat, lon, elev = float(line[12:20]), float(line[21:30]), float(line[31:37])
            last, nobs = int(line[77:81]), int(line[82:88])
        except ValueError:
            continue
        if abs(lat) > 90 or abs(lon) > 180:
            continue  # mobile
        name = tidy(line[41:71], line[0:2])
        state = line[38:40].strip() or "--"
        out[int(line[6:11])] = (line[0:2], lat, lon, max(elev, 0.0), state, name, last, nobs)
    return out


def portland(path):
    """The station line of the Portland sample: (lat, lon, elev)."""
    with gzip.open(path, "rt", encoding="latin-1") as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 6 and parts[0] == "1" and parts[2] == "72606":
                return float(parts[3]), -float(parts[4]), float(parts[5])
    raise SystemExit("no station line of 72606 in " + path)


def damaged(lat, lon):
    """IGRA positions with a coordinate of 0.00x: a coordinate that lost its whole degrees
    (Yushu, Hezuo and Sovetskaya Gavan at latitude 0.00, Dien Bien and Kavali at longitude 0.01)."""
    return abs(lat) < 0.02 or abs(lon) < 0.02


def far(a, b):
    return abs(a[0] - b[0]) > SAME_SITE_DEGREES + 1e-9 or abs(a[1] - b[1]) > SAME_SITE_DEGREES + 1e-9


def main():
    table, listed = gempak(sys.argv[1]), igra(sys.argv[2])
    chosen = {}  # wmo -> (icao, wmo, name, state, country, lat, lon, elev, last, nobs)
    for wmo, (ctry, lat, lon, elev, state, name, last, nobs) in listed.items():
        if last < FIRST_RECENT_YEAR and wmo not in WANTED:
            continue
        icao = "----"
        if damaged(lat, lon) and wmo not in table:
            continue  # no position to trust
        ctry = FIPS_FIXES.get(wmo, ctry)
        if wmo in table:
            icao, name, gstate, _, glat, glon, gelev = table[wmo]
            state = gstate
            if not far((glat, glon), (lat, lon)) or damaged(lat, lon):
                lat, lon, elev = glat, glon, gelev
        chosen[wmo] = (icao, wmo, name, state, ctry, round(lat, 2), round(lon, 2), elev, last, nobs)
    for wmo in WANTED - chosen.keys():
        if wmo in table:
            icao, name, state, ctry, lat, lon, elev = table[wmo]
            chosen[wmo] = (icao, wmo, name, state, GEMPAK_TO_FIPS.get(ctry, ctry), lat, lon, elev, 0, 0)
    if 72606 not in chosen and len(sys.argv) > 3:
        lat, lon, elev = portland(sys.argv[3])
        chosen[72606] = ("PWM", 72606, "Portland Intl Jetport", "ME", "US", lat, lon, elev, 1994, 0)

    # One station per site: the wanted ones first, then the one that reported last, then the busier one.
    kept = []
    for s in sorted(chosen.values(), key=lambda s: (s[1] not in WANTED, -s[8], -s[9], s[1])):
        if all(far((s[5], s[6]), (k[5], k[6])) for k in kept):
            kept.append(s)

    print("Default radiosonde station list of Skyloom (format of the station list import).")
    print("The WMO-numbered stations of the NOAA NCEI IGRA v2 station list that reported in 2015 or later, with call")
    print("letters, names and positions from the WMO upper-air station table as distributed with GEMPAK (NCAR RAOBget")
    print("config/snstns.tbl) where it lists them; country codes (FIPS) from the IGRA ids. Built by tools/make-station-list.py.")
    print("Fields: <OPTION>call-letters wban wmo lat lon elevation(m) name(30 columns) province country(FIPS)")
    for icao, wmo, name, state, ctry, lat, lon, elev, _, _ in sorted(kept, key=lambda s: s[1]):
        print(f"<OPTION>{icao} 0 {wmo} {lat:.2f} {lon:.2f} {elev:.0f} {name[:30]:<30} {state} {ctry}")


main()
