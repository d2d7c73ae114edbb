#!/usr/bin/env python3
"""Writes the sample models in samples/.

  bracket.stl    binary, a closed mounting plate with two round through-holes
  ring.stl       binary, a closed torus
  assembly.stl   ASCII, three separate bodies (block, cylinder, wedge) in one file

Coordinates are computed once per vertex and rounded to 1e-4 mm, so faces that
share an edge share bit-identical corners and the solids close exactly.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = os.path.join(HERE, "..", "samples")


def q(v):
    return round(v, 4) + 0.0  # + 0.0 turns -0.0 into 0.0


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def normal(t):
    n = cross(sub(t[1], t[0]), sub(t[2], t[1]))
    length = math.sqrt(n[0] ** 2 + n[1] ** 2 + n[2] ** 2) or 1.0
    return (n[0] / length, n[1] / length, n[2] / length)


def write_binary(path, header, triangles):
    with open(path, "wb") as f:
        f.write(header.encode("ascii").ljust(80, b"\0"))
        f.write(struct.pack("<I", len(triangles)))
        for t in triangles:
            f.write(struct.pack("<3f", *normal(t)))
            for p in t:
                f.write(struct.pack("<3f", *p))
            f.write(b"\0\0")


def write_ascii(path, bodies):
    with open(path, "w", newline="\n") as f:
        for name, triangles in bodies:
            f.write("solid %s\n" % name)
            for t in triangles:
                f.write("  facet normal %e %e %e\n    outer loop\n" % normal(t))
                for p in t:
                    f.write("      vertex %e %e %e\n" % p)
                f.write("    endloop\n  endfacet\n")
            f.write("endsolid %s\n" % name)


def holed_square(cx, cy, half, radius, segments):
    """Triangles (2D, counter-clockwise) of a square cell with a round hole.

    Ray k from the centre meets the hole at angle k and the square where the
    ray leaves it; a segment count that is a multiple of 8 puts rays through
    the corners, so the square's sides stay straight."""
    tris = []
    inner, outer = [], []
    for k in range(segments):
        a = 2 * math.pi * k / segments
        c, s = math.cos(a), math.sin(a)
        reach = half / max(abs(c), abs(s))
        inner.append((q(cx + radius * c), q(cy + radius * s)))
        outer.append((q(cx + reach * c), q(cy + reach * s)))
    for k in range(segments):
        n = (k + 1) % segments
        tris.append((inner[k], outer[k], outer[n]))
        tris.append((inner[k], outer[n], inner[n]))
    return tris


def extrude(face, z0, z1):
    """Closes a flat, counter-clockwise triangulated face into a solid slab:
    top and bottom copies plus one wall quad per boundary edge."""
    triangles = []
    edge_use = {}
    for a, b, c in face:
        triangles.append(((*a, z1), (*b, z1), (*c, z1)))
        triangles.append(((*a, z0), (*c, z0), (*b, z0)))
        for e in ((a, b), (b, c), (c, a)):
            edge_use[e] = edge_use.get(e, 0) + 1
    for (a, b), _ in edge_use.items():
        if (b, a) in edge_use:
            continue  # interior edge
        triangles.append(((*a, z0), (*b, z0), (*b, z1)))
        triangles.append(((*a, z0), (*b, z1), (*a, z1)))
    return triangles


def torus(major, minor, u_steps, v_steps):
    grid = [[(q((major + minor * math.cos(v * 2 * math.pi / v_steps)) * math.cos(u * 2 * math.pi / u_steps)),
              q((major + minor * math.cos(v * 2 * math.pi / v_steps)) * math.sin(u * 2 * math.pi / u_steps)),
              q(minor * math.sin(v * 2 * math.pi / v_steps)))
             for v in range(v_steps)] for u in range(u_steps)]
    triangles = []
    for u in range(u_steps):
        for v in range(v_steps):
            a, b = grid[u][v], grid[(u + 1) % u_steps][v]
            c, d = grid[(u + 1) % u_steps][(v + 1) % v_steps], grid[u][(v + 1) % v_steps]
            triangles.append((a, b, c))
            triangles.append((a, c, d))
    return triangles


def box(x0, y0, z0, x1, y1, z1):
    face = [((x0, y0), (x1, y0), (x1, y1)), ((x0, y0), (x1, y1), (x0, y1))]
    return extrude(face, z0, z1)


def cylinder(cx, cy, r, z0, z1, segments):
    ring = [(q(cx + r * math.cos(2 * math.pi * k / segments)), q(cy + r * math.sin(2 * math.pi * k / segments)))
            for k in range(segments)]
    face = [((cx, cy), ring[k], ring[(k + 1) % segments]) for k in range(segments)]
    return extrude(face, z0, z1)


def wedge(x0, y0, length, width, height):
    a, b, c = (x0, y0, 0.0), (x0 + length, y0, 0.0), (x0, y0, height)
    a2, b2, c2 = (x0, y0 + width, 0.0), (x0 + length, y0 + width, 0.0), (x0, y0 + width, height)
    return [
        (a, b, c), (a2, c2, b2),  # triangular ends
        (a, b2, b), (a, a2, b2),  # bottom
        (a, c2, a2), (a, c, c2),  # back
        (b, c2, c), (b, b2, c2),  # slope
    ]


def main():
    os.makedirs(SAMPLES, exist_ok=True)
    plate = holed_square(-20.0, 0.0, 20.0, 8.0, 48) + holed_square(20.0, 0.0, 20.0, 8.0, 48)
    write_binary(os.path.join(SAMPLES, "bracket.stl"), "bracket: 80 x 40 x 10 mm plate, two 16 mm holes",
                 extrude(plate, 0.0, 10.0))
    write_binary(os.path.join(SAMPLES, "ring.stl"), "ring: torus R 30 mm, r 8 mm", torus(30.0, 8.0, 96, 32))
    write_ascii(os.path.join(SAMPLES, "assembly.stl"), [
        ("block", box(0.0, 0.0, 0.0, 40.0, 30.0, 20.0)),
        ("cylinder", cylinder(70.0, 15.0, 12.0, 0.0, 35.0, 40)),
        ("wedge", wedge(100.0, 0.0, 30.0, 30.0, 20.0)),
    ])


if __name__ == "__main__":
    main()
