#!/usr/bin/env python3
"""Screenshots of the real main window in a light and a dark skin: the primary
buttons and the list headers must show the skin's own colours on screen."""
import re
import subprocess
import sys
import tempfile
from pathlib import Path

root = Path(__file__).resolve().parents[2]


def mix(a, b, t):
    return tuple(int(x + (y - x) * t + 0.5) for x, y in zip(a, b))


def rgb(text):
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))


def histogram(png):
    out = subprocess.run(['convert', str(png), '-format', '%c', 'histogram:info:-'],
                         check=True, capture_output=True, text=True).stdout
    counts = {}
    for line in out.splitlines():
        m = re.match(r'\s*(\d+): \(\s*(\d+),\s*(\d+),\s*(\d+)', line)
        if m:
            counts[tuple(int(v) for v in m.group(2, 3, 4))] = int(m.group(1))
    return counts


# skin, language, primary fill, panel, text (the two list-header inputs)
cases = [
    (1, 'en', '#0F6CBD', '#FFFFFF', '#1A1A1A'),
    (2, 'zh', '#4CC2FF', '#2B2B2B', '#F3F3F3'),
]
failures = 0
with tempfile.TemporaryDirectory() as tmp:
    for skin, lang, primary, panel, text in cases:
        png = Path(tmp) / f'skin{skin}.png'
        subprocess.run(['bash', str(root / 'scripts/screenshot.sh'), str(png), '--skin', str(skin),
                        '--lang', lang, '--left', str(root / 'app'), '--right', str(root / 'ui')],
                       check=True, stdout=subprocess.DEVNULL)
        counts = histogram(png)
        header = mix(rgb(panel), rgb(text), 0.08)
        others = [c[2] for c in cases if c[0] != skin]
        # Two primary buttons of 126 x 32 less their text and corners; two
        # header strips about 400 x 20 each.
        checks = [
            (f'primary fill {primary}', counts.get(rgb(primary), 0), 5000, None),
            ('list header #%02X%02X%02X' % header, counts.get(header, 0), 8000, None),
        ] + [(f'foreign primary {o}', counts.get(rgb(o), 0), None, 50) for o in others]
        for name, got, at_least, at_most in checks:
            ok = (at_least is None or got >= at_least) and (at_most is None or got <= at_most)
            bound = f'>= {at_least}' if at_least is not None else f'<= {at_most}'
            print(f'skin {skin} ({lang}): {name}: expected {bound} pixels, got {got}'
                  f' {"ok" if ok else "FAILED"}')
            failures += not ok
print(f'{len(cases) * 3 - failures} passed, {failures} failed')
sys.exit(1 if failures else 0)
