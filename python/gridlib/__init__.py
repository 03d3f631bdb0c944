"""gridlib from Python: read grid files into numpy arrays, look up values at
map points, and convert grids into images as rastrify does.

    import gridlib
    values, geotransform = gridlib.read('dem.asc')                  # NaN: no data
    part, gt = gridlib.read('dem.asc', window=(500, 900, 200, 400), step=2)
    gridlib.header('dem.asc').columns
    gridlib.values_at('dem.asc', [512.5, 600.0], [250.0, 301.0])
    gridlib.convert('dem.asc', 'dem.png', distribution='lin', shade=(270, 30, 2), world_file=True)

Every failure of the library raises GridlibError, whose status is the
library's status code and whose text says what went wrong."""
import ctypes

from . import _library
from ._convert import PHASE_COUNTING, PHASE_DRAWING, PHASE_READING, PHASE_SLOPES, convert
from ._errors import GridlibError
from ._grid import Header, header, read, values_at

__all__ = ['GridlibError', 'Header', 'convert', 'header', 'read', 'values_at', 'version', 'PHASE_READING',
           'PHASE_COUNTING', 'PHASE_DRAWING', 'PHASE_SLOPES']


def version():
    """The version of the libgridlib in use, such as '0.1.0'."""
    text = ctypes.create_string_buffer(32)
    status = ctypes.c_int32(-1)
    _library.load().gridlib_version(text, ctypes.byref(ctypes.c_int32(32)), ctypes.byref(status))
    return text.value.decode('ascii') if status.value == 0 else None
