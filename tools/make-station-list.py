#!/usr/bin/env python3
"""Builds data/stations.txt, the default station list of a new program folder.

Reads a GEMPAK upper-air station table (ICAO id, WMO number, name, state, FIPS
country code, lat*100, lon*100, elevation in metres) and keeps about 150 stations
spread over the world: at most one per 15-degree cell, plus the stations our test
samples and demo data use. Country codes are the FIPS codes of the IGRA v2 station list (the same codes an
imported IGRA list brings), looked up by WMO number; GEMPAK's own codes are kept
only where IGRA does not list the station.
Usage: make-station-list.py TABLE IGRA2-STATION-LIST > data/stations.txt
"""
import sys

WANTED = {72518, 74494, 87576, 71701, 70026, 72357, 72681, 72672, 72606,
          72201, 72520, 3808, 10868, 47646, 94610, 68816, 83746, 89009, 91285}

def rows(path):
    for line in open(path, encoding="latin-1"):
        parts = line.split()
        if len(parts) < 8:
            continue
        # ICAO id may be blank: the WMO number is then the first field.
        if parts[0].isdigit() and len(parts[0]) == 5:
            parts = ["----"] + parts
        try:
            icao, wmo, name, state, ctry = parts[0], int(parts[1]), parts[2], parts[3], parts[4]
            lat, lon, elev = int(parts[5]) / 100, int(parts[6]) / 100, float(parts[7])
        except ValueError:
            continue
        if len(ctry) != 2:
            continue
        yield icao, wmo, name.replace("_", " ").title(), state, ctry, lat, lon, elev

# GEMPAK's own codes that differ from FIPS, for stations IGRA does not list.
GEMPAK_TO_FIPS = {"IL": "IC", "CN": "CA", "BZ": "BR", "NR": "NG", "AN": "AO", "UW": "US", "MH": "RM"}

def fips_by_wmo(path):
    codes = {}
    for line in open(path, encoding="latin-1"):
        if len(line) > 11 and line[2] == "M" and line[6:11].isdigit():
            codes.setdefault(int(line[6:11]), line[0:2])
    return codes

def main():
    fips = fips_by_wmo(sys.argv[2])
    all_rows = [r[:4] + (fips.get(r[1], GEMPAK_TO_FIPS.get(r[4], r[4])),) + r[5:] for r in rows(sys.argv[1])]
    cells, chosen = {}, {}
    for r in sorted(all_rows, key=lambda r: r[1]):
        if r[1] in WANTED:
            chosen[r[1]] = r
    for r in sorted(all_rows, key=lambda r: r[1]):
        cell = (int((r[5] + 90) // 15), int((r[6] + 180) // 15))
        if cells.get(cell, 0) < 1 and r[1] not in chosen:
            cells[cell] = cells.get(cell, 0) + 1
            chosen[r[1]] = r
    print("Default radiosonde station list of Skyloom (format of the station list import).")
    print("Facts from the WMO upper-air station table as distributed with GEMPAK (NCAR RAOBget config/snstns.tbl);")
    print("country codes (FIPS) from the NOAA NCEI IGRA v2 station list.")
    print("Fields: <OPTION>call-letters wban wmo lat lon elevation(m) name(30 columns) province country(FIPS)")
    for icao, wmo, name, state, ctry, lat, lon, elev in sorted(chosen.values(), key=lambda r: r[1]):
        print(f"<OPTION>{icao} 0 {wmo} {lat:.2f} {lon:.2f} {elev:.0f} {name[:30]:<30} {state} {ctry}")

main()
