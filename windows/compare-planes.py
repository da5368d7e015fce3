#!/usr/bin/env python3
"""Compares the plane in two pictures of the same session, one from Debian and one from Windows:
   compare-planes.py DEBIAN.png WINDOWS.png
The plane is drawn in exact palette colours, without antialiasing: its grid dots (dark red), the
axes (navy), the line (red) and the points' marks (magenta). The menu bar's face is the system's,
and its height moves the plane and changes its height by a few pixels: each picture's plane is
found from its axes and the spacing of its grid, and every pixel of the line and of the marks of
one picture, carried to the same place of the other's plane, must have one of its colour within
a pixel there, both ways, but for the few at the edges of a plane that is a pixel larger. The axes and texts, whose glyphs come from each system's font
renderer, are measured and told, not judged. Exits non-zero, saying what differs, when the
planes differ."""
import statistics
import subprocess
import sys

GRID = (128, 0, 0)
AXES = (0, 0, 128)
JUDGED = {"the line": (255, 0, 0), "the points' marks": (255, 0, 255)}
TOLD = {"the axes and texts": AXES}


def load(path):
    ppm = subprocess.run(["convert", path, "ppm:-"], capture_output=True, check=True).stdout
    fields = ppm.split(maxsplit=4)
    width, height = int(fields[1]), int(fields[2])
    return width, height, fields[4]


def where(picture, colour):
    width, height, data = picture
    wanted = bytes(colour)
    return {(i // 3 % width, i // 3 // width)
            for i in range(0, width * height * 3, 3) if data[i:i + 3] == wanted}


def centres(values):
    """The middles of the runs of neighbouring values: a dot may be more than a pixel wide."""
    runs = []
    for value in sorted(set(values)):
        if runs and value - runs[-1][-1] <= 1:
            runs[-1].append(value)
        else:
            runs.append([value])
    return [sum(run) / len(run) for run in runs]


def spacing(lines):
    """The grid's spacing, to a fraction of a pixel: from the first line of dots to the last,
    counted in steps of the usual gap, which a line hidden behind the fields does not upset."""
    step = statistics.median(b - a for a, b in zip(lines, lines[1:]))
    return (lines[-1] - lines[0]) / round((lines[-1] - lines[0]) / step)


def plane(picture):
    """Where the axes cross, and the grid's spacing across and down, in pixels."""
    dots = where(picture, GRID)
    axes = where(picture, AXES)
    across, down = spacing(centres(x for x, _ in dots)), spacing(centres(y for _, y in dots))
    column = statistics.mode(x for x, _ in axes)
    row = statistics.mode(y for _, y in axes)
    return column, row, across, down


def matched(points, others, source, target):
    """The share of points with a point of the other picture within a pixel, once carried from
    the source plane to the target one."""
    near = [(a, b) for a in (-1, 0, 1) for b in (-1, 0, 1)]
    hits = 0
    for x, y in points:
        u = (x - source[0]) / source[2]
        v = (y - source[1]) / source[3]
        tx, ty = round(target[0] + u * target[2]), round(target[1] + v * target[3])
        hits += any((tx + a, ty + b) in others for a, b in near)
    return hits / len(points) if points else 0.0


def main():
    debian, windows = load(sys.argv[1]), load(sys.argv[2])
    faults = []
    planes = plane(debian), plane(windows)
    print(f"windows {debian[0]}x{debian[1]} and {windows[0]}x{windows[1]} pixels; the origin at "
          f"{planes[0][0]}, {planes[0][1]} and {planes[1][0]}, {planes[1][1]}; the grid "
          f"{planes[0][2]:g} by {planes[0][3]:g} and {planes[1][2]:g} by {planes[1][3]:g} pixels")
    for name, colour in {**JUDGED, **TOLD}.items():
        ours, theirs = where(debian, colour), where(windows, colour)
        there = matched(ours, theirs, planes[0], planes[1])
        back = matched(theirs, ours, planes[1], planes[0])
        print(f"{name}: {len(ours)} and {len(theirs)} pixels, {there:.1%} of Debian's on Windows, "
              f"{back:.1%} of Windows's on Debian")
        if colour in TOLD.values():
            continue
        # A plane a pixel larger shows a pixel more of a line at its edges.
        if not ours or not theirs or min(there, back) < 0.97:
            faults.append(f"{name}: not at the same place")
    for fault in faults:
        print("compare-planes: " + fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
