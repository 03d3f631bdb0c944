"""Fixtures shared by the package's tests."""
import pytest

import grids


@pytest.fixture(scope='session')
def gdal():
    return pytest.importorskip('osgeo.gdal')


@pytest.fixture(scope='session')
def samples(gdal, tmp_path_factory):
    """One grid per format, written by GDAL: {label: path}."""
    folder = tmp_path_factory.mktemp('samples')
    return {label: grids.write_grid(gdal, folder, *writer) for label, writer in grids.FORMATS.items()}
