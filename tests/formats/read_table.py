"""Reads a table as an analysis script would, with Python's csv module, and
prints every field as text: one row a line, each field as '.' and the hex of
its UTF-8 bytes, so that tabs, line breaks and empty fields survive the trip.

Usage: read_table.py FILE tsv|csv|csv-fr
"""
import csv
import sys

DIALECTS = {
    "tsv": {"dialect": "excel-tab"},
    "csv": {"dialect": "excel"},
    "csv-fr": {"dialect": "excel", "delimiter": ";"},
}


def main():
    path, kind = sys.argv[1], sys.argv[2]
    # utf-8-sig drops the byte-order mark the French spreadsheets need.
    with open(path, newline="", encoding="utf-8-sig") as table:
        for row in csv.reader(table, **DIALECTS[kind]):
            print(" ".join("." + field.encode("utf-8").hex() for field in row))


main()
