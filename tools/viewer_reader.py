#!/usr/bin/python3
"""Opens a tile pyramid's viewer in headless Chromium as a reader would,
served from a local HTTP server on 127.0.0.1, for the viewer's tests.

    viewer_reader.py FOLDER COLUMN ROW

Prints "coloured N", the pixels of a screenshot of index.html that are
neither grey nor white (the tiles shown); then "readout TEXT" lines, the
viewer's read-out after a mouse move over the centre of cell (COLUMN, ROW)
counted from the north-west; then "title TEXT" and "heading TEXT", the
page's title and the heading of its side panel, and "injected N", the
elements of the page that carry an event handler attribute (markup taken
from the data); then "missing PATH" for every request the server could not
answer and "requests N" for all of them.

Exit status 2 when Chromium or Pillow is missing (the test then skips)."""
import html
import http.server
import os
import shutil
import subprocess
import sys
import tempfile
import threading

from colour_bar_reader import chromium

CHECK = b"""<!DOCTYPE html><html><head><link rel="icon" href="data:,"></head><body style="margin:0">
<iframe id="f" src="index.html" style="width:800px;height:600px;border:0"></iframe>
<pre id="out">no read-out</pre>
<pre id="page">no page</pre>
<script>
const frame = document.getElementById('f');
const params = new URLSearchParams(location.search);
const column = Number(params.get('c')), row = Number(params.get('r'));
function report(text) {
  document.getElementById('out').textContent = text;
  const doc = frame.contentDocument, heading = doc.getElementById('title');
  document.getElementById('page').textContent =
    'title ' + doc.title + '\\nheading ' + (heading ? heading.textContent : '(none)') +
    '\\ninjected ' + doc.querySelectorAll('[onerror], [onload], [onclick]').length;
}
frame.addEventListener('load', function () { try { move(); } catch (e) { report('error ' + e); } });
function move() {
  const w = frame.contentWindow, doc = frame.contentDocument;
  const map = w.rastrifyViewer.map, p = w.rastrifyViewer.pyramid;
  const gt = p.geotransform || [0, 1, 0, 0, 0, -1];
  const centre = [gt[3] + (row + 0.5) * gt[5], gt[0] + (column + 0.5) * gt[1]];
  map.setView(centre, p.levels, {animate: false});
  const point = map.latLngToContainerPoint(centre);
  const box = doc.getElementById('map').getBoundingClientRect();
  doc.getElementById('map').dispatchEvent(new w.MouseEvent('mousemove', {
    clientX: box.left + point.x, clientY: box.top + point.y, bubbles: true}));
  const readout = doc.getElementById('readout');
  (function wait(n) {
    const text = readout.textContent;
    if (/value |no data|unavailable/.test(text) || n > 200) {
      report(text);
      return;
    }
    setTimeout(function () { wait(n + 1); }, 25);
  })(0);
}
</script></body></html>"""


def serve(folder, log):
    class Handler(http.server.SimpleHTTPRequestHandler):
        def __init__(self, *args, **kwargs):
            super().__init__(*args, directory=folder, **kwargs)

        def do_GET(self):
            if self.path.startswith('/__check.html'):
                self.send_response(200)
                self.send_header('Content-Type', 'text/html')
                self.send_header('Content-Length', str(len(CHECK)))
                self.end_headers()
                self.wfile.write(CHECK)
                return
            log.append(self.path)
            super().do_GET()

        def send_error(self, code, message=None, explain=None):
            log.append('missing ' + self.path)
            super().send_error(code, message, explain)

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def element_text(dom, name):
    """The text of the check page's <pre> of that id, as the DOM dump escaped it."""
    tag = '<pre id="%s">' % name
    start = dom.find(tag)
    if start < 0:
        return 'no page'
    start += len(tag)
    return html.unescape(dom[start:dom.find('</pre>', start)])


def run_chromium(profile, arguments):
    base = [chromium(), '--headless', '--no-sandbox', '--disable-gpu', '--hide-scrollbars',
            '--user-data-dir=' + profile, '--virtual-time-budget=8000']
    return subprocess.run(base + arguments, capture_output=True, text=True, timeout=120)


def main():
    try:
        from PIL import Image
    except ImportError:
        sys.exit(2)
    folder, column, row = sys.argv[1], sys.argv[2], sys.argv[3]
    log = []
    server = serve(os.path.abspath(folder), log)
    base = 'http://127.0.0.1:%d/' % server.server_address[1]
    work = tempfile.mkdtemp(prefix='viewer-')
    try:
        shot = os.path.join(work, 'shot.png')
        run_chromium(os.path.join(work, 'a'), ['--screenshot=' + shot, '--window-size=800,600', base + 'index.html'])
        with Image.open(shot) as image:
            coloured = sum(1 for r, g, b in image.convert('RGB').getdata() if max(r, g, b) - min(r, g, b) > 40)
        print('coloured', coloured)
        dom = run_chromium(os.path.join(work, 'b'),
                           ['--dump-dom', base + '__check.html?c=%s&r=%s' % (column, row)]).stdout
        for line in element_text(dom, 'out').split('\n'):
            print('readout', line)
        print(element_text(dom, 'page'))
        for entry in log:
            if entry.startswith('missing '):
                print(entry)
        print('requests', len(log))
    finally:
        server.shutdown()
        shutil.rmtree(work, ignore_errors=True)


main()
