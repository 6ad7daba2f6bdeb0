#!/usr/bin/env python3
"""The week picture of the example configuration is well-formed SVG with one
rectangle per forced run: a must-run window on five weekdays, an exclude
window on all seven days."""
import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

SVG = "{http://www.w3.org/2000/svg}"


def main(checker, document):
    with tempfile.TemporaryDirectory() as folder:
        picture = os.path.join(folder, "week.svg")
        subprocess.run([checker, document, "--svg", picture], check=True, stdout=subprocess.DEVNULL)
        root = ET.parse(picture).getroot()
    if root.tag != SVG + "svg":
        print("root element is %s" % root.tag)
        return 1
    rects = root.findall(SVG + "rect")
    count = {kind: [r for r in rects if r.get("class") == kind] for kind in ("release", "inhibit", "day", "key")}
    expected = {"release": 5, "inhibit": 7, "day": 7, "key": 3}
    found = {kind: len(found) for kind, found in count.items()}
    # 07:30 to 08:00 inclusive is 31 minutes; 00:00 to 04:59 is 300.
    widths = {kind: sorted({float(r.get("width")) for r in count[kind]}) for kind in ("release", "inhibit")}
    days = [t.text for t in root.findall(SVG + "text") if t.text in ("Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat")]
    failures = []
    if found != expected:
        failures.append("rectangles %s, expected %s" % (found, expected))
    if widths != {"release": [15.5], "inhibit": [150.0]}:
        failures.append("run widths %s" % widths)
    if days != ["Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"]:
        failures.append("day labels %s" % days)
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
