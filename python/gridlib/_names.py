"""Names as the library takes them: bytes followed by their length."""
import ctypes
import os


def name_argument(path):
    """The bytes of a file name and a pointer to their length. A NUL ends
    the name for the library, which would otherwise drop trailing blanks; a
    name holding a NUL could open another file, so it is refused."""
    raw = os.fsencode(path)
    if b'\0' in raw:
        raise ValueError('a file name holds a NUL character: %r' % (path,))
    if not raw:
        raise ValueError('the file name is empty')
    raw += b'\0'
    return raw, ctypes.byref(ctypes.c_int32(len(raw)))
