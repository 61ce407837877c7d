"""Peer of exporting every station: one PDF page per station of a column data file (PdfPages).

    pages.py FILE OUT [--repeat N]   with --repeat, prints the median time of N exports in ms
"""
import sys

import matplotlib.pyplot as plt
from matplotlib.backends.backend_pdf import PdfPages

from common import Sheet, median_ms, read_column_file


def main():
    path, out = sys.argv[1], sys.argv[2]
    sheet = Sheet(read_column_file(path))

    def export():
        with PdfPages(out) as pdf:
            for _, rows in sheet.stations:
                fig = sheet.draw(rows)
                pdf.savefig(fig)
                plt.close(fig)

    if len(sys.argv) == 5 and sys.argv[3] == "--repeat":
        print(f"{median_ms(int(sys.argv[4]), export):.3f} ms")
    else:
        export()


main()
