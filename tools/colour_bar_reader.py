#!/usr/bin/python3
"""Reads a colour bar back as its readers see it, for the colour bar tests.

    colour_bar_reader.py svg bar.svg [X]
        Headless Chromium draws the SVG: first a screenshot, of which the
        line "inked N" gives the pixels that are not white (and, given X,
        the line "column R,G,B ..." the colour of every pixel down column
        X, from the top); then a page that
        holds the SVG inline writes every text element's box into the DOM,
        one line each: "label CLASS VALUE TOP BOTTOM LEFT RIGHT TEXT" (boxes
        in the SVG's pixels, VALUE the data-value or "-"), then the bar's
        frame and steps: "frame - TOP BOTTOM", "step BEGINS TOP BOTTOM".
    colour_bar_reader.py png bar.png X LEFT RIGHT
        Pillow decodes the PNG: "size W H", the runs of colours down column
        X from the bottom up ("runs R,G,B R,G,B ..."), and "dark N", the
        pixels darker than mid-grey between columns LEFT and RIGHT.

Exit status 2 when Chromium or Pillow is missing (the test then skips)."""
import html
import os
import shutil
import subprocess
import sys
import tempfile

PAGE = """<!DOCTYPE html><html><body style="margin:0">%s
<pre id="out"></pre>
<script>
const lines = [];
for (const t of document.querySelectorAll('svg text')) {
  const b = t.getBBox();
  const v = t.getAttribute('data-value') || '-';
  lines.push(['label', t.getAttribute('class'), v, b.y, b.y + b.height, b.x, b.x + b.width,
              t.textContent].join(' '));
}
for (const r of document.querySelectorAll('svg rect.frame, svg rect.step')) {
  const b = r.getBBox();
  lines.push([r.getAttribute('class'), r.getAttribute('data-begins') || '-', b.y, b.y + b.height].join(' '));
}
document.getElementById('out').textContent = lines.join('\\n');
</script></body></html>"""


def chromium():
    for name in ('chromium', 'chromium-browser'):
        path = shutil.which(name)
        if path:
            return path
    sys.exit(2)


def run_chromium(arguments):
    base = [chromium(), '--headless', '--no-sandbox', '--disable-gpu', '--hide-scrollbars',
            '--user-data-dir=' + tempfile.mkdtemp(prefix='bar-chromium-')]
    return subprocess.run(base + arguments, capture_output=True, text=True, timeout=120)


def svg(path, x=None):
    try:
        from PIL import Image
    except ImportError:
        sys.exit(2)
    with open(path, encoding='utf-8') as f:
        document = f.read()
    folder = tempfile.mkdtemp(prefix='bar-page-')
    try:
        shot = os.path.join(folder, 'shot.png')
        run_chromium(['--screenshot=' + shot, '--window-size=400,700', 'file://' + os.path.abspath(path)])
        with Image.open(shot) as image:
            rgb = image.convert('RGB')
            inked = sum(1 for p in rgb.getdata() if p != (255, 255, 255))
            print('inked', inked)
            if x is not None:
                print('column', ' '.join('%d,%d,%d' % rgb.getpixel((x, y)) for y in range(rgb.size[1])))
        page = os.path.join(folder, 'page.html')
        inline = document[document.index('<svg'):]
        with open(page, 'w', encoding='utf-8') as f:
            f.write(PAGE % inline)
        dom = run_chromium(['--dump-dom', 'file://' + page]).stdout
        out = dom[dom.index('<pre id="out">') + len('<pre id="out">'):]
        print(html.unescape(out[:out.index('</pre>')]))
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def png(path, x, left, right):
    try:
        from PIL import Image
    except ImportError:
        sys.exit(2)
    with Image.open(path) as image:
        rgb = image.convert('RGB')
        width, height = rgb.size
        print('size', width, height)
        runs = []
        for y in range(height - 1, -1, -1):
            p = rgb.getpixel((x, y))
            if not runs or runs[-1] != p:
                runs.append(p)
        print('runs', ' '.join('%d,%d,%d' % p for p in runs))
        dark = sum(1 for y in range(height) for x in range(left, min(right, width))
                   if sum(rgb.getpixel((x, y))) < 3 * 128)
        print('dark', dark)


if __name__ == '__main__':
    if sys.argv[1] == 'svg':
        svg(sys.argv[2], int(sys.argv[3]) if len(sys.argv) > 3 else None)
    else:
        png(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5]))
