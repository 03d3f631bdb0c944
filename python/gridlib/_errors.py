"""The package's one exception, and the words of the library's statuses."""
import ctypes

from . import _library

OK = 0
REFUSED = -1

# Routines whose statuses have words (the header's gridlib_routine).
ROUTINE_GRDRDH = 1
ROUTINE_GRDRDG = 2
ROUTINE_GRDVAL = 8
ROUTINE_ROWS = 9

_TEXT_SIZE = 256


class GridlibError(Exception):
    """A library routine failed: status is its status code, text the sentence
    that says what went wrong (also the exception's message)."""

    def __init__(self, status, text):
        super().__init__(text)
        self.status = status
        self.text = text


def status_words(routine, status, ihead=None):
    """The library's words for a status of a routine; ihead, the grid's
    descriptor, picks the words a format gives a status of its own."""
    library = _library.load()
    words = ctypes.create_string_buffer(_TEXT_SIZE)
    size = ctypes.c_int32(_TEXT_SIZE)
    result = ctypes.c_int32(REFUSED)
    library.gridlib_status_text(ctypes.byref(ctypes.c_int32(routine)), ctypes.byref(ctypes.c_int32(status)),
                                ihead, words, ctypes.byref(size), ctypes.byref(result))
    if result.value != OK:
        return 'status %d' % status
    return words.value.decode('utf-8', 'replace')


def fail(routine, status, what, ihead=None):
    """Raises GridlibError for a failed call: what, then the status's words."""
    raise GridlibError(status, '%s: %s (status %d)' % (what, status_words(routine, status, ihead), status))
