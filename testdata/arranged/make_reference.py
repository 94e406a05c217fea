#!/usr/bin/python3
"""Reference geometry for the arranged-import test, made with ezdxf.

For each drawing given, writes NAME.ref.json beside this script with every
model-space curve that the import takes as motion (LINE, ARC, CIRCLE,
LWPOLYLINE, 2-D and 3-D POLYLINE, ELLIPSE, SPLINE, and those inside block
references, expanded by ezdxf), in world millimetres seen from +Z:
  "lines": [x0, y0, x1, y1] each,
  "arcs": [cx, cy, r, from, to] each, counter-clockwise from angle `from` to
          angle `to` in degrees (a full circle from 0 to 360),
  "polylines": [x0, y0, x1, y1, ...] each, ellipses and splines flattened to
          within FLAT_MM of the curve.
The unit comes from $INSUNITS; absent or 0 means millimetres. Drawings that
ezdxf cannot read get no reference.

    python3 make_reference.py ../../../shared/dxf/*.dxf
"""
import json
import math
import os
import sys

import ezdxf
from ezdxf import recover

FLAT_MM = 0.0005
UNIT_MM = {1: 25.4, 2: 304.8, 4: 1.0, 5: 10.0, 6: 1000.0, 9: 0.0254, 10: 914.4, 13: 0.001, 14: 100.0}


def r(v):
    return round(v, 6)


class Collector:
    def __init__(self, mm):
        self.mm = mm
        self.lines, self.arcs, self.polylines = [], [], []

    def take(self, entities, depth=0):
        for e in entities:
            kind = e.dxftype()
            if kind == "INSERT" and depth < 16:
                self.take(e.virtual_entities(), depth + 1)
            elif kind == "LINE":
                s, t = e.dxf.start, e.dxf.end
                self.lines.append([r(s.x * self.mm), r(s.y * self.mm), r(t.x * self.mm), r(t.y * self.mm)])
            elif kind in ("ARC", "CIRCLE"):
                self.arc(e, kind == "CIRCLE")
            elif kind in ("LWPOLYLINE", "POLYLINE"):
                if kind == "POLYLINE" and (e.is_polygon_mesh or e.is_poly_face_mesh):
                    continue
                self.take(e.virtual_entities(), depth)
            elif kind in ("ELLIPSE", "SPLINE"):
                tool = e.construction_tool()
                pts = [(p.x * self.mm, p.y * self.mm) for p in tool.flattening(FLAT_MM / self.mm)]
                if len(pts) >= 2:
                    self.polylines.append([r(c) for xy in pts for c in xy])

    def arc(self, e, circle):
        n = e.dxf.extrusion
        if abs(n.x) > 1e-12 or abs(n.y) > 1e-12:
            print("  tilted arc left out", file=sys.stderr)
            return
        c = e.ocs().to_wcs(e.dxf.center)
        row = [r(c.x * self.mm), r(c.y * self.mm), r(e.dxf.radius * self.mm)]
        if circle:
            self.arcs.append(row + [0.0, 360.0])
            return
        s, t = e.start_point, e.end_point
        a0 = math.degrees(math.atan2(s.y - c.y, s.x - c.x))
        a1 = math.degrees(math.atan2(t.y - c.y, t.x - c.x))
        if n.z < 0:
            a0, a1 = a1, a0
        sweep = (e.dxf.end_angle - e.dxf.start_angle) % 360.0 or 360.0
        while a1 <= a0:
            a1 += 360.0
        if sweep == 360.0:
            a1 = a0 + 360.0
        self.arcs.append(row + [r(a0), r(a1)])


def insunits(path):
    """$INSUNITS as the file writes it (ezdxf gives a drawing without a
    header its own default), 0 when absent."""
    with open(path, "rb") as f:
        lines = [line.strip() for line in f.read().decode("latin-1").splitlines()]
    for i, line in enumerate(lines):
        if line == "$INSUNITS" and i + 2 < len(lines) and lines[i + 1] == "70":
            return int(lines[i + 2])
    return 0


def main(paths):
    here = os.path.dirname(os.path.abspath(__file__))
    for path in paths:
        name = os.path.splitext(os.path.basename(path))[0]
        try:
            doc = ezdxf.readfile(path)
        except Exception:
            try:
                doc, _ = recover.readfile(path)
            except Exception as error:
                print(name, "not read by ezdxf:", error)
                continue
        mm = UNIT_MM.get(insunits(path), 1.0)
        c = Collector(mm)
        c.take(doc.modelspace())
        with open(os.path.join(here, name + ".ref.json"), "w") as f:
            json.dump({"drawing": name + ".dxf", "lines": c.lines, "arcs": c.arcs,
                       "polylines": c.polylines}, f, separators=(",", ":"))
            f.write("\n")
        print(name, len(c.lines), "lines", len(c.arcs), "arcs", len(c.polylines), "polylines")


if __name__ == "__main__":
    main(sys.argv[1:])
