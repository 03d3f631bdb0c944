"""Reading grids: the header, the values as an array, and point values."""
import ctypes
import dataclasses
import os
import tempfile

import numpy

from . import _errors, _library
from ._names import INT32_MAX, name_argument

IHEAD_SIZE = 15
RHEAD_SIZE = 22
BAND_NAMES = 16
BAND_NAME_LENGTH = 256
NULL_THRESHOLD = -1.0e30

# Descriptor entries, as C array indices.
_FORMAT, _BAND_COUNT, _SELECTED_BAND = 0, 1, 2
_COLUMNS, _ROWS, _COLUMNS_READ = 7, 8, 13
_WEST, _EAST, _SOUTH, _NORTH, _COLUMN_SPACING, _ROW_SPACING = 0, 1, 2, 3, 4, 5
_NULL, _DATA_MIN, _DATA_MAX, _MEAN, _STD_DEV, _ROTATION = 6, 9, 10, 11, 12, 15

FORMAT_NAMES = {
    1: 'er_mapper', 2: 'binary_512', 3: 'gxf', 4: 'pcidsk', 5: 'bil', 6: 'bip', 7: 'grid_text', 8: 'bgd',
    9: 'esri_ascii', 10: 'binary_24', 11: 'tool', 12: 'k_blocks', 13: 'surfer6', 14: 'surfer7', 15: 'geotiff',
    16: 'netcdf',
}


@dataclasses.dataclass(frozen=True)
class Header:
    """A grid file's header as the library reads it.

    west, east, south and north are the coordinates of the outer columns and
    rows as the format states them: each names a point of its cell that
    depends on the format (a corner for ESRI ASCII and ER Mapper, the centre
    for most others). extent gives the outer edges of the cells instead, and
    geotransform GDAL's six numbers; both are None for a grid that cannot be
    placed. data_min and data_max are the range the header states (0 where
    the format states none); band_count is 1 for the formats of one band,
    which state none."""
    format: str
    format_code: int
    columns: int
    rows: int
    band_count: int
    selected_band: int
    band_names: tuple
    west: float
    east: float
    south: float
    north: float
    column_spacing: float
    row_spacing: float
    rotation: float
    null_value: float
    data_min: float
    data_max: float
    geotransform: tuple
    extent: tuple


class _Descriptor:
    """ihead, rhead and the band names, as the C routines take them."""

    def __init__(self):
        self.ihead = (ctypes.c_int32 * IHEAD_SIZE)()
        self.rhead = (ctypes.c_float * RHEAD_SIZE)()
        self.chead = ctypes.create_string_buffer(b' ' * (BAND_NAMES * BAND_NAME_LENGTH), BAND_NAMES * BAND_NAME_LENGTH)

    def copy(self):
        other = _Descriptor()
        ctypes.memmove(other.ihead, self.ihead, ctypes.sizeof(self.ihead))
        ctypes.memmove(other.rhead, self.rhead, ctypes.sizeof(self.rhead))
        return other

    def band_names(self):
        count = max(0, min(self.ihead[_BAND_COUNT], BAND_NAMES))
        raw = self.chead.raw
        names = (raw[k * BAND_NAME_LENGTH:(k + 1) * BAND_NAME_LENGTH] for k in range(count))
        return tuple(n.split(b'\0')[0].rstrip(b' ').decode('utf-8', 'replace') for n in names)


def _read_header(path):
    library = _library.load()
    name, length = name_argument(path)
    d = _Descriptor()
    status = ctypes.c_int32(_errors.REFUSED)
    library.GRDRDH(name, length, d.ihead, d.rhead, d.chead, ctypes.byref(ctypes.c_int32(BAND_NAME_LENGTH)),
                   ctypes.byref(status))
    if status.value != _errors.OK:
        _errors.fail(_errors.ROUTINE_GRDRDH, status.value, 'the header of %s could not be read' % os.fspath(path),
                     d.ihead)
    return d


def _geotransform(path, d):
    """GDAL's geotransform of the whole grid, or None when it cannot be placed."""
    library = _library.load()
    name, length = name_argument(path)
    numbers = (ctypes.c_double * 6)()
    status = ctypes.c_int32(_errors.REFUSED)
    library.gridlib_read_geotransform(name, length, d.ihead, d.rhead, numbers, ctypes.byref(status))
    return tuple(numbers) if status.value == _errors.OK else None


def header(path):
    """The header of the grid file path, as a Header. Raises GridlibError."""
    d = _read_header(path)
    i, r = d.ihead, d.rhead
    gt = _geotransform(path, d)
    extent = None
    if gt is not None:
        extent = (gt[0], gt[0] + gt[1] * i[_COLUMNS], gt[3] + gt[5] * i[_ROWS], gt[3])
    return Header(format=FORMAT_NAMES.get(i[_FORMAT], 'unknown'), format_code=i[_FORMAT], columns=i[_COLUMNS],
                  rows=i[_ROWS], band_count=max(1, i[_BAND_COUNT]), selected_band=i[_SELECTED_BAND],
                  band_names=d.band_names(), west=r[_WEST], east=r[_EAST], south=r[_SOUTH], north=r[_NORTH],
                  column_spacing=r[_COLUMN_SPACING], row_spacing=r[_ROW_SPACING], rotation=r[_ROTATION],
                  null_value=r[_NULL], data_min=r[_DATA_MIN], data_max=r[_DATA_MAX], geotransform=gt,
                  extent=extent)


def _steps(step):
    """The column and row steps, whole numbers the library's 32-bit
    arguments hold (ctypes would keep the low 32 bits of a larger one)."""
    if step is None:
        return 1, 1
    columns, rows = (step, step) if numpy.ndim(step) == 0 else tuple(step)
    try:
        whole = all(int(n) == n and 1 <= n <= INT32_MAX for n in (columns, rows))
    except (OverflowError, ValueError):  # an infinity or a NaN
        whole = False
    if not whole:
        raise ValueError('step is a whole number of cells from 1 to %d, or two of them: %r' % (INT32_MAX, step))
    return int(columns), int(rows)


class _WorkingGrid:
    """The grid read through a window into a working grid file in a folder
    of its own, removed with it."""

    def __init__(self, path, window, step):
        self.path = path
        self.input = _read_header(path)
        self.geotransform = _geotransform(path, self.input)
        column_step, row_step = _steps(step)
        west, east, south, north = self._window_in_header_terms(window)
        self.folder = tempfile.TemporaryDirectory(prefix='gridlib-')
        self.file = os.path.join(self.folder.name, 'working.grd')
        self.descriptor = self.input.copy()
        library = _library.load()
        name, name_length = name_argument(path)
        work, work_length = name_argument(self.file)
        status = ctypes.c_int32(_errors.REFUSED)
        f = ctypes.c_float
        library.GRDRDG(name, name_length, work, work_length, self.descriptor.ihead, self.descriptor.rhead,
                       ctypes.byref(f(west)), ctypes.byref(f(east)), ctypes.byref(ctypes.c_int32(column_step)),
                       ctypes.byref(f(south)), ctypes.byref(f(north)), ctypes.byref(ctypes.c_int32(row_step)),
                       ctypes.byref(status))
        if status.value != _errors.OK:
            self.close()
            what = '%s could not be read' % os.fspath(path)
            if window is not None:
                what += ' through the window (%s)' % ', '.join(repr(float(v)) for v in window)
            _errors.fail(_errors.ROUTINE_GRDRDG, status.value, what, self.input.ihead)
        self.column_step, self.row_step = column_step, row_step

    def _window_in_header_terms(self, window):
        """The window's edges moved from map coordinates to the points the
        header's coordinates name. The library keeps the cells from the one
        whose point lies at or before an edge, so the edges are made to
        count from each cell's south-west corner: a cell is kept when the
        window reaches into it."""
        r = self.input.rhead
        if window is None:
            return r[_WEST], r[_EAST], r[_SOUTH], r[_NORTH]
        x0, x1, y0, y1 = (float(v) for v in window)
        if not (x0 <= x1 and y0 <= y1):
            raise ValueError('a window is (x0, x1, y0, y1) with x0 <= x1 and y0 <= y1: %r' % (window,))
        gt = self.geotransform
        if gt is None:
            raise _errors.GridlibError(_errors.REFUSED, '%s cannot be placed, so no window can be read from it'
                                       % os.fspath(self.path))
        x_shift = r[_WEST] - gt[0]
        y_shift = r[_SOUTH] - (gt[3] + gt[5] * self.input.ihead[_ROWS])
        return x0 + x_shift, x1 + x_shift, y0 + y_shift, y1 + y_shift

    def kept_geotransform(self):
        """The geotransform of the cells kept: the whole grid's, moved to the
        first kept column and row and widened by the steps."""
        gt = self.geotransform
        if gt is None:
            return None
        before, after = self.input.rhead, self.descriptor.rhead
        first_column = round((after[_WEST] - before[_WEST]) / before[_COLUMN_SPACING])
        first_row = round((before[_NORTH] - after[_NORTH]) / before[_ROW_SPACING])
        return (gt[0] + first_column * gt[1], gt[1] * self.column_step, gt[2],
                gt[3] + first_row * gt[5], gt[4], gt[5] * self.row_step)

    def own_header(self):
        """The working grid file's header, as GRDVAL needs it."""
        return _read_header(self.file)

    def close(self):
        self.folder.cleanup()


def _nulls_to_nan(values):
    values[values <= NULL_THRESHOLD] = numpy.nan
    return values


def read(path, window=None, step=None):
    """Reads the grid file path; returns (values, geotransform).

    values is a float32 array of rows x columns, the northern row first,
    each row from west to east, NaN where a cell holds no data.
    geotransform is GDAL's six numbers of the cells read (x of the western
    edge, column width, 0, y of the northern edge, 0, minus the row height),
    or None for a grid the library cannot place.

    window, (x0, x1, y0, y1) in the grid's map coordinates, keeps the cells
    it reaches into: from the column holding x0 to the one holding x1, the
    row holding y0 to the one holding y1 (a cell holds its western and
    southern edges). step, a number of cells or (column_step, row_step),
    keeps every n-th column from the western kept one and every n-th row
    from the southern kept one, as the library's readers count them.
    Raises GridlibError when the library cannot read the grid or the window
    lies outside it, ValueError for a malformed window or step."""
    grid = _WorkingGrid(path, window, step)
    try:
        d = grid.own_header()
        columns, rows = d.ihead[_COLUMNS_READ], d.ihead[_ROWS]
        values = numpy.empty((rows, columns), dtype=numpy.float32)
        library = _library.load()
        status = ctypes.c_int32(_errors.REFUSED)
        row = ctypes.c_int32(0)
        handle = ctypes.c_int32(os.open(grid.file, os.O_RDONLY | getattr(os, 'O_CLOEXEC', 0)))
        try:
            # The working grid holds the northern row first.
            for k in range(rows):
                row.value = k + 1
                library.GRDRDL(ctypes.byref(handle), d.ihead, None, ctypes.byref(row),
                               values[k].ctypes.data_as(ctypes.POINTER(ctypes.c_float)), ctypes.byref(status))
                if status.value != _errors.OK:
                    _errors.fail(_errors.ROUTINE_ROWS, status.value,
                                 'row %d of the grid read from %s could not be read back' % (k + 1, path))
        finally:
            os.close(handle.value)
        return _nulls_to_nan(values), grid.kept_geotransform()
    finally:
        grid.close()


def values_at(path, x, y):
    """The values of the grid file path at the map points (x, y), scalars or
    arrays of one shape: a float for scalars, else a float32 array of that
    shape. Each value is interpolated by the library from the 3 x 3 cells
    around the cell nearest to the point (a cell's value belongs to its
    centre, so a point at a centre gets that cell's value); NaN beyond half
    a cell outside the grid or where the cells around hold no data. The
    whole grid is read at each call: ask for many points at once."""
    xs = numpy.asarray(x, dtype=numpy.float64)
    ys = numpy.asarray(y, dtype=numpy.float64)
    if xs.shape != ys.shape:
        raise ValueError('x and y have different shapes: %r and %r' % (xs.shape, ys.shape))
    grid = _WorkingGrid(path, None, None)
    try:
        d = grid.own_header()
        gt = grid.geotransform
        if gt is None:
            raise _errors.GridlibError(_errors.REFUSED, '%s cannot be placed, so it has no values at map points'
                                       % os.fspath(path))
        # From map points to the points the header's coordinates name.
        x_shift = d.rhead[_WEST] - (gt[0] + gt[1] / 2)
        y_shift = d.rhead[_SOUTH] - (gt[3] + gt[5] * (d.ihead[_ROWS] - 0.5))
        px = numpy.ascontiguousarray((xs + x_shift).ravel(), dtype=numpy.float32)
        py = numpy.ascontiguousarray((ys + y_shift).ravel(), dtype=numpy.float32)
        values = numpy.empty(px.size, dtype=numpy.float32)
        library = _library.load()
        work, work_length = name_argument(grid.file)
        status = ctypes.c_int32(_errors.REFUSED)
        pointer = ctypes.POINTER(ctypes.c_float)
        library.GRDVAL(work, work_length, d.ihead, d.rhead, ctypes.byref(ctypes.c_int32(px.size)),
                       px.ctypes.data_as(pointer), py.ctypes.data_as(pointer), values.ctypes.data_as(pointer),
                       ctypes.byref(status))
        if status.value != _errors.OK:
            _errors.fail(_errors.ROUTINE_GRDVAL, status.value, 'the values of %s could not be looked up' % path)
    finally:
        grid.close()
    values = _nulls_to_nan(values).reshape(xs.shape)
    return float(values) if values.ndim == 0 else values
