"""Finding and loading libgridlib, and the C declarations the package calls.

The library is looked for, in order: at the path in the environment variable
GRIDLIB_LIBRARY; beside the package where `cmake --install` put both; in the
build folder of a source tree the package is used from; and last by the
system's loader (ld.so.conf, LD_LIBRARY_PATH)."""
import ctypes
import os

_SONAME = 'libgridlib.so.0'
_library = None

i32 = ctypes.c_int32
f32 = ctypes.c_float
P = ctypes.POINTER
text = ctypes.c_char_p

# name: (arguments, result); every argument by reference, as the header has it.
_ROUTINES = {
    'GRDRDH': ((text, P(i32), P(i32), P(f32), ctypes.c_char_p, P(i32), P(i32)), None),
    'GRDRDG': ((text, P(i32), text, P(i32), P(i32), P(f32), P(f32), P(f32), P(i32), P(f32), P(f32), P(i32),
                P(i32)), None),
    'GRDRDL': ((P(i32), P(i32), P(f32), P(i32), P(f32), P(i32)), None),
    'GRDVAL': ((text, P(i32), P(i32), P(f32), P(i32), P(f32), P(f32), P(f32), P(i32)), None),
    'gridlib_read_geotransform': ((text, P(i32), P(i32), P(f32), P(ctypes.c_double), P(i32)), None),
    'gridlib_status_text': ((P(i32), P(i32), P(i32), ctypes.c_char_p, P(i32), P(i32)), None),
    'gridlib_version': ((ctypes.c_char_p, P(i32), P(i32)), None),
}


def _candidates():
    named = os.environ.get('GRIDLIB_LIBRARY')
    if named:
        yield named
        return
    here = os.path.dirname(os.path.abspath(__file__))
    try:
        from . import _installed  # written by `cmake --install`
        yield os.path.normpath(os.path.join(here, _installed.LIBRARY_FROM_PACKAGE, _SONAME))
    except ImportError:
        pass
    # python/gridlib/ in a source tree whose library was built by `make`.
    yield os.path.join(os.path.dirname(os.path.dirname(here)), 'build', _SONAME)
    yield _SONAME


def load():
    """The loaded library, with the argument types of the routines used here."""
    global _library
    if _library is not None:
        return _library
    tried = []
    for path in _candidates():
        # A path that names no file is left to the next candidate; the
        # bare soname goes to the system's loader.
        if os.sep in path and not os.path.exists(path):
            tried.append(path)
            continue
        try:
            library = ctypes.CDLL(path)
        except OSError as e:
            tried.append('%s (%s)' % (path, e))
            continue
        for name, (arguments, result) in _ROUTINES.items():
            routine = getattr(library, name)
            routine.argtypes = arguments
            routine.restype = result
        _library = library
        return library
    raise OSError('libgridlib could not be loaded; tried: ' + ', '.join(tried) +
                  ' (set GRIDLIB_LIBRARY to the library file)')


def has(name):
    """Whether the loaded library exports the routine name."""
    return hasattr(load(), name)
