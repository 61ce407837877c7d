"""Peer of loading a column data file: pandas.read_csv with the file's separators.

    load.py FILE [--repeat N]   with --repeat, prints the median time of N reads in ms
"""
import sys

from common import median_ms, read_column_file


def main():
    path = sys.argv[1]
    if len(sys.argv) == 4 and sys.argv[2] == "--repeat":
        rows = []
        ms = median_ms(int(sys.argv[3]), lambda: rows.append(len(read_column_file(path))))
        print(f"{ms:.3f} ms ({rows[-1]} rows)")
    else:
        read_column_file(path)


main()
