"""The one-call conversion writes what rastrify writes, byte for byte."""
import os
import shutil
import signal
import subprocess
import sys
import threading
import time

import pytest

import gridlib
import grids
from gridlib import _library

pytestmark = pytest.mark.skipif(not _library.has('gridlib_convert'),
                                reason='this libgridlib has no gridlib_convert')

SOURCE = os.environ.get('GRIDLIB_SOURCE_DIR', os.path.join(os.path.dirname(__file__), '..', '..'))
TERRAIN = os.path.join(SOURCE, 'examples', 'terrain.asc')


def histogram_file(path):
    import struct
    levels = [min(4096, 1 + k * k // 4096) for k in range(4096)]
    with open(path, 'wb') as f:
        f.write(b'\0\0' + struct.pack('<2f', 95.0, 130.0) + struct.pack('<4096i', *levels))


# name, output, rastrify's options, the same as keywords, and the other files both write.
OPTION_SETS = [
    ('default', 'o.bmp', [], {}, []),
    ('lin_narrow', 'o.bmp', ['-Hlin', '-W50'], {'distribution': 'lin', 'width': 50}, []),
    ('log_inverted', 'o.bmp', ['-Hlog', '-m1', '-M500', '-I'],
     {'distribution': 'log', 'zmin': 1, 'zmax': 500, 'invert': True}, []),
    ('limits_enlarged', 'o.bmp', ['-m95', '-M130', '-W400'], {'zmin': 95, 'zmax': 130, 'width': 400}, []),
    ('histogram_file', 'o.bmp', ['levels.his', '-W7'], {'histogram_file': 'levels.his', 'width': 7}, []),
    ('shaded', 'o.bmp', ['-S', '-W80'], {'shade': True, 'width': 80}, []),
    ('shaded_lit', 'o.png', ['-S270,20,3'], {'shade': (270, 20, 3)}, []),
    ('png_world', 'o.png', ['-G', '-W15'], {'world_file': True, 'width': 15}, ['o.pgw']),
    ('tiff_palette', 'o.tif', ['-Cviridis', '-Hlin'], {'palette': 'viridis', 'distribution': 'lin'}, []),
    ('colour_bar_kept', 'o.png', ['-Lbar.svg', '-Kkept.his'], {'colour_bar': 'bar.svg', 'keep_scale': 'kept.his'},
     ['bar.svg', 'kept.his']),
    ('tiles', 'pyramid', ['-T', '-Hlin'], {'tiles': True, 'distribution': 'lin'},
     ['pyramid/pyramid.json', 'pyramid/index.html', 'pyramid/tiles/0/0/0.png',
      'pyramid/values/0/0.f32']),
]


# Grids of other formats read where they lie: name, grid, output, rastrify's options, keywords.
GRID_SETS = [
    ('surfer7', 'tests/data/gdal/surfer7.grd', 'o.bmp', ['-Hlog', '-m1', '-M500', '-I'],
     {'distribution': 'log', 'zmin': 1, 'zmax': 500, 'invert': True}),
    ('er_mapper', 'tests/data/gdal/ers_float32.ers', 'o.png', ['-W7', '-Cmagma'], {'width': 7, 'palette': 'magma'}),
    ('netcdf', 'tests/data/netcdf/cf_north_first.nc', 'o.bmp', ['-S', '-W80'], {'shade': True, 'width': 80}),
    ('geotiff', 'tests/data/geotiff/f32_nodata_lowest.tif', 'o.tif', ['-Hlin'], {'distribution': 'lin'}),
]


def run_both(tmp_path, output, arguments, keywords, grid=None):
    """rastrify in one folder, gridlib.convert in another, on the sample
    terrain copied into each or on grid where it lies: the two folders."""
    results = []
    for who in ('rastrify', 'python'):
        folder = tmp_path / who
        folder.mkdir()
        shutil.copy(TERRAIN, folder / 'terrain.asc')
        histogram_file(folder / 'levels.his')
        source = os.path.join(SOURCE, grid) if grid else 'terrain.asc'
        if who == 'rastrify':
            subprocess.run([os.environ['RASTRIFY'], source, output] + arguments, cwd=folder, check=True,
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
        else:
            here = os.getcwd()
            os.chdir(folder)
            try:
                gridlib.convert(source, output, **keywords)
            finally:
                os.chdir(here)
        results.append(folder)
    return results


@pytest.mark.parametrize('name, output, arguments, keywords, extra', OPTION_SETS, ids=[s[0] for s in OPTION_SETS])
def test_convert_writes_rastrifys_bytes(tmp_path, name, output, arguments, keywords, extra):
    theirs, ours = run_both(tmp_path, output, arguments, keywords)
    assert sorted(os.listdir(ours)) == sorted(os.listdir(theirs))
    for written in ([] if (ours / output).is_dir() else [output]) + extra:
        assert (ours / written).read_bytes() == (theirs / written).read_bytes(), written


@pytest.mark.parametrize('name, grid, output, arguments, keywords', GRID_SETS, ids=[s[0] for s in GRID_SETS])
def test_convert_writes_rastrifys_bytes_for_every_family(tmp_path, name, grid, output, arguments, keywords):
    theirs, ours = run_both(tmp_path, output, arguments, keywords, grid)
    assert (ours / output).read_bytes() == (theirs / output).read_bytes()


def test_failures_raise_rastrifys_sentence(tmp_path):
    missing = subprocess.run([os.environ['RASTRIFY'], str(tmp_path / 'none.asc'), str(tmp_path / 'o.bmp')],
                             capture_output=True, text=True, stdin=subprocess.DEVNULL)
    with pytest.raises(gridlib.GridlibError) as caught:
        gridlib.convert(tmp_path / 'none.asc', tmp_path / 'o.bmp')
    assert caught.value.status != 0
    assert caught.value.text == missing.stderr.strip()
    assert not (tmp_path / 'o.bmp').exists()
    with pytest.raises(ValueError):
        gridlib.convert(TERRAIN, tmp_path / 'o.bmp', distribution='cubic')


def test_progress_is_reported(tmp_path):
    seen = []
    gridlib.convert(TERRAIN, tmp_path / 'o.bmp', progress=lambda *report: seen.append(report))
    assert {phase for phase, _, _ in seen} >= {gridlib.PHASE_READING, gridlib.PHASE_DRAWING}
    assert all(0 <= done <= total for _, done, total in seen)


def raise_(exception):
    raise exception


# What a progress function does at the first drawing report, and the exception the call raises.
IN_PROGRESS = [
    ('raises', lambda: raise_(KeyError('stop')), KeyError),
    ('raises_keyboard_interrupt', lambda: raise_(KeyboardInterrupt()), KeyboardInterrupt),
    ('sends_sigint', lambda: os.kill(os.getpid(), signal.SIGINT), KeyboardInterrupt),
]


@pytest.mark.parametrize('name, act, raised', IN_PROGRESS, ids=[c[0] for c in IN_PROGRESS])
def test_an_exception_in_progress_stops_the_conversion_and_leaves_the_outputs(tmp_path, name, act, raised):
    (tmp_path / 'o.png').write_bytes(b'an earlier image')
    (tmp_path / 'o.pgw').write_bytes(b'an earlier world file')

    def progress(phase, done, total):
        if phase == gridlib.PHASE_DRAWING:
            act()
    with pytest.raises(raised):
        gridlib.convert(TERRAIN, tmp_path / 'o.png', world_file=True, progress=progress)
    assert sorted(os.listdir(tmp_path)) == ['o.pgw', 'o.png']
    assert (tmp_path / 'o.png').read_bytes() == b'an earlier image'
    assert (tmp_path / 'o.pgw').read_bytes() == b'an earlier world file'
    assert signal.getsignal(signal.SIGINT) is signal.default_int_handler


# A child that converts a grid with no progress function of its own, to a
# shaded relief as a PNG, the slowest there is; exit 3 when the call raised
# KeyboardInterrupt.
CHILD = """
import sys
import gridlib
try:
    gridlib.convert(sys.argv[1], sys.argv[2], shade=True)
except KeyboardInterrupt:
    sys.exit(3)
"""


def test_ctrl_c_while_the_library_converts_leaves_the_outputs(tmp_path):
    grid = grids.write_surfer6(str(tmp_path / 'large.grd'), 3000, 3000)
    folder = tmp_path / 'out'
    folder.mkdir()
    (folder / 'o.png').write_bytes(b'an earlier image')
    # One thread: the conversion lasts well beyond the moment the signal comes
    # (a third of a second where the signal takes a millisecond).
    child = subprocess.Popen([sys.executable, '-c', CHILD, grid, str(folder / 'o.png')],
                             env=dict(os.environ, GRIDLIB_THREADS='1'))
    try:
        # The working grid beside the output: the library is reading.
        deadline = time.monotonic() + 60
        while len(os.listdir(folder)) == 1 and child.poll() is None and time.monotonic() < deadline:
            time.sleep(0.002)
        child.send_signal(signal.SIGINT)
        assert child.wait(timeout=60) == 3
    finally:
        child.kill()
    assert os.listdir(folder) == ['o.png']
    assert (folder / 'o.png').read_bytes() == b'an earlier image'


def test_ctrl_c_after_the_outputs_are_in_place_is_raised_after_the_call(tmp_path, monkeypatch):
    library = _library.load()
    real = library.gridlib_convert

    def interrupted_on_return(*arguments):
        real(*arguments)
        os.kill(os.getpid(), signal.SIGINT)  # handled by Python as the library has returned
    monkeypatch.setattr(library, 'gridlib_convert', interrupted_on_return)
    (tmp_path / 'o.bmp').write_bytes(b'an earlier image')
    with pytest.raises(KeyboardInterrupt):
        gridlib.convert(TERRAIN, tmp_path / 'o.bmp')
    assert (tmp_path / 'o.bmp').read_bytes()[:2] == b'BM'
    assert os.listdir(tmp_path) == ['o.bmp']


def test_convert_runs_on_other_threads_too(tmp_path):
    # Only the main thread may set a signal handler: another leaves SIGINT alone.
    failures = []
    worker = threading.Thread(target=lambda: failures.append(gridlib.convert(TERRAIN, tmp_path / 'o.bmp')))
    worker.start()
    worker.join()
    assert failures == [None]
    assert (tmp_path / 'o.bmp').read_bytes()[:2] == b'BM'


# Names with blanks at their end name those files, as rastrify's and read's do:
# the call's arguments, the files present, and the files that are new afterwards
# (None: the call fails).
BLANK_ENDS = [
    ('input', ('terrain.asc ', 'o.bmp'), {}, None),
    ('input_of_that_name', ('blank.asc ', 'o.bmp '), {}, {'o.bmp '}),
    ('histogram_file', ('terrain.asc', 'o.bmp'), {'histogram_file': 'levels.his '}, None),
    ('palette', ('terrain.asc', 'o.bmp'), {'palette': 'viridis '}, None),
    ('keep_scale', ('terrain.asc', 'o.bmp'), {'keep_scale': 'kept.his '}, {'o.bmp', 'kept.his '}),
    ('colour_bar', ('terrain.asc', 'o.png'), {'colour_bar': 'bar.svg '}, None),
]


@pytest.mark.parametrize('name, names, keywords, made', BLANK_ENDS, ids=[c[0] for c in BLANK_ENDS])
def test_names_are_taken_with_their_blanks(tmp_path, name, names, keywords, made):
    shutil.copy(TERRAIN, tmp_path / 'terrain.asc')
    shutil.copy(TERRAIN, tmp_path / 'blank.asc ')
    histogram_file(tmp_path / 'levels.his')
    before = set(os.listdir(tmp_path))
    here = os.getcwd()
    os.chdir(tmp_path)
    try:
        if made is None:
            with pytest.raises(gridlib.GridlibError):
                gridlib.convert(*names, **keywords)
        else:
            gridlib.convert(*names, **keywords)
    finally:
        os.chdir(here)
    assert set(os.listdir(tmp_path)) - before == (made or set())


INFINITY, NAN = float('inf'), float('nan')
# Options rastrify refuses as not a number, as C's 32-bit reals hold them, and
# the words (tests/convert has every option).
NOT_NUMBERS = [
    ('zmax_infinite', {'zmin': 0, 'zmax': INFINITY}, 'The value of the upper colour limit is not a number : inf'),
    ('zmax_beyond_32_bits', {'zmin': 0, 'zmax': 1e39}, 'The value of the upper colour limit is not a number : inf'),
    ('zmax_beyond_64_bits', {'zmin': 0, 'zmax': 2 ** 2000},
     'The value of the upper colour limit is not a number : inf'),
    ('azimuth_nan', {'shade': (NAN, 45)}, 'The value of the light azimuth of the shaded relief is not a number : nan'),
]


@pytest.mark.parametrize('name, keywords, text', NOT_NUMBERS, ids=[c[0] for c in NOT_NUMBERS])
def test_values_that_are_not_numbers_are_refused(tmp_path, name, keywords, text):
    with pytest.raises(gridlib.GridlibError) as caught:
        gridlib.convert(TERRAIN, tmp_path / 'o.bmp', **keywords)
    assert (caught.value.status, caught.value.text) == (-1, text)
    assert os.listdir(tmp_path) == []


# Python-level mistakes: a TypeError naming the argument.
NOT_REALS = [('zmax_text', {'zmin': 0, 'zmax': '50'}, 'zmax'), ('shade_number', {'shade': 1}, 'shade'),
             ('elevation_list', {'shade': (315, [45])}, 'elevation')]


@pytest.mark.parametrize('name, keywords, argument', NOT_REALS, ids=[c[0] for c in NOT_REALS])
def test_values_that_are_no_numbers_are_type_errors(tmp_path, name, keywords, argument):
    with pytest.raises((TypeError, ValueError)) as caught:
        gridlib.convert(TERRAIN, tmp_path / 'o.bmp', **keywords)
    assert str(caught.value).startswith(argument)
    assert os.listdir(tmp_path) == []


# Whole numbers ctypes would cut to 32 bits, or that are not whole: the
# argument named in the ValueError.
NOT_INT32 = [
    ('width_wrapping_to_50', lambda out: gridlib.convert(TERRAIN, out, width=2 ** 32 + 50), 'width'),
    ('width_beyond', lambda out: gridlib.convert(TERRAIN, out, width=2 ** 31), 'width'),
    ('width_below', lambda out: gridlib.convert(TERRAIN, out, width=-2 ** 31 - 1), 'width'),
    ('width_not_whole', lambda out: gridlib.convert(TERRAIN, out, width=50.5), 'width'),
    ('step_wrapping_to_1', lambda out: gridlib.read(TERRAIN, step=2 ** 32 + 1), 'step'),
    ('step_infinite', lambda out: gridlib.read(TERRAIN, step=INFINITY), 'step'),
]


@pytest.mark.parametrize('name, call, argument', NOT_INT32, ids=[c[0] for c in NOT_INT32])
def test_whole_numbers_beyond_32_bits_are_refused(tmp_path, name, call, argument):
    with pytest.raises(ValueError) as caught:
        call(tmp_path / 'o.bmp')
    assert str(caught.value).startswith(argument)
    assert os.listdir(tmp_path) == []
