"""Reading grids into arrays, their headers and point values, against GDAL's
reading of the same files."""
import numpy
import pytest

import gridlib
import grids
from grids import COLUMNS, DX, DY, NORTH, ROWS, WEST

LABELS = sorted(grids.FORMATS)


@pytest.mark.parametrize('label', LABELS)
def test_whole_grid_equals_gdals_reading(gdal, samples, label):
    expected, expected_gt = grids.gdal_read(gdal, samples[label])
    values, gt = gridlib.read(samples[label])
    assert values.dtype == numpy.float32
    numpy.testing.assert_array_equal(values, expected)
    assert numpy.isnan(values[0, 0])  # the north-western cell: the northern row comes first
    assert gt == pytest.approx(expected_gt, rel=0, abs=1e-9)


# window (x0, x1, y0, y1) at cell middles, step, and the rows and columns kept
# of GDAL's array (the northern row first).
CUTS = [
    ('window', (WEST + 3.5 * DX, WEST + 10.5 * DX, NORTH - 12.5 * DY, NORTH - 4.5 * DY), None,
     slice(4, 13), slice(3, 11)),
    ('window_on_edges', (WEST + 3 * DX + 1, WEST + 11 * DX - 1, NORTH - 13 * DY + 1, NORTH - 4 * DY - 1), None,
     slice(4, 13), slice(3, 11)),
    ('window_beyond_the_grid', (WEST - 1000, WEST + 2.5 * DX, NORTH - 1.5 * DY, NORTH + 1000), None,
     slice(0, 2), slice(0, 3)),
    # Rows are counted from the southern one: of 17, rows 16, 13, .., 1 from the north.
    ('step', None, (2, 3), slice(1, 17, 3), slice(0, 23, 2)),
    ('one_step_for_both', None, 4, slice(0, 17, 4), slice(0, 23, 4)),
    ('window_and_step', (WEST + 3.5 * DX, WEST + 10.5 * DX, NORTH - 12.5 * DY, NORTH - 4.5 * DY), (3, 2),
     slice(4, 13, 2), slice(3, 11, 3)),
]


@pytest.mark.parametrize('label', ['esri_ascii', 'surfer7', 'geotiff', 'netcdf'])
@pytest.mark.parametrize('name, window, step, rows, columns', CUTS, ids=[c[0] for c in CUTS])
def test_window_and_step_keep_gdals_cells(gdal, samples, label, name, window, step, rows, columns):
    expected, _ = grids.gdal_read(gdal, samples[label])
    values, gt = gridlib.read(samples[label], window=window, step=step)
    numpy.testing.assert_array_equal(values, expected[rows, columns])
    column_step = columns.step or 1
    row_step = rows.step or 1
    assert gt == pytest.approx((WEST + columns.start * DX, DX * column_step, 0, NORTH - rows.start * DY, 0,
                                -DY * row_step), rel=0, abs=1e-9)


@pytest.mark.parametrize('label', LABELS)
def test_header_fields(gdal, samples, label):
    _, expected_gt = grids.gdal_read(gdal, samples[label])
    h = gridlib.header(samples[label])
    assert h.format == label.replace('_tiled', '')
    assert (h.columns, h.rows, h.band_count) == (COLUMNS, ROWS, 1)
    assert h.geotransform == pytest.approx(expected_gt, rel=0, abs=1e-9)
    assert h.extent == pytest.approx((WEST, WEST + COLUMNS * DX, NORTH - ROWS * DY, NORTH))
    assert (h.column_spacing, h.row_spacing) == (DX, DY)
    assert h.east - h.west == pytest.approx((COLUMNS - 1) * DX)
    assert h.north - h.south == pytest.approx((ROWS - 1) * DY)
    if label == 'esri_ascii':  # its coordinates name a cell's south-western corner
        assert (h.west, h.south, h.null_value) == (WEST, NORTH - ROWS * DY, grids.NODATA)


@pytest.mark.parametrize('label', ['esri_ascii', 'surfer7', 'geotiff', 'netcdf'])
def test_values_at_cell_centres_are_the_cells_values(samples, label):
    values, gt = gridlib.read(samples[label])
    rows, columns = numpy.mgrid[0:ROWS, 0:COLUMNS]
    x = gt[0] + (columns + 0.5) * gt[1]
    y = gt[3] + (rows + 0.5) * gt[5]
    found = gridlib.values_at(samples[label], x, y)
    assert found.shape == values.shape
    held = ~numpy.isnan(values)
    numpy.testing.assert_allclose(found[held], values[held], rtol=1e-6, atol=1e-4)


def test_values_at_takes_scalars_and_is_null_beyond_the_grid(samples):
    path = samples['esri_ascii']
    values, _ = gridlib.read(path)
    inside = gridlib.values_at(path, WEST + 5.5 * DX, NORTH - 7.5 * DY)
    assert isinstance(inside, float)
    assert inside == pytest.approx(float(values[7, 5]), abs=1e-4)
    assert numpy.isfinite(gridlib.values_at(path, WEST + 6 * DX, NORTH - 7.5 * DY))  # between two cells
    assert numpy.isnan(gridlib.values_at(path, WEST - 2 * DX, NORTH - 7.5 * DY))
    with pytest.raises(ValueError):
        gridlib.values_at(path, [1.0, 2.0], [1.0])


def test_header_gives_the_band_names(gdal, tmp_path):
    path = grids.write_grid(gdal, tmp_path, 'ERS', '.ers')
    with open(path) as f:
        text = f.read()
    named = text.replace('\tRasterInfo End', '\t\tBandId Begin\n\t\t\tValue\t= "heights"\n\t\tBandId End\n\tRasterInfo End')
    with open(path, 'w') as f:
        f.write(named)
    h = gridlib.header(path)
    # The ER Mapper reader gives its header's words in capitals.
    assert (h.format, h.band_count, h.band_names) == ('er_mapper', 1, ('HEIGHTS',))
    assert h.null_value == grids.NODATA
