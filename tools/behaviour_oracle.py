#!/usr/bin/env python3
"""Records what the converter does with a fixed set of grids and options, so
that a change meant to keep the behaviour can be checked to keep it: every
output file's bytes, standard output, standard error and the exit status,
for every grid x option set x thread count.

    tools/behaviour_oracle.py record build/rastrify before.json
    ... change the code, rebuild ...
    tools/behaviour_oracle.py record build/rastrify after.json
    tools/behaviour_oracle.py compare before.json after.json

The grids are those of the fuzz seed generator at a larger, odd size (every
format family and storage order), the samples GDAL wrote, the hostile files
and the example grid. Needs only Python 3."""
import hashlib
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)

OPTION_SETS = {
    'default': ('o.bmp', []),
    'lin_narrow': ('o.bmp', ['-Hlin', '-W50']),
    'log_inverted': ('o.bmp', ['-Hlog', '-m1', '-M500', '-I']),
    'limits_enlarged': ('o.bmp', ['-m95', '-M130', '-W200']),
    'histogram_file': ('o.bmp', ['levels.his', '-W7']),
    'shaded': ('o.bmp', ['-S', '-W80']),
    'png_world': ('o.png', ['-G', '-W15']),
    'png_shaded_world': ('O.PNG', ['-S270,20', '-G', '-Hlin']),
}
THREADS = ('1', '2', '3')


def seed_grids(folder):
    """The fuzz seed generator's grids at 37 x 23 cells, written to folder."""
    generator = os.path.join(ROOT, 'fuzz', 'make_seeds.py')
    source = open(generator).read()
    # The generator writes every seed when it runs; keep its functions only.
    source = source[:source.rindex('\nfor make in')]
    module = {'__name__': 'seeds', '__file__': generator}
    exec(compile(source, generator, 'exec'), module)
    module['C'], module['R'] = 37, 23

    def put(target, name, data):
        data = data if isinstance(data, bytes) else data.encode()
        if target == 'er_mapper':  # the seed joins header and data file
            header, data = data.split(b'\n%%\n')
            with open(os.path.join(folder, 'er_mapper-' + name), 'wb') as f:
                f.write(header)
            name = name[:-len('.ers')]
        # Compressed GXF and coded text seeds spell out 5 x 4 cells: those
        # come from the committed seeds instead.
        if name.startswith(('compressed', 'coded')):
            with open(os.path.join(ROOT, 'fuzz', 'corpus', target, name), 'rb') as f:
                data = f.read()
        with open(os.path.join(folder, target + '-' + name), 'wb') as f:
            f.write(data)
    module['put'] = put
    for make in ('esri', 'gxf', 'er_mapper', 'bgd', 'grid_text', 'surfer', 'binary_512', 'binary_24', 'tool',
                 'k_blocks'):
        module[make]()


def histogram_file(path):
    levels = [min(4096, 1 + k * k // 4096) for k in range(4096)]
    with open(path, 'wb') as f:
        f.write(b'\0\0' + struct.pack('<2f', 95.0, 130.0) + struct.pack('<4096i', *levels))


def grids(folder):
    seed_grids(folder)
    found = []
    for name in sorted(os.listdir(folder)):
        if not name.startswith('er_mapper-') or name.endswith('.ers'):
            found.append(os.path.join(folder, name))
    for sub in ('tests/data/gdal', 'tests/data/hostile'):
        for name in sorted(os.listdir(os.path.join(ROOT, sub))):
            if name.endswith(('.txt', '.py', '.hdr', '.raw', '.hillshade')) or '.' not in name:
                continue
            found.append(os.path.join(ROOT, sub, name))
    found.append(os.path.join(ROOT, 'examples', 'terrain.asc'))
    return [g for g in found if not g.endswith('.expected.asc')]


def digest(data):
    return hashlib.sha256(data).hexdigest()[:20]


def run_one(rastrify, grid, option_set, threads, work):
    output, options = OPTION_SETS[option_set]
    run_dir = os.path.join(work, 'run')
    shutil.rmtree(run_dir, ignore_errors=True)
    os.makedirs(run_dir)
    histogram_file(os.path.join(run_dir, 'levels.his'))
    env = dict(os.environ, GRIDLIB_THREADS=threads)
    proc = subprocess.run([rastrify, grid, output] + options, cwd=run_dir, env=env, stdin=subprocess.DEVNULL,
                          capture_output=True, timeout=120)
    record = {'status': proc.returncode, 'stdout': digest(proc.stdout),
              'stderr': proc.stderr.decode(errors='replace').strip()}
    for name in sorted(os.listdir(run_dir)):
        if name == 'levels.his':
            continue
        with open(os.path.join(run_dir, name), 'rb') as f:
            record['file ' + name] = digest(f.read())
    return record


def record(rastrify, out_path):
    rastrify = os.path.abspath(rastrify)
    work = tempfile.mkdtemp(prefix='oracle.')
    try:
        grid_folder = os.path.join(work, 'grids')
        os.makedirs(grid_folder)
        results = {}
        for grid in grids(grid_folder):
            key = os.path.relpath(grid, work) if grid.startswith(work) else os.path.relpath(grid, ROOT)
            for option_set in OPTION_SETS:
                for threads in THREADS:
                    results['%s | %s | %s threads' % (key, option_set, threads)] = run_one(
                        rastrify, grid, option_set, threads, work)
        with open(out_path, 'w') as f:
            json.dump(results, f, indent=1, sort_keys=True)
        print('%d runs recorded in %s' % (len(results), out_path))
    finally:
        shutil.rmtree(work, ignore_errors=True)


def compare(a_path, b_path):
    a, b = json.load(open(a_path)), json.load(open(b_path))
    differences = 0
    for key in sorted(set(a) | set(b)):
        if a.get(key) != b.get(key):
            differences += 1
            print('differs: %s\n  before: %s\n  after:  %s' % (key, a.get(key), b.get(key)))
    print('%d of %d runs differ' % (differences, len(set(a) | set(b))))
    return 1 if differences else 0


if __name__ == '__main__':
    if len(sys.argv) == 4 and sys.argv[1] == 'record':
        record(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 4 and sys.argv[1] == 'compare':
        sys.exit(compare(sys.argv[2], sys.argv[3]))
    else:
        sys.exit(__doc__)
