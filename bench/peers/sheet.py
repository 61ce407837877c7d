"""Peer of exporting one sheet: station 0 of a column data file to PNG (at DPI) or PDF.

    sheet.py FILE OUT DPI [--repeat N]   with --repeat, prints the median time of N draws and saves in ms
"""
import sys

import matplotlib.pyplot as plt

from common import Sheet, median_ms, read_column_file


def main():
    path, out, dpi = sys.argv[1], sys.argv[2], int(sys.argv[3])
    sheet = Sheet(read_column_file(path))
    first = next(iter(sheet.stations))[1]

    def export():
        fig = sheet.draw(first)
        fig.savefig(out, dpi=dpi)
        plt.close(fig)

    if len(sys.argv) == 6 and sys.argv[4] == "--repeat":
        print(f"{median_ms(int(sys.argv[5]), export):.3f} ms")
    else:
        export()


main()
