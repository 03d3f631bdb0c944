"""Failures: the library's status and words in a GridlibError, and arguments
refused before the library is called."""
import os

import pytest

import gridlib
import grids
from grids import DY, NORTH, WEST


def test_library_failures_carry_status_and_words(tmp_path, samples):
    unknown = tmp_path / 'unknown.dat'
    unknown.write_bytes(b'neither grid nor image, ' * 10)
    cases = [
        # call, status, words expected in the text
        (lambda: gridlib.read(tmp_path / 'missing.asc'), -1002, 'missing.asc'),
        (lambda: gridlib.header(str(unknown)), -1005, 'unknown.dat'),
        (lambda: gridlib.values_at(tmp_path / 'missing.asc', 1.0, 1.0), -1002, 'missing.asc'),
        # A window wholly beyond the grid.
        (lambda: gridlib.read(samples['esri_ascii'], window=(WEST - 100, WEST - 50, NORTH - 3 * DY, NORTH)), -1,
         'through the window (900.0, 950.0, 4940.0, 5000.0)'),
    ]
    for call, status, words in cases:
        with pytest.raises(gridlib.GridlibError) as caught:
            call()
        assert caught.value.status == status
        assert words in caught.value.text
        assert str(caught.value) == caught.value.text
        # The library's words of the status, not only its number.
        assert caught.value.text.count(' ') > 3


@pytest.mark.parametrize('arguments', [
    {'window': (WEST + 100, WEST, NORTH - 100, NORTH)},  # x0 > x1
    {'window': (WEST, WEST + 100, NORTH, NORTH - 100)},  # y0 > y1
    {'step': 0},
    {'step': (1, 1.5)},
])
def test_malformed_window_or_step_is_refused(samples, arguments):
    with pytest.raises(ValueError):
        gridlib.read(samples['esri_ascii'], **arguments)


def test_names_holding_a_nul_are_refused(samples):
    with pytest.raises(ValueError):
        gridlib.read(samples['esri_ascii'] + '\0.tif')


def test_a_name_ending_in_blanks_names_that_file(gdal, tmp_path):
    path = grids.write_grid(gdal, tmp_path, 'AAIGrid', '.asc  ')
    assert gridlib.header(path).columns == grids.COLUMNS


def test_reading_leaves_no_file_behind(samples, tmp_path, monkeypatch):
    monkeypatch.setenv('TMPDIR', str(tmp_path))
    import tempfile
    monkeypatch.setattr(tempfile, 'tempdir', None)
    gridlib.read(samples['surfer7'])
    with pytest.raises(gridlib.GridlibError):
        gridlib.read(samples['surfer7'], window=(0, 1, 0, 1))
    assert os.listdir(tmp_path) == []

