"""The whole conversion of a grid file into an image, as rastrify makes it,
in one library call (gridlib_convert)."""
import ctypes
import math
import signal

from . import _errors, _library
from ._names import name_bytes, whole_number

NULL_VALUE = -1.0e32
DISTRIBUTIONS = {'hist': 0, 'lin': 1, 'log': 2}
ERROR_TEXT_SIZE = 1024

# The phases a progress callable is told, with the rows done and in all.
PHASE_READING, PHASE_COUNTING, PHASE_DRAWING, PHASE_SLOPES = 1, 2, 3, 4

_i32 = ctypes.c_int32
_Progress = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.POINTER(_i32), ctypes.POINTER(_i32), ctypes.POINTER(_i32))
_Note = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.c_char_p, ctypes.POINTER(_i32))


class ConvertOptions(ctypes.Structure):
    """The options structure the conversion routine takes (gridlib.h)."""
    _fields_ = [
        ('size', _i32), ('distribution', _i32), ('invert', _i32), ('width', _i32),
        ('lower', ctypes.c_float), ('upper', ctypes.c_float),
        ('histogram_file', ctypes.c_char_p), ('histogram_file_length', _i32),
        ('shade', _i32), ('azimuth', ctypes.c_float), ('elevation', ctypes.c_float),
        ('exaggeration', ctypes.c_float), ('world_file', _i32),
        ('palette', ctypes.c_char_p), ('palette_length', _i32),
        ('colour_bar', ctypes.c_char_p), ('colour_bar_length', _i32),
        ('keep_scale', ctypes.c_char_p), ('keep_scale_length', _i32),
        ('progress', _Progress), ('note', _Note), ('user', ctypes.c_void_p), ('tiles', _i32),
        ('stop', ctypes.POINTER(_i32)),
    ]


def _routines():
    library = _library.load()
    if not _library.has('gridlib_convert_defaults_sized'):
        raise _errors.GridlibError(_errors.REFUSED, 'this libgridlib has no conversion routine of this package\'s '
                                   'version (gridlib_convert_defaults_sized)')
    library.gridlib_convert_defaults_sized.argtypes = (ctypes.POINTER(ConvertOptions), ctypes.POINTER(_i32))
    library.gridlib_convert_defaults_sized.restype = None
    library.gridlib_convert.argtypes = (ctypes.c_char_p, ctypes.POINTER(_i32), ctypes.c_char_p,
                                        ctypes.POINTER(_i32), ctypes.POINTER(ConvertOptions), ctypes.c_char_p,
                                        ctypes.POINTER(_i32), ctypes.POINTER(_i32))
    library.gridlib_convert.restype = None
    return library


def _set_text(options, field, value, keep):
    if value is None:
        return
    raw = name_bytes(value, field.replace('_', ' '))
    keep.append(raw)
    setattr(options, field, raw)
    setattr(options, field + '_length', len(raw))


def _real(value, name):
    """A number as the library takes it. One beyond the reals, such as
    2**2000, is an infinity, which the library refuses as rastrify refuses
    the text; text is no number here, though float() would read it."""
    if isinstance(value, (str, bytes)):
        raise TypeError('%s is a number, not text: %r' % (name, value))
    try:
        return float(value)
    except OverflowError:
        return math.inf if value > 0 else -math.inf
    except (TypeError, ValueError):
        raise TypeError('%s is a number: %r' % (name, value)) from None


def _set_shade(options, shade):
    if shade is None or shade is False:
        return
    options.shade = 1
    if shade is True:
        return
    try:
        light = tuple(shade)
    except TypeError:
        light = ()
    if not 1 <= len(light) <= 3:
        raise ValueError('shade is True or (azimuth[, elevation[, factor]]): %r' % (shade,))
    for field, value in zip(('azimuth', 'elevation', 'exaggeration'), light):
        setattr(options, field, _real(value, field))


class _Call:
    """The Python code that runs while the library converts: the caller's
    progress and note functions, and the handler of SIGINT. An exception
    they raise cannot cross the library: the first is kept, sets the
    library's stop flag, and is raised once the call returns. The library
    looks at the flag at each progress report and before it renames the
    outputs into place, so such an exception leaves them as they were,
    unless it came after that."""

    def __init__(self, progress, note):
        self.failure = None
        self.stop = _i32(0)
        # Always a progress function, even without the caller's: a Ctrl-C is
        # handled only when Python code runs, and these reports are where it
        # runs during the call.
        self.progress = _Progress(self._progress)
        self.note = _Note(self._note) if note else _Note()
        self._on_progress, self._on_note = progress, note
        self._previous_handler = None
        self._installed = False

    def _guarded(self, call, *arguments):
        if self.failure is not None:
            return
        try:
            call(*arguments)
        except BaseException as e:  # noqa: B902 - kept and raised after the call
            self.failure = e
            self.stop.value = 1

    def _progress(self, _user, phase, done, total):
        if self._on_progress is not None:
            self._guarded(self._on_progress, phase[0], done[0], total[0])

    def _note(self, _user, text, length):
        self._guarded(self._on_note, ctypes.string_at(text, length[0]).decode('utf-8', 'replace'))

    def _interrupted(self, signum, frame):
        # The handler in place before the call decides, as it would have
        # without it; what it raises (KeyboardInterrupt by default) is kept.
        self._guarded(self._previous_handler, signum, frame)

    def __enter__(self):
        # Python's own handler would raise KeyboardInterrupt inside a
        # callback, where the library cannot pass it on. Only the main
        # thread may set handlers, and a handler that is not Python's
        # (ignored, or the default that ends the process) is left alone.
        previous = signal.getsignal(signal.SIGINT)
        if callable(previous):
            self._previous_handler = previous
            try:
                signal.signal(signal.SIGINT, self._interrupted)
                self._installed = True
            except ValueError:  # not the main thread: its interrupts go to the main thread
                pass
        return self

    def __exit__(self, *_):
        if self._installed:
            signal.signal(signal.SIGINT, self._previous_handler)
            self._installed = False
        return False


def convert(input, output, *, distribution=None, zmin=None, zmax=None, invert=False, width=None,
            histogram_file=None, shade=None, world_file=False, palette=None, colour_bar=None, keep_scale=None,
            tiles=False, progress=None, note=None):
    """Converts the grid file input into the image output (BMP, PNG or
    GeoTIFF by its extension) exactly as rastrify does with the options:

    distribution  'hist' (the default), 'lin' or 'log'          (-H)
    zmin, zmax    the data values of the first and last colour   (-m, -M)
    invert        the colours the other way                      (-I)
    width         pixels per image line                          (-W)
    histogram_file  limits and levels read from this file        (histfile)
    shade         True, or (azimuth, elevation, factor) with the
                  values left out at 315, 45 and 1               (-S)
    world_file    a world file beside the image                  (-G)
    palette       a palette's name or a palette file             (-C)
    colour_bar    an .svg or .png colour bar to write            (-L)
    keep_scale    the histogram file to write                    (-K)
    tiles         output names a folder for a tile pyramid and its
                  browser viewer instead of an image             (-T)
    progress      called with (phase, rows done, rows in all)
    note          called with each line the conversion reports without failing

    Names, input and output included, are taken exactly as given (trailing
    blanks too). Raises GridlibError with the library's status and
    rastrify's sentence, ValueError for an option of the wrong kind or a
    whole number beyond 32 bits (width).

    An exception raised by progress or note, and a Ctrl-C (SIGINT, with a
    Python handler, on the main thread) during the call, stop the
    conversion at its next progress report, which comes at every percent of
    each phase: nothing is written or replaced, every temporary file is
    removed, and the exception (KeyboardInterrupt) is raised. Python sees an
    interrupt only when Python code runs, so one that comes after the last
    report of the call may be seen only after the outputs were renamed into
    place: the conversion is then complete, and the interrupt is raised as
    the call returns, as Python raises it after any call it could not cut
    short."""
    library = _routines()
    options = ConvertOptions()
    library.gridlib_convert_defaults_sized(ctypes.byref(options), ctypes.byref(_i32(ctypes.sizeof(options))))
    if distribution is not None:
        if distribution not in DISTRIBUTIONS:
            raise ValueError("distribution is 'hist', 'lin' or 'log': %r" % (distribution,))
        options.distribution = DISTRIBUTIONS[distribution]
    # A value no 32-bit real holds reaches the library as an infinity, which
    # it refuses as rastrify refuses the text.
    if zmin is not None:
        options.lower = _real(zmin, 'zmin')
    if zmax is not None:
        options.upper = _real(zmax, 'zmax')
    options.invert = 1 if invert else 0
    if width is not None:
        options.width = whole_number(width, 'width')
    options.world_file = 1 if world_file else 0
    options.tiles = 1 if tiles else 0
    _set_shade(options, shade)
    keep = []
    for field, value in (('histogram_file', histogram_file), ('palette', palette), ('colour_bar', colour_bar),
                         ('keep_scale', keep_scale)):
        _set_text(options, field, value, keep)
    source, target = name_bytes(input, 'the input name'), name_bytes(output, 'the output name')
    error_text = ctypes.create_string_buffer(ERROR_TEXT_SIZE)
    status = _i32(_errors.REFUSED)
    with _Call(progress, note) as call:
        options.progress, options.note = call.progress, call.note
        options.stop = ctypes.pointer(call.stop)
        library.gridlib_convert(source, ctypes.byref(_i32(len(source))), target, ctypes.byref(_i32(len(target))),
                                ctypes.byref(options), error_text, ctypes.byref(_i32(ERROR_TEXT_SIZE)),
                                ctypes.byref(status))
    if call.failure is not None:
        raise call.failure
    if status.value != _errors.OK:
        text = error_text.value.decode('utf-8', 'replace').strip()
        raise _errors.GridlibError(status.value, text or 'the conversion failed (status %d)' % status.value)
