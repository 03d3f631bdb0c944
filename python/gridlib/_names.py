"""Arguments as the library takes them: names as bytes followed by their
length, whole numbers as 32-bit integers."""
import ctypes
import operator
import os

INT32_MIN, INT32_MAX = -2 ** 31, 2 ** 31 - 1


def name_bytes(path, what='a file name'):
    """The bytes of a file name with a NUL after them: the NUL ends the name
    for the library, which would otherwise drop trailing blanks, so that it
    opens exactly the file named. A name holding a NUL could open another
    file, so it is refused, as is an empty one."""
    raw = os.fsencode(path)
    if b'\0' in raw:
        raise ValueError('%s holds a NUL character: %r' % (what, path))
    if not raw:
        raise ValueError('%s is empty' % what)
    return raw + b'\0'


def name_argument(path):
    """The bytes of a file name, NUL-terminated, and a pointer to their length."""
    raw = name_bytes(path)
    return raw, ctypes.byref(ctypes.c_int32(len(raw)))


def whole_number(value, what, lowest=INT32_MIN, highest=INT32_MAX):
    """value as an int that the library's 32-bit argument holds unchanged
    (ctypes would keep the low 32 bits: 2**32 + 50 would pass as 50), named
    what in the ValueError that refuses it."""
    try:
        number = operator.index(value)
    except TypeError:
        raise ValueError('%s is a whole number: %r' % (what, value)) from None
    if not lowest <= number <= highest:
        raise ValueError('%s lies outside %d..%d: %r' % (what, lowest, highest, value))
    return number
