"""A map picture read as the reader of a paper reads it: the caption naming
the quantities held fixed and the exact check's model, the outcome panel's
title saying whose model the case solvers keep, and both axis names with
their units, read back
with tesseract; and the same picture written as SVG, its map marked to be
drawn pixelated, and as PDF.
    test_map_text.py BATCH WORKDIR"""
import os
import re
import subprocess
import sys

from PIL import Image

PLOT_LEFT, PLOT_TOP, PLOT_SIZE = 90, 80, 512  # the first panel (kMapPlotLeft[0], ...)


def read_line(img, box, turn=0):
    """The line of text tesseract reads in box (x0, y0, x1, y1) of img, turned
    by turn degrees first; enlarged smoothly, as it reads best."""
    part = img.crop(box).rotate(turn, expand=True)
    part = part.resize((part.width * 3, part.height * 3), Image.LANCZOS)
    path = os.path.join(WORK, "line.png")
    part.save(path)
    out = subprocess.run(["tesseract", path, "stdout", "--psm", "7"], capture_output=True,
                         text=True, check=True, timeout=60)
    return out.stdout.strip()


def expect(cond, message):
    if not cond:
        sys.exit("FAIL: " + message)


def main():
    global WORK
    batch, work = sys.argv[1], sys.argv[2]
    WORK = work
    os.makedirs(work, exist_ok=True)
    prefix = os.path.join(work, "m")
    grid = ["map", "--x", "alHand:-90:90:25", "--y", "aSph:30:70:6", "--deg", "--hand", "0,9",
            "--work", "0,80,10", "--contact", "point", "--mu", "0.8", "--fex", "0.5,0,1",
            "--out", prefix]
    subprocess.run([batch] + grid, check=True)
    img = Image.open(prefix + ".png").convert("L")
    bottom = PLOT_TOP + PLOT_SIZE
    lines = [("the caption", read_line(img, (80, 0, 1330, 27)),
              "Held fixed: hand angle about Y betHand = 9\u00b0; work centre x = 0, y = 80, "
              "z = 10 (model length units)"),
             ("the model", read_line(img, (80, 27, 1330, 49)),
              "Exact check: point contacts, mu = 0.8, rm = 10, cap = 10, load FEX = (0.5, 0, 1), "
              "MEX = (0, 0, 0)"),
             ("the outcome title", read_line(img, (80, 50, PLOT_LEFT + PLOT_SIZE, PLOT_TOP - 4)),
              "Case solvers (on their own fixed model) and exact check"),
             ("the x axis", read_line(img, (PLOT_LEFT, bottom + 28, PLOT_LEFT + PLOT_SIZE,
                                            bottom + 50)), "hand angle about X, alHand (degrees)"),
             ("the y axis", read_line(img, (0, PLOT_TOP, 62, bottom), -90),
              "work radius, aSph (model length units)")]
    for what, read, want in lines:
        expect(read == want, "%s reads %r, expected %r" % (what, read, want))

    # the vector formats, each in place of the PNG
    for fmt, start, end in (("svg", b"<?xml", b"</svg>\n"), ("pdf", b"%PDF-", b"%%EOF\n")):
        out = os.path.join(work, fmt)
        subprocess.run([batch] + grid[:-1] + [out, "--format", fmt], check=True)
        with open(out + "." + fmt, "rb") as f:
            data = f.read()
        expect(data.startswith(start) and data.endswith(end), "%s: not a whole file" % fmt)
        expect(not os.path.exists(out + ".png"), "%s: a PNG was written too" % fmt)
    # the SVG's embedded map is drawn cell by cell, never blurred between cells
    with open(os.path.join(work, "svg.svg"), "rb") as f:
        images = re.findall(rb"<image [^>]*>", f.read())
    expect(len(images) == 2 and all(b"image-rendering:pixelated" in i for i in images),
           "svg: the map images carry no pixelated hint")
    print("map picture text and formats ok")


if __name__ == "__main__":
    main()
