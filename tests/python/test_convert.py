"""The one-call conversion writes what rastrify writes, byte for byte."""
import os
import shutil
import subprocess

import pytest

import gridlib
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


def test_progress_is_reported_and_its_exceptions_come_back(tmp_path):
    seen = []
    gridlib.convert(TERRAIN, tmp_path / 'o.bmp', progress=lambda *report: seen.append(report))
    assert {phase for phase, _, _ in seen} >= {gridlib.PHASE_READING, gridlib.PHASE_DRAWING}
    assert all(0 <= done <= total for _, done, total in seen)

    def stop(*_):
        raise KeyError('stop')
    with pytest.raises(KeyError):
        gridlib.convert(TERRAIN, tmp_path / 'p.bmp', progress=stop)
